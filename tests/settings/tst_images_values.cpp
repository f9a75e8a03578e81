// The Images tab's values without its widgets: its checks, the label as stored, and the night
// sliders' positions for the stored codes.
#include "settings/images_values.h"

#include <QTest>

class TestImagesValues : public QObject
{
    Q_OBJECT

private slots:
    // The label's length and a slider's value, each refused past what the record keeps.
    void checksRefuseWhatTheRecordCannotKeep_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("refusal"); // empty: accepted
        const int label = ImagesValues::Label;
        const int slider = ImagesValues::Slider;
        const QString range = QStringLiteral("Please enter an integer between 0 and 255.");
        QTest::newRow("20 characters") << label << 20 << "";
        QTest::newRow("21 characters") << label << 21 << "Please enter no more than 20 characters.";
        QTest::newRow("slider -1") << slider << -1 << range;
        QTest::newRow("slider 255") << slider << 255 << "";
        QTest::newRow("slider 256") << slider << 256 << range;
    }
    void checksRefuseWhatTheRecordCannotKeep()
    {
        QFETCH(int, field);
        QFETCH(int, value);
        QFETCH(QString, refusal);
        const rules::Check result = field == ImagesValues::Label
                                        ? ImagesValues::checkLabelLength(std::size_t(value))
                                        : ImagesValues::checkSlider(value);
        QCOMPARE(result ? QString::fromStdString(result->text()) : QString(), refusal);
        QCOMPARE(result ? result->field : field, field);
    }

    // One byte a character: what has no byte of its own is left out, not stored as another.
    void labelIsStoredOneByteACharacter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ISO 8859-1 up to 0xFF")
            << QStringLiteral("Caf\u00e9 \u00ff") << QByteArray("Caf\xe9 \xff");
        QTest::newRow("beyond one byte")
            << QStringLiteral("a\u20acb\u0100c\U0001F600") << QByteArray("abc");
        QTest::newRow("zero") << QStringLiteral("a") + QChar(0) + QStringLiteral("b")
                              << QByteArray("ab");
        QTest::newRow("cut after 20")
            << QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY") << QByteArray("ABCDEFGHIJKLMNOPQRST");
        QTest::newRow("what is left out does not count")
            << QStringLiteral("\u20acABCDEFGHIJKLMNOPQRST") << QByteArray("ABCDEFGHIJKLMNOPQRST");
    }
    void labelIsStoredOneByteACharacter()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        const std::string stored = ImagesValues::labelBytes(text.toStdU16String());
        QCOMPARE(QByteArray::fromStdString(stored), bytes);
    }

    // What a stored imageFlags word gives the night sliders, and what comes back from them.
    void nightSlidersShowTheStoredCodes_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shutterPosition");
        QTest::addColumn<int>("isoPosition");
        QTest::addColumn<int>("storedBack");
        QTest::newRow("shutter 1, ISO 1 shows low") << 0x051E << 1 << 0 << 0x051E;
        QTest::newRow("shutter 2, ISO 2 shows high") << 0x0A1E << 2 << 2 << 0x0A1E;
        QTest::newRow("shutter 3 shows the middle and comes back as 1")
            << 0x0300 << 1 << 1 << 0x0100;
        QTest::newRow("ISO 3 shows high and comes back as 2") << 0x0C00 << 0 << 2 << 0x0800;
        QTest::newRow("start delay and reserved bits stay") << 0xF01E << 0 << 1 << 0xF01E;
    }
    void nightSlidersShowTheStoredCodes()
    {
        QFETCH(int, stored);
        QFETCH(int, shutterPosition);
        QFETCH(int, isoPosition);
        QFETCH(int, storedBack);
        CameraSettings settings;
        settings.ResetAll();
        settings.core.imageFlags = static_cast<std::uint16_t>(stored);
        const ImagesValues values = ImagesValues::fromRecord(settings);
        QCOMPARE(values.nightShutterPosition, shutterPosition);
        QCOMPARE(values.nightIsoPosition, isoPosition);
        values.toRecord(settings);
        QCOMPARE(settings.core.imageFlags, storedBack);
    }
};

QTEST_APPLESS_MAIN(TestImagesValues)
#include "tst_images_values.moc"
