#include "station.h"

#include "report.h"

#include "platform/text.h"

#include <csignal>
#include <map>
#include <set>

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void stopAfterThisCard(int)
{
    interrupted = 1;
}

// Ctrl-C ends the wait at once, and a write only once it is done: a card is never left with a
// temporary file or half a settings file. Restores the previous handling when it goes.
class InterruptHandling
{
public:
    InterruptHandling()
    {
        interrupted = 0;
        previous = std::signal(SIGINT, stopAfterThisCard);
    }
    ~InterruptHandling() { std::signal(SIGINT, previous); }
    InterruptHandling(const InterruptHandling &) = delete;
    InterruptHandling &operator=(const InterruptHandling &) = delete;

private:
    void (*previous)(int) = SIG_DFL;
};

// A card as long as it stays in its reader; pulled out and inserted again, it is new.
std::string insertionKey(const CardDescription &card)
{
    return (card.device.empty() ? card.mountPath : card.device) + '\n' + card.serial;
}

// How a line names a card that has no camera label (yet).
std::string cardName(const CardDescription &card)
{
    const std::string place = card.mountPath.empty() ? card.device : card.mountPath;
    return PrintableText(place) + (card.serial.empty() ? "" : " (" + card.serial + ")");
}

// How often the drives are looked at where the system does not tell of new cards (lsblk).
constexpr int kLookEvery = 1000; // milliseconds

} // namespace

int RunStation(CardDiscovery &discovery, const StationOptions &options,
               const std::function<CardResult(CardDescription &)> &write, const Io &io)
{
    const InterruptHandling interruptHandling;
    const char *bell = options.quiet ? "" : "\a";
    io.out << "Waiting for cards: insert one, or press Ctrl-C to end.\n" << std::flush;

    // A card is known by its serial: put in again, it is skipped once written, and written
    // again once put right after a failure, counting once either way.
    std::map<std::string, std::string> writtenNames;         // by serial
    std::set<std::string> handled;                           // serials (or places, without one)
    std::vector<std::pair<std::string, std::string>> failed; // serial, name
    std::set<std::string> seen; // the cards in the readers that were handled
    auto finished = [&] { return options.count != 0 && int(handled.size()) >= options.count; };
    while (!interrupted && !finished()) {
        std::vector<CardDescription> inserted = discovery.scan(CardDetail::Volume);
        std::set<std::string> present;
        for (const CardDescription &card : inserted)
            present.insert(insertionKey(card));
        std::erase_if(seen, [&](const std::string &key) { return !present.count(key); });

        for (CardDescription &card : inserted) {
            if (interrupted || finished())
                break;
            if (!seen.insert(insertionKey(card)).second)
                continue;
            const std::string identity = card.serial.empty() ? insertionKey(card) : card.serial;
            if (const auto done = writtenNames.find(identity); done != writtenNames.end()) {
                discovery.unmount(card, CardDiscovery::Unmount::Always);
                io.out << done->second << " was written already in this run: skipped, you can "
                       << "remove it" << bell << "\n"
                       << std::flush;
                continue;
            }
            const CardResult result = write(card);
            discovery.unmount(card, CardDiscovery::Unmount::Always);
            handled.insert(identity);
            std::erase_if(failed, [&](const auto &entry) { return entry.first == identity; });
            // Named by its camera label, which is on its sticker.
            const std::string label = PrintableText(result.label);
            const std::string serial = card.serial.empty() ? "" : " (" + card.serial + ")";
            if (result.written) {
                writtenNames[identity] = label.empty() ? cardName(card) : label + serial;
                io.out << (label.empty() ? cardName(card) : label) << " written: you can remove it"
                       << bell << "\n";
            } else {
                // "CAM03 (write-protected)", "/dev/sdb1 (9F9F-0009, no label)".
                std::string name = label.empty() ? cardName(card) : label;
                if (name.back() == ')')
                    name.insert(name.size() - 1, ", " + result.cause);
                else
                    name += " (" + result.cause + ")";
                failed.emplace_back(identity, name);
                io.out << (label.empty() ? cardName(card) : label + serial)
                       << ": failed: " << PrintableText(result.reason) << bell << "\n";
            }
            io.out << std::flush;
        }
        if (!interrupted && !finished())
            discovery.waitForChange(kLookEvery);
    }
    std::vector<std::string> failedNames;
    for (const auto &entry : failed)
        failedNames.push_back(entry.second);
    io.out << RunAccount(handled.size(), failedNames) << "\n" << std::flush;
    return failed.empty() ? kExitDone : kExitFailed;
}
