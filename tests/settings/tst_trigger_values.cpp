// The Triggers tab's and the Internal Trigger Settings dialog's values without their windows:
// what each check refuses and in which order, and how values go between the record and the
// fields. The tab, the dialog and kestra-cfg all go through here.
#include "settings/trigger_values.h"

#include <QTest>

namespace {

QString textOf(const rules::Check &refusal)
{
    return refusal ? QString::fromStdString(refusal->text()) : QString();
}

} // namespace

class TestTriggerValues : public QObject
{
    Q_OBJECT

private slots:
    // The tab checks pictures, then seconds between pictures, then the quiet period.
    void theTabRefusesTheFirstValueOutOfRange_data()
    {
        QTest::addColumn<int>("pictures");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("quiet");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<int>("field");
        const QString pictures = "Please enter an integer between 1 and 99.";
        const QString seconds = "Please enter a number between 1 and 60.";
        const QString quiet = "Please enter an integer between 0 and 3600.";
        const int none = -1;
        QTest::newRow("lowest values") << 1 << 1.0 << 0 << QString() << none;
        QTest::newRow("highest values") << 99 << 60.0 << 3600 << QString() << none;
        QTest::newRow("0 pictures")
            << 0 << 1.0 << 0 << pictures << int(TriggerValues::PicturesPerTrigger);
        QTest::newRow("100 pictures")
            << 100 << 1.0 << 0 << pictures << int(TriggerValues::PicturesPerTrigger);
        QTest::newRow("0 s between pictures")
            << 3 << 0.0 << 0 << seconds << int(TriggerValues::PictureInterval);
        QTest::newRow("61 s between pictures")
            << 3 << 61.0 << 0 << seconds << int(TriggerValues::PictureInterval);
        QTest::newRow("quiet period 3601")
            << 3 << 1.0 << 3601 << quiet << int(TriggerValues::QuietPeriod);
        QTest::newRow("pictures before seconds")
            << 0 << 0.0 << 0 << pictures << int(TriggerValues::PicturesPerTrigger);
        QTest::newRow("seconds before the quiet period")
            << 3 << 0.0 << 9999 << seconds << int(TriggerValues::PictureInterval);
    }
    void theTabRefusesTheFirstValueOutOfRange()
    {
        QFETCH(int, pictures);
        QFETCH(double, seconds);
        QFETCH(int, quiet);
        QFETCH(QString, refusal);
        QFETCH(int, field);
        TriggerValues values;
        values.pictures = pictures;
        values.secondsBetweenPictures = seconds;
        values.quietPeriod = quiet;
        const rules::Check check = values.check();
        QCOMPARE(textOf(check), refusal);
        QCOMPARE(check ? check->field : -1, field);
    }

    // The record keeps milliseconds; the tab reads at least one second and stores what it
    // reads back in milliseconds.
    void thePictureIntervalBetweenMillisecondsAndSeconds_data()
    {
        QTest::addColumn<int>("storedMs");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("savedMs");
        QTest::newRow("500 ms reads as 1 s") << 500 << 1.0 << 1000;
        QTest::newRow("0 ms reads as 1 s") << 0 << 1.0 << 1000;
        QTest::newRow("1000 ms is 1 s") << 1000 << 1.0 << 1000;
        QTest::newRow("1500 ms keeps its fraction") << 1500 << 1.5 << 1500;
        QTest::newRow("60000 ms is 60 s") << 60000 << 60.0 << 60000;
    }
    void thePictureIntervalBetweenMillisecondsAndSeconds()
    {
        QFETCH(int, storedMs);
        QFETCH(double, seconds);
        QFETCH(int, savedMs);
        CameraSettings settings;
        settings.ResetAll();
        settings.core.pictureInterval = static_cast<std::uint16_t>(storedMs);
        const TriggerValues values = TriggerValues::fromRecord(settings);
        QCOMPARE(values.secondsBetweenPictures, seconds);
        values.toRecord(settings);
        QCOMPARE(int(settings.core.pictureInterval), savedMs);
    }

    // BurstClip pictures, 5 s apart, that a time-lapse interval holds; counted in 16 bits.
    void theBurstLimitOfAnInterval_data()
    {
        QTest::addColumn<std::uint16_t>("interval");
        QTest::addColumn<int>("limit");
        QTest::newRow("30 s hold 6") << MakeInterval(IntervalUnit::Seconds, 30) << 6;
        QTest::newRow("1 min holds 12") << MakeInterval(IntervalUnit::Minutes, 1) << 12;
        QTest::newRow("an hour has no limit") << MakeInterval(IntervalUnit::Hours, 1) << 0xFFFF;
        QTest::newRow("6000 ms have no limit")
            << MakeInterval(IntervalUnit::Milliseconds, 6000) << 0xFFFF;
        // 5462 x 12 = 65544, which 16 bits hold as 8.
        QTest::newRow("5462 min wrap to 8") << MakeInterval(IntervalUnit::Minutes, 5462) << 8;
    }
    void theBurstLimitOfAnInterval()
    {
        QFETCH(std::uint16_t, interval);
        QFETCH(int, limit);
        QCOMPARE(int(TriggerValues::burstLimit(interval)), limit);
    }

    // The dialog checks the pulse window, then the pulse count; the window in single precision,
    // so that 0.3 passes although the double 0.3 lies below 0.3f.
    void theDialogRefusesTheFirstValueOutOfRange_data()
    {
        QTest::addColumn<int>("pulses");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<int>("field");
        const QString window = "Please enter a number between 0.3 and 10.";
        const QString pulses = "Please enter an integer between 1 and 5.";
        QTest::newRow("1 pulse within 0.3 s") << 1 << 0.3 << QString() << -1;
        QTest::newRow("5 pulses within 10 s") << 5 << 10.0 << QString() << -1;
        QTest::newRow("0.2 s") << 2 << 0.2 << window << int(InternalTriggerValues::PulseWindow);
        QTest::newRow("0 s") << 2 << 0.0 << window << int(InternalTriggerValues::PulseWindow);
        QTest::newRow("10.1 s") << 2 << 10.1 << window << int(InternalTriggerValues::PulseWindow);
        QTest::newRow("0 pulses") << 0 << 1.0 << pulses << int(InternalTriggerValues::PulseCount);
        QTest::newRow("6 pulses") << 6 << 1.0 << pulses << int(InternalTriggerValues::PulseCount);
        QTest::newRow("the window before the pulses")
            << 9 << 20.0 << window << int(InternalTriggerValues::PulseWindow);
    }
    void theDialogRefusesTheFirstValueOutOfRange()
    {
        QFETCH(int, pulses);
        QFETCH(double, seconds);
        QFETCH(QString, refusal);
        QFETCH(int, field);
        InternalTriggerValues values;
        values.pulses = pulses;
        values.pulseWindowSeconds = seconds;
        const rules::Check check = values.check();
        QCOMPARE(textOf(check), refusal);
        QCOMPARE(check ? check->field : -1, field);
    }

    // Every stored window comes back unchanged through the field, and so does every window
    // typed with one decimal place (0.3 is 3 tenths, 9.9 is 99, 10 is 100).
    void thePulseWindowInTenths_data()
    {
        QTest::addColumn<int>("tenths");
        for (int tenths = 0; tenths <= 255; ++tenths)
            QTest::addRow("%d.%d s is %d tenths", tenths / 10, tenths % 10, tenths) << tenths;
    }
    void thePulseWindowInTenths()
    {
        QFETCH(int, tenths);
        const auto stored = static_cast<std::uint8_t>(tenths);
        const double shown = InternalTriggerValues::pulseWindowSecondsOf(stored);
        QCOMPARE(int(InternalTriggerValues::pulseWindowTenths(shown)), tenths);
        const double typed = QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10).toDouble();
        QCOMPARE(int(InternalTriggerValues::pulseWindowTenths(typed)), tenths);
    }

    // The slider's five positions are steps of 25; a stored value between them falls to the
    // step below, which is what is stored back.
    void sensitivityGoesByStepsOf25_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("savedBack");
        QTest::newRow("24 falls to 0") << 24 << 0 << 0;
        QTest::newRow("60 is stored back as 50") << 60 << 2 << 50;
        QTest::newRow("100 is the last position") << 100 << 4 << 100;
    }
    void sensitivityGoesByStepsOf25()
    {
        QFETCH(int, stored);
        QFETCH(int, position);
        QFETCH(int, savedBack);
        CameraSettings settings;
        settings.ResetAll();
        settings.SetSensitivity(static_cast<std::uint16_t>(stored));
        const InternalTriggerValues values = InternalTriggerValues::fromRecord(settings);
        QCOMPARE(values.sensitivityPosition, position);
        values.toRecord(settings);
        QCOMPARE(int(settings.Sensitivity()), savedBack);
    }
};

QTEST_APPLESS_MAIN(TestTriggerValues)
#include "tst_trigger_values.moc"
