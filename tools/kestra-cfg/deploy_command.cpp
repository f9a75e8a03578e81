// deploy: one settings file onto many cards, each with its station's camera label.
#include "card_list.h"
#include "command.h"
#include "csv.h"
#include "date_time_text.h"
#include "label_map.h"
#include "report.h"
#include "sha256.h"
#include "station.h"

#include "platform/card_lock.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "settings/card_scan.h"
#include "settings/date_time_values.h"
#include "settings/named_setting_labels.h"
#include "settings/replaced_copies.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <map>
#include <set>

namespace {

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

// Another run that holds a card is writing it right now; a moment is enough for that to end,
// and a run that holds it longer is not waited for: the card fails and the others go on.
constexpr std::chrono::milliseconds kLockPatience{500};

// Why a card was not written: the whole reason for its line, a few words for the run's last
// line, and what to do about it.
struct Failure
{
    std::string reason;
    std::string cause;
    std::string remedy;
};

constexpr const char *kInsertAgain = "Insert the card again and run the command again.";

Failure fileFailure(FileErrorCause cause, const std::string &file)
{
    const std::string reason = strings::FileErrorMessage(cause, file);
    switch (cause) {
    case FileErrorCause::ReadOnlyMedium:
        return {reason, "write-protected",
                "Switch off the card's write-protect (the slider on its side) and run the command "
                "again."};
    case FileErrorCause::DiskFull:
        return {reason, "card full", "Free space on the card and run the command again."};
    case FileErrorCause::IoError:
        return {reason, "card error",
                "Insert the card again and run the command again; replace the card if it fails "
                "again."};
    case FileErrorCause::AccessDenied:
        return {reason, "access denied",
                "Make sure that you may write there (or remove what is in the way) and run the "
                "command again."};
    case FileErrorCause::NotFound:
        return {reason, "not found", kInsertAgain};
    case FileErrorCause::None:
    case FileErrorCause::Other:
        break;
    }
    return {reason, "write error", kInsertAgain};
}

// A file error in a few words, for a log that cannot be written.
const char *causeWords(FileErrorCause cause)
{
    switch (cause) {
    case FileErrorCause::NotFound:
        return "its folder does not exist";
    case FileErrorCause::AccessDenied:
        return "access denied";
    case FileErrorCause::ReadOnlyMedium:
        return "read-only file system";
    case FileErrorCause::DiskFull:
        return "disk full";
    case FileErrorCause::IoError:
        return "I/O error";
    case FileErrorCause::None:
    case FileErrorCause::Other:
        break;
    }
    return "unknown error";
}

// Reading a card's file to compare with it or keep its label: a file that cannot be read is
// said in the card's line, not in a message of its own.
class SilentMessages : public SettingsFileMessages
{
public:
    void ShowFileError(int) override {}
};

// What a card holds now.
enum class OnCard
{
    Nothing,
    Unreadable,
    Settings,
};

OnCard readCard(const std::filesystem::path &path, CameraSettings &held)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, error)))
        return OnCard::Nothing;
    SilentMessages messages;
    try {
        return ReadSettingsFile(held, path, messages) ? OnCard::Settings : OnCard::Unreadable;
    } catch (const MediumError &) {
        return OnCard::Unreadable;
    }
}

// One line of JSON Lines. A path that is no UTF-8 (Linux allows any bytes) gets U+FFFD where
// it is not, rather than ending the run.
std::string jsonLine(const nlohmann::ordered_json &object)
{
    return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::uint64_t wholeBlocks(std::uint64_t bytes, std::uint64_t blockSize)
{
    return (bytes + blockSize - 1) / blockSize * blockSize;
}

// deploy's log. Each row goes out in one write to a file opened for appending, so that the
// rows of two runs sharing a log cannot interleave.
class DeployLog
{
public:
    static constexpr const char *kHeading =
        "time,serial,mount path,label,sha256,result,settings sha256,date-time,version\n";

    DeployLog() = default;
    DeployLog(const DeployLog &) = delete;
    DeployLog &operator=(const DeployLog &) = delete;
    ~DeployLog()
    {
        if (file)
            std::fclose(file);
    }

    // Opens `name` for appending, with the heading when it is new; the reason when it cannot.
    std::optional<std::string> open(const std::string &name)
    {
        const std::filesystem::path path = platform::pathFromUtf8(name);
        std::error_code error;
        const bool fresh = std::filesystem::file_size(path, error) == 0 || error;
#ifdef _WIN32
        file = _wfopen(path.c_str(), L"ab");
#else
        file = std::fopen(path.c_str(), "ab");
#endif
        if (!file)
            return causeWords(causeOf(std::error_code(errno, std::generic_category())));
        // Larger than any row, so that a row is one write.
        std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
        if (fresh)
            return append(kHeading);
        return std::nullopt;
    }

    // What a dry run can tell without writing: whether `name` could be opened for appending.
    static std::optional<std::string> couldOpen(const std::string &name)
    {
        const std::filesystem::path path = platform::pathFromUtf8(name);
        std::error_code error;
        FileErrorCause cause = FileErrorCause::None;
        if (std::filesystem::exists(path, error)) {
            if (!platform::canReplaceFile(path, cause))
                return causeWords(cause);
            return std::nullopt;
        }
        std::filesystem::path folder = path.parent_path();
        if (folder.empty())
            folder = ".";
        if (!std::filesystem::is_directory(folder, error))
            return causeWords(FileErrorCause::NotFound);
        const auto room = platform::mediumRoom(folder, cause);
        if (!room)
            return causeWords(cause);
        if (room->readOnly)
            return causeWords(FileErrorCause::ReadOnlyMedium);
        if (!platform::canCreateIn(folder, cause))
            return causeWords(cause);
        return std::nullopt;
    }

    // The row whole, or nothing more of it; the reason when it could not be written.
    std::optional<std::string> append(const std::string &row)
    {
        errno = 0;
        if (std::fwrite(row.data(), 1, row.size(), file) != row.size() || std::fflush(file) != 0)
            return causeWords(causeOf(std::error_code(errno, std::generic_category())));
        return std::nullopt;
    }

private:
    std::FILE *file = nullptr;
    std::vector<char> buffer = std::vector<char>(1 << 16);
};

// One card to write: a card the scan found, or a folder given with --folder.
struct Target
{
    Target(std::string name, std::string root, std::optional<CardDescription> card = {})
        : name(std::move(name)), root(std::move(root)), key(PlaceKey(this->root)),
          card(std::move(card))
    {}

    std::string name; // as the command line named it; the mount path for --all-cards
    std::string root; // where VELOMAR/ goes
    std::string key;  // PlaceKey(root), for comparing places
    std::optional<CardDescription> card;
    bool folder = false;
    std::optional<Failure> problem; // why it is not written at all
    const LabelRow *row = nullptr;  // the label map's row for it
};

// What happened to one card, for its line and its row of the log.
struct Outcome
{
    bool done = false;                // written and read back (in a dry run: would be written)
    std::optional<std::string> label; // the camera label it got; none when it failed before
    std::string sha256;               // of the bytes written
    std::optional<Failure> failure;
    // A dry run's comparison with what the card holds now.
    OnCard held = OnCard::Nothing;
    std::vector<SettingDifference> changes;
    bool switchOnChanges = false;
    // Why the settings the card held could not be kept on this computer before the write.
    std::optional<std::string> notKept;
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
                             "label as 'cards' lists them")
                ->type_name("");
        CLI::Option *all =
            deploy->add_flag("--all-cards", allCards, "Every card that 'cards' lists");
        all->excludes(cards);
        CLI::Option *folders =
            deploy
                ->add_option("--folder", folderNames,
                             "Write into the folder DIR as if it were a card (a card image, "
                             "files to copy later); may be given more than once")
                ->option_text("DIR");
        CLI::Option *eachInserted = deploy->add_flag(
            "--each-inserted", station,
            "Station mode: wait for cards and write each one as it is inserted, then unmount it "
            "and say that it can be removed; ends after --count cards or on Ctrl-C (Linux)");
        eachInserted->excludes(cards)->excludes(all)->excludes(folders);
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
        deploy->add_flag("--keep-labels", keepLabels,
                         "Keep the camera label of the settings each card holds; with --labels, "
                         "the cards the map names get its label");
        deploy
            ->add_option("--date-time", dateTime,
                         "The date and time at which the cameras will be switched on, so that "
                         "they set their clocks; without it the cards carry none")
            ->option_text("\"YYYY-MM-DD HH:MM\"");
        deploy->add_flag("--dry-run", dryRun,
                         "Rehearse: check every card as the real run would and say which "
                         "settings would change on it; write nothing")
            ->excludes(eachInserted);
        deploy->add_flag("--json", json,
                         "Print JSON Lines instead: one object per card as it is done, then one "
                         "object with the account of the run");
        deploy
            ->add_option("--log", logFile,
                         "Append a row per card to LOG.csv: time (UTC), serial (or \"folder\"), "
                         "mount path, label, SHA-256 of the bytes written, result, SHA-256 of "
                         "SETTINGS, --date-time, version of kestra-cfg")
            ->option_text("LOG.csv");
        deploy->footer(
            "Each card gets the folder VELOMAR if it has none, then VELOMAR/Kestra.cfg, written as "
            "the editor\nwrites it and read back. A card is looked for again just before it is "
            "written, and held\nagainst other runs until it is read back. One line per card says "
            "what happened; a card that\nfails does not stop the others. The last line accounts "
            "for the whole run.\n"
            "With --each-inserted it waits for cards instead and writes each one as it is "
            "inserted, then\nunmounts it and says \"LABEL written: you can remove it\"; Ctrl-C "
            "ends it once the card being\nwritten is done, with a line that accounts for every "
            "card.\n"
            "Exit status: 0 every card written, 1 a card failed or an input was refused, 2 wrong "
            "usage.\n");
        deploy->callback([all, cards, folders, eachInserted] {
            if (all->count() == 0 && cards->count() == 0 && folders->count() == 0 &&
                eachInserted->count() == 0)
                throw CLI::RequiredError("CARD, --all-cards, --folder or --each-inserted");
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
        const std::optional<std::string> settingsBytes = ReadInputFile(settingsFile, io);
        if (!settingsBytes)
            return kExitFailed;
        settingsSha256 = Sha256Hex(std::span(
            reinterpret_cast<const std::uint8_t *>(settingsBytes->data()), settingsBytes->size()));
        if (!applyDateTime(settings, io) || !readLabels(io))
            return kExitFailed;

        // Before any card is touched: a run whose log cannot be kept is not started.
        DeployLog log;
        if (!logFile.empty()) {
            const auto why = dryRun ? DeployLog::couldOpen(logFile) : log.open(logFile);
            if (why) {
                io.err << logFile << ": cannot be written: " << *why << "\n";
                return kExitFailed;
            }
        }

        if (station)
            return runStation(settings, log, io);

        std::vector<std::string> notes;
        std::vector<Target> targets = findTargets(notes);
        if (targets.empty()) {
            for (const std::string &note : notes) // drives passed over
                io.err << PrintableText(note) << "\n";
            io.err << "No removable card found.\n";
            return kExitFailed;
        }
        chooseRows(targets, notes);

        std::vector<Outcome> outcomes;
        for (Target &target : targets) {
            outcomes.push_back(deployTo(target, settings));
            const Outcome &outcome = outcomes.back();
            if (outcome.notKept && !notKeptSaid) {
                io.err << "kestra-cfg: " << PrintableText(*outcome.notKept) << "\n";
                notKeptSaid = true;
            }
            if (json)
                io.out << jsonLine(cardJson(target, outcome)) << std::flush;
            else
                io.out << lineFor(target, outcome) << std::flush;
            if (!dryRun && !logFile.empty()) {
                if (const auto why = log.append(logRow(target, outcome))) {
                    io.err << logFile << ": cannot be written: " << *why << "\n";
                    return kExitFailed;
                }
            }
        }
        noteSharedLabels(targets, outcomes, notes);

        const std::string last = summary(targets, outcomes);
        if (json) {
            io.out << jsonLine(summaryJson(targets, outcomes, notes, last));
        } else {
            for (const std::string &note : notes)
                io.out << PrintableText(note) << "\n";
            io.out << last << "\n";
        }
        const bool failed = std::any_of(outcomes.begin(), outcomes.end(),
                                        [](const Outcome &outcome) { return !outcome.done; });
        return failed ? kExitFailed : kExitDone;
    }

private:
    // Each card as it is inserted, written as any other card of deploy.
    int runStation(const CameraSettings &settings, DeployLog &log, const Io &io)
    {
        discovery = std::make_unique<CardDiscovery>();
        std::optional<std::string> logFailure;
        const int exitCode = RunStation(
            *discovery, stationOptions,
            [&](CardDescription &card) {
                const std::string place = card.mountPath.empty() ? card.device : card.mountPath;
                std::vector<Target> one{Target(place, card.mountPath, card)};
                one.front().key = PlaceKey(place);
                std::vector<std::string> unusedRows; // every row but one is unused here
                chooseRows(one, unusedRows);
                Target &target = one.front();
                const Outcome outcome = deployTo(target, settings);
                card = *target.card;
                if (outcome.notKept && !notKeptSaid) {
                    io.err << "kestra-cfg: " << PrintableText(*outcome.notKept) << "\n";
                    notKeptSaid = true;
                }
                if (!logFile.empty() && !logFailure)
                    logFailure = log.append(logRow(target, outcome));
                if (!outcome.failure)
                    return CardResult{outcome.done, outcome.label.value_or(""), {}, {}};
                const Failure &failure = *outcome.failure;
                return CardResult{outcome.done, outcome.label.value_or(""),
                                  failureText(failure), failure.cause};
            },
            io);
        if (logFailure) {
            io.err << logFile << ": cannot be written: " << *logFailure << "\n";
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

    std::string logRow(const Target &target, const Outcome &outcome) const
    {
        const std::string serial = target.folder ? "folder"
                                   : target.card ? target.card->serial
                                                 : std::string();
        const std::string result = outcome.done ? "written" : "failed: " + outcome.failure->reason;
        return utcNow() + ',' + CsvField(serial) + ',' + CsvField(target.root) + ',' +
               CsvField(outcome.label.value_or("")) + ',' + outcome.sha256 + ',' +
               CsvField(result) + ',' + settingsSha256 + ',' + CsvField(dateTime) + ',' +
               KESTRA_CFG_VERSION + "\n";
    }

    // The cards of --all-cards or each CARD, as the scan found them, then each --folder. The
    // drives are only asked about when a card is named, so that writing to folders does not
    // wait for the scan.
    std::vector<Target> findTargets(std::vector<std::string> &notes)
    {
        std::vector<CardDescription> cards;
        std::vector<SkippedDrive> skipped;
        if (allCards || !cardNames.empty()) {
            discovery = std::make_unique<CardDiscovery>();
            cards = discovery->scan(CardDetail::Volume, &skipped);
        }
        // A card nobody has mounted yet is known by its device until it is mounted.
        std::vector<std::string> cardKeys;
        for (const CardDescription &card : cards)
            cardKeys.push_back(PlaceKey(card.mountPath.empty() ? card.device : card.mountPath));
        std::vector<Target> named;
        if (allCards) {
            for (std::size_t i = 0; i < cards.size(); ++i)
                named.push_back(cardTarget(cards[i].mountPath.empty() ? cards[i].device
                                                                      : cards[i].mountPath,
                                           cards[i], cardKeys[i]));
            // A card formatted by a camera of another make, or a computer, is passed over.
            for (const SkippedDrive &drive : skipped) {
                const std::string name =
                    UpperAscii(std::string(WithoutBlanks(drive.fileSystemName)));
                notes.push_back(drive.root + " skipped: " + (name == "EXFAT" ? "exFAT" : name) +
                                ", not FAT; the cameras read FAT and FAT32 only");
            }
        }
        for (const std::string &name : cardNames)
            named.push_back(resolve(name, cards, cardKeys));
        for (const std::string &name : folderNames)
            named.push_back(folderTarget(name));

        // The same card named twice, in whatever spelling, is written once.
        std::vector<Target> targets;
        for (Target &target : named) {
            const auto first = std::find_if(targets.begin(), targets.end(), [&](const Target &t) {
                return !t.problem && !target.problem && t.key == target.key;
            });
            if (first == targets.end()) {
                targets.push_back(std::move(target));
                continue;
            }
            notes.push_back(first->name + " and " + target.name +
                            " name the same card: it is written once");
        }
        return targets;
    }

    static Target resolve(const std::string &name, const std::vector<CardDescription> &cards,
                          const std::vector<std::string> &cardKeys)
    {
        const std::string key = PlaceKey(name);
        for (std::size_t i = 0; i < cards.size(); ++i) {
            if (cardKeys[i] == key)
                return cardTarget(name, cards[i], cardKeys[i]);
        }
        std::vector<std::size_t> named;
        for (std::size_t i = 0; i < cards.size(); ++i) {
            if ((!cards[i].serial.empty() && SerialKey(cards[i].serial) == SerialKey(name)) ||
                (!cards[i].volumeLabel.empty() &&
                 VolumeLabelKey(cards[i].volumeLabel) == VolumeLabelKey(name)))
                named.push_back(i);
        }
        if (named.size() == 1) {
            const std::size_t i = named.front();
            return cardTarget(cards[i].mountPath.empty() ? cards[i].device : name, cards[i],
                              cardKeys[i]);
        }
        Target target(name, name);
        if (named.size() > 1) {
            target.problem = {"it names more than one card", "ambiguous name",
                              "Name the card by its serial or mount path."};
            return target;
        }
        // A mount folder whose card was pulled out is still a folder: only the scan can tell.
        std::error_code error;
        const bool folder = std::filesystem::is_directory(platform::pathFromUtf8(name), error);
        target.problem = {"there is no card of this name", "no such card",
                          folder ? "Insert the card and wait until it is mounted; to write into "
                                   "a plain folder, give it with --folder."
                                 : "Check the name with 'kestra-cfg cards', or insert the card."};
        return target;
    }

    // A card the scan found; one nobody has mounted has no root until it is mounted.
    static Target cardTarget(const std::string &name, const CardDescription &card,
                             const std::string &key)
    {
        Target target(name, card.mountPath, card);
        target.key = key;
        return target;
    }

    static Target folderTarget(const std::string &name)
    {
        Target target(name, name);
        target.folder = true;
        std::error_code error;
        if (!std::filesystem::is_directory(platform::pathFromUtf8(name), error))
            target.problem = {"there is no folder of this name", "no such folder",
                              "Check the path, or make the folder first."};
        return target;
    }

    // Each target's row of the label map, before any card is written; the rows that gave no
    // card its label are said in the account.
    void chooseRows(std::vector<Target> &targets, std::vector<std::string> &notes) const
    {
        if (labels.empty())
            return;
        // The cards of this run, among which a serial or volume label must be unique.
        std::vector<CardDescription> cards;
        for (const Target &target : targets) {
            if (target.card)
                cards.push_back(*target.card);
        }
        std::set<const LabelRow *> used;
        for (Target &target : targets) {
            if (target.problem)
                continue;
            std::string problem;
            target.row = labels.rowFor(target.card, target.key, cards, problem);
            if (target.row)
                used.insert(target.row);
            else if (!problem.empty())
                target.problem = {problem, "ambiguous label map row",
                                  "Name these cards by serial or mount path in " +
                                      labels.fileName() + "."};
            else if (!keepLabels)
                target.problem = {"no row of " + labels.fileName() + " names this card", "no label",
                                  "Add a row for the card to " + labels.fileName() + "."};
        }
        // One line however many: a map of the whole fleet written in batches leaves many.
        std::string unused;
        std::size_t count = 0;
        for (const LabelRow &row : labels.allRows()) {
            if (used.count(&row))
                continue;
            ++count;
            unused += (unused.empty() ? "" : ", ") + std::string("line ") +
                      std::to_string(row.line) + " (" + row.card + ")";
        }
        if (count > 0)
            notes.push_back(std::to_string(count) + (count == 1 ? " row" : " rows") + " of " +
                            labels.fileName() + " gave no card its label: " + unused);
    }

    static void noteSharedLabels(const std::vector<Target> &targets,
                                 const std::vector<Outcome> &outcomes,
                                 std::vector<std::string> &notes)
    {
        std::map<std::string, std::vector<std::size_t>> byLabel;
        for (std::size_t i = 0; i < outcomes.size(); ++i) {
            if (outcomes[i].done)
                byLabel[*outcomes[i].label].push_back(i);
        }
        for (const auto &[label, cards] : byLabel) {
            if (cards.size() < 2)
                continue;
            std::string names;
            for (const std::size_t i : cards)
                names += (names.empty() ? "" : ", ") + nameOf(targets[i]);
            notes.push_back(std::to_string(cards.size()) + " cards have the label \"" + label +
                            "\": " + names);
        }
    }

    // Whether the card is still the one the scan found at its place, asked afresh.
    std::optional<Failure> missing(const Target &target) const
    {
        if (!target.card)
            return std::nullopt;
        const auto why = discovery->whyNotThere(*target.card);
        if (!why)
            return std::nullopt;
        if (*why == "another card is in its place now")
            return Failure{*why, "another card in its place",
                           "Insert the card that was listed and run the command again."};
        return Failure{*why, "pulled out", kInsertAgain};
    }

    static std::optional<Failure> linkAt(const std::filesystem::path &path, const std::string &text)
    {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error)))
            return std::nullopt;
        return Failure{text + " is a symbolic link, which is never written through",
                       "symbolic link", "Put a real folder or file in its place."};
    }

    Outcome deployTo(Target &target, CameraSettings settings) const
    {
        Outcome outcome;
        auto fail = [&outcome](Failure failure) {
            outcome.failure = std::move(failure);
            return outcome;
        };
        if (target.problem)
            return fail(*target.problem);
        if (target.row) {
            const NamedValue label{"label", target.row->label};
            ApplyNamedSettings(settings, std::span(&label, 1)); // checked when the map was read
            outcome.label = target.row->label;
        }
        // A card nobody had mounted is mounted for its write, and unmounted after it.
        if (target.card && target.card->mountPath.empty()) {
            if (auto why = discovery->mount(*target.card))
                return fail({*why, "not mounted",
                             "Mount the card with your file manager, then run the command "
                             "again."});
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

        const std::string folder = platform::cardFolder(target.root);
        const std::filesystem::path folderPath = platform::pathFromUtf8(folder);
        const std::string file = CardSettingsPath(target.root);
        const std::filesystem::path path = platform::pathFromUtf8(file);
        if (auto link = linkAt(folderPath, folder))
            return fail(*link);
        std::error_code error;
        const bool hadFolder = std::filesystem::is_directory(folderPath, error);
        // A card pulled out leaves its mount folder on this computer's disk: nothing is made
        // there before the card was found again.
        if (!hadFolder) {
            if (auto gone = missing(target))
                return fail(*gone);
            if (!dryRun && !std::filesystem::create_directory(folderPath, error) && error)
                return fail(fileFailure(causeOf(error), folder));
        }
        // From the check to the read-back, no other run writes the card.
        std::optional<platform::CardLock> lock;
        if (target.card && (hadFolder || !dryRun)) {
            lock.emplace(target.root, kLockPatience);
            if (auto gone = missing(target))
                return fail(*gone);
            if (!lock->held())
                return fail({"in use by another kestra-cfg run", "in use",
                             "Wait until the other run has finished, then run the command "
                             "again."});
        }
        if (auto link = linkAt(path, file))
            return fail(*link);

        CameraSettings held;
        if (keepLabels || dryRun)
            outcome.held = readCard(path, held);
        if (!target.row && keepLabels) {
            if (outcome.held != OnCard::Settings)
                return fail({"it holds no settings whose camera label could be kept",
                             "no label to keep",
                             "Give the card a row in a label map (--labels), or leave out "
                             "--keep-labels."});
            settings.SetLabel(held.Label());
        }
        outcome.label = Latin1ToUtf8(settings.Label());
        const auto bytes = EncodeSettingsFile(settings);
        if (dryRun) {
            if (auto refusal =
                    rehearse(hadFolder ? folderPath : platform::pathFromUtf8(target.root),
                             !hadFolder, path, file, bytes.size()))
                return fail(*refusal);
            if (outcome.held == OnCard::Settings) {
                outcome.changes = NamedSettingDifferences(held, settings);
                outcome.switchOnChanges = SwitchOnText(held) != SwitchOnText(settings);
            }
            outcome.done = true;
            return outcome;
        }

        outcome.notKept = replaced.keep(path, target.card ? target.card->serial : std::string(),
                                        bytes, std::time(nullptr));
        FileErrorCause cause = FileErrorCause::None;
        try {
            if (!WriteFileReplacing(path, bytes, cause))
                return fail(fileFailure(cause, file));
        } catch (const MediumError &failure) {
            return fail(fileFailure(failure.cause(), file));
        }
        if (!readsBackAs(path, bytes, cause)) {
            if (cause != FileErrorCause::None)
                return fail(fileFailure(cause, file));
            return fail({"what was read back from " + file + " differs from what was written",
                         "read back differs",
                         "Run the command again; replace the card if it fails again."});
        }
        outcome.done = true;
        outcome.sha256 = Sha256Hex(bytes);
        return outcome;
    }

    // What the write would meet on the medium: a read-only mount, access rights, too little
    // room for a new file where no old one can take the bytes in place. `where` is the folder
    // the write makes its files in: VELOMAR, or the card's root when it `makesFolder`.
    static std::optional<Failure> rehearse(const std::filesystem::path &where, bool makesFolder,
                                           const std::filesystem::path &path,
                                           const std::string &file, std::size_t size)
    {
        FileErrorCause cause = FileErrorCause::None;
        const auto room = platform::mediumRoom(where, cause);
        if (!room)
            return fileFailure(cause, file);
        if (room->readOnly)
            return fileFailure(FileErrorCause::ReadOnlyMedium, file);
        if (!platform::canCreateIn(where, cause) || !platform::canReplaceFile(path, cause))
            return fileFailure(cause, file);
        std::error_code error;
        const std::uint64_t needed =
            wholeBlocks(size, room->blockSize) + (makesFolder ? room->blockSize : 0);
        const bool newFits = room->freeBytes >= needed &&
                             (!room->freeEntries || *room->freeEntries >= (makesFolder ? 2u : 1u));
        const std::uint64_t old = std::filesystem::is_regular_file(path, error)
                                      ? std::filesystem::file_size(path, error)
                                      : 0;
        const bool fitsInPlace =
            !error && old > 0 &&
            wholeBlocks(old, room->blockSize) >= wholeBlocks(size, room->blockSize);
        if (!newFits && !fitsInPlace)
            return fileFailure(FileErrorCause::DiskFull, file);
        return std::nullopt;
    }

    // A card as its line names it: its place, and its serial or that it is a folder.
    static std::string nameOf(const Target &target)
    {
        std::string name = PrintableText(target.root.empty() ? target.name : target.root);
        if (target.folder)
            return name + " (folder)";
        if (target.card && !target.card->serial.empty())
            name += " (" + target.card->serial + ")";
        return name;
    }

    // What went wrong and what to do, as one text.
    static std::string failureText(const Failure &failure)
    {
        const bool sentence = !failure.reason.empty() && failure.reason.back() == '.';
        return PrintableText(failure.reason) + (sentence ? " " : ". ") +
               PrintableText(failure.remedy);
    }

    std::string lineFor(const Target &target, const Outcome &outcome) const
    {
        const std::string name = nameOf(target);
        if (!outcome.done)
            return name + ": failed: " + failureText(*outcome.failure) + "\n";
        std::string line = name + (dryRun ? ": would be written" : ": written") + ", label \"" +
                           PrintableText(*outcome.label) + "\"";
        if (dryRun) {
            if (outcome.held == OnCard::Nothing) {
                line += "; the card holds no settings yet";
            } else if (outcome.held == OnCard::Unreadable) {
                line += "; the settings it holds cannot be read";
            } else if (outcome.changes.empty() && !outcome.switchOnChanges) {
                line += "; no setting changes";
            } else {
                std::string names;
                for (const SettingDifference &change : outcome.changes)
                    names += (names.empty() ? "" : ", ") + std::string(change.setting->name);
                if (outcome.switchOnChanges)
                    names += std::string(names.empty() ? "" : ", ") + "switch-on date and time";
                line += "; changes " + names;
            }
        }
        return line + "\n";
    }

    // The run's last line: how many cards were written, and each that failed with its cause.
    std::string summary(const std::vector<Target> &targets,
                        const std::vector<Outcome> &outcomes) const
    {
        std::vector<std::string> failed;
        for (std::size_t i = 0; i < outcomes.size(); ++i) {
            if (outcomes[i].done)
                continue;
            std::string name = nameOf(targets[i]);
            const std::string cause = outcomes[i].failure->cause;
            // "E: (0A1B-2C3D)" and a cause: "E: (0A1B-2C3D, write-protected)".
            if (name.back() == ')')
                name.insert(name.size() - 1, ", " + cause);
            else
                name += " (" + cause + ")";
            failed.push_back(name);
        }
        return RunAccount(outcomes.size(), failed, dryRun);
    }

    nlohmann::ordered_json cardJson(const Target &target, const Outcome &outcome) const
    {
        using Json = nlohmann::ordered_json;
        Json card = {
            {"card", target.name},
            {"mountPath", target.root},
            {"serial",
             target.card && !target.card->serial.empty() ? Json(target.card->serial) : Json()},
            {"folder", target.folder},
            {"label", outcome.label ? Json(*outcome.label) : Json()},
            {"result", !outcome.done ? "failed"
                       : dryRun      ? "would be written"
                                     : "written"},
        };
        if (outcome.done && !dryRun)
            card["sha256"] = outcome.sha256;
        if (!outcome.done) {
            card["cause"] = outcome.failure->cause;
            card["reason"] = outcome.failure->reason;
            card["remedy"] = outcome.failure->remedy;
        }
        if (dryRun && outcome.done) {
            static constexpr const char *kHeld[] = {"none", "unreadable", "settings"};
            card["onCard"] = kHeld[static_cast<int>(outcome.held)];
            Json changes = Json::array();
            for (const SettingDifference &change : outcome.changes)
                changes.push_back(
                    {{"name", change.setting->name}, {"from", change.first}, {"to", change.second}});
            card["changes"] = changes;
            card["switchOnChanges"] = outcome.switchOnChanges;
        }
        return card;
    }

    nlohmann::ordered_json summaryJson(const std::vector<Target> &targets,
                                       const std::vector<Outcome> &outcomes,
                                       const std::vector<std::string> &notes,
                                       const std::string &last) const
    {
        using Json = nlohmann::ordered_json;
        Json failed = Json::array();
        std::size_t written = 0;
        for (std::size_t i = 0; i < outcomes.size(); ++i) {
            if (outcomes[i].done)
                ++written;
            else
                failed.push_back({{"card", targets[i].name},
                                  {"mountPath", targets[i].root},
                                  {"cause", outcomes[i].failure->cause}});
        }
        return {{"summary", last},  {"cards", outcomes.size()}, {"written", written},
                {"failed", failed}, {"notes", notes},           {"dryRun", dryRun}};
    }

    std::string settingsFile;
    std::vector<std::string> cardNames;
    std::vector<std::string> folderNames;
    bool allCards = false;
    std::string labelsFile;
    bool keepLabels = false;
    std::string dateTime;
    bool dryRun = false;
    bool json = false;
    std::string logFile;

    LabelMap labels;
    std::string settingsSha256;
    // The settings each card held before this run replaced them; said once when they cannot be.
    mutable ReplacedCopies replaced;
    bool notKeptSaid = false;
    bool station = false;
    StationOptions stationOptions;
    std::unique_ptr<CardDiscovery> discovery;
};

} // namespace

std::unique_ptr<Command> MakeDeployCommand()
{
    return std::make_unique<DeployCommand>();
}
