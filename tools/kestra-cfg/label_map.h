#pragma once

// deploy's label map: a CSV file whose rows give a card, named by its volume serial, mount path
// or volume label, its camera label. The card and the label are the first two columns, a third
// holding notes, or the columns headed "card" and "label" wherever they are; columns beyond
// those are left empty.

#include "card_list.h"
#include "command.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Serials compare without their dash and in any case: "0a1b2c3d" names 0A1B-2C3D.
std::string SerialKey(std::string_view serial);

// FAT keeps volume labels in capitals; a person may not type them so.
std::string VolumeLabelKey(std::string_view label);

struct LabelRow
{
    int line = 0;
    std::string card;
    std::string key; // PlaceKey(card), for a row that names a card by its mount path
    std::string label;
};

class LabelMap
{
public:
    // The whole map is read and checked before any card is written: a bad row would otherwise
    // be found only at its card. nullopt after saying on io.err what is wrong, and where.
    static std::optional<LabelMap> read(const std::string &file, const Io &io);
    // The same for the bytes of `file`, read already.
    static std::optional<LabelMap> parse(std::string_view bytes, const std::string &file,
                                         const Io &io);

    // No rows: a map of a heading alone, or none at all.
    bool empty() const { return rows.empty(); }

    // The row for the card at `placeKey` (PlaceKey of its root), `card` being what the scan
    // found there (nullopt for a folder): by its serial, else its mount path, else its volume
    // label. A serial or volume label that more than one of `written` carries (a copied card
    // keeps its serial) names none of them, but leaves the card to a row that names its mount
    // path, the more precise name. nullptr when no row names the card, with `problem` empty,
    // or when only such a shared name does, with `problem` saying which row.
    const LabelRow *rowFor(const std::optional<CardDescription> &card, const std::string &placeKey,
                           const std::vector<CardDescription> &written, std::string &problem) const;

    const std::vector<LabelRow> &allRows() const { return rows; }
    const std::string &fileName() const { return file; }

private:
    std::string file;
    std::vector<LabelRow> rows;
};
