#include "gui_test.h"
#include "sheet_run.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kImagesTab = 2;
constexpr int kOtherTab = 4;
constexpr int kSavedNotice = 114;
constexpr int kFactoryQuestion = 110;

// A record with every reserved bit set, and every field the Images and Other pages show away
// from its factory value, in values those pages store back as they are.
CameraSettings everyReservedBitSet(std::uint16_t imageFlags, std::uint16_t optionFlags)
{
    CameraSettings s;
    s.ResetAll();
    s.core.triggerFlags = 0x64F9; // sensitivity 100, bits 3-7, internal trigger
    s.core.timeLapseFlags = 0xFFFC;
    s.core.brightness = 10;
    s.core.contrast = 250;
    s.core.sharpness = 3;
    s.core.saturation = 200;
    s.core.imageFlags = imageFlags;
    s.SetLabel("Caf\xE9 \xD8 \x80\xFF");
    s.core.optionFlags = optionFlags;
    s.SetLoadTime(6, 30, 10);
    s.SetLoadDate(5, 17, 24);
    s.dual.dayAssignment = 0x8A85; // bits 7 and 15, and a few days on schedule 2
    s.cellular.cellFlags = 0xFFFD; // loop recording, logo hidden, cellular on, bits 3-15
    s.cellular.statusFlags = 0xFFFE;
    s.cellular.reserved = 0xBEEF;
    s.cellular.phoneNumbers[0] = PackPhoneNumber("555-1212", false);
    s.cellular.email2 = PackEmailAddress("ranger@example.org", true);
    return s;
}

} // namespace

class TestReservedBits : public GuiTest
{
    Q_OBJECT

private slots:
    void visitingImagesAndOtherKeepsEveryBit_data()
    {
        QTest::addColumn<int>("imageFlags");
        QTest::addColumn<int>("optionFlags");
        // imageFlags: border, bits 1-4, Celsius, low resolution, shutter 2, ISO 1, delay 9.
        // optionFlags: bits 0, 2, 6, 7, KeyBolt, Normal, illuminator off, digits 1 4 2 3.
        QTest::newRow("KeyBolt on, start delay 9") << 0x96BF << 0x9CEF;
        // Clock 24 h, shutter 1, ISO 2, delay 15; KeyBolt off, digits 4 4 4 4.
        QTest::newRow("KeyBolt off, start delay 15") << 0xF95E << 0xFFED;
    }
    void visitingImagesAndOtherKeepsEveryBit()
    {
        QFETCH(int, imageFlags);
        QFETCH(int, optionFlags);
        SheetRun run;
        const QByteArray original = settingsFileBytes(everyReservedBitSet(
            static_cast<std::uint16_t>(imageFlags), static_cast<std::uint16_t>(optionFlags)));
        QVERIFY(writeBytes(run.localPath, original));
        QVERIFY(run.open());

        for (const int tab : {kImagesTab, kOtherTab, kImagesTab, kOtherTab, 0, kImagesTab})
            QVERIFY(run.sheet->setCurrentIndex(tab));
        // What the pages show of it, on the way.
        QCOMPARE(run.find<QLineEdit>(QStringLiteral("label"))->text(),
                 QStringLiteral("Caf\u00E9 \u00D8 \u0080\u00FF"));
        QCOMPARE(run.find<QSlider>(QStringLiteral("contrast"))->value(), 250);
        QVERIFY(run.sheet->setCurrentIndex(kOtherTab));
        QVERIFY(run.find<QCheckBox>(QStringLiteral("loopRecording"))->isChecked());
        QVERIFY(run.find<QCheckBox>(QStringLiteral("hideLogo"))->isChecked());

        run.messages.expect(kSavedNotice);
        run.clickButton(PropertySheet::OkButton);
        QVERIFY(!run.sheet->isVisible());

        QCOMPARE(readBytes(run.localPath), original);
        // The card's copy differs only in the switch-on time and date, which were not set
        // in this run.
        QByteArray card = original;
        card.replace(70, 4, QByteArray(4, '\0'));
        QCOMPARE(readBytes(run.cardPath), card);
    }

    void useFactoryShowsFactoryValuesOnBothPages()
    {
        SheetRun run;
        QVERIFY(writeBytes(run.localPath, settingsFileBytes(everyReservedBitSet(0x96BF, 0x9CEF))));
        QVERIFY(run.open());
        QVERIFY(run.sheet->setCurrentIndex(kImagesTab));
        QVERIFY(run.sheet->setCurrentIndex(kOtherTab));

        run.messages.expect(kFactoryQuestion, MessageAnswer::Yes);
        run.clickButton(run.sheet->useFactoryButton());

        QVERIFY(!run.find<QCheckBox>(QStringLiteral("useKeyBolt"))->isChecked());
        QVERIFY(!run.find<QComboBox>(QStringLiteral("codeDigit1"))->isEnabled());
        QCOMPARE(run.find<QComboBox>(QStringLiteral("startDelay"))->currentIndex(), 0);
        QCOMPARE(run.find<QLineEdit>(QStringLiteral("label"))->text(), QString());
        QCOMPARE(run.find<QSlider>(QStringLiteral("nightIso"))->value(), 1);
        QCOMPARE(run.find<QSlider>(QStringLiteral("brightness"))->value(), 64);
    }
};

QTEST_MAIN(TestReservedBits)
#include "tst_reserved_bits.moc"
