// Feeds arbitrary bytes to deploy's label map, as a person or a spreadsheet may save it. A map
// it takes must read back the same when written out as plain CSV with a heading, and its text
// saved as UTF-16 of either byte order must give the same rows on the same lines.
#include "csv.h"
#include "label_map.h"

#include "platform/text.h"
#include "settings/value_text.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string_view>

namespace {

std::string utf16(std::string_view utf8, bool bigEndian)
{
    std::u32string text;
    if (!valuetext::decodeUtf8(utf8, text))
        std::abort(); // a map is taken only as UTF-8 or UTF-16
    std::string bytes;
    const auto unit = [&](char32_t c) {
        const char high = static_cast<char>(c >> 8);
        const char low = static_cast<char>(c & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    };
    unit(0xFEFF);
    for (const char32_t c : text) {
        if (c < 0x10000) {
            unit(c);
        } else {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return bytes;
}

bool sameRows(const LabelMap &a, const LabelMap &b, bool sameLines)
{
    const auto &rows = a.allRows();
    const auto &others = b.allRows();
    if (rows.size() != others.size())
        return false;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].card != others[i].card || rows[i].label != others[i].label ||
            rows[i].key != others[i].key || (sameLines && rows[i].line != others[i].line))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    std::ostringstream out;
    std::ostringstream err;
    const Io io{out, err};
    const std::optional<LabelMap> map = LabelMap::parse(bytes, "map.csv", io);
    if (!out.str().empty())
        std::abort();
    if (!map) {
        // One line that names the file.
        const std::string said = err.str();
        if (!said.starts_with("map.csv: ") || said.find('\n') != said.size() - 1)
            std::abort();
        return 0;
    }
    if (!err.str().empty())
        std::abort();

    int line = 0;
    for (const LabelRow &row : map->allRows()) {
        if (row.card.empty() || row.line <= line)
            std::abort();
        line = row.line;
    }

    std::string csv = "card,label\n";
    for (const LabelRow &row : map->allRows())
        csv += CsvField(row.card) + "," + CsvField(row.label) + "\n";
    const std::optional<LabelMap> again = LabelMap::parse(csv, "again.csv", io);
    if (!again || !sameRows(*map, *again, false))
        std::abort();

    if (!bytes.starts_with("\xFF\xFE") && !bytes.starts_with("\xFE\xFF")) {
        const std::string_view text = bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
        for (const bool bigEndian : {false, true}) {
            const std::optional<LabelMap> wide = LabelMap::parse(utf16(text, bigEndian), "w", io);
            if (!wide || !sameRows(*map, *wide, true))
                std::abort();
        }
    }
    return 0;
}
