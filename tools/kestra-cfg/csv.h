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

// Rows of fields separated by commas, or by semicolons where the first row has a semicolon
// and no comma (as spreadsheets write CSV in many languages). A field in double quotes may
// hold separators, line breaks and "" for a quote, and is taken as it is; other fields lose
// their surrounding blanks. Blank lines are skipped, a UTF-8 byte order mark and CR LF line
// ends are accepted. nullopt with `error` ("line 3: ...") for text that is not CSV.
std::optional<std::vector<CsvRow>> ParseCsv(std::string_view text, std::string &error);

// One field for a comma-separated row: in double quotes when it holds a comma, a quote, a
// line break or surrounding blanks, which would otherwise change on the way back.
std::string CsvField(std::string_view text);
