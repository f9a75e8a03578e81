// The switch-on moment's checks and the calendar they count on, which the Set Date & Time
// dialog and kestra-cfg's deploy share.
#include "settings/date_time_values.h"

#include <QTest>

namespace {

QString range(int min, int max)
{
    return QStringLiteral("Please enter an integer between %1 and %2.").arg(min).arg(max);
}

} // namespace

class TestDateTimeValues : public QObject
{
    Q_OBJECT

private slots:
    // The first check a moment fails names its part; the dialog takes the hour on a 12-hour
    // clock, kestra-cfg on a 24-hour one.
    void switchOnMomentIsChecked_data()
    {
        QTest::addColumn<bool>("twelveHour");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("year");
        QTest::addColumn<QString>("refusal"); // empty: accepted
        QTest::addColumn<int>("part");

        const int none = -1;
        const int hour = int(rules::SwitchOnPart::Hour);
        const int minute = int(rules::SwitchOnPart::Minute);
        const int month = int(rules::SwitchOnPart::Month);
        const int day = int(rules::SwitchOnPart::Day);
        const int year = int(rules::SwitchOnPart::Year);
        QTest::newRow("12:59 on the 12-hour clock")
            << true << 12 << 59 << 1 << 1 << 2000 << "" << none;
        QTest::newRow("hour 0 on the 12-hour clock")
            << true << 0 << 5 << 1 << 5 << 2015 << range(1, 12) << hour;
        QTest::newRow("hour 0 on the 24-hour clock")
            << false << 0 << 5 << 1 << 5 << 2015 << "" << none;
        QTest::newRow("hour 23 on the 24-hour clock")
            << false << 23 << 0 << 12 << 31 << 2099 << "" << none;
        QTest::newRow("hour 24 on the 24-hour clock")
            << false << 24 << 0 << 6 << 1 << 2024 << range(0, 23) << hour;
        QTest::newRow("minute 60") << true << 9 << 60 << 1 << 5 << 2015 << range(0, 59) << minute;
        QTest::newRow("month 0") << true << 9 << 5 << 0 << 5 << 2015 << range(1, 12) << month;
        QTest::newRow("day 0") << true << 9 << 5 << 1 << 0 << 2015 << range(1, 31) << day;
        QTest::newRow("year 1999") << true << 9 << 5 << 1 << 5 << 1999 << range(2000, 2099) << year;
        QTest::newRow("year 2100") << true << 9 << 5 << 1 << 5 << 2100 << range(2000, 2099) << year;
        QTest::newRow("29 February 2024") << false << 6 << 0 << 2 << 29 << 2024 << "" << none;
        QTest::newRow("29 February of a common year")
            << false << 6 << 0 << 2 << 29 << 2023 << range(1, 28) << day;
        QTest::newRow("31 April") << false << 6 << 0 << 4 << 31 << 2024 << range(1, 30) << day;

        // The order: minute, hour, month, day, year, and last the length of the month.
        QTest::newRow("the minute is checked first")
            << true << 13 << 99 << 13 << 32 << 1999 << range(0, 59) << minute;
        QTest::newRow("then the hour")
            << true << 13 << 0 << 13 << 32 << 1999 << range(1, 12) << hour;
        QTest::newRow("then the month")
            << true << 1 << 0 << 13 << 32 << 1999 << range(1, 12) << month;
        QTest::newRow("then the day") << true << 1 << 0 << 12 << 32 << 1999 << range(1, 31) << day;
        QTest::newRow("the year before the length of the month")
            << true << 1 << 0 << 2 << 29 << 2100 << range(2000, 2099) << year;
    }
    void switchOnMomentIsChecked()
    {
        QFETCH(bool, twelveHour);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(int, year);
        QFETCH(QString, refusal);
        QFETCH(int, part);
        const rules::Check result = SwitchOnValues::check(
            {hour, minute, month, day, year},
            twelveHour ? rules::HourClock::TwelveHour : rules::HourClock::TwentyFourHour);
        QCOMPARE(result ? QString::fromStdString(result->text()) : QString(), refusal);
        QCOMPARE(result ? result->field : -1, part);
    }

    void daysInMonthIsGregorian_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("days");

        QTest::newRow("February 2000, divisible by 400") << 2000 << 2 << 29;
        QTest::newRow("February 2100, divisible by 100") << 2100 << 2 << 28;
        QTest::newRow("February 2024") << 2024 << 2 << 29;
        QTest::newRow("February 2023") << 2023 << 2 << 28;
        QTest::newRow("April") << 2023 << 4 << 30;
        QTest::newRow("November") << 2023 << 11 << 30;
        QTest::newRow("December") << 2023 << 12 << 31;
        QTest::newRow("month 0") << 2023 << 0 << 0;
        QTest::newRow("month 13") << 2023 << 13 << 0;
    }
    void daysInMonthIsGregorian()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, days);
        QCOMPARE(rules::DaysInMonth(year, month), days);
    }
};

QTEST_APPLESS_MAIN(TestDateTimeValues)
#include "tst_date_time_values.moc"
