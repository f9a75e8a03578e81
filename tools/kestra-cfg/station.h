#pragma once

// deploy --each-inserted: one card reader, many cards, each written as it is inserted.

#include "card_list.h"
#include "command.h"

#include <functional>
#include <string>
#include <vector>

// What became of one card, for its line and the run's last line.
struct CardResult
{
    bool written = false;
    std::string label;  // the camera label written; empty when it failed before one was chosen
    std::string reason; // why it failed
    std::string cause;  // and in a word or two, for the run's last line
};

struct StationOptions
{
    int count = 0; // end after this many cards; 0: only on Ctrl-C
    bool quiet = false;
};

// Waits for cards and writes each new one with `write` as it arrives, mounted where it was not:
// `write` checks the card and writes it as deploy does, unmounting what it mounted. Afterwards
// the card is unmounted (never powered off: the reader must see the next card) and a line says
// it can be removed, with a bell unless `quiet`. A card written already in this run is known by
// its volume serial and skipped; one that failed is tried again when it is put in again. Ends
// after `count` cards (each counted once), or on Ctrl-C once the card being written is done,
// with the run's account (RunAccount()); the exit code is deploy's.
int RunStation(CardDiscovery &discovery, const StationOptions &options,
               const std::function<CardResult(CardDescription &)> &write, const Io &io);
