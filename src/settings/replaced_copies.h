#pragma once

// A card's settings file is never replaced without a copy kept on this computer: before other
// bytes go onto the card, the bytes it held are kept in a folder of the user's, one file per
// replacement, so that a card prepared for another camera can be put back as it was.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

// $XDG_DATA_HOME/Velomar/velomar-settings/replaced (~/.local/share/... where XDG_DATA_HOME is
// unset or not absolute), %LOCALAPPDATA%\Velomar\velomar-settings\replaced on Windows: the
// same whether the program is installed or runs from its build folder.
std::filesystem::path ReplacedCopiesFolder();

// The copies one run keeps. Each is named by the card's volume serial, the time and the camera
// label the replaced file held ("1234-ABCD_2026-12-09_18-30-05_CAM-B.cfg"); of each serial's
// copies the newest kPerCard stay, but a run never removes a copy it kept itself.
class ReplacedCopies
{
public:
    static constexpr std::size_t kPerCard = 10;

    explicit ReplacedCopies(std::filesystem::path folder = ReplacedCopiesFolder());

    // Keeps what `cardFile` holds when it exists and differs from `next`, the bytes about to
    // replace it; `when` names the copy (local time). Nothing when the copy was kept or there
    // was nothing to keep; otherwise why it could not be kept, which stops nothing.
    std::optional<std::string> keep(const std::filesystem::path &cardFile,
                                    std::string_view serial, std::span<const std::uint8_t> next,
                                    std::time_t when);

    const std::filesystem::path &folder() const { return where; }

private:
    void prune(const std::string &prefix);

    std::filesystem::path where;
    std::set<std::filesystem::path> kept; // by this run: never pruned by it
};
