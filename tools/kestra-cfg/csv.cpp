#include "csv.h"

#include "platform/text.h"
#include "report.h"
#include "settings/value_text.h"

namespace {

// The first row decides: semicolons only where it has no comma outside quotes, tabs only
// where it has neither.
char separatorOf(std::string_view text)
{
    bool quoted = false;
    bool semicolon = false;
    bool tab = false;
    for (const char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            return ',';
        else if (!quoted && c == ';')
            semicolon = true;
        else if (!quoted && c == '\t')
            tab = true;
        else if (!quoted && c == '\n')
            break;
    }
    return semicolon ? ';' : tab ? '\t' : ',';
}

std::string lineError(int line, const char *what)
{
    return "line " + std::to_string(line) + ": " + what;
}

// UTF-16 after its byte order mark, as UTF-8.
std::optional<std::string> utf16ToUtf8(std::string_view bytes, bool bigEndian, std::string &error)
{
    constexpr const char *kNotUtf16 = "not UTF-16 text";
    std::string text;
    int line = 1;
    const auto unit = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? first << 8 | second : second << 8 | first);
    };
    for (std::size_t i = 2; i < bytes.size(); i += 2) {
        if (i + 1 == bytes.size()) {
            error = lineError(line, kNotUtf16);
            return std::nullopt;
        }
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c == 0 || (c >= 0xD800 && c <= 0xDFFF)) {
            error = lineError(line, kNotUtf16);
            return std::nullopt;
        }
        line += c == '\n' ? 1 : 0;
        AppendUtf8(text, c);
    }
    return text;
}

} // namespace

std::optional<std::string> CsvTextAsUtf8(std::string_view bytes, std::string &error)
{
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return utf16ToUtf8(bytes, bytes.front() == '\xFE', error);
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    // A zero byte is no character of a text file: most likely UTF-16 saved without its mark.
    std::u32string ignored;
    int line = 1;
    for (std::size_t start = 0; start < bytes.size(); ++line) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        const std::string_view text = bytes.substr(start, end - start);
        if (text.find('\0') != std::string_view::npos || !valuetext::decodeUtf8(text, ignored)) {
            error = lineError(line, "not UTF-8 text (save the file as UTF-8, or as UTF-16 "
                                    "with a byte order mark)");
            return std::nullopt;
        }
        start = end + 1;
    }
    return std::string(bytes);
}

std::optional<std::vector<CsvRow>> ParseCsv(std::string_view text, std::string &error)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    const char separator = separatorOf(text);

    std::vector<CsvRow> rows;
    CsvRow row{1, {}};
    std::string field;
    int line = 1;
    bool quotedField = false; // the field began with a quote
    bool inQuotes = false;
    bool afterQuote = false; // its closing quote has been read
    bool quotedRow = false;  // some field of the row was quoted: the row is not blank

    auto endField = [&] {
        row.fields.push_back(quotedField ? field : std::string(WithoutBlanks(field)));
        quotedRow = quotedRow || quotedField;
        field.clear();
        quotedField = inQuotes = afterQuote = false;
    };
    auto endRow = [&] {
        endField();
        if (quotedRow || row.fields.size() > 1 || !row.fields.front().empty())
            rows.push_back(std::move(row));
        row = CsvRow{line + 1, {}};
        quotedRow = false;
    };

    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inQuotes) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                inQuotes = false;
                afterQuote = true;
            } else {
                line += c == '\n' ? 1 : 0;
                field += c;
            }
        } else if (c == separator) {
            endField();
        } else if (c == '\n') {
            endRow();
            ++line;
        } else if (c == '\r' && (i + 1 == text.size() || text[i + 1] == '\n')) {
            // CR LF: the LF ends the row.
        } else if (afterQuote) {
            if (c != ' ' && c != '\t') {
                error = "line " + std::to_string(line) + ": text after a closing quote";
                return std::nullopt;
            }
        } else if (c == '"' && WithoutBlanks(field).empty()) {
            field.clear();
            quotedField = inQuotes = true;
        } else {
            field += c;
        }
    }
    if (inQuotes) {
        error = "line " + std::to_string(row.line) + ": a quote is not closed";
        return std::nullopt;
    }
    if (!field.empty() || !row.fields.empty() || quotedField)
        endRow();
    return rows;
}

std::string CsvField(std::string_view text)
{
    const bool plain = text.find_first_of(",\"\r\n") == std::string_view::npos &&
                       WithoutBlanks(text).size() == text.size();
    if (plain)
        return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}
