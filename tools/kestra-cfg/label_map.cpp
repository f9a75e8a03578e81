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

std::optional<LabelMap> LabelMap::read(const std::string &file, const Io &io)
{
    const std::optional<std::string> text = ReadInputFile(file, io);
    if (!text)
        return std::nullopt;
    std::string error;
    const auto csv = ParseCsv(*text, error);
    if (!csv) {
        io.err << file << ": " << error << "\n";
        return std::nullopt;
    }
    LabelMap map;
    map.file = file;
    for (const CsvRow &row : *csv) {
        const std::string where = file + ": line " + std::to_string(row.line) + ": ";
        if (row.line == csv->front().line && row.fields.size() == 2 &&
            UpperAscii(row.fields[0]) == "CARD" && UpperAscii(row.fields[1]) == "LABEL")
            continue; // the heading
        if (row.fields.size() != 2) {
            io.err << where << "expected two fields, the card and its camera label, not "
                   << row.fields.size() << "\n";
            return std::nullopt;
        }
        if (row.fields[0].empty()) {
            io.err << where << "the card is missing\n";
            return std::nullopt;
        }
        CameraSettings check;
        check.ResetAll();
        const NamedValue label{"label", row.fields[1]};
        if (auto refusal = ApplyNamedSettings(check, std::span(&label, 1))) {
            io.err << where << refusal->text() << "\n";
            return std::nullopt;
        }
        for (const LabelRow &earlier : map.rows) {
            if (UpperAscii(earlier.card) == UpperAscii(row.fields[0])) {
                io.err << where << row.fields[0] << " was given a label on line " << earlier.line
                       << " already\n";
                return std::nullopt;
            }
        }
        map.rows.push_back({row.line, row.fields[0], PlaceKey(row.fields[0]), row.fields[1]});
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
