// Feeds arbitrary text to the carriers.dat and carriers2.dat parsers and checks what the
// Cellular page relies on: at most 50 carriers, one line per carrier, rows matching the list.
#include "settings/carriers.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
bool hasLineBreak(const std::string &text)
{
    return text.find('\n') != std::string::npos;
}

bool hasZero(const std::string &text)
{
    return text.find('\0') != std::string::npos;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);

    CarrierTable table;
    const auto names = ParseCarrierFile(text, table);
    if (names.size() > static_cast<std::size_t>(CarrierTable::kRows))
        std::abort();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const CarrierEntry &row = table.Row(static_cast<int>(i));
        if (row.name != names[i])
            std::abort();
        for (const std::string *field :
             {&row.name, &row.emailRows, &row.phoneRows, &row.order, &row.phoneTitle}) {
            if (hasLineBreak(*field) || hasZero(*field))
                std::abort();
        }
        // A carrier comes from a line that was not blank.
        if (row.name.empty() && row.emailRows.empty() && row.phoneRows.empty() &&
            row.order.empty() && row.phoneTitle.empty() && text.find(';') == std::string_view::npos)
            std::abort();
        if (row.EmailRowCount() < 0 || row.EmailRowCount() > 2 || row.PhoneRowCount() < 0 ||
            row.PhoneRowCount() > 4)
            std::abort();
    }
    // Fewer than 50 carriers means every non-blank line was taken.
    if (names.size() < static_cast<std::size_t>(CarrierTable::kRows)) {
        std::size_t lines = 0;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos)
                end = text.size();
            std::string_view line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            line = line.substr(0, line.find('\0'));
            lines += line.empty() ? 0 : 1;
            start = end + 1;
        }
        if (lines != names.size())
            std::abort();
    }

    if (const auto position = ParseLastCarrier(text)) {
        if (*position > INT_MAX || *position < -INT_MAX)
            std::abort();
        const auto bytes = LastCarrierBytes(static_cast<int>(*position));
        if (bytes[0] < '0' || bytes[0] > '9' ||
            (bytes[1] != '\0' && (bytes[1] < '0' || bytes[1] > '9')))
            std::abort();
    }
    return 0;
}
