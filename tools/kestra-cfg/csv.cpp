#include "csv.h"

#include "report.h"

namespace {

// The first row decides: semicolons only where it has no comma outside quotes.
char separatorOf(std::string_view text)
{
    bool quoted = false;
    bool semicolon = false;
    for (const char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            return ',';
        else if (!quoted && c == ';')
            semicolon = true;
        else if (!quoted && c == '\n')
            break;
    }
    return semicolon ? ';' : ',';
}

} // namespace

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
