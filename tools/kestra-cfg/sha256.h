#pragma once

// SHA-256 (FIPS 180-4) of a few hundred bytes, for deploy's log: small enough to keep here
// rather than bring a crypto library into a program that must also build for Windows.

#include <array>
#include <cstdint>
#include <span>
#include <string>

std::array<std::uint8_t, 32> Sha256(std::span<const std::uint8_t> bytes);

// The digest as 64 lower-case hexadecimal digits, as sha256sum prints it.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);
