#include "settings/camera_settings.h"

#include <QTest>

#include <functional>

Q_DECLARE_METATYPE(PhoneNumberWords)

namespace {
// Every field a page edits, as (name, word, setter); used to show each accessor stays
// inside its own bits.
struct FlagAccessor
{
    const char *name;
    std::function<std::uint16_t &(CameraSettings &)> word;
    std::uint16_t mask;
    std::function<void(CameraSettings &, bool)> set;
    std::function<bool(const CameraSettings &)> test;
};

const std::vector<FlagAccessor> &flagAccessors()
{
    static const std::vector<FlagAccessor> accessors{
        {"internalTrigger",
         [](CameraSettings &s) -> std::uint16_t & { return s.core.triggerFlags; }, 0x0001,
         &CameraSettings::SetInternalTrigger, &CameraSettings::InternalTrigger},
        {"externalTrigger",
         [](CameraSettings &s) -> std::uint16_t & { return s.core.triggerFlags; }, 0x0002,
         &CameraSettings::SetExternalTrigger, &CameraSettings::ExternalTrigger},
        {"fastSequence", [](CameraSettings &s) -> std::uint16_t & { return s.core.triggerFlags; },
         0x0004, &CameraSettings::SetFastSequence, &CameraSettings::FastSequence},
        {"timeLapseOn", [](CameraSettings &s) -> std::uint16_t & { return s.core.timeLapseFlags; },
         0x0001, &CameraSettings::SetTimeLapseOn, &CameraSettings::TimeLapseOn},
        {"timeLapseBurst",
         [](CameraSettings &s) -> std::uint16_t & { return s.core.timeLapseFlags; }, 0x0002,
         &CameraSettings::SetTimeLapseBurst, &CameraSettings::TimeLapseBurst},
        {"printBorder", [](CameraSettings &s) -> std::uint16_t & { return s.core.imageFlags; },
         0x0001, &CameraSettings::SetPrintBorder, &CameraSettings::PrintBorder},
        {"celsius", [](CameraSettings &s) -> std::uint16_t & { return s.core.imageFlags; }, 0x0020,
         &CameraSettings::SetCelsius, &CameraSettings::Celsius},
        {"clock24h", [](CameraSettings &s) -> std::uint16_t & { return s.core.imageFlags; }, 0x0040,
         &CameraSettings::SetClock24h, &CameraSettings::Clock24h},
        {"lowResolution", [](CameraSettings &s) -> std::uint16_t & { return s.core.imageFlags; },
         0x0080, &CameraSettings::SetLowResolution, &CameraSettings::LowResolution},
        {"keyBoltOn", [](CameraSettings &s) -> std::uint16_t & { return s.core.optionFlags; },
         0x0002, &CameraSettings::SetKeyBoltOn, &CameraSettings::KeyBoltOn},
        {"illuminatorOff", [](CameraSettings &s) -> std::uint16_t & { return s.core.optionFlags; },
         0x0020, &CameraSettings::SetIlluminatorOff, &CameraSettings::IlluminatorOff},
        {"loopRecording", [](CameraSettings &s) -> std::uint16_t & { return s.cellular.cellFlags; },
         0x0001, &CameraSettings::SetLoopRecording, &CameraSettings::LoopRecording},
        {"cellularOff", [](CameraSettings &s) -> std::uint16_t & { return s.cellular.cellFlags; },
         0x0002, &CameraSettings::SetCellularOff, &CameraSettings::CellularOff},
        {"hideLogo", [](CameraSettings &s) -> std::uint16_t & { return s.cellular.cellFlags; },
         0x0004, &CameraSettings::SetHideLogo, &CameraSettings::HideLogo},
        {"dailyStatusOff",
         [](CameraSettings &s) -> std::uint16_t & { return s.cellular.statusFlags; }, 0x0001,
         &CameraSettings::SetDailyStatusOff, &CameraSettings::DailyStatusOff},
    };
    return accessors;
}

// The bytes of all three sections, for comparing whole records.
QByteArray recordBytes(const CameraSettings &s)
{
    QByteArray out;
    for (auto b : s.core.encode())
        out += char(b);
    for (auto b : s.dual.encode())
        out += char(b);
    for (auto b : s.cellular.encode())
        out += char(b);
    return out;
}
} // namespace

class TestCameraSettings : public QObject
{
    Q_OBJECT

private slots:
    void loadTimePacking_data()
    {
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("stored");
        QTest::newRow("last second of the day") << 23 << 59 << 59 << 0xBF7D;
        QTest::newRow("half past noon, odd seconds halved") << 12 << 30 << 15 << 0x63C7;
        QTest::newRow("hour 24 stores none") << 24 << 0 << 0 << 0;
        QTest::newRow("minute 60 stores none") << 10 << 60 << 0 << 0;
        QTest::newRow("second 60 stores none") << 10 << 0 << 60 << 0;
    }
    void loadTimePacking()
    {
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(int, second);
        QFETCH(int, stored);
        CameraSettings s;
        s.core.loadTime = 0x1234;
        s.SetLoadTime(hour, minute, second);
        QCOMPARE(int(s.core.loadTime), stored);
    }

    void loadDatePacking_data()
    {
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("stored");
        QTest::newRow("last day of 2099") << 12 << 31 << 99 << 0xEF9F;
        QTest::newRow("fourth of July 2014") << 7 << 4 << 14 << 0x44E4;
        QTest::newRow("month 0 stores none") << 0 << 4 << 14 << 0;
        QTest::newRow("February 31 is not checked") << 2 << 31 << 14 << ((34 << 9) | (2 << 5) | 31);
        QTest::newRow("year 100 stores none") << 1 << 1 << 100 << 0;
    }
    void loadDatePacking()
    {
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(int, year);
        QFETCH(int, stored);
        CameraSettings s;
        s.SetLoadDate(month, day, year);
        QCOMPARE(int(s.core.loadDate), stored);
    }

    void storedYearBefore2000ReadsAsZero()
    {
        CameraSettings s;
        s.core.loadDate = static_cast<std::uint16_t>((19 << 9) | (3 << 5) | 9);
        int month = -1, day = -1, year = -1;
        s.GetLoadDate(&month, &day, &year);
        QCOMPARE(year, 0);
        QCOMPARE(month, 3);
        QCOMPARE(day, 9);
    }

    // ---- factory values ---------------------------------------------------------------------

    void factoryResetGivesTheFactoryColumn()
    {
        CameraSettings s;
        s.ResetAll();
        QCOMPARE(s.core.tag, 5);
        QCOMPARE(s.core.size, 200);
        QCOMPARE(s.core.triggerFlags, 0x6401);
        QCOMPARE(s.core.pulseCount, 1);
        QCOMPARE(s.core.pulseWindow, 10);
        QCOMPARE(s.core.picturesPerTrigger, 3);
        QCOMPARE(s.core.pictureInterval, 1000);
        QCOMPARE(s.core.quietPeriod, 0);
        QVERIFY(s.core.triggerDaySchedule.IsAllOn());
        QCOMPARE(s.core.timeLapseFlags, 0);
        QCOMPARE(s.core.timeLapseInterval, 5);
        QVERIFY(!s.core.timeLapseDaySchedule.AnyOn());
        QCOMPARE(s.core.brightness, 64);
        QCOMPARE(s.core.contrast, 192);
        QCOMPARE(s.core.imageFlags, 0x001E);
        QCOMPARE(s.core.sharpness, 128);
        QCOMPARE(s.core.saturation, 128);
        QCOMPARE(s.Label(), std::string());
        QCOMPARE(s.core.optionFlags, 0x0008);
        QCOMPARE(s.StoredQuickset(), QuicksetNormal);
        QCOMPARE(s.core.loadTime, 0);
        QCOMPARE(s.core.loadDate, 0);

        QCOMPARE(s.dual.tag, 1);
        QCOMPARE(s.dual.size, 50);
        QCOMPARE(s.dual.dayAssignment, 0);
        for (const DaySchedule *d : {&s.dual.triggerSchedule1, &s.dual.triggerSchedule2,
                                     &s.dual.timeLapseSchedule1, &s.dual.timeLapseSchedule2})
            QVERIFY(d->IsAllOn());

        QCOMPARE(s.cellular.tag, 256);
        QCOMPARE(s.cellular.size, 102);
        const auto cellular = s.cellular.encode();
        QVERIFY(std::all_of(cellular.begin() + 4, cellular.end(), [](auto b) { return b == 0; }));
    }

    void factoryResetForgetsEverythingBefore()
    {
        CameraSettings fresh;
        fresh.ResetAll();
        CameraSettings used;
        used.ResetAll();
        // Scribble over every byte, headers included.
        auto core = used.core.encode();
        core.fill(0xA5);
        used.core = CoreSection::decode(core);
        auto dual = used.dual.encode();
        dual.fill(0x5A);
        used.dual = DualScheduleSection::decode(dual);
        auto cellular = used.cellular.encode();
        cellular.fill(0xC3);
        used.cellular = CellularSection::decode(cellular);
        used.ResetAll();
        QCOMPARE(recordBytes(used), recordBytes(fresh));
    }

    void sectionBytesFollowTheFieldOffsets()
    {
        // Distinct values in fields on both sides of the schedules and the label catch a
        // field written at the wrong offset or in the wrong byte order.
        CameraSettings s;
        s.ResetAll();
        s.core.pulseWindow = 0x77;
        s.core.quietPeriod = 0x1234;
        s.core.timeLapseDaySchedule.words[5] = 0xBEEF;
        s.core.brightness = 0x11;
        s.core.imageFlags = 0xCAFE;
        s.SetLabel("AB");
        s.core.loadDate = 0xF00D;
        const auto core = s.core.encode();
        QCOMPARE(core[7], 0x77);
        QCOMPARE(core[12], 0x34);
        QCOMPARE(core[13], 0x12);
        QCOMPARE(core[40], 0xEF);
        QCOMPARE(core[41], 0xBE);
        QCOMPARE(core[42], 0x11);
        QCOMPARE(core[44], 0xFE);
        QCOMPARE(core[45], 0xCA);
        QCOMPARE(core[48], 'A');
        QCOMPARE(core[49], 'B');
        QCOMPARE(core[72], 0x0D);
        QCOMPARE(core[73], 0xF0);
        QCOMPARE(CoreSection::decode(core), s.core);

        s.dual.dayAssignment = 0x7F41;
        s.dual.timeLapseSchedule2.words[5] = 0x1357;
        const auto dual = s.dual.encode();
        QCOMPARE(dual[4], 0x41);
        QCOMPARE(dual[5], 0x7F);
        QCOMPARE(dual[52], 0x57);
        QCOMPARE(dual[53], 0x13);
        QCOMPARE(DualScheduleSection::decode(dual), s.dual);

        s.cellular.reserved = 0x2468;
        s.cellular.phoneNumbers[3][3] = 0x9ABC;
        s.cellular.email1[0] = 0x01;
        s.cellular.email2[31] = 0xFF;
        const auto cellular = s.cellular.encode();
        QCOMPARE(cellular[8], 0x68);
        QCOMPARE(cellular[9], 0x24);
        QCOMPARE(cellular[40], 0xBC);
        QCOMPARE(cellular[41], 0x9A);
        QCOMPARE(cellular[42], 0x01);
        QCOMPARE(cellular[105], 0xFF);
        QCOMPARE(CellularSection::decode(cellular), s.cellular);
    }

    // ---- flag accessors ---------------------------------------------------------------------

    void flagSetterTouchesOnlyItsMask_data()
    {
        QTest::addColumn<int>("accessor");
        for (std::size_t i = 0; i < flagAccessors().size(); ++i)
            QTest::newRow(flagAccessors()[i].name) << int(i);
    }
    void flagSetterTouchesOnlyItsMask()
    {
        QFETCH(int, accessor);
        const FlagAccessor &a = flagAccessors()[std::size_t(accessor)];
        for (std::uint16_t start : {std::uint16_t(0x0000), std::uint16_t(0xFFFF),
                                    std::uint16_t(0xA5A5), std::uint16_t(0x5A5A)}) {
            CameraSettings s;
            a.word(s) = start;
            QCOMPARE(a.test(s), (start & a.mask) != 0);
            a.set(s, true);
            QCOMPARE(a.word(s), std::uint16_t(start | a.mask));
            QVERIFY(a.test(s));
            a.set(s, false);
            QCOMPARE(a.word(s), std::uint16_t(start & ~a.mask));
            QVERIFY(!a.test(s));
        }
    }

    void sensitivityKeepsTheTriggerBits()
    {
        CameraSettings s;
        s.core.triggerFlags = 0x64FF;
        QCOMPARE(s.Sensitivity(), 100);
        s.SetSensitivity(25);
        QCOMPARE(s.core.triggerFlags, 0x19FF);
        s.SetSensitivity(0);
        QCOMPARE(s.core.triggerFlags, 0x00FF);
    }

    void nightSettingsIgnoreValuesAboveThree_data()
    {
        QTest::addColumn<bool>("iso");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("stored");
        QTest::newRow("shutter 3 is stored") << false << 3 << 0x0300;
        QTest::newRow("shutter 2 is stored") << false << 2 << 0x0200;
        QTest::newRow("shutter 4 is ignored") << false << 4 << 0x0100;
        QTest::newRow("shutter 65535 is ignored") << false << 65535 << 0x0100;
        QTest::newRow("iso 3 is stored") << true << 3 << 0x0C00;
        QTest::newRow("iso 0 is stored") << true << 0 << 0x0000;
        QTest::newRow("iso 4 is ignored") << true << 4 << 0x0400;
    }
    void nightSettingsIgnoreValuesAboveThree()
    {
        QFETCH(bool, iso);
        QFETCH(int, value);
        QFETCH(int, stored);
        CameraSettings s;
        // Start at 1 in the field, with every other bit set.
        const int shift = iso ? 10 : 8;
        s.core.imageFlags = std::uint16_t((0xFFFF & ~(3 << shift)) | (1 << shift));
        if (iso)
            s.SetNightIso(std::uint16_t(value));
        else
            s.SetNightShutter(std::uint16_t(value));
        QCOMPARE(int(s.core.imageFlags & (3 << shift)), stored);
        QCOMPARE(int(s.core.imageFlags | (3 << shift)), 0xFFFF);
        QCOMPARE(int(iso ? s.NightIso() : s.NightShutter()), stored >> shift);
    }

    void startDelayAndCodeDigitsAreSeparateFields()
    {
        CameraSettings s;
        s.core.imageFlags = 0x00FF;
        s.SetStartDelay(14);
        QCOMPARE(s.core.imageFlags, 0xE0FF);
        QCOMPARE(s.StartDelay(), 14);

        s.core.optionFlags = 0x00FF;
        s.SetCodeDigit(1, 3);
        s.SetCodeDigit(2, 0);
        s.SetCodeDigit(3, 2);
        s.SetCodeDigit(4, 1);
        QCOMPARE(s.core.optionFlags, 0x63FF);
        QCOMPARE(s.CodeDigit(1), 3);
        QCOMPARE(s.CodeDigit(2), 0);
        QCOMPARE(s.CodeDigit(3), 2);
        QCOMPARE(s.CodeDigit(4), 1);

        s.SetStoredQuickset(QuicksetConservative);
        QCOMPARE(s.core.optionFlags, 0x63FF);
        s.SetStoredQuickset(QuicksetAdvanced);
        QCOMPARE(s.core.optionFlags, 0x63E7);
    }

    void triggerDayChoiceIsOneBitPerDay()
    {
        CameraSettings s;
        s.dual.dayAssignment = 0x7F00; // time-lapse choices must survive
        s.SetTriggerDayUsesSchedule2(1, true);
        s.SetTriggerDayUsesSchedule2(7, true);
        QCOMPARE(s.dual.dayAssignment, 0x7F41);
        QVERIFY(s.TriggerDayUsesSchedule2(1));
        QVERIFY(!s.TriggerDayUsesSchedule2(2));
        QVERIFY(s.TriggerDayUsesSchedule2(7));
        s.SetTriggerDayUsesSchedule2(1, false);
        QCOMPARE(s.dual.dayAssignment, 0x7F40);
    }

    // ---- quarter-hour slots -----------------------------------------------------------------

    void daySlotAddressing_data()
    {
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("bit");
        QTest::newRow("midnight") << 0 << 0 << 0;
        QTest::newRow("minute 14 is still the first slot") << 14 << 0 << 0;
        QTest::newRow("minute 15 is the next bit") << 15 << 0 << 1;
        QTest::newRow("03:45 is the top bit of word 0") << 225 << 0 << 15;
        QTest::newRow("04:00 is bit 0 of word 1") << 240 << 1 << 0;
        QTest::newRow("12:30") << 750 << 3 << 2;
        QTest::newRow("23:59 is the top bit of word 5") << 1439 << 5 << 15;
    }
    void daySlotAddressing()
    {
        QFETCH(int, minute);
        QFETCH(int, word);
        QFETCH(int, bit);
        for (ScheduleKind kind : {ScheduleKind::Trigger, ScheduleKind::TimeLapse}) {
            CameraSettings s;
            DaySchedule &schedule = kind == ScheduleKind::Trigger ? s.core.triggerDaySchedule
                                                                  : s.core.timeLapseDaySchedule;
            const DaySchedule &other = kind == ScheduleKind::Trigger ? s.core.timeLapseDaySchedule
                                                                     : s.core.triggerDaySchedule;
            s.SetDaySlot(kind, std::uint16_t(minute), true);
            DaySchedule expected;
            expected.words[std::size_t(word)] = std::uint16_t(1u << bit);
            QCOMPARE(schedule, expected);
            QVERIFY(!other.AnyOn());
            QVERIFY(s.DaySlot(kind, std::uint16_t(minute)));
            s.SetDaySlot(kind, std::uint16_t(minute), false);
            QVERIFY(!schedule.AnyOn());
        }
        for (int which : {0, 1}) {
            CameraSettings s;
            s.ResetDualSchedule();
            s.SetDualTriggerSlot(std::uint16_t(minute), false, which);
            const DaySchedule &changed =
                which == 0 ? s.dual.triggerSchedule1 : s.dual.triggerSchedule2;
            const DaySchedule &untouched =
                which == 0 ? s.dual.triggerSchedule2 : s.dual.triggerSchedule1;
            QCOMPARE(changed.words[std::size_t(word)], std::uint16_t(~(1u << bit)));
            QVERIFY(untouched.IsAllOn());
            QVERIFY(!s.DualTriggerSlot(std::uint16_t(minute), which));
        }
    }

    void minutesPastTheDayAreIgnored_data()
    {
        QTest::addColumn<int>("minute");
        QTest::newRow("1440") << 1440;
        QTest::newRow("1455") << 1455;
        QTest::newRow("65535") << 65535;
    }
    void minutesPastTheDayAreIgnored()
    {
        QFETCH(int, minute);
        CameraSettings s;
        s.ResetAll();
        s.core.timeLapseDaySchedule.SetAll(true);
        const QByteArray before = recordBytes(s);
        QVERIFY(!s.DaySlot(ScheduleKind::Trigger, std::uint16_t(minute)));
        QVERIFY(!s.DaySlot(ScheduleKind::TimeLapse, std::uint16_t(minute)));
        QVERIFY(!s.DualTriggerSlot(std::uint16_t(minute), 0));
        s.SetDaySlot(ScheduleKind::Trigger, std::uint16_t(minute), false);
        s.SetDaySlot(ScheduleKind::TimeLapse, std::uint16_t(minute), false);
        s.SetDualTriggerSlot(std::uint16_t(minute), false, 1);
        QCOMPARE(recordBytes(s), before);
    }

    // ---- label ------------------------------------------------------------------------------

    void label_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("readBack");
        QTest::newRow("short label is zero padded")
            << QByteArray("Ridge") << QByteArray("Ridge") + QByteArray(15, 0)
            << QByteArray("Ridge");
        QTest::newRow("20 characters fill every byte, no terminator")
            << QByteArray("ABCDEFGHIJKLMNOPQRST") << QByteArray("ABCDEFGHIJKLMNOPQRST")
            << QByteArray("ABCDEFGHIJKLMNOPQRST");
        QTest::newRow("longer text keeps the first 20")
            << QByteArray("ABCDEFGHIJKLMNOPQRSTUVW") << QByteArray("ABCDEFGHIJKLMNOPQRST")
            << QByteArray("ABCDEFGHIJKLMNOPQRST");
        QTest::newRow("ISO 8859-1 bytes are kept as they are")
            << QByteArray("Gr\xfcn \xe9t\xe9")
            << QByteArray("Gr\xfcn \xe9t\xe9") + QByteArray(12, 0)
            << QByteArray("Gr\xfcn \xe9t\xe9");
        QTest::newRow("empty label is all zero")
            << QByteArray() << QByteArray(20, 0) << QByteArray();
    }
    void label()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, readBack);
        CameraSettings s;
        s.core.label.fill('x');
        s.SetLabel(std::string_view(text.constData(), std::size_t(text.size())));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(s.core.label.data()), 20), stored);
        QCOMPARE(QByteArray::fromStdString(s.Label()), readBack);
    }

    void labelReadsUpToTheFirstZero()
    {
        CameraSettings s;
        s.SetLabel("AB");
        s.core.label[5] = 'Z'; // left over behind the terminator
        QCOMPARE(s.Label(), std::string("AB"));
    }

    // ---- destinations -----------------------------------------------------------------------

    void phoneNumberPacking_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("bcc");
        QTest::addColumn<PhoneNumberWords>("words");
        QTest::addColumn<QString>("unpacked");
        QTest::newRow("short number To")
            << "1-555" << false << PhoneNumberWords{0x6C21, 0x0066, 0, 0} << "1-555";
        QTest::newRow("full number BCC")
            << "1-555-555-1212" << true << PhoneNumberWords{0x6C22, 0x6C66, 0x2C66, 0x0323}
            << "1-555-555-1212";
        QTest::newRow("empty text is no number, even as BCC")
            << "" << true << PhoneNumberWords{0, 0, 0, 0} << "";
        QTest::newRow("space and zero")
            << "0 9" << false << PhoneNumberWords{0xAB11, 0, 0, 0} << "0 9";
        QTest::newRow("only the first 15 characters count")
            << "1234567890123456789" << false << PhoneNumberWords{0x4321, 0x8765, 0x21A9, 0x6543}
            << "123456789012345";
        QTest::newRow("another character packs as 0 and ends the text")
            << "55+12" << false << PhoneNumberWords{0x0661, 0x0032, 0, 0} << "55";
    }
    void phoneNumberPacking()
    {
        QFETCH(QString, text);
        QFETCH(bool, bcc);
        QFETCH(PhoneNumberWords, words);
        QFETCH(QString, unpacked);
        const PhoneNumberWords packed = PackPhoneNumber(text.toStdString(), bcc);
        QCOMPARE(packed, words);
        const Destination back = UnpackPhoneNumber(packed);
        QCOMPARE(QString::fromStdString(back.text), unpacked);
        QCOMPARE(back.bcc, bcc && !text.isEmpty());
        QCOMPARE(PhoneNumberKind(packed), text.isEmpty() ? 0 : (bcc ? 2 : 1));
    }

    void phoneNumberUnpackStopsAtUnknownCodes()
    {
        // Codes 13..15 never come from the packer; they end the text like 0.
        PhoneNumberWords words{0xD221, 0x0002, 0, 0};
        const Destination d = UnpackPhoneNumber(words);
        QCOMPARE(QString::fromStdString(d.text), QString("11"));
        QVERIFY(!d.bcc);
        words[0] = 0x000F; // a kind the packer never writes is neither To nor BCC
        QCOMPARE(PhoneNumberKind(words), 15);
        QVERIFY(!UnpackPhoneNumber(words).bcc);
    }

    void emailPackingVector()
    {
        const EmailAddressBytes bytes = PackEmailAddress("abc", false);
        auto word = [&bytes](int half, int j) {
            return std::uint16_t(bytes[std::size_t(16 * half + 2 * j)] |
                                 (bytes[std::size_t(16 * half + 2 * j + 1)] << 8));
        };
        const std::array<std::uint16_t, 8> first{0xE000, 0xE000, 0, 0, 0, 0x6000, 0xA000, 0};
        for (int j = 0; j < 8; ++j) {
            QCOMPARE(word(0, j), first[std::size_t(j)]);
            QCOMPARE(word(1, j), std::uint16_t(j == 7 ? 0x0001 : 0));
        }
    }

    void emailPacking_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("bcc");
        QTest::addColumn<QByteArray>("unpacked");
        QTest::addColumn<int>("kind");
        QTest::newRow("address in the first half")
            << QByteArray("ann@example.com") << false << QByteArray("ann@example.com") << 1;
        QTest::newRow("characters 16 and 17 live in the last word")
            << QByteArray("abcdefghijklmnopQR") << true << QByteArray("abcdefghijklmnopQR") << 2;
        QTest::newRow("36 characters across both halves")
            << QByteArray("first.last@very-long-domain-name.org") << true
            << QByteArray("first.last@very-long-domain-name.org") << 2;
        QTest::newRow("a 37th character is dropped")
            << QByteArray("first.last@very-long-domain-name.orgX") << false
            << QByteArray("first.last@very-long-domain-name.org") << 1;
        QTest::newRow("bit 7 of a character is not stored")
            << QByteArray("caf\xe9@x.fr") << false << QByteArray("cafi@x.fr") << 1;
        QTest::newRow("DEL and tilde survive")
            << QByteArray("~\x7f") << false << QByteArray("~\x7f") << 1;
    }
    void emailPacking()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, bcc);
        QFETCH(QByteArray, unpacked);
        QFETCH(int, kind);
        const auto bytes = PackEmailAddress(text.toStdString(), bcc);
        QCOMPARE(EmailAddressKind(bytes), kind);
        QCOMPARE(bytes[30] & 0x3, kind);
        const Destination back = UnpackEmailAddress(bytes);
        QCOMPARE(QByteArray::fromStdString(back.text), unpacked);
        QCOMPARE(back.bcc, kind == 2);
    }

    void emptyAddressPacksToZeroBytes()
    {
        for (bool bcc : {false, true}) {
            const auto bytes = PackEmailAddress("", bcc);
            QVERIFY(std::all_of(bytes.begin(), bytes.end(), [](auto b) { return b == 0; }));
            const Destination back = UnpackEmailAddress(bytes);
            QCOMPARE(back.text, std::string());
            QVERIFY(!back.bcc);
        }
    }

    void emailUnpackEndsAtTheFirstZeroCharacter()
    {
        // Character 3 zero, character 5 set: the text is the first three characters.
        auto bytes = PackEmailAddress("abcdeZ", true);
        // Clear every bit plane of character 3 ('d'), leaving 'e' and 'Z' behind it.
        for (int j = 0; j < 7; ++j) {
            const std::size_t at = std::size_t(2 * j);
            std::uint16_t w = std::uint16_t(bytes[at] | (bytes[at + 1] << 8));
            w = std::uint16_t(w & ~(1u << (15 - 3)));
            bytes[at] = std::uint8_t(w & 0xFF);
            bytes[at + 1] = std::uint8_t(w >> 8);
        }
        QCOMPARE(UnpackEmailAddress(bytes).text, std::string("abc"));
    }

    // ---- change test ------------------------------------------------------------------------

    void changeTestComparesWithTheSnapshot()
    {
        CameraSettings s;
        s.ResetAll();
        // Before any snapshot the snapshots are empty, so everything counts as changed.
        QVERIFY(s.CoreChanged());
        QVERIFY(s.DualScheduleChanged());
        QVERIFY(s.CellularChanged());
        s.TakeSnapshots();
        QVERIFY(!s.CoreChanged());
        QVERIFY(!s.DualScheduleChanged());
        QVERIFY(!s.CellularChanged());

        s.core.saturation ^= 1;
        QVERIFY(s.CoreChanged());
        QVERIFY(!s.DualScheduleChanged());
        QVERIFY(!s.CellularChanged());
        s.core.saturation ^= 1;
        QVERIFY(!s.CoreChanged());

        s.dual.timeLapseSchedule2.words[5] = 0x7FFF;
        QVERIFY(s.DualScheduleChanged());
        s.cellular.reserved = 1; // reserved words count as well
        QVERIFY(s.CellularChanged());
        QVERIFY(!s.CoreChanged());
    }

    void sectionWithAForeignTagAlwaysCountsAsChanged_data()
    {
        QTest::addColumn<int>("section");
        QTest::newRow("core tag 3") << 0;
        QTest::newRow("dual tag 2") << 1;
        QTest::newRow("cellular tag 0") << 2;
    }
    void sectionWithAForeignTagAlwaysCountsAsChanged()
    {
        QFETCH(int, section);
        CameraSettings s;
        s.ResetAll();
        if (section == 0)
            s.core.tag = 3;
        else if (section == 1)
            s.dual.tag = 2;
        else
            s.cellular.tag = 0;
        s.TakeSnapshots();
        QCOMPARE(s.CoreChanged(), section == 0);
        QCOMPARE(s.DualScheduleChanged(), section == 1);
        QCOMPARE(s.CellularChanged(), section == 2);
    }
};

QTEST_APPLESS_MAIN(TestCameraSettings)
#include "tst_camera_settings.moc"
