#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// Little-endian field-by-field encoding, independent of the host's byte order and padding.

class LittleEndianWriter
{
public:
    explicit LittleEndianWriter(std::span<std::uint8_t> out) : out(out) {}

    void u8(std::uint8_t value) { out[pos++] = value; }
    void u16(std::uint16_t value)
    {
        out[pos++] = static_cast<std::uint8_t>(value & 0xFF);
        out[pos++] = static_cast<std::uint8_t>(value >> 8);
    }
    template <std::size_t N> void u16s(const std::array<std::uint16_t, N> &values)
    {
        for (std::uint16_t v : values)
            u16(v);
    }
    template <std::size_t N> void bytes(const std::array<std::uint8_t, N> &values)
    {
        for (std::uint8_t v : values)
            u8(v);
    }
    std::size_t position() const { return pos; }

private:
    std::span<std::uint8_t> out;
    std::size_t pos = 0;
};

class LittleEndianReader
{
public:
    explicit LittleEndianReader(std::span<const std::uint8_t> in) : in(in) {}

    std::uint8_t u8() { return in[pos++]; }
    std::uint16_t u16()
    {
        const auto low = in[pos++];
        const auto high = in[pos++];
        return static_cast<std::uint16_t>(low | (high << 8));
    }
    template <std::size_t N> void u16s(std::array<std::uint16_t, N> &values)
    {
        for (std::uint16_t &v : values)
            v = u16();
    }
    template <std::size_t N> void bytes(std::array<std::uint8_t, N> &values)
    {
        for (std::uint8_t &v : values)
            v = u8();
    }
    void skip(std::size_t count) { pos += count; }
    std::size_t position() const { return pos; }

private:
    std::span<const std::uint8_t> in;
    std::size_t pos = 0;
};
