// deploy: one settings file onto many cards, each with its station's camera label.
#include "card_list.h"
#include "command.h"
#include "csv.h"
#include "label_map.h"
#include "sha256.h"
#include "station.h"

#include "platform/text.h"
#include "resources/string_table.h"
#include "settings/card_scan.h"
#include "settings/date_time_values.h"
#include "settings/named_settings.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <fstream>

namespace {

// "YYYY-MM-DD HH:MM" into its five numbers; the reason when the text is not of that shape.
std::optional<std::string> readDateTime(std::string_view text, rules::SwitchOnFields &fields)
{
    constexpr const char *kShape = "Please enter the date and time as YYYY-MM-DD HH:MM.";
    // Each number ends at its separator; the minute ends the text.
    constexpr char kSeparators[] = {'-', '-', ' ', ':'};
    int *const numbers[] = {&fields.year, &fields.month, &fields.day, &fields.hour, &fields.minute};
    std::array<std::string_view, 5> parts;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const auto end = i < std::size(kSeparators) ? text.find(kSeparators[i]) : text.size();
        if (end == std::string_view::npos)
            return kShape;
        parts[i] = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    if (parts.back().find_first_of("-: ") != std::string_view::npos)
        return kShape;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string_view part = parts[i];
        const bool digits = !part.empty() && std::all_of(part.begin(), part.end(), [](char c) {
            return c >= '0' && c <= '9';
        });
        if (!digits ||
            std::from_chars(part.data(), part.data() + part.size(), *numbers[i]).ec != std::errc())
            return strings::kEnterInteger;
    }
    return std::nullopt;
}

// A folder that could not be made, in the terms of the file-error messages.
FileErrorCause causeOf(const std::error_code &error)
{
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory)
        return FileErrorCause::NotFound;
    if (error == std::errc::read_only_file_system)
        return FileErrorCause::ReadOnlyMedium;
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
        return FileErrorCause::AccessDenied;
    if (error == std::errc::no_space_on_device)
        return FileErrorCause::DiskFull;
    if (error == std::errc::io_error)
        return FileErrorCause::IoError;
    return FileErrorCause::Other;
}

// The time of a log row: UTC, so that rows written in different places and seasons sort.
std::string utcNow()
{
    const std::time_t now = std::time(nullptr);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
    return text;
}

// Reads the file back, one byte more than `expected` holds so that a longer file shows.
bool readsBackAs(const std::filesystem::path &path, std::span<const std::uint8_t> expected,
                 FileErrorCause &cause)
{
    platform::NativeFile file = platform::NativeFile::openForReading(path, cause);
    if (!file.isOpen())
        return false;
    std::vector<std::uint8_t> back(expected.size() + 1);
    const std::ptrdiff_t got = file.read(back, cause); // reads until full or at the end
    if (got < 0)
        return false;
    return std::size_t(got) == expected.size() &&
           std::equal(expected.begin(), expected.end(), back.begin());
}

// One card to write: a card the scan found, or a folder the command line named.
struct Target
{
    std::string name; // as the command line named it; the mount path for --all-cards
    std::string root; // where VELOMAR/ goes
    std::string key;  // PlaceKey(root), for comparing places
    std::optional<CardDescription> card;
    std::string problem; // why it is not written at all
};

// What happened to one card, for its line and its row of the log.
struct Outcome
{
    bool done = false;  // written and read back (in a dry run: would be written)
    std::string label;  // the camera label it got; empty when it failed before one was chosen
    std::string sha256; // of the bytes written
    std::string reason; // why it failed
};

class DeployCommand : public Command
{
public:
    CLI::App *define(CLI::App &parent) override
    {
        CLI::App *deploy = parent.add_subcommand(
            "deploy", "Write the settings of SETTINGS onto many cards, each with its camera "
                      "label.");
        addFileArgument(deploy, "SETTINGS", settingsFile,
                        "The settings file to copy (it must exist)");
        CLI::Option *cards =
            deploy
                ->add_option("CARD", cardNames,
                             "A card, by its mount path (or drive), volume serial or volume "
                             "label as 'cards' lists them, or any folder by its path")
                ->type_name("");
        CLI::Option *all =
            deploy->add_flag("--all-cards", allCards, "Every card that 'cards' lists");
        all->excludes(cards);
        CLI::Option *eachInserted = deploy->add_flag(
            "--each-inserted", station,
            "Station mode: wait for cards and write each one as it is inserted, then unmount it "
            "and say that it can be removed; ends after --count cards or on Ctrl-C (Linux)");
        eachInserted->excludes(cards)->excludes(all);
        deploy
            ->add_option("--count", stationOptions.count, "With --each-inserted: end after N cards")
            ->option_text("N")
            ->check(CLI::PositiveNumber)
            ->needs(eachInserted);
        deploy->add_flag("--quiet", stationOptions.quiet, "With --each-inserted: no bell")
            ->needs(eachInserted);
        deploy
            ->add_option("--labels", labelsFile,
                         "Give each card the camera label of its row in MAP.csv: card (volume "
                         "serial, mount path or volume label), camera label")
            ->option_text("MAP.csv");
        deploy
            ->add_option("--date-time", dateTime,
                         "The date and time at which the cameras will be switched on, so that "
                         "they set their clocks; without it the cards carry none")
            ->option_text("\"YYYY-MM-DD HH:MM\"");
        deploy->add_flag("--dry-run", dryRun, "Say what would be written, and write nothing")
            ->excludes(eachInserted);
        deploy
            ->add_option("--log", logFile,
                         "Append a row per card to LOG.csv: time (UTC), serial, mount path, "
                         "label, SHA-256 of the bytes written, result")
            ->option_text("LOG.csv");
        deploy->footer(
            "Each card gets the folder VELOMAR if it has none, then VELOMAR/Kestra.cfg, written as "
            "the editor\nwrites it and read back. One line per card says what happened; a card "
            "that fails does not stop\nthe others.\n"
            "With --each-inserted it waits for cards instead and writes each one as it is "
            "inserted, then\nunmounts it and says \"LABEL written: you can remove it\"; Ctrl-C "
            "ends it once the card being\nwritten is done, with a line that accounts for every "
            "card.\n"
            "Exit status: 0 every card written, 1 a card failed or an input was refused, 2 wrong "
            "usage.\n");
        deploy->callback([all, cards, eachInserted] {
            if (all->count() == 0 && cards->count() == 0 && eachInserted->count() == 0)
                throw CLI::RequiredError("CARD, --all-cards or --each-inserted");
        });
        return deploy;
    }

    int run(const Io &io) override
    {
#ifdef _WIN32
        // The station waits on UDisks2 or lsblk, which Windows has not; nothing is touched.
        if (station) {
            io.err << "kestra-cfg deploy: --each-inserted is not available on Windows\n";
            return kExitUsage;
        }
#endif
        CameraSettings settings;
        if (!ReadExistingSettings(settingsFile, settings, io))
            return kExitFailed;
        if (!applyDateTime(settings, io) || !readLabels(io))
            return kExitFailed;

        std::ofstream log;
        if (!logFile.empty() && !dryRun && !openLog(log, io))
            return kExitFailed;
        if (station)
            return runStation(settings, log, io);

        std::vector<Target> targets = findTargets();
        if (targets.empty()) {
            io.err << "No removable card found.\n";
            return kExitFailed;
        }
        // The cards of this run, among which a label map's serial or volume label must be unique.
        std::vector<CardDescription> written;
        for (const Target &target : targets) {
            if (target.card)
                written.push_back(*target.card);
        }
        int failed = 0;
        for (Target &target : targets) {
            const Outcome outcome = deployTo(target, written, settings);
            failed += outcome.done ? 0 : 1;
            io.out << lineFor(target, outcome) << std::flush;
            if (log.is_open() && !logRow(log, target, outcome)) {
                io.err << logFile << ": the log could not be written\n";
                return kExitFailed;
            }
        }
        if (failed > 0) {
            io.err << "kestra-cfg: " << failed << " of " << targets.size()
                   << (targets.size() == 1 ? " card" : " cards") << " failed\n";
            return kExitFailed;
        }
        return kExitDone;
    }

private:
    // Each card as it is inserted, written as any other card of deploy.
    int runStation(const CameraSettings &settings, std::ofstream &log, const Io &io)
    {
        discovery = std::make_unique<CardDiscovery>();
        bool logFailed = false;
        const int exitCode = RunStation(
            *discovery, stationOptions,
            [&](CardDescription &card) {
                const std::string place = card.mountPath.empty() ? card.device : card.mountPath;
                Target target{place, card.mountPath, PlaceKey(place), card, {}};
                const Outcome outcome = deployTo(target, {card}, settings);
                card = *target.card;
                if (log.is_open() && !logRow(log, target, outcome))
                    logFailed = true;
                return CardResult{outcome.done, outcome.label, outcome.reason};
            },
            io);
        if (logFailed) {
            io.err << logFile << ": the log could not be written\n";
            return kExitFailed;
        }
        return exitCode;
    }

    bool applyDateTime(CameraSettings &settings, const Io &io) const
    {
        if (dateTime.empty()) {
            // As the editor writes a card when the date dialog was not used.
            settings.SetLoadTime(0, 0, 0);
            settings.SetLoadDate(0, 0, 0);
            return true;
        }
        rules::SwitchOnFields fields{};
        std::optional<std::string> refusal = readDateTime(dateTime, fields);
        if (!refusal)
            refusal = SwitchOnRefusal(fields, rules::HourClock::TwentyFourHour);
        if (refusal) {
            io.err << "--date-time: " << *refusal << "\n";
            return false;
        }
        settings.SetLoadTime(fields.hour, fields.minute, 0);
        settings.SetLoadDate(fields.month, fields.day, fields.year - rules::kFirstSwitchOnYear);
        return true;
    }

    bool readLabels(const Io &io)
    {
        if (labelsFile.empty())
            return true;
        std::optional<LabelMap> map = LabelMap::read(labelsFile, io);
        if (!map)
            return false;
        labels = std::move(*map);
        return true;
    }

    bool openLog(std::ofstream &log, const Io &io) const
    {
        const std::filesystem::path path = platform::pathFromUtf8(logFile);
        std::error_code error;
        const bool fresh = std::filesystem::file_size(path, error) == 0 || error;
        log.open(path, std::ios::binary | std::ios::app);
        if (!log) {
            io.err << logFile << ": the log cannot be opened for appending\n";
            return false;
        }
        if (fresh)
            log << "time,serial,mount path,label,sha256,result\n" << std::flush;
        return static_cast<bool>(log);
    }

    bool logRow(std::ofstream &log, const Target &target, const Outcome &outcome) const
    {
        log << utcNow() << ',' << CsvField(target.card ? target.card->serial : "") << ','
            << CsvField(target.root) << ',' << CsvField(outcome.label) << ',' << outcome.sha256
            << ',' << CsvField(outcome.done ? "written" : "failed: " + outcome.reason) << "\n"
            << std::flush;
        return static_cast<bool>(log);
    }

    // The cards of --all-cards, or each CARD: a card the scan found by its mount path, serial
    // or volume label, else a folder by its path. The drives are only asked about when
    // something needs them, so that writing to folders does not wait for lsblk.
    std::vector<Target> findTargets()
    {
        std::vector<bool> folders;
        for (const std::string &name : cardNames) {
            std::error_code error;
            folders.push_back(std::filesystem::is_directory(platform::pathFromUtf8(name), error));
        }
        const bool scan = allCards || !labelsFile.empty() || !logFile.empty() ||
                          std::find(folders.begin(), folders.end(), false) != folders.end();
        std::vector<CardDescription> cards;
        if (scan) {
            discovery = std::make_unique<CardDiscovery>();
            cards = discovery->scan(CardDetail::Volume);
        }

        // A card nobody has mounted yet is known by its device until it is mounted.
        std::vector<std::string> cardKeys;
        for (const CardDescription &card : cards)
            cardKeys.push_back(PlaceKey(card.mountPath.empty() ? card.device : card.mountPath));
        std::vector<Target> targets;
        if (allCards) {
            for (std::size_t i = 0; i < cards.size(); ++i)
                targets.push_back(
                    {cards[i].mountPath.empty() ? cards[i].device : cards[i].mountPath,
                     cards[i].mountPath,
                     cardKeys[i],
                     cards[i],
                     {}});
            return targets;
        }
        for (std::size_t i = 0; i < cardNames.size(); ++i) {
            Target target = resolve(cardNames[i], folders[i], cards, cardKeys);
            // The same card named twice is written once.
            if (std::none_of(targets.begin(), targets.end(),
                             [&](const Target &other) { return other.key == target.key; }))
                targets.push_back(std::move(target));
        }
        return targets;
    }

    static Target resolve(const std::string &name, bool folder,
                          const std::vector<CardDescription> &cards,
                          const std::vector<std::string> &cardKeys)
    {
        const std::string key = PlaceKey(name);
        for (std::size_t i = 0; i < cards.size(); ++i) {
            if (cardKeys[i] == key)
                return {name, cards[i].mountPath, key, cards[i], {}};
        }
        std::vector<std::size_t> named;
        for (std::size_t i = 0; i < cards.size(); ++i) {
            if ((!cards[i].serial.empty() && SerialKey(cards[i].serial) == SerialKey(name)) ||
                (!cards[i].volumeLabel.empty() &&
                 VolumeLabelKey(cards[i].volumeLabel) == VolumeLabelKey(name)))
                named.push_back(i);
        }
        if (named.size() == 1)
            return {cards[named.front()].mountPath.empty() ? cards[named.front()].device : name,
                    cards[named.front()].mountPath,
                    cardKeys[named.front()],
                    cards[named.front()],
                    {}};
        if (named.size() > 1)
            return {name, name, key, std::nullopt,
                    "it names more than one card; name the card by its serial or mount path"};
        if (folder)
            return {name, name, key, std::nullopt, {}};
        return {name, name, key, std::nullopt, "there is no card or folder of this name"};
    }

    Outcome deployTo(Target &target, const std::vector<CardDescription> &written,
                     CameraSettings settings)
    {
        Outcome outcome;
        if (!target.problem.empty()) {
            outcome.reason = target.problem;
            return outcome;
        }
        if (!labels.empty()) {
            const LabelRow *row = labels.rowFor(target.card, target.key, written, outcome.reason);
            if (!row)
                return outcome;
            const NamedValue label{"label", row->label};
            ApplyNamedSettings(settings, std::span(&label, 1)); // checked when the map was read
        }
        outcome.label = Latin1ToUtf8(settings.Label());
        const auto bytes = EncodeSettingsFile(settings);
        if (dryRun) {
            outcome.done = true;
            return outcome;
        }
        // A card nobody had mounted is mounted for its write, and unmounted after it.
        if (target.card && target.card->mountPath.empty()) {
            if (auto why = discovery->mount(*target.card)) {
                outcome.reason = *why;
                return outcome;
            }
            target.root = target.card->mountPath;
        }
        const struct Unmount
        {
            CardDiscovery *discovery;
            std::optional<CardDescription> &card;
            ~Unmount()
            {
                if (card)
                    discovery->unmount(*card);
            }
        } unmount{discovery.get(), target.card};
        // Asked again just before the write: a card pulled out since the scan must not turn
        // into a write to the folder it was mounted on, nor another card put in its place.
        if (target.card) {
            if (auto why = discovery->whyNotThere(*target.card)) {
                outcome.reason = *why;
                return outcome;
            }
        }

        const std::string folder = platform::cardFolder(target.root);
        std::error_code error;
        if (!std::filesystem::is_directory(platform::pathFromUtf8(folder), error))
            std::filesystem::create_directory(platform::pathFromUtf8(folder), error);
        if (error) {
            outcome.reason = strings::FileErrorMessage(causeOf(error), folder);
            return outcome;
        }
        const std::string file = CardSettingsPath(target.root);
        const std::filesystem::path path = platform::pathFromUtf8(file);
        FileErrorCause cause = FileErrorCause::None;
        try {
            if (!WriteFileReplacing(path, bytes, cause)) {
                outcome.reason = strings::FileErrorMessage(cause, file);
                return outcome;
            }
        } catch (const MediumError &failure) {
            outcome.reason = strings::FileErrorMessage(failure.cause(), file);
            return outcome;
        }
        if (!readsBackAs(path, bytes, cause)) {
            outcome.reason = cause != FileErrorCause::None ? strings::FileErrorMessage(cause, file)
                                                           : "what was read back from " + file +
                                                                 " differs from what was written";
            return outcome;
        }
        outcome.done = true;
        if (!logFile.empty())
            outcome.sha256 = Sha256Hex(bytes);
        return outcome;
    }

    std::string lineFor(const Target &target, const Outcome &outcome) const
    {
        std::string line = PrintableText(target.root.empty() ? target.name : target.root);
        if (target.card && !target.card->serial.empty())
            line += " (" + target.card->serial + ")";
        if (!outcome.done)
            return line + ": failed: " + PrintableText(outcome.reason) + "\n";
        return line + (dryRun ? ": would be written" : ": written") + ", label \"" +
               PrintableText(outcome.label) + "\"\n";
    }

    std::string settingsFile;
    std::vector<std::string> cardNames;
    bool allCards = false;
    std::string labelsFile;
    std::string dateTime;
    bool dryRun = false;
    std::string logFile;
    bool station = false;
    StationOptions stationOptions;

    LabelMap labels;
    std::unique_ptr<CardDiscovery> discovery;
};

} // namespace

std::unique_ptr<Command> MakeDeployCommand()
{
    return std::make_unique<DeployCommand>();
}
