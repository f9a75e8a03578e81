#include "label_map.h"

#include "csv.h"
#include "platform/text.h"
#include "report.h"

#include "settings/named_settings.h"

#include <algorithm>
#include <span>

std::string SerialKey(std::string_view serial)
{
    std::string key;
    for (const char c : serial) {
        if (c != '-')
            key += c;
    }
    return UpperAscii(key);
}

std::string VolumeLabelKey(std::string_view label)
{
    return UpperAscii(std::string(WithoutBlanks(label)));
}

namespace {

// Where a row has its card and its label, and how many columns it may fill.
struct Columns
{
    std::size_t card = 0;
    std::size_t label = 1;
    std::size_t width = 3; // the card, its label and a note
    bool headed = false;
};

bool isBlank(const CsvRow &row)
{
    return std::all_of(row.fields.begin(), row.fields.end(),
                       [](const std::string &field) { return field.empty(); });
}

// The columns a heading row names; nullopt for a row that is no heading, and `error` set for
// a heading that names a column twice.
std::optional<Columns> headingColumns(const CsvRow &row, std::string &error)
{
    std::optional<std::size_t> card;
    std::optional<std::size_t> label;
    Columns columns{0, 0, 0, true};
    for (std::size_t i = 0; i < row.fields.size(); ++i) {
        const std::string name = UpperAscii(std::string(WithoutBlanks(row.fields[i])));
        std::optional<std::size_t> &column = name == "CARD" ? card : label;
        if (name != "CARD" && name != "LABEL") {
            columns.width = name.empty() ? columns.width : i + 1;
            continue;
        }
        if (column)
            error = "more than one column is headed " + PrintableText(WithoutBlanks(row.fields[i]));
        column = i;
        columns.width = i + 1;
    }
    if (!card || !label)
        return std::nullopt;
    columns.card = *card;
    columns.label = *label;
    return columns;
}

// The number of fields up to the last one that is not empty.
std::size_t filledWidth(const CsvRow &row)
{
    std::size_t width = row.fields.size();
    while (width > 0 && row.fields[width - 1].empty())
        --width;
    return width;
}

} // namespace

std::optional<LabelMap> LabelMap::read(const std::string &file, const Io &io)
{
    const std::optional<std::string> bytes = ReadInputFile(file, io);
    if (!bytes)
        return std::nullopt;
    return parse(*bytes, file, io);
}

std::optional<LabelMap> LabelMap::parse(std::string_view bytes, const std::string &file,
                                        const Io &io)
{
    std::string error;
    std::optional<std::vector<CsvRow>> csv;
    if (const std::optional<std::string> text = CsvTextAsUtf8(bytes, error))
        csv = ParseCsv(*text, error);
    if (!csv) {
        io.err << file << ": " << error << "\n";
        return std::nullopt;
    }
    // Spreadsheets write the rows they leave empty as commas alone.
    std::erase_if(*csv, isBlank);
    Columns columns;
    if (!csv->empty()) {
        const std::optional<Columns> heading = headingColumns(csv->front(), error);
        if (!error.empty()) {
            io.err << file << ": line " << csv->front().line << ": " << error << "\n";
            return std::nullopt;
        }
        if (heading) {
            columns = *heading;
            csv->erase(csv->begin());
        }
    }
    LabelMap map;
    map.file = file;
    for (const CsvRow &row : *csv) {
        const std::string where = file + ": line " + std::to_string(row.line) + ": ";
        const std::size_t needed = std::max(columns.card, columns.label) + 1;
        if (row.fields.size() < needed) {
            if (columns.headed)
                io.err << where << "expected the card in column " << columns.card + 1
                       << " and its camera label in column " << columns.label + 1 << ", not "
                       << row.fields.size() << (row.fields.size() == 1 ? " field\n" : " fields\n");
            else
                io.err << where << "expected two fields, the card and its camera label, not "
                       << row.fields.size() << "\n";
            return std::nullopt;
        }
        if (filledWidth(row) > columns.width) {
            if (columns.headed)
                io.err << where << "expected no more than the " << columns.width
                       << " columns of the heading, not " << filledWidth(row) << "\n";
            else
                io.err << where
                       << "expected no more than three fields, the card, its camera "
                          "label and a note, not "
                       << filledWidth(row) << "\n";
            return std::nullopt;
        }
        const std::string &card = row.fields[columns.card];
        const std::string &label = row.fields[columns.label];
        if (card.empty()) {
            io.err << where << "the card is missing\n";
            return std::nullopt;
        }
        CameraSettings check;
        check.ResetAll();
        const NamedValue named{"label", label};
        if (auto refusal = ApplyNamedSettings(check, std::span(&named, 1))) {
            io.err << where << refusal->text() << "\n";
            return std::nullopt;
        }
        for (const LabelRow &earlier : map.rows) {
            if (UpperAscii(earlier.card) == UpperAscii(card)) {
                // A quoted field may hold line breaks: the message stays one line.
                io.err << where << PrintableText(card) << " was given a label on line "
                       << earlier.line << " already\n";
                return std::nullopt;
            }
        }
        map.rows.push_back({row.line, card, PlaceKey(card), label});
    }
    return map;
}

const LabelRow *LabelMap::rowFor(const std::optional<CardDescription> &card,
                                 const std::string &placeKey,
                                 const std::vector<CardDescription> &written,
                                 std::string &problem) const
{
    using Key = std::string (*)(std::string_view);
    auto byCard = [&](Key keyOf, std::string CardDescription::*field) -> const LabelRow * {
        const std::string own = card ? keyOf((*card).*field) : std::string();
        if (own.empty())
            return nullptr;
        for (const LabelRow &row : rows) {
            if (keyOf(row.card) != own)
                continue;
            const auto sharing =
                std::count_if(written.begin(), written.end(), [&](const CardDescription &other) {
                    return keyOf(other.*field) == own;
                });
            if (sharing == 1)
                return &row;
            problem =
                "line " + std::to_string(row.line) + " of " + file + " names more than one card";
            return nullptr;
        }
        return nullptr;
    };
    if (const LabelRow *row = byCard(SerialKey, &CardDescription::serial))
        return row;
    for (const LabelRow &row : rows) {
        if (row.key == placeKey) {
            problem.clear();
            return &row;
        }
    }
    if (!problem.empty())
        return nullptr;
    return byCard(VolumeLabelKey, &CardDescription::volumeLabel);
}
