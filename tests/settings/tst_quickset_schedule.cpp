#include "settings/camera_settings.h"

#include <QTest>

Q_DECLARE_METATYPE(DaySchedule)

namespace {
DaySchedule scheduleOf(std::initializer_list<std::uint16_t> words)
{
    DaySchedule s;
    std::copy(words.begin(), words.end(), s.words.begin());
    return s;
}

CameraSettings factory()
{
    CameraSettings s;
    s.ResetAll();
    return s;
}

// Trigger values a preset writes, taken from the record.
struct TriggerValues
{
    int pictures;
    bool fast;
    int interval;
    int quiet;
};
TriggerValues triggerValues(const CameraSettings &s)
{
    return {s.core.picturesPerTrigger, s.FastSequence(), s.core.pictureInterval,
            s.core.quietPeriod};
}
} // namespace

class TestQuicksetSchedule : public QObject
{
    Q_OBJECT

private slots:
    // ---- presets ----------------------------------------------------------------------------

    void factoryRecordIsTheNormalPreset()
    {
        const CameraSettings s = factory();
        QCOMPARE(s.DetectQuickset(), QuicksetNormal);
        QCOMPARE(s.StoredQuickset(), QuicksetNormal);
    }

    void applyingAPresetWritesItsValues_data()
    {
        QTest::addColumn<int>("preset");
        QTest::addColumn<int>("pictures");
        QTest::addColumn<bool>("fast");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("quiet");
        QTest::newRow("Normal") << 1 << 3 << false << 1000 << 0;
        QTest::newRow("Aggressive") << 2 << 5 << true << 1000 << 0;
        QTest::newRow("Conservative") << 3 << 3 << false << 5000 << 15;
    }
    void applyingAPresetWritesItsValues()
    {
        QFETCH(int, preset);
        QFETCH(int, pictures);
        QFETCH(bool, fast);
        QFETCH(int, interval);
        QFETCH(int, quiet);

        // Start far from every preset, with the fields a preset must not touch set oddly.
        CameraSettings s = factory();
        s.core.picturesPerTrigger = 42;
        s.SetFastSequence(!fast);
        s.core.pictureInterval = 60000;
        s.core.quietPeriod = 3600;
        s.SetInternalTrigger(false);
        s.SetExternalTrigger(true);
        s.SetSensitivity(25);
        s.core.triggerFlags |= 0x00F8; // reserved trigger bits
        s.core.pulseCount = 5;
        s.core.pulseWindow = 77;
        s.core.triggerDaySchedule = scheduleOf({1, 2, 3, 4, 5, 6});
        s.core.timeLapseFlags = 3;
        s.core.timeLapseInterval = 0x8007;
        s.core.timeLapseDaySchedule = scheduleOf({9, 9, 9, 9, 9, 9});
        s.core.optionFlags = 0xFFE7; // everything but the quickset bits
        s.dual.dayAssignment = 0x7F7F;
        s.dual.triggerSchedule1.SetAll(false);
        const DualScheduleSection dualBefore = s.dual;

        s.ApplyQuickset(std::uint16_t(preset));

        QCOMPARE(int(s.core.picturesPerTrigger), pictures);
        QCOMPARE(s.FastSequence(), fast);
        QCOMPARE(int(s.core.pictureInterval), interval);
        QCOMPARE(int(s.core.quietPeriod), quiet);
        QVERIFY(s.InternalTrigger());
        QCOMPARE(s.Sensitivity(), 100);
        QVERIFY(s.core.triggerDaySchedule.IsAllOn());
        QCOMPARE(int(s.StoredQuickset()), preset);
        QCOMPARE(s.core.optionFlags | 0x0018, 0xFFFF);
        // Left alone:
        QVERIFY(s.ExternalTrigger());
        QCOMPARE(s.core.triggerFlags & 0x00F8, 0x00F8);
        QCOMPARE(s.core.pulseCount, 5);
        QCOMPARE(s.core.pulseWindow, 77);
        QCOMPARE(s.core.timeLapseFlags, 3);
        QCOMPARE(s.core.timeLapseInterval, 0x8007);
        QCOMPARE(s.core.timeLapseDaySchedule, scheduleOf({9, 9, 9, 9, 9, 9}));
        QCOMPARE(s.dual, dualBefore);

        QCOMPARE(int(s.DetectQuickset()), preset);
    }

    void advancedPresetArmsTheTriggerButKeepsThePictureValues()
    {
        CameraSettings s = factory();
        s.ApplyQuickset(QuicksetAggressive);
        s.SetInternalTrigger(false);
        s.SetSensitivity(50);
        s.SetDaySlot(ScheduleKind::Trigger, 600, false);
        const TriggerValues before = triggerValues(s);

        s.ApplyQuickset(QuicksetAdvanced);

        QCOMPARE(s.StoredQuickset(), QuicksetAdvanced);
        QVERIFY(s.InternalTrigger());
        QCOMPARE(s.Sensitivity(), 100);
        QVERIFY(s.core.triggerDaySchedule.IsAllOn());
        const TriggerValues after = triggerValues(s);
        QCOMPARE(after.pictures, before.pictures);
        QCOMPARE(after.fast, before.fast);
        QCOMPARE(after.interval, before.interval);
        QCOMPARE(after.quiet, before.quiet);
        // The values are still Aggressive ones, whatever the stored number says.
        QCOMPARE(s.DetectQuickset(), QuicksetAggressive);
    }

    void unknownPresetChangesNothing_data()
    {
        QTest::addColumn<int>("preset");
        QTest::newRow("4") << 4;
        QTest::newRow("65535") << 65535;
    }
    void unknownPresetChangesNothing()
    {
        QFETCH(int, preset);
        CameraSettings s = factory();
        s.ApplyQuickset(QuicksetConservative);
        s.SetInternalTrigger(false);
        s.SetDaySlot(ScheduleKind::Trigger, 0, false);
        const CoreSection before = s.core;
        s.ApplyQuickset(std::uint16_t(preset));
        QCOMPARE(s.core, before);
    }

    void detection_data()
    {
        QTest::addColumn<int>("base");
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("detected");
        QTest::newRow("Normal as it is") << 1 << "" << 1;
        QTest::newRow("Normal, sensitivity 75") << 1 << "sensitivity75" << 0;
        QTest::newRow("Normal, internal trigger off") << 1 << "internalOff" << 0;
        QTest::newRow("Normal, external trigger on") << 1 << "externalOn" << 1;
        QTest::newRow("Normal, pulse count 5") << 1 << "pulses5" << 1;
        QTest::newRow("Normal, pulse window 100") << 1 << "window100" << 1;
        QTest::newRow("Normal, one quarter-hour off at 23:45") << 1 << "lastSlotOff" << 0;
        QTest::newRow("Normal, one quarter-hour off at 00:00") << 1 << "firstSlotOff" << 0;
        QTest::newRow("Normal, stored number 3") << 1 << "stored3" << 1;
        QTest::newRow("Normal, time lapse on") << 1 << "timeLapseOn" << 1;
        QTest::newRow("Normal, four pictures") << 1 << "pictures4" << 0;
        QTest::newRow("Normal, fast sequence") << 1 << "fast" << 0;
        QTest::newRow("Normal, quiet period 1 s") << 1 << "quiet1" << 0;
        QTest::newRow("Aggressive as it is") << 2 << "" << 2;
        QTest::newRow("Aggressive, fast sequence off") << 2 << "slow" << 0;
        QTest::newRow("Aggressive, stored number 0") << 2 << "stored0" << 2;
        QTest::newRow("Conservative as it is") << 3 << "" << 3;
        QTest::newRow("Conservative, quiet period 0 is Normal") << 3 << "quiet0" << 0;
        QTest::newRow("Conservative, one quarter-hour off at noon") << 3 << "noonOff" << 0;
    }
    void detection()
    {
        QFETCH(int, base);
        QFETCH(QString, change);
        QFETCH(int, detected);
        CameraSettings s = factory();
        s.ApplyQuickset(std::uint16_t(base));
        if (change == "sensitivity75")
            s.SetSensitivity(75);
        else if (change == "internalOff")
            s.SetInternalTrigger(false);
        else if (change == "externalOn")
            s.SetExternalTrigger(true);
        else if (change == "pulses5")
            s.core.pulseCount = 5;
        else if (change == "window100")
            s.core.pulseWindow = 100;
        else if (change == "lastSlotOff")
            s.SetDaySlot(ScheduleKind::Trigger, 1425, false);
        else if (change == "firstSlotOff")
            s.SetDaySlot(ScheduleKind::Trigger, 0, false);
        else if (change == "noonOff")
            s.SetDaySlot(ScheduleKind::Trigger, 720, false);
        else if (change == "stored3")
            s.SetStoredQuickset(3);
        else if (change == "stored0")
            s.SetStoredQuickset(0);
        else if (change == "timeLapseOn")
            s.SetTimeLapseOn(true);
        else if (change == "pictures4")
            s.core.picturesPerTrigger = 4;
        else if (change == "fast")
            s.SetFastSequence(true);
        else if (change == "slow")
            s.SetFastSequence(false);
        else if (change == "quiet1")
            s.core.quietPeriod = 1;
        else if (change == "quiet0")
            s.core.quietPeriod = 0;
        else
            QVERIFY2(change.isEmpty(), qPrintable("unknown change " + change));
        QCOMPARE(int(s.DetectQuickset()), detected);
    }

    // ---- day schedules ----------------------------------------------------------------------

    void slotsByMinute_data()
    {
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("bit");
        QTest::newRow("00:00") << 0 << 0 << 0;
        QTest::newRow("00:14 shares the first slot") << 14 << 0 << 0;
        QTest::newRow("00:15") << 15 << 0 << 1;
        QTest::newRow("02:00 is byte 1") << 120 << 1 << 0;
        QTest::newRow("04:00 starts word 1") << 240 << 2 << 0;
        QTest::newRow("23:45 is the very last bit") << 1425 << 11 << 7;
        QTest::newRow("23:59 too") << 1439 << 11 << 7;
    }
    void slotsByMinute()
    {
        QFETCH(int, minute);
        QFETCH(int, byte);
        QFETCH(int, bit);
        // Checked through the bytes the schedule occupies in the file.
        CameraSettings s;
        s.ResetAll();
        s.core.timeLapseDaySchedule.SetOn(std::uint16_t(minute), true);
        const auto core = s.core.encode();
        for (int i = 0; i < 12; ++i)
            QCOMPARE(int(core[std::size_t(30 + i)]), i == byte ? (1 << bit) : 0);
        QVERIFY(s.core.timeLapseDaySchedule.IsOn(std::uint16_t(minute)));
        QVERIFY(s.core.timeLapseDaySchedule.AnyOn());
        QVERIFY(!s.core.timeLapseDaySchedule.IsAllOn());
    }

    void lastQuarterHourAloneIsAValidSchedule()
    {
        DaySchedule s;
        s.SetOn(1425, true);
        QCOMPARE(s, scheduleOf({0, 0, 0, 0, 0, 0x8000}));
        QVERIFY(s.AnyOn());
        QVERIFY(s.IsOn(1439));
        QVERIFY(!s.IsOn(1424));
    }

    void minutesPastMidnightReadOffAndChangeNothing()
    {
        DaySchedule s;
        s.SetAll(true);
        QVERIFY(!s.IsOn(1440));
        QVERIFY(!s.IsOn(65535));
        s.SetOn(1440, false);
        s.SetOn(65535, false);
        QVERIFY(s.IsAllOn());
        s.SetAll(false);
        s.SetOn(1440, true);
        QVERIFY(!s.AnyOn());
    }

    void clearingOneSlotLeavesItsNeighbours()
    {
        DaySchedule s;
        s.SetAll(true);
        s.SetOn(255, false); // 04:15, word 1 bit 1
        QCOMPARE(s, scheduleOf({0xFFFF, 0xFFFD, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}));
        QVERIFY(!s.IsAllOn());
        QVERIFY(s.IsOn(240));
        QVERIFY(s.IsOn(270));
    }

    void dualScheduleRule_data()
    {
        QTest::addColumn<DaySchedule>("one");
        QTest::addColumn<DaySchedule>("two");
        QTest::addColumn<int>("daysOnTwo"); // bit d-1 for day d
        QTest::addColumn<bool>("valid");
        const DaySchedule off;
        const DaySchedule oneSlot = scheduleOf({0, 0, 0x0010, 0, 0, 0});
        const DaySchedule on = DaySchedule::AllOn();
        QTest::newRow("1 off, 2 with a slot, every day on 2") << off << oneSlot << 0x7F << true;
        QTest::newRow("1 off, 2 with a slot, one day still on 1") << off << oneSlot << 0x7E << true;
        QTest::newRow("1 with a slot, 2 off, every day on 2") << oneSlot << off << 0x7F << false;
        QTest::newRow("1 with a slot, 2 off, every day on 1") << oneSlot << off << 0x00 << true;
        QTest::newRow("1 off, 2 on, every day on 1") << off << on << 0x00 << false;
        QTest::newRow("both off") << off << off << 0x15 << false;
        QTest::newRow("both on, mixed days") << on << on << 0x2A << true;
    }
    void dualScheduleRule()
    {
        QFETCH(DaySchedule, one);
        QFETCH(DaySchedule, two);
        QFETCH(int, daysOnTwo);
        QFETCH(bool, valid);
        DayChoices days{};
        for (int d = 0; d < 7; ++d)
            days[std::size_t(d)] = (daysOnTwo >> d) & 1;
        QCOMPARE(DualScheduleValid(one, two, days), valid);
    }

    void alwaysArmed_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("dayAssignment");
        QTest::addColumn<bool>("armed");
        QTest::newRow("factory") << "" << 0x0000 << true;
        QTest::newRow("daily schedule with a gap") << "dailyGap" << 0x0000 << false;
        QTest::newRow("schedule 1 off, but every day on 2") << "oneOff" << 0x007F << true;
        QTest::newRow("schedule 1 off, one day on 1") << "oneOff" << 0x003F << false;
        QTest::newRow("schedule 2 off, no day on 2") << "twoOff" << 0x0000 << true;
        QTest::newRow("schedule 2 off, no trigger day on 2, time-lapse days set")
            << "twoOff" << 0x7F00 << true;
        QTest::newRow("schedule 2 off, one day on 2") << "twoOff" << 0x0001 << false;
        QTest::newRow("schedule 2 with a gap, Saturday on 2") << "twoGap" << 0x0040 << false;
        QTest::newRow("reserved bit 7 is not a day") << "twoOff" << 0x0080 << true;
    }
    void alwaysArmed()
    {
        QFETCH(QString, change);
        QFETCH(int, dayAssignment);
        QFETCH(bool, armed);
        CameraSettings s = factory();
        s.dual.dayAssignment = std::uint16_t(dayAssignment);
        if (change == "dailyGap")
            s.SetDaySlot(ScheduleKind::Trigger, 0, false);
        else if (change == "oneOff")
            s.dual.triggerSchedule1.SetAll(false);
        else if (change == "twoOff")
            s.dual.triggerSchedule2.SetAll(false);
        else if (change == "twoGap")
            s.SetDualTriggerSlot(1425, false, 1);
        QCOMPARE(s.IsTriggerAlwaysArmed(), armed);
    }

    void makingTheTriggerAlwaysArmedClearsTheWholeDayWord()
    {
        CameraSettings s = factory();
        s.dual.dayAssignment = 0xFFFF;
        s.dual.triggerSchedule1.SetAll(false);
        s.SetDualTriggerSlot(0, false, 1);
        s.SetDaySlot(ScheduleKind::Trigger, 720, false);
        s.dual.timeLapseSchedule1.SetAll(false);
        QVERIFY(!s.IsTriggerAlwaysArmed());

        s.MakeTriggerAlwaysArmed();

        QCOMPARE(s.dual.dayAssignment, 0);
        QVERIFY(s.dual.triggerSchedule1.IsAllOn());
        QVERIFY(s.dual.triggerSchedule2.IsAllOn());
        QVERIFY(s.core.triggerDaySchedule.IsAllOn());
        QVERIFY(!s.dual.timeLapseSchedule1.AnyOn()); // not the trigger's
        QVERIFY(s.IsTriggerAlwaysArmed());
    }
};

QTEST_APPLESS_MAIN(TestQuicksetSchedule)
#include "tst_quickset_schedule.moc"
