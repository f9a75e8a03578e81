#pragma once

// The comma-separated files of deploy: the label map it reads and the log it appends to.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct CsvRow
{
    int line = 0; // where the row starts, from 1
    std::vector<std::string> fields;
};

// The text of a CSV file as UTF-8. Spreadsheets save it as UTF-8, with or without a byte order
// mark, or as UTF-16 ("Unicode text"), little- or big-endian after its byte order mark. nullopt
// with `error` ("line 3: ...") for the first line that is none of these.
std::optional<std::string> CsvTextAsUtf8(std::string_view bytes, std::string &error);

// Rows of fields separated by commas, or by semicolons where the first row has a semicolon
// and no comma (as spreadsheets write CSV in many languages), or by tabs where it has neither
// (spreadsheets' "Unicode text"). A field in double quotes may
// hold separators, line breaks and "" for a quote, and is taken as it is; other fields lose
// their surrounding blanks. Blank lines are skipped, a UTF-8 byte order mark and CR LF line
// ends are accepted. nullopt with `error` ("line 3: ...") for text that is not CSV.
std::optional<std::vector<CsvRow>> ParseCsv(std::string_view text, std::string &error);

// One field for a comma-separated row: in double quotes when it holds a comma, a quote, a
// line break or surrounding blanks, which would otherwise change on the way back.
std::string CsvField(std::string_view text);
