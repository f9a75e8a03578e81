// What show prints, set takes: for files made from random valid values of every named setting,
// `set B --from <(show --json A)` makes B hold A's settings, so that `diff A B` finds none. The
// commands run in this process, as the program runs them; one pair also through the shell.
#include "kestra_cfg.h"
#include "platform/text.h"
#include "settings/named_settings.h"
#include "settings/time_lapse_values.h"
#include "settings_test_files.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <random>
#include <sstream>

using namespace testfiles;

namespace {

struct Result
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

Result runTool(const std::vector<std::string> &args)
{
    std::ostringstream out, err;
    Result result;
    result.exitCode = RunKestraCfg(args, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

const std::string kWarning =
    "warning: time-lapse-schedule: No period of the schedule is set to \"Camera on\".\n";

// The trigger presets, as the Triggers tab's quickset radios set them.
struct Preset
{
    const char *name;
    int pictures;
    const char *pacing;
    int intervalSeconds;
    int quietPeriod;
};
constexpr Preset kPresets[] = {{"normal", 3, "waiting", 1, 0},
                               {"aggressive", 5, "fast", 1, 0},
                               {"conservative", 3, "waiting", 5, 15}};

using Values = std::map<std::string, std::string>;

// Values of every named setting, each drawn at random among those its tab takes, in the forms
// a person types: words in any case, periods of a schedule in any order.
class ValueDraw
{
public:
    explicit ValueDraw(unsigned seed) : random(seed) {}

    // The trigger values either follow a preset, or are the tab's Advanced: free, or (with
    // `unlike` given) different from that preset's in every value the preset sets.
    struct Triggers
    {
        const Preset *preset = nullptr;
        const Preset *unlike = nullptr;
    };

    // Values that pass the tabs' rules together; where `other` is given, each setting's value
    // differs from other's (as far as the value drawn tells).
    std::vector<NamedValue> draw(Triggers triggers, const Values *other = nullptr)
    {
        avoid = other;
        drawn.clear();
        const Preset *preset = triggers.preset;
        const Preset *unlike = triggers.unlike;

        set("quickset", preset ? preset->name : "advanced");
        set("internal-trigger", preset   ? "on"
                                : unlike ? "off"
                                         : word("internal-trigger", {"on", "off"}));
        set("sensitivity", preset   ? std::string("100")
                           : unlike ? word("sensitivity", {"0", "25", "50", "75"})
                                    : word("sensitivity", {"0", "25", "50", "75", "100"}));
        set("pulses", number("pulses", 1, 5));
        drawTenths();
        set("external-trigger", word("external-trigger", {"on", "off"}));
        set("pictures-per-trigger",
            preset ? std::to_string(preset->pictures)
                   : number("pictures-per-trigger", 1, 99, unlike ? unlike->pictures : -1));
        set("pacing", preset ? std::string(preset->pacing)
                      : unlike
                          ? std::string(std::string(unlike->pacing) == "fast" ? "waiting" : "fast")
                          : word("pacing", {"fast", "waiting"}));
        set("picture-interval",
            preset ? std::to_string(preset->intervalSeconds)
                   : number("picture-interval", 1, 60, unlike ? unlike->intervalSeconds : -1));
        set("quiet-period",
            preset ? std::to_string(preset->quietPeriod)
                   : number("quiet-period", 0, 3600, unlike ? unlike->quietPeriod : -1));
        set("trigger-schedule",
            preset ? std::string("always") : schedule("trigger-schedule", !unlike));
        set("dual-schedule-1", schedule("dual-schedule-1", true));
        set("dual-schedule-2", schedule("dual-schedule-2", true));
        drawDays();

        drawTimeLapse();

        std::string label;
        do {
            label.clear();
            for (int i = length(20); i > 0; --i) {
                char32_t c = char32_t(pick(1, 255));
                while (c < 0x80 &&
                       std::string_view("~^_`{}|").find(char(c)) != std::string_view::npos)
                    c = char32_t(pick(1, 255));
                AppendUtf8(label, c);
            }
        } while (!differs("label", label));
        set("label", label);
        for (const char *slider : {"brightness", "contrast", "sharpness", "saturation"})
            set(slider, number(slider, 0, 255));
        for (const char *name : {"print-border", "use-cellular", "daily-status-picture",
                                 "loop-recording", "hide-logo", "disable-illuminator", "keybolt"})
            set(name, word(name, {"on", "off"}));
        set("temperature", word("temperature", {"fahrenheit", "celsius"}));
        set("clock", word("clock", {"12-hour", "24-hour"}));
        set("night-shutter", word("night-shutter", {"slow", "middle", "fast"}));
        set("night-iso", word("night-iso", {"low", "middle", "high"}));
        set("resolution", word("resolution", {"high", "low"}));

        for (const char *phone : {"phone-1", "phone-2", "phone-3", "phone-4"})
            drawDestination(phone, 15, "0123456789 -");
        // Seven bits, control characters too: the address field takes them.
        std::string address;
        for (int c = 0x01; c < 0x80; ++c) {
            if (std::string_view("()[]\\;:\",<>").find(char(c)) == std::string_view::npos)
                address += char(c);
        }
        drawDestination("email-1", 36, address);
        drawDestination("email-2", 36, address);

        set("start-delay",
            word("start-delay", {"immediately", "1 day", "2 days", "3 days", "4 days", "5 days",
                                 "6 days", "1 week", "2 weeks", "3 weeks", "4 weeks", "6 weeks",
                                 "8 weeks", "12 weeks", "42 weeks"}));
        std::string code;
        do {
            code.clear();
            for (int d = 0; d < 4; ++d)
                code += char('1' + pick(0, 3));
        } while (!differs("keybolt-code", code));
        set("keybolt-code", code);

        // In the order of the table, each word in random case now and then.
        std::vector<NamedValue> values;
        for (const NamedSetting &setting : NamedSettings()) {
            const std::string name(setting.name);
            std::string value = drawn.at(name);
            if (!setting.text && pick(0, 2) == 0) {
                for (char &c : value) {
                    if (c >= 'a' && c <= 'z' && coin())
                        c = char(c - 'a' + 'A');
                }
            }
            values.push_back({name, value});
        }
        return values;
    }

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    bool coin() { return pick(0, 1) == 1; }

private:
    void set(const std::string &name, const std::string &value) { drawn[name] = value; }

    bool differs(const std::string &name, const std::string &value) const
    {
        return !avoid || avoid->at(name) != value;
    }

    // One of `words`, not the other's.
    std::string word(const char *name, std::initializer_list<const char *> words)
    {
        std::vector<std::string> choices;
        for (const char *word : words) {
            if (differs(name, word))
                choices.emplace_back(word);
        }
        return choices[std::size_t(pick(0, int(choices.size()) - 1))];
    }

    std::string number(const std::string &name, int low, int high, int unlike = -1)
    {
        std::string text;
        int n = 0;
        do {
            n = pick(low, high);
            text = std::to_string(n);
        } while (n == unlike || !differs(name, text));
        return text;
    }

    void drawTenths()
    {
        std::string text;
        do {
            const int tenths = pick(3, 100);
            text = std::to_string(tenths / 10) +
                   (tenths % 10 ? "." + std::to_string(tenths % 10) : "");
        } while (!differs("pulse-window", text));
        set("pulse-window", text);
    }

    // always, never, or up to four periods of quarter hours, in any order, maybe touching.
    std::string schedule(const std::string &name, bool mayBeAlways)
    {
        std::string text;
        do {
            const int kind = pick(0, 5);
            if (kind == 0 && mayBeAlways) {
                text = "always";
            } else if (kind == 1) {
                text = "never";
            } else {
                text.clear();
                for (int n = pick(1, 4); n > 0; --n) {
                    const int start = pick(0, 95);
                    const int end = pick(start + 1, 96);
                    text += (text.empty() ? "" : ",") + clock(start) + "-" + clock(end);
                }
            }
        } while (!differs(name, text) || (!mayBeAlways && text == "always"));
        return text;
    }

    static std::string clock(int quarter)
    {
        // A one-digit hour now and then: set takes H:MM too.
        const int hour = quarter / 4;
        return (hour < 10 && quarter % 3 ? "0" : "") + std::to_string(hour) + ":" +
               (quarter % 4 ? std::to_string(quarter % 4 * 15) : "00");
    }

    void drawDays()
    {
        static const char *const kDays[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
        std::string text;
        do {
            text.clear();
            for (const char *day : kDays) {
                if (coin())
                    text += (text.empty() ? "" : ",") + std::string(day);
            }
            if (text.empty())
                text = "none";
        } while (!differs("days-on-schedule-2", text));
        set("days-on-schedule-2", text);
    }

    // The burst first: it needs a time lapse that is on and long enough for it; a time lapse
    // of less than five seconds needs both triggers off.
    void drawTimeLapse()
    {
        const bool burst = avoid ? avoid->at("time-lapse-burst") == "off" : coin();
        const bool triggersOff =
            drawn.at("internal-trigger") == "off" && drawn.at("external-trigger") == "off";
        const auto pictures = std::uint16_t(std::stoi(drawn.at("pictures-per-trigger")));
        static const std::pair<IntervalUnit, const char *> kUnits[] = {
            {IntervalUnit::Hours, "hour"},
            {IntervalUnit::Minutes, "minute"},
            {IntervalUnit::Seconds, "second"}};
        std::string text;
        for (;;) {
            const int unit = pick(-1, 2);
            if (unit < 0) {
                text = "off";
                if (!burst && differs("time-lapse", text))
                    break;
                continue;
            }
            const auto &[intervalUnit, unitWord] = kUnits[unit];
            const std::span<const int> entries = TimeLapseValues::entries(intervalUnit);
            const int count = entries[std::size_t(pick(0, int(entries.size()) - 1))];
            text = std::to_string(count) + " " + unitWord + (count == 1 ? "" : "s");
            const bool shortOne = intervalUnit == IntervalUnit::Seconds && count < 5;
            if (differs("time-lapse", text) && (!shortOne || triggersOff) &&
                (!burst || TimeLapseValues::burstFits(intervalUnit, count, pictures)))
                break;
        }
        set("time-lapse", text);
        set("time-lapse-burst", burst ? "on" : "off");
        set("time-lapse-schedule", schedule("time-lapse-schedule", true));
    }

    // A number or an address, and its BCC choice, which only a destination that is there
    // keeps.
    void drawDestination(const std::string &name, int maxLength, std::string_view characters)
    {
        const std::string bccName = name + "-bcc";
        const bool bcc = avoid ? avoid->at(bccName) == "no" : coin();
        std::string text;
        do {
            text.clear();
            for (int i = length(maxLength); i > 0; --i)
                text += characters[std::size_t(pick(0, int(characters.size()) - 1))];
        } while (!differs(name, text) || (bcc && text.empty()));
        set(name, text);
        set(bccName, bcc ? "yes" : "no");
    }

    // A full field once in four, an empty one now and then.
    int length(int maxLength) { return pick(0, 3) == 0 ? maxLength : pick(0, maxLength); }

    std::mt19937 random;
    const Values *avoid = nullptr;
    Values drawn;
};

Values shownValues(const CameraSettings &settings)
{
    Values values;
    for (const NamedValue &value : NamedSettingValues(settings))
        values[value.name] = value.value;
    return values;
}

QString valuesText(const std::vector<NamedValue> &values)
{
    QStringList lines;
    for (const NamedValue &value : values)
        lines << QString::fromStdString(value.name + "=" + value.value);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestRoundTrip : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    std::string path(const char *name) const { return dir.filePath(name).toStdString(); }

    // A file of the factory settings with `values` set as set sets them; they must be taken.
    bool makeFile(const char *name, const std::vector<NamedValue> &values, CameraSettings &made)
    {
        made = factorySettings();
        if (const auto refusal = ApplyNamedSettings(made, values)) {
            qWarning("%s refused: %s\n%s", name, refusal->text().c_str(),
                     qPrintable(valuesText(values)));
            return false;
        }
        return writeBytes(dir.filePath(name), settingsFileBytes(made));
    }

    // set B --from <(show --json A), then diff A B; the message says what went wrong.
    QString roundTrip(const CameraSettings &a)
    {
        const Result shown = runTool({"show", "--json", path("a.cfg")});
        const std::string warning = TimeLapseValues::noCameraOnPeriod(a) ? kWarning : "";
        if (shown.exitCode != 0 || shown.err != warning)
            return QString::fromStdString("show: " + shown.err);
        if (!writeBytes(dir.filePath("a.json"), QByteArray::fromStdString(shown.out)))
            return QStringLiteral("a.json not written");
        const Result set = runTool({"set", path("b.cfg"), "--from", path("a.json")});
        if (set.exitCode != 0 || set.err != warning)
            return QString::fromStdString("set, exit " + std::to_string(set.exitCode) + ": " +
                                          set.err);
        const Result diff = runTool({"diff", path("a.cfg"), path("b.cfg")});
        if (diff.exitCode != 0)
            return QString::fromStdString("diff, exit " + std::to_string(diff.exitCode) + ":\n" +
                                          diff.out + diff.err);
        return {};
    }

private slots:
    void init() { QVERIFY(dir.isValid()); }

    // Each seed makes A, a B that differs from it in every named setting, and a B of random
    // values of its own (with which A's trigger values may go where the first B's cannot).
    void whatShowPrintsSetTakes()
    {
        for (unsigned seed = 1; seed <= 200; ++seed) {
            ValueDraw draw(seed);
            // One of A and the differing B follows a preset, the other is Advanced and unlike it
            // in every value the preset sets.
            const Preset *preset = &kPresets[draw.pick(0, 2)];
            const bool aFollows = draw.coin();
            const auto valuesA = draw.draw(aFollows ? ValueDraw::Triggers{preset, nullptr}
                                                    : ValueDraw::Triggers{nullptr, preset});
            CameraSettings a, b;
            QVERIFY2(makeFile("a.cfg", valuesA, a), qPrintable(QString::number(seed)));
            const Values shownA = shownValues(a);
            const auto valuesB = draw.draw(aFollows ? ValueDraw::Triggers{nullptr, preset}
                                                    : ValueDraw::Triggers{preset, nullptr},
                                           &shownA);
            QVERIFY2(makeFile("b.cfg", valuesB, b), qPrintable(QString::number(seed)));
            const Values shownB = shownValues(b);
            for (const auto &[name, value] : shownA) {
                QVERIFY2(shownB.at(name) != value,
                         qPrintable(QStringLiteral("seed %1: B shows %2=%3 as A does")
                                        .arg(seed)
                                        .arg(QString::fromStdString(name),
                                             QString::fromStdString(value))));
            }
            QString failure = roundTrip(a);
            QVERIFY2(failure.isEmpty(),
                     qPrintable(QStringLiteral("seed %1, B differing: %2\nA:\n%3\nB:\n%4")
                                    .arg(seed)
                                    .arg(failure, valuesText(valuesA), valuesText(valuesB))));

            const auto randomB = draw.draw(draw.coin() ? ValueDraw::Triggers{preset, nullptr}
                                                       : ValueDraw::Triggers{});
            QVERIFY2(makeFile("b.cfg", randomB, b), qPrintable(QString::number(seed)));
            failure = roundTrip(a);
            QVERIFY2(failure.isEmpty(),
                     qPrintable(QStringLiteral("seed %1, B random: %2\nA:\n%3\nB:\n%4")
                                    .arg(seed)
                                    .arg(failure, valuesText(valuesA), valuesText(randomB))));
        }
    }

    // A file holding a value its tab cannot enter: show prints it, and set, giving it to
    // another file, refuses it by the setting's name and rule, and leaves that file alone.
    void aValueOutsideTheRulesIsRefusedByName_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("sensitivity between the slider's steps")
            << 5 << QByteArray("3c") << "sensitivity: Please enter one of 0, 25, 50, 75, 100.";
        QTest::newRow("nine pulses")
            << 6 << QByteArray("09") << "pulses: Please enter an integer between 1 and 5.";
        QTest::newRow("no picture a trigger")
            << 8 << QByteArray("00 00")
            << "pictures-per-trigger: Please enter an integer between 1 and 99.";
        QTest::newRow("interval in milliseconds")
            << 10 << QByteArray("dc 05") << "picture-interval: Please enter a whole number.";
        QTest::newRow("quiet period past an hour")
            << 12 << QByteArray("a0 0f")
            << "quiet-period: Please enter an integer between 0 and 3600.";
        QTest::newRow("time lapse off the minutes list")
            << 26 << QByteArray("01 00 07 00")
            << "time-lapse: Please enter one of 1, 2, 3, 4, 5, 6, 10, 12, 15, 20, 30, 60 minutes.";
    }
    void aValueOutsideTheRulesIsRefusedByName()
    {
        QFETCH(int, offset);
        QFETCH(QByteArray, stored);
        QFETCH(QString, refusal);
        QByteArray bytes = factoryFile();
        bytes.replace(offset, QByteArray::fromHex(stored).size(), QByteArray::fromHex(stored));
        QVERIFY(writeBytes(dir.filePath("a.cfg"), bytes));
        QVERIFY(writeBytes(dir.filePath("b.cfg"), factoryFile()));
        const Result shown = runTool({"show", "--json", path("a.cfg")});
        QCOMPARE(shown.exitCode, 0);
        QVERIFY(writeBytes(dir.filePath("a.json"), QByteArray::fromStdString(shown.out)));
        const Result set = runTool({"set", path("b.cfg"), "--from", path("a.json")});
        QCOMPARE(set.exitCode, 1);
        QCOMPARE(QString::fromStdString(set.err), refusal + "\n");
        QCOMPARE(readBytes(dir.filePath("b.cfg")), factoryFile());
    }

    // The law as a script writes it, with the built program and the shell's process
    // substitution for the JSON.
    void theShellPipelineKeepsTheLaw()
    {
        ValueDraw draw(2024);
        CameraSettings a, b;
        QVERIFY(makeFile("a.cfg", draw.draw({&kPresets[1], nullptr}), a));
        QVERIFY(makeFile("b.cfg", draw.draw({nullptr, &kPresets[1]}, nullptr), b));
        QVERIFY(readBytes(dir.filePath("a.cfg")) != readBytes(dir.filePath("b.cfg")));
        QProcess shell;
        shell.setWorkingDirectory(dir.path());
        shell.start(QStringLiteral("bash"),
                    {QStringLiteral("-c"),
                     QStringLiteral("k=\"$1\"; \"$k\" set b.cfg --from <(\"$k\" show --json a.cfg) "
                                    "&& \"$k\" diff a.cfg b.cfg"),
                     QStringLiteral("bash"), QStringLiteral(KESTRA_CFG)});
        QVERIFY(shell.waitForFinished(30000));
        QCOMPARE(shell.readAllStandardOutput(), QByteArray());
        QCOMPARE(shell.exitCode(), 0);
    }
};

QTEST_APPLESS_MAIN(TestRoundTrip)
#include "tst_round_trip.moc"
