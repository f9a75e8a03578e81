// The switch-on rules the Set Date & Time dialog and kestra-cfg's deploy share.
#include "settings/date_time_values.h"

#include <QTest>

class TestSettingRules : public QObject
{
    Q_OBJECT

private slots:
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

QTEST_APPLESS_MAIN(TestSettingRules)
#include "tst_setting_rules.moc"
