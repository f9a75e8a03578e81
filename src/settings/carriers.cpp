#include "settings/carriers.h"

#include "settings/settings_file.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

int CarrierEntry::EmailRowCount() const
{
    if (emailRows == "0")
        return 0;
    if (emailRows == "1")
        return 1;
    return 2;
}

int CarrierEntry::PhoneRowCount() const
{
    if (phoneRows == "0" || phoneRows == "1" || phoneRows == "2" || phoneRows == "3")
        return phoneRows[0] - '0';
    return 4;
}

bool CarrierEntry::EmailGroupFirst() const
{
    return order == "0";
}

bool CarrierEntry::ErrorMessagesTitle() const
{
    return phoneTitle == "1";
}

namespace {
// A line ends at its first zero byte, as it does for a C string read with the runtime.
std::string_view uptoZero(std::string_view line)
{
    return line.substr(0, line.find('\0'));
}

std::string_view firstLine(std::string_view text)
{
    std::string_view line = text.substr(0, text.find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return uptoZero(line);
}

bool isCarrierPosition(long position)
{
    return position >= 0 && position < CarrierTable::kRows;
}

// The list position carriers2.dat names, when it can be read and names one in 0..49.
std::optional<int> rememberedCarrier(const std::filesystem::path &lastChoiceFile)
{
    std::ifstream lastChoice(lastChoiceFile, std::ios::binary);
    if (!lastChoice || std::filesystem::is_directory(lastChoiceFile))
        return std::nullopt;
    std::string line;
    std::getline(lastChoice, line);
    const auto position = ParseLastCarrier(line);
    if (!position || !isCarrierPosition(*position))
        return std::nullopt;
    return static_cast<int>(*position);
}
} // namespace

std::optional<CarrierEntry> ParseCarrierLine(std::string_view line)
{
    line = uptoZero(line);
    CarrierEntry entry;
    const std::size_t first = line.find(';');
    if (first == std::string_view::npos) {
        if (line.empty())
            return std::nullopt;
        entry.name = line;
        return entry;
    }
    entry.name = line.substr(0, first);

    // The character right after a separator is never itself taken as the next separator,
    // so an option field followed by ";" is at least one character long.
    std::size_t f = first + 1;
    for (std::string *field : {&entry.emailRows, &entry.phoneRows, &entry.order}) {
        const std::size_t k = line.find(';', f + 1);
        if (k == std::string_view::npos)
            return entry;
        *field = line.substr(f, k - f);
        f = k + 1;
    }
    if (f < line.size()) {
        const std::size_t k = line.find(';', f + 1);
        entry.phoneTitle = line.substr(f, k == std::string_view::npos ? k : k - f);
    }
    return entry;
}

std::vector<std::string> ParseCarrierFile(std::string_view text, CarrierTable &table)
{
    std::vector<std::string> names;
    while (!text.empty() && static_cast<int>(names.size()) < CarrierTable::kRows) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (auto entry = ParseCarrierLine(line)) {
            table.Row(static_cast<int>(names.size())) = *entry;
            names.push_back(entry->name);
        }
    }
    return names;
}

std::optional<long> ParseLastCarrier(std::string_view text)
{
    const std::string_view line = firstLine(text);
    if (line.empty())
        return std::nullopt;
    std::size_t i = 0;
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < line.size() && isSpace(line[i]))
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-'))
        negative = line[i++] == '-';
    // Saturate instead of overflowing; anything that large is out of range anyway.
    constexpr long kLimit = std::numeric_limits<int>::max();
    long value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
        value = std::min(kLimit, value * 10 + (line[i] - '0'));
    return negative ? -value : value;
}

CarrierList ReadCarrierList(CarrierTable &table, const std::filesystem::path &carriersFile,
                            const std::filesystem::path &lastChoiceFile)
{
    CarrierList list;
    std::ifstream carriers(carriersFile, std::ios::binary);
    if (!carriers || std::filesystem::is_directory(carriersFile))
        return list;
    list.fileFound = true;
    const std::string text{std::istreambuf_iterator<char>(carriers),
                           std::istreambuf_iterator<char>()};
    list.names = ParseCarrierFile(text, table);

    const auto position = rememberedCarrier(lastChoiceFile);
    if (position && *position < static_cast<int>(list.names.size()))
        list.preselect = *position;
    return list;
}

std::array<char, 2> LastCarrierBytes(int carrierIndex)
{
    if (!isCarrierPosition(carrierIndex))
        carrierIndex = 3;
    std::array<char, 3> text{};
    std::snprintf(text.data(), text.size(), "%d", carrierIndex);
    return {text[0], text[1]};
}

bool WriteLastCarrier(int carrierIndex, const std::filesystem::path &lastChoiceFile)
{
    // A run that never chose a carrier must not replace the choice of an earlier run: the
    // fallback "3" would preselect the fourth carrier and empty the rows it does not offer.
    if (!isCarrierPosition(carrierIndex) && rememberedCarrier(lastChoiceFile))
        return true;
    const auto bytes = LastCarrierBytes(carrierIndex);
    const std::array<std::uint8_t, 2> raw{static_cast<std::uint8_t>(bytes[0]),
                                          static_cast<std::uint8_t>(bytes[1])};
    try {
        FileErrorCause cause;
        return WriteFileReplacing(lastChoiceFile, raw, cause);
    } catch (const MediumError &) {
        return false;
    }
}
