// cards: the cards the editor would offer, with what tells them apart.
#include "card_list.h"
#include "command.h"
#include "platform/text.h"
#include "settings/card_scan.h"

#include <nlohmann/json.hpp>

namespace {

// Characters, not bytes, so that a label with accents keeps its column straight.
std::size_t displayWidth(std::string_view utf8)
{
    std::size_t width = 0;
    for (const char c : utf8)
        width += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return width;
}

std::string settingsColumn(const CardDescription &card)
{
    if (!card.holdsSettings)
        return "no file";
    if (!card.cameraLabel)
        return "unreadable";
    return "label \"" + PrintableText(*card.cameraLabel) + "\"";
}

class CardsCommand : public Command
{
public:
    CLI::App *define(CLI::App &parent) override
    {
        CLI::App *cards = parent.add_subcommand(
            "cards", "List the cards the editor would offer: removable drives formatted with FAT "
                     "or FAT32.");
        cards->add_flag("--json", json,
                        "Print a JSON array instead, one object a card with mountPath (null "
                        "when not mounted), device, volumeLabel, serial, fileSystem, "
                        "settingsFile and cameraLabel");
        cards->footer("Each card with its mount path, volume label, volume serial, file system, "
                      "and whether it holds\nVELOMAR/Kestra.cfg (\"no file\", \"unreadable\" or "
                      "the camera label of its settings).\nCards are found as the editor finds "
                      "them: through UDisks2, which also lists the cards\nnobody has mounted yet "
                      "(\"(not mounted)\"; deploy mounts them), or with lsblk where UDisks2\n"
                      "does not answer.\nExit status: 0 listed (also when there is no card), 1 "
                      "the drives could not be asked, 2 wrong usage.\n");
        return cards;
    }

    int run(const Io &io) override
    {
        CardDiscovery discovery;
        const std::vector<CardDescription> cards = discovery.scan();
        // The source has said why on stderr; an empty list would read as "no card".
        const int status = discovery.answered() ? kExitDone : kExitFailed;
        if (json)
            io.out << cardsJson(cards).dump(2) << "\n";
        else if (cards.empty())
            io.out << "No removable card found.\n";
        else
            io.out << cardsTable(cards);
        return status;
    }

private:
    static nlohmann::ordered_json cardsJson(const std::vector<CardDescription> &cards)
    {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const CardDescription &card : cards) {
            const bool mounted = !card.mountPath.empty();
            list.push_back({
                {"mountPath",
                 mounted ? nlohmann::ordered_json(card.mountPath) : nlohmann::ordered_json()},
                {"device", card.device},
                {"volumeLabel", card.volumeLabel},
                {"serial", card.serial},
                {"fileSystem", card.fileSystem},
                {"settingsFile", card.holdsSettings
                                     ? nlohmann::ordered_json(CardSettingsPath(card.mountPath))
                                     : nlohmann::ordered_json()},
                {"cameraLabel", card.cameraLabel ? nlohmann::ordered_json(*card.cameraLabel)
                                                 : nlohmann::ordered_json()},
            });
        }
        return list;
    }

    static std::string cardsTable(const std::vector<CardDescription> &cards)
    {
        std::vector<std::array<std::string, 5>> rows = {
            {"MOUNT PATH", "VOLUME LABEL", "SERIAL", "FS", "SETTINGS"}};
        for (const CardDescription &card : cards) {
            rows.push_back({card.mountPath.empty() ? std::string("(not mounted)")
                                                   : PrintableText(card.mountPath),
                            card.volumeLabel.empty() ? "-" : PrintableText(card.volumeLabel),
                            card.serial.empty() ? "-" : card.serial, card.fileSystem,
                            settingsColumn(card)});
        }
        std::array<std::size_t, 5> widths{};
        for (const auto &row : rows) {
            for (std::size_t column = 0; column < row.size(); ++column)
                widths[column] = std::max(widths[column], displayWidth(row[column]));
        }
        std::string text;
        for (const auto &row : rows) {
            for (std::size_t column = 0; column + 1 < row.size(); ++column)
                text +=
                    row[column] + std::string(widths[column] - displayWidth(row[column]) + 2, ' ');
            text += row.back() + "\n";
        }
        return text;
    }

    bool json = false;
};

} // namespace

std::unique_ptr<Command> MakeCardsCommand()
{
    return std::make_unique<CardsCommand>();
}
