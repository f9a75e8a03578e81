// Named settings as kestra-cfg's set applies them to the factory settings: the bytes that
// reach the file, or the refusal with the tab's message and nothing applied.
#include "settings/named_settings.h"
#include "settings_test_files.h"

#include <QSet>
#include <QTest>

using namespace testfiles;

namespace {

QByteArray fileBytes(const CameraSettings &settings)
{
    const auto bytes = EncodeSettingsFile(settings);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

// The record a settings file holds, section by section, without the reader's conversions.
CameraSettings recordOf(const QByteArray &file)
{
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(file.constData());
    CameraSettings settings;
    settings.core = CoreSection::decode(std::span<const std::uint8_t, 74>(bytes, 74));
    settings.dual = DualScheduleSection::decode(std::span<const std::uint8_t, 54>(bytes + 74, 54));
    settings.cellular =
        CellularSection::decode(std::span<const std::uint8_t, 106>(bytes + 128, 106));
    return settings;
}

const QByteArray kEmail36 = "abcdefghijklmnopqrstuvwxyz@012345.de";

} // namespace

class TestNamedSettings : public QObject
{
    Q_OBJECT

    // Columns of every table: the values in order; the refusal ("" when accepted); for an
    // accepted change the file bytes expected at an offset.
    static void columns()
    {
        QTest::addColumn<QByteArrayList>("values");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("hex");
    }
    static void accepted(const char *row, const QByteArrayList &values, int offset,
                         const QByteArray &hex)
    {
        QTest::newRow(row) << values << QString() << offset << hex;
    }
    static void refused(const char *row, const QByteArrayList &values, const QString &refusal)
    {
        QTest::newRow(row) << values << refusal << -1 << QByteArray();
    }

    static void verify()
    {
        QFETCH(QByteArrayList, values);
        QFETCH(QString, refusal);
        QFETCH(int, offset);
        QFETCH(QByteArray, hex);
        CameraSettings settings;
        settings.ResetAll();
        std::vector<NamedValue> named;
        for (const QByteArray &value : values) {
            const qsizetype equals = value.indexOf('=');
            named.push_back(
                {value.left(equals).toStdString(), value.mid(equals + 1).toStdString()});
        }
        const auto result = ApplyNamedSettings(settings, named);
        QCOMPARE(result ? QString::fromStdString(result->text()) : QString(), refusal);
        if (result) {
            QCOMPARE(fileBytes(settings).toHex(' '), factoryFile().toHex(' ')); // all or nothing
        } else {
            const QByteArray expected = QByteArray::fromHex(hex);
            QCOMPARE(fileBytes(settings).mid(offset, expected.size()).toHex(' '),
                     expected.toHex(' '));
        }
    }

private slots:
    void switches_data()
    {
        columns();
        accepted("internal trigger off", {"internal-trigger=off"}, 4, "00 64");
        accepted("yes for on", {"external-trigger=yes"}, 4, "03 64");
        accepted("use cellular is the inverse bit", {"use-cellular=off"}, 132, "02 00");
        accepted("daily status picture", {"daily-status-picture=no"}, 134, "01 00");
        accepted("loop recording and logo", {"loop-recording=on", "hide-logo=on"}, 132, "05 00");
        accepted("illuminator and KeyBolt", {"disable-illuminator=on", "keybolt=on"}, 68, "2a 00");
        accepted("print border", {"print-border=on"}, 44, "1f 00");
        refused("neither on nor off", {"internal-trigger=maybe"},
                "internal-trigger: Please enter one of on, off.");
        refused("a BCC choice is yes or no", {"phone-1-bcc=maybe"},
                "phone-1-bcc: Please enter one of yes, no.");
    }
    void switches() { verify(); }

    void integers_data()
    {
        columns();
        accepted("pictures 99", {"pictures-per-trigger=99"}, 8, "63 00");
        accepted("quiet period 3600", {"quiet-period=3600"}, 12, "10 0e");
        accepted("pulses 5", {"pulses=5"}, 6, "05");
        accepted("brightness 255, contrast 0", {"brightness=255", "contrast=0"}, 42, "ff 00");
        accepted("sharpness, saturation", {"sharpness=7", "saturation=200"}, 46, "07 c8");
        const QString pictures = "pictures-per-trigger: Please enter an integer between 1 and 99.";
        refused("pictures 100", {"pictures-per-trigger=100"}, pictures);
        refused("a sign is out of range", {"pictures-per-trigger=-5"}, pictures);
        refused("a third digit is out of the field", {"pictures-per-trigger=007"}, pictures);
        refused("letters", {"pictures-per-trigger=5a"},
                "pictures-per-trigger: Please enter an integer.");
        refused("blank around", {"pictures-per-trigger= 5"},
                "pictures-per-trigger: Please enter an integer.");
        refused("empty", {"quiet-period="}, "quiet-period: Please enter an integer.");
        refused("quiet period 3601", {"quiet-period=3601"},
                "quiet-period: Please enter an integer between 0 and 3600.");
        refused("pulses 6", {"pulses=6"}, "pulses: Please enter an integer between 1 and 5.");
        refused("brightness 256", {"brightness=256"},
                "brightness: Please enter an integer between 0 and 255.");
        refused("all or nothing", {"pulses=2", "pulses=0"},
                "pulses: Please enter an integer between 1 and 5.");
    }
    void integers() { verify(); }

    void numbers_data()
    {
        columns();
        accepted("window 2.5 s", {"pulse-window=2.5"}, 7, "19");
        accepted("window .5 s", {"pulse-window=.5"}, 7, "05");
        accepted("60 s between pictures", {"picture-interval=60"}, 10, "60 ea");
        const QString window = "pulse-window: Please enter a number between 0.3 and 10.";
        refused("window 10.5 s", {"pulse-window=10.5"}, window);
        refused("window beyond two digits", {"pulse-window=100"}, window);
        refused("window in hundredths", {"pulse-window=0.25"},
                "pulse-window: Please enter a number with no more than 1 decimal place.");
        refused("decimal comma", {"pulse-window=1,5"}, "pulse-window: Please enter a number.");
        refused("seconds with a fraction", {"picture-interval=1.5"},
                "picture-interval: Please enter a whole number.");
        refused("61 s", {"picture-interval=61"},
                "picture-interval: Please enter a number between 1 and 60.");
    }
    void numbers() { verify(); }

    void choices_data()
    {
        columns();
        // Aggressive: fast sequence, 5 pictures, 1 s, no quiet period; preset 2 stored.
        accepted("aggressive preset", {"quickset=aggressive"}, 4, "05 64 01 0a 05 00 e8 03 00 00");
        accepted("preset number stored", {"quickset=conservative"}, 68, "18 00");
        accepted("advanced forgets the preset", {"quickset=advanced"}, 68, "00 00");
        accepted("sensitivity 75", {"sensitivity=75"}, 4, "01 4b");
        accepted("fast sequence", {"pacing=fast"}, 4, "05 64");
        accepted("Celsius", {"temperature=celsius"}, 44, "3e 00");
        accepted("24-hour clock", {"clock=24-hour"}, 44, "5e 00");
        accepted("low resolution", {"resolution=low"}, 44, "9e 00");
        accepted("fast night shutter", {"night-shutter=fast"}, 44, "1e 02");
        accepted("low night ISO is code 1", {"night-iso=low"}, 44, "1e 04");
        accepted("high night ISO is code 2", {"night-iso=high"}, 44, "1e 08");
        accepted("wait 2 days", {"start-delay=2 days"}, 44, "1e 20");
        accepted("wait 42 weeks", {"start-delay=42 weeks"}, 44, "1e e0");
        // Words in any case; the refusal lists them as show prints them.
        accepted("preset in capitals", {"quickset=Aggressive"}, 4, "05 64 01 0a 05 00 e8 03");
        accepted("switch in capitals", {"internal-trigger=OFF"}, 4, "00 64");
        accepted("unit in capitals", {"time-lapse=10 Minutes"}, 26, "01 00 0a 00");
        accepted("days in capitals", {"days-on-schedule-2=Sun,SAT"}, 78, "41 00");
        accepted("list entry in capitals", {"start-delay=2 Days"}, 44, "1e 20");
        refused("no such preset in any case", {"quickset=Normale"},
                "quickset: Please enter one of normal, aggressive, conservative, advanced.");
        refused("sensitivity off the slider", {"sensitivity=60"},
                "sensitivity: Please enter one of 0, 25, 50, 75, 100.");
        refused("night shutter", {"night-shutter=medium"},
                "night-shutter: Please enter one of slow, middle, fast.");
        refused("no such start delay", {"start-delay=7 days"},
                "start-delay: Please enter one of immediately, 1 day, 2 days, 3 days, 4 days, "
                "5 days, 6 days, 1 week, 2 weeks, 3 weeks, 4 weeks, 6 weeks, 8 weeks, 12 weeks, "
                "42 weeks.");
    }
    void choices() { verify(); }

    void schedules_data()
    {
        columns();
        // 06:00 is quarter hour 24, 18:30 is 74, 20:00-22:00 are 80..87.
        accepted("two periods", {"trigger-schedule=06:00-18:30,20:00-22:00"}, 14,
                 "00 00 00 ff ff ff ff ff ff 03 ff 00");
        accepted("any order, blanks, one-digit hour", {"trigger-schedule=20:00-22:00, 6:00-7:00"},
                 14, "00 00 00 0f 00 00 00 00 00 00 ff 00");
        accepted("last quarter hour", {"time-lapse-schedule=23:45-24:00"}, 30,
                 "00 00 00 00 00 00 00 00 00 00 00 80");
        accepted("always", {"time-lapse-schedule=always"}, 30,
                 "ff ff ff ff ff ff ff ff ff ff ff ff");
        accepted("never where it is never already", {"time-lapse-schedule=never"}, 30,
                 "00 00 00 00 00 00 00 00 00 00 00 00");
        accepted("days on schedule 2", {"days-on-schedule-2=sun,sat"}, 78, "41 00");
        accepted("schedule 2 unused may be off", {"dual-schedule-2=never"}, 92,
                 "00 00 00 00 00 00 00 00 00 00 00 00");
        // A file may hold a day with no period on: what show prints, set takes.
        accepted("trigger schedule never", {"trigger-schedule=Never"}, 14,
                 QByteArray(12, 0).toHex(' '));
        accepted("time-lapse schedule emptied",
                 {"time-lapse-schedule=always", "time-lapse-schedule=NEVER"}, 30,
                 QByteArray(12, 0).toHex(' '));
        const QString syntax = "trigger-schedule: Please enter always, never or periods of "
                               "quarter hours such as 06:00-18:30,20:00-22:00.";
        refused("not a quarter hour", {"trigger-schedule=06:10-07:00"}, syntax);
        refused("over midnight", {"trigger-schedule=18:00-06:00"}, syntax);
        refused("past the day", {"trigger-schedule=24:00-24:15"}, syntax);
        refused("no such day", {"days-on-schedule-2=sunday"},
                "days-on-schedule-2: Please enter none or days such as sun,sat.");
    }
    void schedules() { verify(); }

    void texts_data()
    {
        columns();
        accepted("label", {"label=RIDGE 7"}, 48, "52 49 44 47 45 20 37 00");
        accepted("label in ISO 8859-1", {"label=Caf\u00e9"}, 48, "43 61 66 e9 00");
        accepted("20 characters fill the field", {"label=ABCDEFGHIJKLMNOPQRST"}, 48,
                 "41 42 43 44 45 46 47 48 49 4a 4b 4c 4d 4e 4f 50 51 52 53 54 08");
        accepted("phone", {"phone-1=1-555"}, 138, "21 6c 66 00 00 00 00 00");
        accepted("BCC after the number", {"phone-2=1-555-555-1212", "phone-2-bcc=yes"}, 146,
                 "22 6c 66 6c 66 2c 23 03");
        accepted("BCC before the number", {"phone-3-bcc=yes", "phone-3=1-555"}, 154,
                 "22 6c 66 00 00 00 00 00");
        accepted("emptied number", {"phone-4=555", "phone-4="}, 162, "00 00 00 00 00 00 00 00");
        accepted("e-mail", {"email-1=abc"}, 170,
                 "00 e0 00 e0 00 00 00 00 00 00 00 60 00 a0 00 00 "
                 "00 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00");
        // The last character, "e", shares its byte with the kind, To.
        accepted("e-mail BCC before the address", {"email-2-bcc=yes", "email-2=abc"}, 202 + 30,
                 "02");
        accepted("36 characters", {"email-2=" + kEmail36}, 202 + 30, "95");
        refused("21 characters", {"label=ABCDEFGHIJKLMNOPQRSTU"},
                "label: Please enter no more than 20 characters.");
        refused("forbidden on the stamp", {"label=a~b"},
                "label: The character \"~\" is not allowed.");
        refused("no byte of its own", {"label=5 \u20ac"},
                "label: The character \"\u20ac\" is not allowed.");
        refused("not UTF-8", {"label=\xff"}, "label: The text is not valid UTF-8.");
        refused("letters in a number", {"phone-1=555-CALL"},
                "phone-1: The character \"C\" is not allowed.");
        refused("a tab in a number, which would end it", {"phone-1=12\t34"},
                "phone-1: The character \"\\x09\" is not allowed.");
        refused("16 digits", {"phone-1=1234567890123456"},
                "phone-1: Please enter no more than 15 characters.");
        refused("comma in an address", {"email-1=a,b@x"},
                "email-1: The character \",\" is not allowed.");
        refused("beyond seven bits", {"email-1=\u00e9@x"},
                "email-1: The character \"\u00e9\" is not allowed.");
        refused("37 characters", {"email-2=" + kEmail36 + "x"},
                "email-2: Please enter no more than 36 characters.");
    }
    void texts() { verify(); }

    void timeLapse_data()
    {
        columns();
        // timeLapseFlags, then the interval: unit in bits 14-15, count below.
        accepted("10 minutes", {"time-lapse=10 minutes"}, 26, "01 00 0a 00");
        accepted("1 hour", {"time-lapse=1 hour"}, 26, "01 00 01 40");
        accepted("30 seconds", {"time-lapse=30 seconds"}, 26, "01 00 1e 80");
        accepted("off stores the tab's default and one picture",
                 {"time-lapse=1 hour", "time-lapse-burst=on", "time-lapse=off"}, 26, "00 00 05 00");
        refused("not on the hours list", {"time-lapse=5 hours"},
                "time-lapse: Please enter one of 1, 2, 3, 4, 6, 8, 12, 24 hours.");
        refused("not on the minutes list", {"time-lapse=7 minutes"},
                "time-lapse: Please enter one of 1, 2, 3, 4, 5, 6, 10, 12, 15, 20, 30, 60 "
                "minutes.");
        const QString syntax = "time-lapse: Please enter off or an interval such as 10 minutes, "
                               "1 hour or 30 seconds.";
        refused("short unit", {"time-lapse=10 min"}, syntax);
        refused("no unit", {"time-lapse=10"}, syntax);
        refused("on", {"time-lapse=on"}, syntax);
    }
    void timeLapse() { verify(); }

    void keyBoltCode_data()
    {
        columns();
        // Digits 4, 3, 2, 1 are stored as 3, 2, 1, 0 in bits 8-15.
        accepted("4321", {"keybolt-code=4321"}, 68, "08 1b");
        const QString syntax = "keybolt-code: Please enter four digits, each from 1 to 4.";
        refused("digit 5", {"keybolt-code=1235"}, syntax);
        refused("three digits", {"keybolt-code=123"}, syntax);
        refused("a letter", {"keybolt-code=12a4"}, syntax);
    }
    void keyBoltCode() { verify(); }

    // Rules that tie settings of different tabs together, applied to the result; the setting
    // named is the one given last among those that break the rule.
    void crossChecks_data()
    {
        columns();
        const QString short116 =
            "time-lapse: Both internal and external triggers must be "
            "disabled when using a time lapse interval less than five seconds.";
        const QString armed117 = "To enable triggers you must first change the time lapse "
                                 "interval to five or more seconds.";
        const QString burst126 = "pictures-per-trigger: If you use these BurstClip settings the "
                                 "option to take multiple pics during Time Lapse will be disabled.";
        const QString burstFit = "The BurstClip pictures, taken 5 seconds apart, do not fit into "
                                 "the time lapse interval.";
        refused("short time lapse with a trigger on", {"time-lapse=4 seconds"}, short116);
        accepted("short time lapse, triggers off", {"internal-trigger=off", "time-lapse=4 seconds"},
                 4, "00 64");
        refused("trigger after the short time lapse",
                {"internal-trigger=off", "time-lapse=4 seconds", "external-trigger=on"},
                "external-trigger: " + armed117);
        refused("a preset arms the internal trigger",
                {"internal-trigger=off", "time-lapse=2 seconds", "quickset=aggressive"},
                "quickset: " + armed117);
        accepted("the result counts, not the way there",
                 {"time-lapse=4 seconds", "internal-trigger=on", "time-lapse=5 seconds"}, 26,
                 "01 00 05 80");
        refused("13 pictures in a minute",
                {"time-lapse=1 minute", "time-lapse-burst=on", "pictures-per-trigger=13"},
                burst126);
        accepted("12 pictures in a minute",
                 {"time-lapse=1 minute", "time-lapse-burst=on", "pictures-per-trigger=12"}, 26,
                 "03 00 01 00");
        refused("burst chosen where it does not fit",
                {"pictures-per-trigger=7", "time-lapse=30 seconds", "time-lapse-burst=on"},
                "time-lapse-burst: " + burstFit);
        refused("interval chosen where the burst does not fit",
                {"time-lapse=1 minute", "time-lapse-burst=on", "time-lapse=10 seconds"},
                "time-lapse: " + burstFit);
        refused("burst without a time lapse", {"time-lapse-burst=on"},
                "time-lapse-burst: Please choose a time lapse interval first.");
        accepted("hours hold any burst",
                 {"time-lapse=24 hours", "time-lapse-burst=on", "pictures-per-trigger=99"}, 8,
                 "63 00");
        // The dual schedules are taken as a file may hold them, with no period on for any day.
        accepted("one day on an empty schedule 2, six on schedule 1",
                 {"days-on-schedule-2=mon", "dual-schedule-2=never"}, 78, "02 00");
        accepted("every day on an empty schedule 2",
                 {"days-on-schedule-2=sun,mon,tue,wed,thu,fri,sat", "dual-schedule-2=never"}, 78,
                 "7f 00 " + QByteArray(12, char(0xFF)).toHex(' ') + " " +
                     QByteArray(12, 0).toHex(' '));
        // A preset makes every trigger schedule always armed and clears the whole day word.
        accepted("preset over restricted schedules",
                 {"quickset=advanced", "trigger-schedule=06:00-18:00", "days-on-schedule-2=mon",
                  "dual-schedule-2=08:00-09:00", "quickset=conservative"},
                 78, "00 00 " + QByteArray(24, char(0xFF)).toHex(' '));
        accepted("a trigger value leaves the preset",
                 {"quickset=aggressive", "pictures-per-trigger=7"}, 68, "00 00");
        accepted("the external trigger keeps it", {"quickset=aggressive", "external-trigger=on"},
                 68, "10 00");
        refused("unknown name", {"frobnicate=1"}, "frobnicate: There is no setting of this name.");
    }
    void crossChecks() { verify(); }

    // What show gives for stored values, also those the tabs cannot enter; such a value is
    // accepted back where the setting holds it already, and changes nothing.
    void shownValues_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("sensitivity off the slider") << 5 << QByteArray("3c") << "sensitivity"
                                                    << "60";
        QTest::newRow("window in tenths") << 7 << QByteArray("37") << "pulse-window"
                                          << "5.5";
        QTest::newRow("interval in milliseconds") << 10 << QByteArray("dc 05") << "picture-interval"
                                                  << "1.5";
        QTest::newRow("quickset whose values changed") << 8 << QByteArray("04 00") << "quickset"
                                                       << "advanced";
        QTest::newRow("7 minutes") << 26 << QByteArray("01 00 07 00") << "time-lapse"
                                   << "7 minutes";
        QTest::newRow("milliseconds") << 26 << QByteArray("01 00 c4 c9") << "time-lapse"
                                      << "2500 milliseconds";
        QTest::newRow("off keeps no interval") << 26 << QByteArray("00 00 0a 00") << "time-lapse"
                                               << "off";
        QTest::newRow("night shutter 3 shows as the middle")
            << 44 << QByteArray("1e 03") << "night-shutter"
            << "middle";
        QTest::newRow("night ISO 3 shows as high") << 44 << QByteArray("1e 0c") << "night-iso"
                                                   << "high";
        QTest::newRow("start delay 15 selects nothing")
            << 44 << QByteArray("1e f0") << "start-delay"
            << "unset";
        QTest::newRow("label as UTF-8") << 48 << QByteArray("c4 00") << "label"
                                        << "\u00c4";
        QTest::newRow("digits of a number of kind none")
            << 138 << QByteArray("20 6c 66 00") << "phone-1"
            << "";
        QTest::newRow("e-mail of kind 3 is no BCC") << 170 + 30 << QByteArray("03") << "email-1-bcc"
                                                    << "no";
        QTest::newRow("trigger schedule all off")
            << 14 << QByteArray("00 00 00 00 00 00 00 00 00 00 00 00") << "trigger-schedule"
            << "never";
    }
    void shownValues()
    {
        QFETCH(int, offset);
        QFETCH(QByteArray, stored);
        QFETCH(QString, name);
        QFETCH(QString, shown);
        QByteArray file = factoryFile();
        file.replace(offset, QByteArray::fromHex(stored).size(), QByteArray::fromHex(stored));
        CameraSettings settings = recordOf(file);
        QCOMPARE(QString::fromStdString(NamedSettingValue(settings, name.toStdString())), shown);
        const NamedValue same{name.toStdString(), shown.toStdString()};
        QVERIFY(!ApplyNamedSettings(settings, std::span(&same, 1)));
        QCOMPARE(fileBytes(settings).toHex(' '), fileBytes(recordOf(file)).toHex(' '));
    }

    void everyNameIsShownOnceInTabOrder()
    {
        QStringList tabs;
        QSet<QString> names;
        for (const NamedSetting &setting : NamedSettings()) {
            const QString tab = QString::fromUtf8(setting.tab.data(), setting.tab.size());
            if (tabs.isEmpty() || tabs.last() != tab)
                tabs << tab;
            names.insert(QString::fromUtf8(setting.name.data(), setting.name.size()));
        }
        QCOMPARE(tabs, (QStringList{"Triggers", "Time Lapse", "Images", "Cellular", "Other"}));
        QCOMPARE(names.size(), qsizetype(NamedSettings().size()));
        CameraSettings factory;
        factory.ResetAll();
        QCOMPARE(NamedSettingValues(factory).size(), NamedSettings().size());
    }
};

QTEST_APPLESS_MAIN(TestNamedSettings)
#include "tst_named_settings.moc"
