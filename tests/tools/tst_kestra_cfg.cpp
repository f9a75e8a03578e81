// kestra-cfg as a user runs it: the built program in a process, its exit code, its output
// and the files it leaves.
#include "kestra_cfg_process.h"
#include "settings/named_settings.h"
#include "settings/settings_file.h"
#include "settings/time_lapse_values.h"
#include "settings_test_files.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <random>

using namespace testfiles;

namespace {

QJsonArray scheduleJson(const DaySchedule &schedule)
{
    QJsonArray words;
    for (std::uint16_t w : schedule.words)
        words.append(int(w));
    return words;
}

// A record as the editor could have written it, with random values on every tab and random
// bits where no tab looks.
class RandomRecord
{
public:
    explicit RandomRecord(unsigned seed) : random(seed) {}

    CameraSettings make()
    {
        CameraSettings s;
        s.ResetAll();
        CoreSection &c = s.core;
        const std::uint16_t preset = std::uint16_t(pick(0, 3));
        if (preset != QuicksetAdvanced) {
            s.ApplyQuickset(preset);
        } else {
            s.SetStoredQuickset(QuicksetAdvanced);
            s.SetInternalTrigger(coin());
            s.SetSensitivity(std::uint16_t(25 * pick(0, 4)));
            c.picturesPerTrigger = std::uint16_t(pick(1, 99));
            s.SetFastSequence(coin());
            c.pictureInterval = std::uint16_t(1000 * pick(1, 60));
            c.quietPeriod = std::uint16_t(pick(0, 3600));
            c.triggerDaySchedule = schedule(false);
        }
        s.SetExternalTrigger(coin());
        c.pulseCount = std::uint8_t(pick(1, 5));
        c.pulseWindow = std::uint8_t(pick(3, 100));
        do {
            s.dual.triggerSchedule1 = schedule(true);
            s.dual.triggerSchedule2 = schedule(true);
            s.dual.dayAssignment = std::uint16_t(pick(0, 0x7F));
        } while (!dualValid(s));
        // Choosing a preset clears the whole day word, time-lapse days included.
        if (preset == QuicksetAdvanced)
            s.dual.dayAssignment |= std::uint16_t(pick(0, 0x1FF) << 7);

        if (coin()) {
            const int unit = pick(0, 2);
            const std::array<int, 12> &counts =
                unit == 1 ? std::array<int, 12>{1, 2, 3, 4, 6, 8, 12, 24, 1, 2, 3, 4}
                          : std::array<int, 12>{1, 2, 3, 4, 5, 6, 10, 12, 15, 20, 30, 60};
            int count = counts[std::size_t(pick(0, 11))];
            // A preset arms the internal trigger, which a short time lapse rules out.
            if (unit == 2 && count < 5 && preset != QuicksetAdvanced)
                count = 5;
            s.SetTimeLapseOn(true);
            c.timeLapseInterval = MakeInterval(IntervalUnit(unit), std::uint16_t(count));
            if (TimeLapseValues::rulesOutTriggers(s)) {
                s.SetInternalTrigger(false);
                s.SetExternalTrigger(false);
            }
            const bool fits = unit == 1 || count * (unit == 0 ? 60 : 1) >= 5 * c.picturesPerTrigger;
            s.SetTimeLapseBurst(fits && coin());
        }
        if (coin())
            c.timeLapseDaySchedule = schedule(false);

        std::string label;
        for (int i = length(20); i > 0; --i) {
            char byte = char(pick(1, 255));
            while (std::string_view("~^_`{}|").find(byte) != std::string_view::npos)
                byte = char(pick(1, 255));
            label += byte;
        }
        s.SetLabel(label);
        c.brightness = std::uint8_t(pick(0, 255));
        c.contrast = std::uint8_t(pick(0, 255));
        c.sharpness = std::uint8_t(pick(0, 255));
        c.saturation = std::uint8_t(pick(0, 255));
        s.SetCelsius(coin());
        s.SetClock24h(coin());
        s.SetLowResolution(coin());
        s.SetPrintBorder(coin());
        s.SetNightShutter(std::uint16_t(pick(0, 2)));
        s.SetNightIso(std::uint16_t(pick(0, 2)));

        s.SetCellularOff(coin());
        s.SetDailyStatusOff(coin());
        for (auto &number : s.cellular.phoneNumbers)
            number = PackPhoneNumber(text(15, "0123456789 -"), coin());
        s.cellular.email1 = PackEmailAddress(text(36, emailCharacters()), coin());
        s.cellular.email2 = PackEmailAddress(text(36, emailCharacters()), coin());

        s.SetLoopRecording(coin());
        s.SetHideLogo(coin());
        s.SetIlluminatorOff(coin());
        s.SetStartDelay(std::uint16_t(pick(0, 14)));
        s.SetKeyBoltOn(coin());
        for (int d = 1; d <= 4; ++d)
            s.SetCodeDigit(d, std::uint16_t(pick(0, 3)));

        CameraSettings hidden = s;
        randomHiddenBits(hidden);
        return hidden;
    }

    // Copies the bits no tab shows from one record to another.
    static void copyHiddenBits(const CameraSettings &from, CameraSettings &to)
    {
        for (const auto &[field, mask] : coreMasks()) {
            to.core.*field = std::uint16_t((to.core.*field & ~mask) | (from.core.*field & mask));
        }
        to.dual.dayAssignment =
            std::uint16_t((to.dual.dayAssignment & 0x007F) | (from.dual.dayAssignment & 0xFF80));
        to.dual.timeLapseSchedule1 = from.dual.timeLapseSchedule1;
        to.dual.timeLapseSchedule2 = from.dual.timeLapseSchedule2;
        to.cellular.cellFlags =
            std::uint16_t((to.cellular.cellFlags & 0x0007) | (from.cellular.cellFlags & 0xFFF8));
        to.cellular.statusFlags = std::uint16_t((to.cellular.statusFlags & 0x0001) |
                                                (from.cellular.statusFlags & 0xFFFE));
        to.cellular.reserved = from.cellular.reserved;
    }

private:
    // Core words and their bits that no tab shows: reserved trigger, time-lapse, image and
    // option bits, and the switch-on date and time, which only `deploy` and the date dialog
    // set.
    static std::vector<std::pair<std::uint16_t CoreSection::*, std::uint16_t>> coreMasks()
    {
        return {{&CoreSection::triggerFlags, 0x00F8}, {&CoreSection::timeLapseFlags, 0xFFFC},
                {&CoreSection::imageFlags, 0x001E},   {&CoreSection::optionFlags, 0x00C5},
                {&CoreSection::loadTime, 0xFFFF},     {&CoreSection::loadDate, 0xFFFF}};
    }

    void randomHiddenBits(CameraSettings &s)
    {
        CameraSettings source = s;
        for (const auto &[field, mask] : coreMasks())
            source.core.*field = std::uint16_t(pick(0, 0xFFFF));
        source.dual.dayAssignment = s.dual.dayAssignment;
        for (std::uint16_t &word : source.dual.timeLapseSchedule1.words)
            word = std::uint16_t(pick(0, 0xFFFF));
        for (std::uint16_t &word : source.dual.timeLapseSchedule2.words)
            word = std::uint16_t(pick(0, 0xFFFF));
        source.cellular.cellFlags = std::uint16_t(pick(0, 0xFFFF));
        source.cellular.statusFlags = std::uint16_t(pick(0, 0xFFFF));
        source.cellular.reserved = std::uint16_t(pick(0, 0xFFFF));
        copyHiddenBits(source, s);
    }

    static bool dualValid(const CameraSettings &s)
    {
        DayChoices days{};
        for (int d = 1; d <= 7; ++d)
            days[std::size_t(d - 1)] = s.TriggerDayUsesSchedule2(d);
        return DualScheduleValid(s.dual.triggerSchedule1, s.dual.triggerSchedule2, days);
    }

    static std::string emailCharacters()
    {
        std::string set;
        for (char c = 0x20; c < 0x7F; ++c) {
            if (std::string_view("()[]\\;:\",<>").find(c) == std::string_view::npos)
                set += c;
        }
        return set;
    }

    DaySchedule schedule(bool mayBeEmpty)
    {
        DaySchedule day;
        do {
            for (std::uint16_t &word : day.words)
                word = coin() ? 0xFFFF : std::uint16_t(pick(0, 0xFFFF));
        } while (!mayBeEmpty && !day.AnyOn());
        return day;
    }

    std::string text(int maxLength, std::string_view characters)
    {
        std::string out;
        for (int i = length(maxLength); i > 0; --i)
            out += characters[std::size_t(pick(0, int(characters.size()) - 1))];
        return out;
    }

    // A full field once in four.
    int length(int maxLength) { return pick(0, 3) == 0 ? maxLength : pick(0, maxLength); }
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    bool coin() { return pick(0, 1) == 1; }

    std::mt19937 random;
};

const QByteArray kReadError = "An unexpected error occured while reading the configuration file.\n";
const QByteArray kSaveError = "Error saving configuration file.\n";
const QByteArray kNoCameraOnWarning =
    "warning: time-lapse-schedule: No period of the schedule is set to \"Camera on\".\n";
} // namespace

class TestKestraCfg : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    Run run(const QStringList &arguments) { return runKestraCfg(arguments, dir.path()); }

    QJsonObject showJson(const QString &file)
    {
        const Run r = run({"show", "--json", file});
        if (r.exitCode != 0 || !r.err.isEmpty())
            return {};
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(r.out, &error);
        return error.error == QJsonParseError::NoError ? document.object() : QJsonObject();
    }

    QString file(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        QVERIFY(emptyFolder(dir.path()));
    }

    // ---- usage ------------------------------------------------------------------------------

    void wrongUsageExitsWith2_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("usage");
        QTest::newRow("nothing") << QStringList{} << QByteArray("Usage: kestra-cfg show");
        QTest::newRow("unknown command") << QStringList{"dump", "x.cfg"} << QByteArray("Usage:");
        QTest::newRow("command in capitals")
            << QStringList{"SHOW", "x.cfg"} << QByteArray("Usage:");
        QTest::newRow("unknown option")
            << QStringList{"show", "-x", "a.cfg"} << QByteArray("Usage: kestra-cfg show");
        QTest::newRow("show without a file")
            << QStringList{"show"} << QByteArray("Usage: kestra-cfg show");
        QTest::newRow("show --json without a file")
            << QStringList{"show", "--json"} << QByteArray("Usage: kestra-cfg show");
        QTest::newRow("show with two files")
            << QStringList{"show", "a.cfg", "b.cfg"} << QByteArray("Usage: kestra-cfg show");
        QTest::newRow("convert without OUT")
            << QStringList{"convert", "in.cfg"} << QByteArray("Usage: kestra-cfg convert");
        QTest::newRow("convert with three files")
            << QStringList{"convert", "a", "b", "c"} << QByteArray("Usage: kestra-cfg convert");
        QTest::newRow("factory without OUT")
            << QStringList{"factory"} << QByteArray("Usage: kestra-cfg factory");
        QTest::newRow("factory with two files")
            << QStringList{"factory", "a.cfg", "b.cfg"} << QByteArray("Usage: kestra-cfg factory");
        QTest::newRow("set without values")
            << QStringList{"set", "a.cfg"} << QByteArray("Usage: kestra-cfg set");
        QTest::newRow("set with a word that is no NAME=VALUE")
            << QStringList{"set", "a.cfg", "label"} << QByteArray("Usage: kestra-cfg set");
        QTest::newRow("set --from without its file")
            << QStringList{"set", "a.cfg", "--from"} << QByteArray("Usage: kestra-cfg set");
        QTest::newRow("diff with one file")
            << QStringList{"diff", "a.cfg"} << QByteArray("Usage: kestra-cfg diff");
        QTest::newRow("cards with a file")
            << QStringList{"cards", "a.cfg"} << QByteArray("Usage: kestra-cfg cards");
        QTest::newRow("deploy without a card")
            << QStringList{"deploy", "a.cfg"} << QByteArray("Usage: kestra-cfg deploy");
        QTest::newRow("deploy to named cards and to all")
            << QStringList{"deploy", "a.cfg", "E:", "--all-cards"}
            << QByteArray("Usage: kestra-cfg deploy");
    }
    void wrongUsageExitsWith2()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, usage);
        QVERIFY(writeBytes(file("a.cfg"), factoryFile()));
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, 2);
        // What was wrong, then the usage of the command being read.
        QVERIFY2(r.err.startsWith("kestra-cfg: "), r.err.constData());
        QVERIFY2(r.err.contains("\n" + usage), r.err.constData());
        QVERIFY(r.out.isEmpty());
        QCOMPARE(folderEntries(dir.path()), QStringList{"a.cfg"}); // nothing written
        QCOMPARE(readBytes(file("a.cfg")), factoryFile());
    }

    void helpGoesToStandardOutput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("usage");
        QTest::newRow("--help") << QStringList{"--help"}
                                << QByteArray("Usage: kestra-cfg [OPTIONS]");
        QTest::newRow("-h") << QStringList{"-h"} << QByteArray("Usage: kestra-cfg [OPTIONS]");
        QTest::newRow("show --help")
            << QStringList{"show", "--help"} << QByteArray("Usage: kestra-cfg show [OPTIONS] FILE");
        QTest::newRow("help before the file")
            << QStringList{"convert", "-h", "in.cfg"} << QByteArray("Usage: kestra-cfg convert");
        QTest::newRow("factory -h")
            << QStringList{"factory", "-h"} << QByteArray("Usage: kestra-cfg factory");
        // set's help lists every name with its values.
        QTest::newRow("set --help")
            << QStringList{"set", "--help"} << QByteArray("    pictures-per-trigger  1 .. 99\n");
        QTest::newRow("diff --help")
            << QStringList{"diff", "--help"} << QByteArray("Usage: kestra-cfg diff [OPTIONS] A B");
        QTest::newRow("cards --help")
            << QStringList{"cards", "--help"} << QByteArray("Usage: kestra-cfg cards [OPTIONS]");
        QTest::newRow("deploy --help") << QStringList{"deploy", "--help"}
                                       << QByteArray("Usage: kestra-cfg deploy [OPTIONS] "
                                                     "SETTINGS [CARD...]");
    }
    void helpGoesToStandardOutput()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, usage);
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(usage), r.out.constData());
        QVERIFY(r.err.isEmpty());
        QVERIFY(folderEntries(dir.path()).isEmpty());
    }

    // The manual page names every command and every setting, as the program knows them.
    void manPageNamesEveryCommandAndSetting_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *command : {"show", "set", "diff", "cards", "deploy", "convert", "factory"})
            QTest::newRow(command) << QString::fromLatin1(command);
        for (const NamedSetting &setting : NamedSettings())
            QTest::newRow(std::string(setting.name).c_str())
                << QString::fromUtf8(setting.name.data(), qsizetype(setting.name.size()));
    }
    void manPageNamesEveryCommandAndSetting()
    {
        QFETCH(QString, name);
        const QString page = QString::fromUtf8(readBytes(QStringLiteral(VELOMAR_MAN_PAGE)));
        QVERIFY(!page.isEmpty());
        // In bold, as a name to type.
        const bool named = page.contains("**" + name + "**");
        QVERIFY2(named, qPrintable(name));
    }

    void versionIsTheProjects()
    {
        const Run r = run({"--version"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("kestra-cfg " KESTRA_CFG_VERSION "\n"));
        QVERIFY(r.err.isEmpty());
    }

    // A mistyped input must not read as the factory settings, least of all before an output
    // is replaced.
    void missingInputIsAnError_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("show") << QStringList{"show", "typo.cfg"} << 1
                              << QByteArray("typo.cfg: not found\n");
        QTest::newRow("show --json") << QStringList{"show", "--json", "typo.cfg"} << 1
                                     << QByteArray("typo.cfg: not found\n");
        QTest::newRow("convert over an existing file")
            << QStringList{"convert", "typo.cfg", "out.cfg"} << 1
            << QByteArray("typo.cfg: not found\n");
        QTest::newRow("set") << QStringList{"set", "typo.cfg", "label=A"} << 1
                             << QByteArray("typo.cfg: not found\n");
        QTest::newRow("set --from") << QStringList{"set", "out.cfg", "--from", "typo.json"} << 1
                                    << QByteArray("typo.json: not found\n");
        QTest::newRow("diff, first file") << QStringList{"diff", "typo.cfg", "out.cfg"} << 2
                                          << QByteArray("typo.cfg: not found\n");
        QTest::newRow("diff, second file") << QStringList{"diff", "out.cfg", "typo.cfg"} << 2
                                           << QByteArray("typo.cfg: not found\n");
    }
    void missingInputIsAnError()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, message);
        // An existing settings file that is not the factory settings.
        QByteArray previous = factoryFile();
        previous.replace(48, 4, "PREV");
        QVERIFY(writeBytes(file("out.cfg"), previous));
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, exitCode);
        QCOMPARE(r.err, message);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(folderEntries(dir.path()), QStringList{"out.cfg"});
        QCOMPARE(readBytes(file("out.cfg")), previous);
    }

    // ---- failures ---------------------------------------------------------------------------

    void unreadableSettingsFail_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("json");
        QTest::newRow("empty file") << QByteArray() << false;
        QTest::newRow("empty file, JSON") << QByteArray() << true;
        QTest::newRow("unknown core tag") << QByteArray::fromHex("0400460000") << false;
        QTest::newRow("core body short") << factoryFile().left(60) << true;
    }
    void unreadableSettingsFail()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, json);
        QVERIFY(writeBytes(file("bad.cfg"), content));
        const Run r =
            run(json ? QStringList{"show", "--json", "bad.cfg"} : QStringList{"show", "bad.cfg"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, kReadError);
        QVERIFY(r.out.isEmpty());
    }

    void folderIsUnreadable()
    {
        QVERIFY(QDir(dir.path()).mkdir("folder.cfg"));
        const Run r = run({"show", "folder.cfg"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, kReadError);
    }

    void convertOfAnUnreadableFileLeavesOutAlone()
    {
        QVERIFY(writeBytes(file("bad.cfg"), QByteArray::fromHex("0900")));
        QVERIFY(writeBytes(file("out.cfg"), QByteArray("previous contents")));
        const Run r = run({"convert", "bad.cfg", "out.cfg"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, kReadError);
        QCOMPARE(readBytes(file("out.cfg")), QByteArray("previous contents"));
        QCOMPARE(folderEntries(dir.path()), (QStringList{"bad.cfg", "out.cfg"}));
    }

    void outputThatCannotBeCreated_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("factory into a missing folder")
            << QStringList{"factory", "VELOMAR/Kestra.cfg"};
        QTest::newRow("factory over a folder") << QStringList{"factory", "existing"};
        QTest::newRow("convert into a missing folder")
            << QStringList{"convert", "in.cfg", "VELOMAR/Kestra.cfg"};
    }
    void outputThatCannotBeCreated()
    {
        QFETCH(QStringList, arguments);
        QVERIFY(QDir(dir.path()).mkdir("existing"));
        QVERIFY(writeBytes(file("in.cfg"), factoryFile()));
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, kSaveError);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(folderEntries(dir.path()), (QStringList{"existing", "in.cfg"}));
        QVERIFY(folderEntries(file("existing")).isEmpty());
    }

    // ---- factory and convert ----------------------------------------------------------------

    void factoryWritesTheFactoryBytes()
    {
        QVERIFY(writeBytes(file("Kestra.cfg"), QByteArray(1000, 'x')));
        const Run r = run({"factory", "Kestra.cfg"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty());
        QCOMPARE(readBytes(file("Kestra.cfg")).toHex(' '), factoryFile().toHex(' '));
        QCOMPARE(folderEntries(dir.path()), QStringList{"Kestra.cfg"});
    }

    void convertWritesTheCurrentLayout_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");

        // Tag 1: 78 bytes of core, then the dual and cellular sections as they are.
        {
            QByteArray core(78, char(0xAA)); // "not used" bytes must not leak into the output
            put16(core, 0, 1);
            put16(core, 2, 74);
            core[4] = char(0x03);    // internal + external trigger
            core[6] = char(2);       // pulse count
            core[7] = char(30);      // pulse window
            core[14] = char(50);     // sensitivity
            put16(core, 16, 2);      // pictures per trigger
            put16(core, 18, 25);     // 2.5 s
            put16(core, 20, 60);     // quiet period
            put16(core, 22, 0xF000); // trigger schedule 06:00-18:00 in half-hours
            put16(core, 24, 0xFFFF);
            put16(core, 26, 0x000F);
            put16(core, 28, 0x0001);
            put16(core, 30, 0x800A); // 10 seconds
            put16(core, 32, 0x0000);
            put16(core, 34, 0x0000);
            put16(core, 36, 0x8000); // time lapse 23:30-24:00
            core[38] = char(100);
            core[39] = char(101);
            core[40] = char(0xE1); // image bits: border and bit 7 dropped
            core[42] = char(102);
            core[43] = char(103);
            core[68] = char(0x02); // KeyBolt on
            core[73] = char(0x1B); // code digits
            put16(core, 74, 0x63C7);
            put16(core, 76, 0x44E4);
            QByteArray dual = factoryFile().mid(74, 54);
            put16(dual, 4, 0x0041);
            QByteArray cellular = factoryFile().mid(128);
            put16(cellular, 4, 0x0005);

            QByteArray out = factoryFile();
            put16(out, 4, 0x3203);
            out[6] = char(2);
            out[7] = char(30);
            put16(out, 8, 2);
            put16(out, 10, 2500);
            put16(out, 12, 60);
            // 06:00-18:00 is quarter-hours 24..71: word 1 bits 8-15 to word 4 bits 0-7.
            const std::uint16_t trigger[6] = {0x0000, 0xFF00, 0xFFFF, 0xFFFF, 0x00FF, 0x0000};
            for (int i = 0; i < 6; ++i)
                put16(out, 14 + 2 * i, trigger[i]);
            put16(out, 26, 0x0001);
            put16(out, 28, 0x800A);
            put16(out, 30 + 10, 0xC000); // 23:30-24:00 is the top two quarter-hours
            out[42] = char(100);
            out[43] = char(101);
            put16(out, 44, 0x0070);
            out[46] = char(102);
            out[47] = char(103);
            put16(out, 68, 0x1B02);
            put16(out, 70, 0x63C7);
            put16(out, 72, 0x44E4);
            put16(out, 74 + 4, 0x0041);
            put16(out, 128 + 4, 0x0005);
            QTest::newRow("tag 1") << core + dual + cellular << out;
        }
        // Tag 2: 98 bytes of core with a label; no dual or cellular section at all.
        {
            QByteArray core(98, char(0x55));
            put16(core, 0, 2);
            put16(core, 2, 0);
            core[4] = char(0x01);
            core[6] = char(1);
            core[7] = char(10);
            core[14] = char(100);
            put16(core, 16, 3);
            put16(core, 18, 10);
            put16(core, 20, 0);
            for (int i = 0; i < 3; ++i)
                put16(core, 22 + 2 * i, 0xFFFF);
            put16(core, 28, 0);
            put16(core, 30, 5);
            for (int i = 0; i < 3; ++i)
                put16(core, 32 + 2 * i, 0);
            core[38] = char(64);
            core[39] = char(192);
            core[40] = char(0x1E);
            core[42] = char(128);
            core[43] = char(128);
            core.replace(46, 20,
                         QByteArray("Trail cam \xa7"
                                    "5\0\0\0\0\0\0\0\0",
                                    20));
            core[88] = char(0x08);
            core[93] = char(0x00);
            put16(core, 94, 0);
            put16(core, 96, 0);

            QByteArray out = factoryFile();
            out.replace(48, 20,
                        QByteArray("Trail cam \xa7"
                                   "5\0\0\0\0\0\0\0\0",
                                   20));
            QTest::newRow("tag 2, core alone") << core << out;
        }
        // Tag 3: any size field, bytes after the last section.
        {
            QByteArray in = factoryFile();
            put16(in, 2, 0xFFFF);
            put16(in, 8, 99);
            put16(in, 128 + 6, 0x0001);
            QByteArray out = factoryFile();
            put16(out, 8, 99);
            put16(out, 128 + 6, 0x0001);
            QTest::newRow("tag 3 with trailing bytes") << in + QByteArray("junk") << out;
        }
    }
    void convertWritesTheCurrentLayout()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QVERIFY(writeBytes(file("in.cfg"), input));
        const Run r = run({"convert", "in.cfg", "out.cfg"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty());
        QCOMPARE(readBytes(file("out.cfg")).toHex(' '), expected.toHex(' '));
        QCOMPARE(readBytes(file("in.cfg")), input);

        // Converting in place gives the same bytes.
        QCOMPARE(run({"convert", "in.cfg", "in.cfg"}).exitCode, 0);
        QCOMPARE(readBytes(file("in.cfg")).toHex(' '), expected.toHex(' '));
        QCOMPARE(folderEntries(dir.path()), (QStringList{"in.cfg", "out.cfg"}));
    }

    // ---- show -------------------------------------------------------------------------------

    void jsonHoldsEveryFieldByItsName()
    {
        CameraSettings s;
        s.ResetAll();
        s.core.triggerFlags = 0x4B07;
        s.core.pulseCount = 4;
        s.core.pulseWindow = 55;
        s.core.picturesPerTrigger = 12;
        s.core.pictureInterval = 4000;
        s.core.quietPeriod = 30;
        s.core.triggerDaySchedule.words = {0, 0xFF00, 0xFFFF, 0xFFFF, 0x00FF, 0};
        s.core.timeLapseFlags = 0x0003;
        s.core.timeLapseInterval = 0x4002;
        s.core.timeLapseDaySchedule.words = {1, 2, 3, 4, 5, 0x8000};
        s.core.brightness = 11;
        s.core.contrast = 22;
        s.core.imageFlags = 0x5A7F;
        s.core.sharpness = 33;
        s.core.saturation = 44;
        s.SetLabel("Caf\xe9 20 chars long!");
        s.core.optionFlags = 0xE42A;
        s.core.loadTime = 0x63C7;
        s.core.loadDate = 0x44E4;
        s.dual.dayAssignment = 0x7F41;
        s.dual.triggerSchedule1.words = {1, 1, 1, 1, 1, 1};
        s.dual.triggerSchedule2.words = {2, 2, 2, 2, 2, 2};
        s.dual.timeLapseSchedule1.words = {3, 3, 3, 3, 3, 3};
        s.dual.timeLapseSchedule2.words = {4, 4, 4, 4, 4, 4};
        s.cellular.cellFlags = 0x0007;
        s.cellular.statusFlags = 0x0001;
        s.cellular.phoneNumbers[0] = PackPhoneNumber("1-555-555-1212", true);
        s.cellular.phoneNumbers[1] = PackPhoneNumber("555 0100", false);
        s.cellular.phoneNumbers[2] = PackPhoneNumber("555", false);
        s.cellular.phoneNumbers[2][0] &= 0xFFF0; // digits kept, kind "none"
        s.cellular.email1 = PackEmailAddress("ops@example.com", false);
        s.cellular.email2 = PackEmailAddress("x@y.z", true);
        s.cellular.email2[30] |= 0x03; // kind 3, as stored
        RecordedMessages messages;
        QVERIFY(WriteSettingsFile(s, toFilePath(file("rich.cfg")), messages));

        const QJsonObject json = showJson("rich.cfg");
        QCOMPARE(json.keys(), (QStringList{"cellular", "core", "dual", "settings"}));

        const QJsonObject core = json["core"].toObject();
        QCOMPARE(core.size(), 19);
        QCOMPARE(core["triggerFlags"].toInt(), 0x4B07);
        QCOMPARE(core["pulseCount"].toInt(), 4);
        QCOMPARE(core["pulseWindow"].toInt(), 55);
        QCOMPARE(core["picturesPerTrigger"].toInt(), 12);
        QCOMPARE(core["pictureInterval"].toInt(), 4000);
        QCOMPARE(core["quietPeriod"].toInt(), 30);
        QCOMPARE(core["triggerDaySchedule"].toArray(), scheduleJson(s.core.triggerDaySchedule));
        QCOMPARE(core["timeLapseFlags"].toInt(), 3);
        QCOMPARE(core["timeLapseInterval"].toInt(), 0x4002);
        QCOMPARE(core["timeLapseDaySchedule"].toArray(), (QJsonArray{1, 2, 3, 4, 5, 0x8000}));
        QCOMPARE(core["brightness"].toInt(), 11);
        QCOMPARE(core["contrast"].toInt(), 22);
        QCOMPARE(core["imageFlags"].toInt(), 0x5A7F);
        QCOMPARE(core["sharpness"].toInt(), 33);
        QCOMPARE(core["saturation"].toInt(), 44);
        QCOMPARE(core["label"].toString(), QString::fromUtf8("Caf\u00e9 20 chars long!"));
        QCOMPARE(core["optionFlags"].toInt(), 0xE42A);
        QCOMPARE(core["loadTime"].toInt(), 0x63C7);
        QCOMPARE(core["loadDate"].toInt(), 0x44E4);

        const QJsonObject dual = json["dual"].toObject();
        QCOMPARE(dual.size(), 5);
        QCOMPARE(dual["dayAssignment"].toInt(), 0x7F41);
        QCOMPARE(dual["triggerSchedule1"].toArray(), (QJsonArray{1, 1, 1, 1, 1, 1}));
        QCOMPARE(dual["triggerSchedule2"].toArray(), (QJsonArray{2, 2, 2, 2, 2, 2}));
        QCOMPARE(dual["timeLapseSchedule1"].toArray(), (QJsonArray{3, 3, 3, 3, 3, 3}));
        QCOMPARE(dual["timeLapseSchedule2"].toArray(), (QJsonArray{4, 4, 4, 4, 4, 4}));

        const QJsonObject cellular = json["cellular"].toObject();
        QCOMPARE(cellular.keys(),
                 (QStringList{"cellFlags", "email1", "email2", "phoneNumber1", "phoneNumber2",
                              "phoneNumber3", "phoneNumber4", "statusFlags"}));
        QCOMPARE(cellular["cellFlags"].toInt(), 7);
        QCOMPARE(cellular["statusFlags"].toInt(), 1);
        auto destination = [](const char *text, bool bcc, int kind) {
            return QJsonObject{{"text", QString::fromLatin1(text)}, {"bcc", bcc}, {"kind", kind}};
        };
        QCOMPARE(cellular["phoneNumber1"].toObject(), destination("1-555-555-1212", true, 2));
        QCOMPARE(cellular["phoneNumber2"].toObject(), destination("555 0100", false, 1));
        QCOMPARE(cellular["phoneNumber3"].toObject(), destination("555", false, 0));
        QCOMPARE(cellular["phoneNumber4"].toObject(), destination("", false, 0));
        QCOMPARE(cellular["email1"].toObject(), destination("ops@example.com", false, 1));
        QCOMPARE(cellular["email2"].toObject(), destination("x@y.z", false, 3));
    }

    // The file in which every field holds its own value: each field's name goes with its own
    // value, so that two fields swapped between the file and the JSON show.
    void jsonOfTheDistinctFileNamesEachFieldsOwnValue()
    {
        const QJsonObject json = showJson(everyFieldDistinctFile());
        const auto schedule = [](std::initializer_list<int> words) {
            QJsonArray array;
            for (int word : words)
                array.append(word);
            return array;
        };
        const QJsonObject core = {
            {"triggerFlags", 0x5A05},
            {"pulseCount", 3},
            {"pulseWindow", 27},
            {"picturesPerTrigger", 7},
            {"pictureInterval", 2500},
            {"quietPeriod", 45},
            {"triggerDaySchedule", schedule({0xFFF0, 0x0FFF, 0xF00F, 0xFF00, 0x00FF, 0x3C3C})},
            {"timeLapseFlags", 0x0003},
            {"timeLapseInterval", 0x000F},
            {"timeLapseDaySchedule", schedule({0x0001, 0x0002, 0x0004, 0x0008, 0x0010, 0x0020})},
            {"brightness", 100},
            {"contrast", 150},
            {"imageFlags", 0x56E1},
            {"sharpness", 80},
            {"saturation", 170},
            {"label", QStringLiteral("Ridge Cam \u00C5 #42")},
            {"optionFlags", 0x8D22},
            {"loadTime", 0x95AF},
            {"loadDate", 0x3EE4},
        };
        QCOMPARE(json["core"].toObject(), core);
        const QJsonObject dual = {
            {"dayAssignment", 0x054A},
            {"triggerSchedule1", schedule({0x1111, 0x1112, 0x1114, 0x1118, 0x1110, 0x1101})},
            {"triggerSchedule2", schedule({0x2221, 0x2222, 0x2224, 0x2228, 0x2220, 0x2202})},
            {"timeLapseSchedule1", schedule({0x4441, 0x4442, 0x4444, 0x4448, 0x4440, 0x4404})},
            {"timeLapseSchedule2", schedule({0x8881, 0x8882, 0x8884, 0x8888, 0x8880, 0x8808})},
        };
        QCOMPARE(json["dual"].toObject(), dual);
        const auto destination = [](const char *text, bool bcc) {
            return QJsonObject{
                {"text", QString::fromLatin1(text)}, {"bcc", bcc}, {"kind", bcc ? 2 : 1}};
        };
        const QJsonObject cellular = {
            {"cellFlags", 0x0005},
            {"statusFlags", 0x0009},
            {"phoneNumber1", destination("555-0101", false)},
            {"phoneNumber2", destination("555 0102", true)},
            {"phoneNumber3", destination("1-800-555-0199", false)},
            {"phoneNumber4", destination("01632 960123", true)},
            {"email1", destination("north@example.org", false)},
            {"email2", destination("ops.team@example.net", true)},
        };
        QCOMPARE(json["cellular"].toObject(), cellular);
    }

    void jsonKeysComeInTheRecordsOrder()
    {
        QVERIFY(writeBytes(file("Kestra.cfg"), factoryFile()));
        const Run r = run({"show", "--json", "Kestra.cfg"});
        QCOMPARE(r.exitCode, 0);
        const QByteArray text = r.out;
        const QList<QByteArray> order{
            "\"core\"",         "\"triggerFlags\"", "\"pulseCount\"",    "\"label\"",
            "\"loadDate\"",     "\"dual\"",         "\"dayAssignment\"", "\"timeLapseSchedule2\"",
            "\"cellular\"",     "\"cellFlags\"",    "\"statusFlags\"",   "\"phoneNumber1\"",
            "\"phoneNumber4\"", "\"email1\"",       "\"email2\""};
        qsizetype at = -1;
        for (const QByteArray &key : order) {
            const qsizetype next = text.indexOf(key);
            QVERIFY2(next > at, key.constData());
            at = next;
        }
    }

    void readableShowGroupsLikeTheTabs()
    {
        CameraSettings s;
        s.ResetAll();
        s.ApplyQuickset(QuicksetConservative);
        s.dual.triggerSchedule2.SetAll(false);
        for (std::uint16_t m = 360; m < 1080; m += 15)
            s.dual.triggerSchedule2.SetOn(m, true);
        s.SetTriggerDayUsesSchedule2(1, true);
        s.SetTriggerDayUsesSchedule2(7, true);
        s.SetTimeLapseOn(true);
        s.core.timeLapseInterval = MakeInterval(IntervalUnit::Seconds, 30);
        s.core.timeLapseDaySchedule.SetOn(1425, true);
        s.SetLabel("North \xc4"
                   "cker");
        s.cellular.phoneNumbers[0] = PackPhoneNumber("1-555-555-1212", false);
        s.cellular.email2 = PackEmailAddress("boss@example.com", true);
        RecordedMessages messages;
        QVERIFY(WriteSettingsFile(s, toFilePath(file("Kestra.cfg")), messages));

        const Run r = run({"show", "Kestra.cfg"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty());
        const QStringList lines = QString::fromUtf8(r.out).split('\n', Qt::SkipEmptyParts);
        // Headings (the unindented lines) in the editor's tab order, then what no tab shows.
        QStringList headings;
        for (const QString &line : lines) {
            if (!line.startsWith(' '))
                headings << line;
        }
        QCOMPARE(headings, (QStringList{"Triggers", "Time Lapse", "Images", "Cellular", "Other",
                                        "Switch-on date and time: not set"}));
        for (const char *line : {"  quickset=conservative", "  dual-schedule-2=06:00-18:00",
                                 "  days-on-schedule-2=sun,sat", "  time-lapse=30 seconds",
                                 "  time-lapse-schedule=23:45-24:00", "  label=North \u00c4cker",
                                 "  phone-1=1-555-555-1212", "  phone-1-bcc=no",
                                 "  phone-2=", "  email-2=boss@example.com", "  email-2-bcc=yes"})
            QVERIFY2(lines.contains(QString::fromUtf8(line)), line);

        // Every named setting once, as the JSON view gives it.
        const QJsonObject settings = showJson("Kestra.cfg")["settings"].toObject();
        QCOMPARE(settings.size(), qsizetype(NamedSettings().size()));
        QCOMPARE(lines.size(), settings.size() + headings.size());
        for (auto it = settings.begin(); it != settings.end(); ++it)
            QVERIFY(lines.contains("  " + it.key() + "=" + it.value().toString()));
    }

    // A label or address from a crafted file must not drive the terminal: control bytes are
    // shown as \xNN, other characters as they are.
    void readableShowEscapesControlBytes()
    {
        CameraSettings s;
        s.ResetAll();
        s.SetLabel("a\x1b]0;pwn\x07\x9b"
                   "2J\xe9");
        s.cellular.email1 = PackEmailAddress("x\x1b[2J@example.com", false);
        RecordedMessages messages;
        QVERIFY(WriteSettingsFile(s, toFilePath(file("Kestra.cfg")), messages));

        const Run r = run({"show", "Kestra.cfg"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(!r.out.contains('\x1b'));
        QVERIFY(!r.out.contains('\x07'));
        QVERIFY(!r.out.contains("\xc2\x9b"));
        const QString text = QString::fromUtf8(r.out);
        QVERIFY(text.contains(QString::fromUtf8("\n  label=a\\x1B]0;pwn\\x07\\x9B2J\u00e9\n")));
        QVERIFY(text.contains("\n  email-1=x\\x1B[2J@example.com\n"));

        // The JSON view keeps the text itself; its encoder escapes it.
        const Run json = run({"show", "--json", "Kestra.cfg"});
        QVERIFY(!json.out.contains('\x1b'));
        const QJsonObject object = QJsonDocument::fromJson(json.out).object();
        const QString label = QString::fromUtf8("a\x1b]0;pwn\x07\u009b2J\u00e9");
        QCOMPARE(object["core"].toObject()["label"].toString(), label);
        QCOMPARE(object["settings"].toObject()["label"].toString(), label);
    }

    // ---- set --------------------------------------------------------------------------------

    void setWritesTheValuesInOrder()
    {
        QVERIFY(writeBytes(file("Kestra.cfg"), factoryFile()));
        const Run r = run({"set", "Kestra.cfg", "label=RIDGE 7", "quickset=aggressive",
                           "pictures-per-trigger=7", "time-lapse=10 minutes"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, kNoCameraOnWarning); // the factory time-lapse schedule is never
        QVERIFY(r.out.isEmpty());
        // The preset's values, then 7 pictures, which the tab would show as Advanced.
        CameraSettings expected;
        expected.ResetAll();
        expected.SetLabel("RIDGE 7");
        expected.ApplyQuickset(QuicksetAggressive);
        expected.core.picturesPerTrigger = 7;
        expected.SetStoredQuickset(QuicksetAdvanced);
        expected.SetTimeLapseOn(true);
        expected.core.timeLapseInterval = MakeInterval(IntervalUnit::Minutes, 10);
        QCOMPARE(readBytes(file("Kestra.cfg")).toHex(' '), settingsFileBytes(expected).toHex(' '));
        QCOMPARE(folderEntries(dir.path()), QStringList{"Kestra.cfg"}); // no temporary file left
    }

    void setFrom_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QByteArray>("label");
        QTest::addColumn<int>("pictures");
        QTest::newRow("the settings of show --json")
            << QByteArray(R"({"core": {"label": "x"}, "settings": {"label": "NORTH 3"}})")
            << QStringList{} << QByteArray("NORTH 3") << 3;
        QTest::newRow("an object of settings alone, a number, a boolean")
            << QByteArray(R"({"pictures-per-trigger": 12, "print-border": true})") << QStringList{}
            << QByteArray("") << 12;
        QTest::newRow("in the file's order")
            << QByteArray(R"({"quickset": "aggressive", "pictures-per-trigger": "9"})")
            << QStringList{} << QByteArray("") << 9;
        QTest::newRow("command-line values come after")
            << QByteArray(R"({"label": "A", "pictures-per-trigger": "4"})")
            << QStringList{"label=B"} << QByteArray("B") << 4;
    }
    void setFrom()
    {
        QFETCH(QByteArray, json);
        QFETCH(QStringList, values);
        QFETCH(QByteArray, label);
        QFETCH(int, pictures);
        QVERIFY(writeBytes(file("Kestra.cfg"), factoryFile()));
        QVERIFY(writeBytes(file("values.json"), json));
        const Run r = run(QStringList{"set", "Kestra.cfg", "--from", "values.json"} + values);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty());
        const QByteArray bytes = readBytes(file("Kestra.cfg"));
        QCOMPARE(bytes.mid(48, 20), label + QByteArray(20 - label.size(), 0));
        QCOMPARE(get16(bytes, 8), pictures);
    }

    // A refused value, or values that cannot be read, leave the file as it was.
    void setRefusesAllOrNothing_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("the second value refused")
            << QStringList{"label=A", "pictures-per-trigger=100"} << QByteArray()
            << QByteArray("pictures-per-trigger: Please enter an integer between 1 and 99.\n");
        QTest::newRow("a rule of two tabs")
            << QStringList{"time-lapse=4 seconds"} << QByteArray()
            << QByteArray("time-lapse: Both internal and external triggers must be disabled "
                          "when using a time lapse interval less than five seconds.\n");
        QTest::newRow("unknown name") << QStringList{"label=A", "colour=red"} << QByteArray()
                                      << QByteArray("colour: There is no setting of this name.\n");
        QTest::newRow("refused in the file")
            << QStringList{"--from", "values.json"} << QByteArray(R"({"settings": {"pulses": 9}})")
            << QByteArray("pulses: Please enter an integer between 1 and 5.\n");
        QTest::newRow("not JSON") << QStringList{"--from", "values.json"} << QByteArray("{label")
                                  << QByteArray("values.json: not valid JSON: ");
        QTest::newRow("a number beyond a double")
            << QStringList{"--from", "values.json"} << QByteArray(R"({"pulses": 2e999})")
            << QByteArray("values.json: not valid JSON: ");
        QTest::newRow("no object") << QStringList{"--from", "values.json"} << QByteArray("[1]")
                                   << QByteArray("values.json: holds no object of settings\n");
        QTest::newRow("a value that is no text")
            << QStringList{"--from", "values.json"} << QByteArray(R"({"label": ["A"]})")
            << QByteArray("label: Please give the value as text, a number or true or false.\n");
    }
    void setRefusesAllOrNothing()
    {
        QFETCH(QStringList, values);
        QFETCH(QByteArray, json);
        QFETCH(QByteArray, message);
        QVERIFY(writeBytes(file("Kestra.cfg"), factoryFile()));
        QVERIFY(writeBytes(file("values.json"), json));
        const Run r = run(QStringList{"set", "Kestra.cfg"} + values);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith(message), r.err.constData());
        QVERIFY(r.out.isEmpty());
        QCOMPARE(readBytes(file("Kestra.cfg")), factoryFile());
        QCOMPARE(folderEntries(dir.path()), (QStringList{"Kestra.cfg", "values.json"}));
    }

    // For any record the editor can write, the values that show --json gives, set into the
    // factory settings, give back the record's bytes; bits no tab shows stay as they were in
    // the file set, here made equal to the record's.
    void setWithTheShownValuesRebuildsTheRecord()
    {
        for (unsigned seed = 1; seed <= 30; ++seed) {
            const CameraSettings record = RandomRecord(seed).make();
            CameraSettings target;
            target.ResetAll();
            RandomRecord::copyHiddenBits(record, target);
            QVERIFY(writeBytes(file("record.cfg"), settingsFileBytes(record)));
            QVERIFY(writeBytes(file("target.cfg"), settingsFileBytes(target)));
            const Run shown = run({"show", "--json", "record.cfg"});
            QCOMPARE(shown.exitCode, 0);
            QVERIFY(writeBytes(file("shown.json"), shown.out));
            const Run set = run({"set", "target.cfg", "--from", "shown.json"});
            const QByteArray result = readBytes(file("target.cfg"));
            if (set.exitCode != 0 || result != settingsFileBytes(record)) {
                QFAIL(qPrintable(
                    QStringLiteral("seed %1, exit %2: %3\n   got %4\n  want %5")
                        .arg(seed)
                        .arg(set.exitCode)
                        .arg(QString::fromUtf8(set.err), QString::fromLatin1(result.toHex(' ')),
                             QString::fromLatin1(settingsFileBytes(record).toHex(' ')))));
            }
        }
    }

    // --json: one object of what changed, each setting with its old and new value, in the
    // settings' order; a refusal prints none.
    void setJsonNamesEachChange()
    {
        QVERIFY(writeBytes(file("Kestra.cfg"), factoryFile()));
        const Run r = run({"set", "--json", "Kestra.cfg", "label=North", "pictures-per-trigger=5",
                           "pacing=waiting"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty());
        QCOMPARE(QJsonDocument::fromJson(r.out),
                 QJsonDocument::fromJson(R"({"file": "Kestra.cfg", "changed": {
                     "quickset": {"old": "normal", "new": "advanced"},
                     "pictures-per-trigger": {"old": "3", "new": "5"},
                     "label": {"old": "", "new": "North"}}})"));
        const QByteArray written = readBytes(file("Kestra.cfg"));

        const Run refused = run({"set", "--json", "Kestra.cfg", "label=South", "pulses=9"});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY(refused.out.isEmpty());
        QCOMPARE(readBytes(file("Kestra.cfg")), written);
    }

    // A time lapse that is on with no "Camera on" period is said on stderr; the command does
    // its work and exits as ever.
    void aTimeLapseWithNoCameraOnPeriodIsWarnedOf_data()
    {
        QTest::addColumn<QByteArray>("timeLapse"); // the flags and the interval, at 26
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("warned");
        const QByteArray hourly = QByteArray::fromHex("01 00 01 40");
        const QByteArray off = factoryFile().mid(26, 4);
        QTest::newRow("show") << hourly << QStringList{"show", "Kestra.cfg"} << true;
        QTest::newRow("show --json")
            << hourly << QStringList{"show", "--json", "Kestra.cfg"} << true;
        QTest::newRow("show, time lapse off") << off << QStringList{"show", "Kestra.cfg"} << false;
        QTest::newRow("set turns the time lapse on")
            << off << QStringList{"set", "Kestra.cfg", "time-lapse=1 hour"} << true;
        QTest::newRow("set gives the schedule a period")
            << hourly << QStringList{"set", "Kestra.cfg", "time-lapse-schedule=06:00-07:00"}
            << false;
        QTest::newRow("set --json")
            << hourly << QStringList{"set", "--json", "Kestra.cfg", "label=N"} << true;
    }
    void aTimeLapseWithNoCameraOnPeriodIsWarnedOf()
    {
        QFETCH(QByteArray, timeLapse);
        QFETCH(QStringList, arguments);
        QFETCH(bool, warned);
        QByteArray bytes = factoryFile();
        bytes.replace(26, 4, timeLapse);
        QVERIFY(writeBytes(file("Kestra.cfg"), bytes));
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, warned ? kNoCameraOnWarning : QByteArray());
        if (arguments.first() == QLatin1String("set"))
            QVERIFY(readBytes(file("Kestra.cfg")) != bytes);
        else
            QVERIFY(!r.out.isEmpty());
    }

    // ---- diff -------------------------------------------------------------------------------

    // Each case with the lines for people and the one object of --json.
    void diffPrintsTheSettingsThatDiffer_data()
    {
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("json");
        const QByteArray files = R"("a": "a.cfg", "b": "b.cfg", )";
        const QByteArray same = "{" + files + R"("settings": {}, "other-bits-differ": false})";
        QTest::newRow("same bytes") << factoryFile() << 0 << QByteArray() << same;
        QByteArray label = factoryFile();
        label.replace(48, 2, "A7");
        QByteArray pictures = label;
        put16(pictures, 8, 5);
        // Five pictures are no longer the Normal preset, which the Triggers tab shows too.
        QTest::newRow("two settings")
            << pictures << 1
            << QByteArray("--- a.cfg\n+++ b.cfg\n-quickset=normal\n+quickset=advanced\n"
                          "-pictures-per-trigger=3\n+pictures-per-trigger=5\n-label=\n+label=A7\n")
            << "{" + files +
                   R"("settings": {"quickset": {"a": "normal", "b": "advanced"},
                                   "pictures-per-trigger": {"a": "3", "b": "5"},
                                   "label": {"a": "", "b": "A7"}},
                      "other-bits-differ": false})";
        QByteArray switchOn = factoryFile();
        put16(switchOn, 70, 0x63C0);
        put16(switchOn, 72, 0x44E4);
        QTest::newRow("switch-on date and time")
            << switchOn << 1
            << QByteArray("--- a.cfg\n+++ b.cfg\n-Switch-on date and time: not set\n"
                          "+Switch-on date and time: 2014-07-04 12:30:00\n")
            << "{" + files +
                   R"("settings": {}, "switch-on": {"a": "not set", "b": "2014-07-04 12:30:00"},
                      "other-bits-differ": false})";
        QByteArray reserved = factoryFile();
        put16(reserved, 44, 0x001C); // a reserved camera bit of the image flags
        QTest::newRow("bits no tab shows")
            << reserved << 1
            << QByteArray("--- a.cfg\n+++ b.cfg\nStored bits that no tab shows differ.\n")
            << "{" + files + R"("settings": {}, "other-bits-differ": true})";
        // An older layout holding the factory values reads as the same settings.
        QByteArray old(98, 0);
        put16(old, 0, 2);
        old[4] = 0x01;
        old[6] = 1;
        old[7] = 10;
        old[14] = 100;
        put16(old, 16, 3);
        put16(old, 18, 10);
        for (int i = 0; i < 3; ++i)
            put16(old, 22 + 2 * i, 0xFFFF);
        put16(old, 30, 5);
        old[38] = 64;
        old[39] = char(192);
        old[40] = 0x1E;
        old[42] = char(128);
        old[43] = char(128);
        old[88] = 0x08;
        QTest::newRow("older layout, same settings") << old << 0 << QByteArray() << same;
    }
    void diffPrintsTheSettingsThatDiffer()
    {
        QFETCH(QByteArray, b);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, json);
        QVERIFY(writeBytes(file("a.cfg"), factoryFile()));
        QVERIFY(writeBytes(file("b.cfg"), b));
        const Run r = run({"diff", "a.cfg", "b.cfg"});
        QCOMPARE(r.exitCode, exitCode);
        QCOMPARE(r.out, out);
        QVERIFY(r.err.isEmpty());

        const Run asJson = run({"diff", "--json", "a.cfg", "b.cfg"});
        QCOMPARE(asJson.exitCode, exitCode);
        QVERIFY(asJson.err.isEmpty());
        QCOMPARE(QJsonDocument::fromJson(asJson.out), QJsonDocument::fromJson(json));
        QVERIFY(!QJsonDocument::fromJson(json).isNull());
    }

    // With two files read, the message says which one could not be read.
    void diffOfAnUnreadableFileIsTrouble_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("lines") << QStringList{"diff", "a.cfg", "b.cfg"};
        QTest::newRow("JSON") << QStringList{"diff", "--json", "a.cfg", "b.cfg"};
    }
    void diffOfAnUnreadableFileIsTrouble()
    {
        QFETCH(QStringList, arguments);
        QVERIFY(writeBytes(file("a.cfg"), factoryFile()));
        QVERIFY(writeBytes(file("b.cfg"), QByteArray::fromHex("0900")));
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.err, "b.cfg: " + kReadError);
        QVERIFY(r.out.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestKestraCfg)
#include "tst_kestra_cfg.moc"
