// The Time Lapse tab's rules without its window: the intervals its lists offer, how a stored
// interval is shown, what Off stores, when the triggers give way and when a burst fits. The tab
// and kestra-cfg both go through here.
#include "settings/time_lapse_values.h"

#include <QTest>

namespace {

QList<int> listOf(std::span<const int> entries)
{
    return QList<int>(entries.begin(), entries.end());
}

const char *unitName(IntervalUnit unit)
{
    return unit == IntervalUnit::Hours     ? "hours"
           : unit == IntervalUnit::Minutes ? "minutes"
                                           : "seconds";
}

} // namespace

class TestTimeLapseValues : public QObject
{
    Q_OBJECT

private slots:
    // The lists' entries in their order; a count is listed exactly when its list holds it.
    void eachUnitOffersItsList_data()
    {
        QTest::addColumn<IntervalUnit>("unit");
        QTest::addColumn<QList<int>>("entries");
        QTest::newRow("hours divide a day")
            << IntervalUnit::Hours << QList<int>{1, 2, 3, 4, 6, 8, 12, 24};
        QTest::newRow("minutes divide an hour")
            << IntervalUnit::Minutes << QList<int>{1, 2, 3, 4, 5, 6, 10, 12, 15, 20, 30, 60};
        QTest::newRow("seconds divide a minute")
            << IntervalUnit::Seconds << QList<int>{1, 2, 3, 4, 5, 6, 10, 12, 15, 20, 30, 60};
    }
    void eachUnitOffersItsList()
    {
        QFETCH(IntervalUnit, unit);
        QFETCH(QList<int>, entries);
        QCOMPARE(listOf(TimeLapseValues::entries(unit)), entries);
        for (int count = 0; count <= 100; ++count)
            QVERIFY2(TimeLapseValues::listed(unit, count) == entries.contains(count),
                     qPrintable(QString::number(count)));
    }

    // A stored count, clamped into the list's range, becomes the day (or sixty) over the whole
    // number of times it fits into it: a list entry for most counts, but 7 and 8 minutes or
    // seconds stay as they are, off the list, and the tab then shows the list's first entry.
    void aStoredCountIsRoundedForItsList_data()
    {
        QTest::addColumn<IntervalUnit>("unit");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("rounded");
        for (IntervalUnit unit :
             {IntervalUnit::Hours, IntervalUnit::Minutes, IntervalUnit::Seconds}) {
            for (int entry : TimeLapseValues::entries(unit))
                QTest::addRow("%d %s stay", entry, unitName(unit)) << unit << entry << entry;
        }
        QTest::newRow("5 hours round to 6") << IntervalUnit::Hours << 5 << 6;
        QTest::newRow("9 hours round to 12") << IntervalUnit::Hours << 9 << 12;
        QTest::newRow("13 hours round to 24") << IntervalUnit::Hours << 13 << 24;
        QTest::newRow("45 seconds round to 60") << IntervalUnit::Seconds << 45 << 60;
        QTest::newRow("7 minutes stay 7") << IntervalUnit::Minutes << 7 << 7;
        QTest::newRow("8 seconds stay 8") << IntervalUnit::Seconds << 8 << 8;
        QTest::newRow("0 hours are clamped to 1") << IntervalUnit::Hours << 0 << 1;
        QTest::newRow("30 hours are clamped to 24") << IntervalUnit::Hours << 30 << 24;
        QTest::newRow("0 minutes are clamped to 1") << IntervalUnit::Minutes << 0 << 1;
        QTest::newRow("90 minutes are clamped to 60") << IntervalUnit::Minutes << 90 << 60;
        QTest::newRow("0 seconds are clamped to 1") << IntervalUnit::Seconds << 0 << 1;
        QTest::newRow("16383 seconds are clamped to 60") << IntervalUnit::Seconds << 16383 << 60;
    }
    void aStoredCountIsRoundedForItsList()
    {
        QFETCH(IntervalUnit, unit);
        QFETCH(int, count);
        QFETCH(int, rounded);
        QCOMPARE(TimeLapseValues::roundedCount(unit, count), rounded);
    }

    // Milliseconds are shown as whole seconds, rounded half up, at least one; the other units
    // as stored.
    void aStoredIntervalIsShownInItsUnit_data()
    {
        QTest::addColumn<std::uint16_t>("stored");
        QTest::addColumn<IntervalUnit>("unit");
        QTest::addColumn<int>("count");
        QTest::newRow("2500 ms show 3 seconds")
            << MakeInterval(IntervalUnit::Milliseconds, 2500) << IntervalUnit::Seconds << 3;
        QTest::newRow("2499 ms show 2 seconds")
            << MakeInterval(IntervalUnit::Milliseconds, 2499) << IntervalUnit::Seconds << 2;
        QTest::newRow("400 ms show 1 second")
            << MakeInterval(IntervalUnit::Milliseconds, 400) << IntervalUnit::Seconds << 1;
        QTest::newRow("0 ms show 1 second")
            << MakeInterval(IntervalUnit::Milliseconds, 0) << IntervalUnit::Seconds << 1;
        QTest::newRow("7 minutes as stored")
            << MakeInterval(IntervalUnit::Minutes, 7) << IntervalUnit::Minutes << 7;
    }
    void aStoredIntervalIsShownInItsUnit()
    {
        QFETCH(std::uint16_t, stored);
        QFETCH(IntervalUnit, unit);
        QFETCH(int, count);
        IntervalUnit shownUnit = IntervalUnit::Hours;
        int shownCount = -1;
        TimeLapseValues::shownInterval(stored, shownUnit, shownCount);
        QCOMPARE(shownUnit, unit);
        QCOMPARE(shownCount, count);
    }

    void offStoresFiveMinutesAndOnePicture()
    {
        CameraSettings settings;
        settings.ResetAll();
        settings.SetTimeLapseOn(true);
        settings.SetTimeLapseBurst(true);
        settings.core.timeLapseInterval = MakeInterval(IntervalUnit::Hours, 1);
        TimeLapseValues::storeOff(settings);
        QVERIFY(!settings.TimeLapseOn());
        QVERIFY(!settings.TimeLapseBurst());
        QCOMPARE(settings.core.timeLapseInterval, MakeInterval(IntervalUnit::Minutes, 5));
        QCOMPARE(TimeLapseValues::offInterval(), MakeInterval(IntervalUnit::Minutes, 5));
    }

    // The page asks with the seconds list's entry, named settings with the record.
    void anIntervalShorterThanFiveSecondsRulesOutTheTriggers_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("isShort");
        QTest::newRow("off is never short") << false << 2 << 1 << false;
        QTest::newRow("4 seconds") << true << 2 << 4 << true;
        QTest::newRow("5 seconds") << true << 2 << 5 << false;
        QTest::newRow("4999 ms") << true << 3 << 4999 << true;
        QTest::newRow("5000 ms") << true << 3 << 5000 << false;
        QTest::newRow("0 minutes") << true << 0 << 0 << true;
        QTest::newRow("1 minute") << true << 0 << 1 << false;
        QTest::newRow("0 hours") << true << 1 << 0 << true;
        QTest::newRow("0 seconds") << true << 2 << 0 << true;
    }
    void anIntervalShorterThanFiveSecondsRulesOutTheTriggers()
    {
        QFETCH(bool, on);
        QFETCH(int, unit);
        QFETCH(int, count);
        QFETCH(bool, isShort);
        CameraSettings s;
        s.ResetAll();
        s.SetTimeLapseOn(on);
        s.core.timeLapseInterval = MakeInterval(IntervalUnit(unit), std::uint16_t(count));
        QCOMPARE(TimeLapseValues::rulesOutTriggers(s), isShort);
    }

    // A burst of p pictures takes 5 p seconds and must fit into the interval; hours hold any
    // burst. The 16-bit arithmetic lets 0 pictures fit nowhere else.
    void aBurstFitsTheInterval_data()
    {
        QTest::addColumn<int>("pictures");
        QTest::addColumn<IntervalUnit>("unit");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("fits");
        for (int n : TimeLapseValues::entries(IntervalUnit::Minutes)) {
            QTest::addRow("3 pictures, %d minutes", n) << 3 << IntervalUnit::Minutes << n << true;
            QTest::addRow("99 pictures, %d minutes", n)
                << 99 << IntervalUnit::Minutes << n << (n >= 10);
            QTest::addRow("0 pictures, %d minutes", n) << 0 << IntervalUnit::Minutes << n << false;
        }
        for (int n : TimeLapseValues::entries(IntervalUnit::Seconds)) {
            QTest::addRow("3 pictures, %d seconds", n)
                << 3 << IntervalUnit::Seconds << n << (n >= 15);
            QTest::addRow("99 pictures, %d seconds", n)
                << 99 << IntervalUnit::Seconds << n << false;
            QTest::addRow("0 pictures, %d seconds", n) << 0 << IntervalUnit::Seconds << n << false;
        }
        QTest::newRow("1 picture, 5 seconds") << 1 << IntervalUnit::Seconds << 5 << true;
        QTest::newRow("1 picture, 4 seconds") << 1 << IntervalUnit::Seconds << 4 << false;
        QTest::newRow("12 pictures, 1 minute") << 12 << IntervalUnit::Minutes << 1 << true;
        QTest::newRow("13 pictures, 1 minute") << 13 << IntervalUnit::Minutes << 1 << false;
        QTest::newRow("99 pictures, 1 hour") << 99 << IntervalUnit::Hours << 1 << true;
        QTest::newRow("0 pictures, 1 hour") << 0 << IntervalUnit::Hours << 1 << true;
    }
    void aBurstFitsTheInterval()
    {
        QFETCH(int, pictures);
        QFETCH(IntervalUnit, unit);
        QFETCH(int, count);
        QFETCH(bool, fits);
        QCOMPARE(TimeLapseValues::burstFits(unit, count, static_cast<std::uint16_t>(pictures)),
                 fits);
    }

    // The warning of a time lapse that is on with no "Camera on" period, for the record as the
    // tab and kestra-cfg see it.
    void aTimeLapseOnWithNoCameraOnPeriodIsWarnedOf_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("periodSlot"); // the one quarter hour on, -1 none
        QTest::addColumn<bool>("warned");
        QTest::newRow("on, schedule never") << true << -1 << true;
        QTest::newRow("on, the last quarter hour") << true << 95 << false;
        QTest::newRow("off, schedule never") << false << -1 << false;
    }
    void aTimeLapseOnWithNoCameraOnPeriodIsWarnedOf()
    {
        QFETCH(bool, on);
        QFETCH(int, periodSlot);
        QFETCH(bool, warned);
        CameraSettings settings;
        settings.ResetAll();
        settings.SetTimeLapseOn(on);
        settings.core.timeLapseDaySchedule.SetAll(false);
        if (periodSlot >= 0)
            settings.core.timeLapseDaySchedule.SetOn(
                static_cast<std::uint16_t>(periodSlot * DaySchedule::kMinutesPerSlot), true);
        // The trigger schedule is not the time lapse's.
        settings.core.triggerDaySchedule.SetAll(true);
        QCOMPARE(TimeLapseValues::noCameraOnPeriod(settings), warned);
    }
};

QTEST_APPLESS_MAIN(TestTimeLapseValues)
#include "tst_time_lapse_values.moc"
