#include "settings/camera_settings.h"

#include <QTest>

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
};

QTEST_APPLESS_MAIN(TestCameraSettings)
#include "tst_camera_settings.moc"
