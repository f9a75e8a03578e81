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

using testfiles::writeBytes;

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

class TestReservedBits : public QObject
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
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        CurrentFolder folder(dir.path());
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("card/VELOMAR")));
        const QString localPath = dir.filePath(QStringLiteral("Kestra.cfg"));
        const QString cardPath = dir.filePath(QStringLiteral("card/VELOMAR/Kestra.cfg"));
        const QByteArray original = settingsFileBytes(everyReservedBitSet(
            static_cast<std::uint16_t>(imageFlags), static_cast<std::uint16_t>(optionFlags)));
        QVERIFY(writeBytes(localPath, original));

        FakePlatformServices platform;
        ScriptedMessages messages;
        CameraSettings settings;
        AppState app;
        CKestraSheet sheet(settings, app);
        sheet.SetPaths(localPath, cardPath);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));

        for (const int tab : {kImagesTab, kOtherTab, kImagesTab, kOtherTab, 0, kImagesTab})
            QVERIFY(sheet.SetActivePage(tab));
        // What the pages show of it, on the way.
        auto *images = sheet.GetPage(kImagesTab);
        QCOMPARE(images->findChild<QLineEdit *>(QStringLiteral("label"))->text(),
                 QStringLiteral("Caf\u00E9 \u00D8 \u0080\u00FF"));
        QCOMPARE(images->findChild<QSlider *>(QStringLiteral("contrast"))->value(), 250);
        QVERIFY(sheet.SetActivePage(kOtherTab));
        auto *other = sheet.GetPage(kOtherTab);
        QVERIFY(other->findChild<QCheckBox *>(QStringLiteral("loopRecording"))->isChecked());
        QVERIFY(other->findChild<QCheckBox *>(QStringLiteral("hideLogo"))->isChecked());

        messages.expect(kSavedNotice);
        QTest::mouseClick(sheet.button(PropertySheet::OkButton), Qt::LeftButton);
        QVERIFY(!sheet.isVisible());

        QCOMPARE(readBytes(localPath), original);
        // The card's copy differs only in the switch-on time and date, which were not set
        // in this run.
        QByteArray card = original;
        card.replace(70, 4, QByteArray(4, '\0'));
        QCOMPARE(readBytes(cardPath), card);
    }

    void useFactoryShowsFactoryValuesOnBothPages()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        CurrentFolder folder(dir.path());
        const QString localPath = dir.filePath(QStringLiteral("Kestra.cfg"));
        QVERIFY(writeBytes(localPath, settingsFileBytes(everyReservedBitSet(0x96BF, 0x9CEF))));

        FakePlatformServices platform;
        ScriptedMessages messages;
        CameraSettings settings;
        AppState app;
        CKestraSheet sheet(settings, app);
        sheet.SetPaths(localPath, dir.filePath(QStringLiteral("card.cfg")));
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QVERIFY(sheet.SetActivePage(kImagesTab));
        QVERIFY(sheet.SetActivePage(kOtherTab));

        messages.expect(kFactoryQuestion, MessageAnswer::Yes);
        QTest::mouseClick(sheet.button(PropertySheet::HelpButton), Qt::LeftButton);

        auto *other = sheet.GetPage(kOtherTab);
        QVERIFY(!other->findChild<QCheckBox *>(QStringLiteral("useKeyBolt"))->isChecked());
        QVERIFY(!other->findChild<QComboBox *>(QStringLiteral("codeDigit1"))->isEnabled());
        QCOMPARE(other->findChild<QComboBox *>(QStringLiteral("startDelay"))->currentIndex(), 0);
        auto *images = sheet.GetPage(kImagesTab);
        QCOMPARE(images->findChild<QLineEdit *>(QStringLiteral("label"))->text(), QString());
        QCOMPARE(images->findChild<QSlider *>(QStringLiteral("nightIso"))->value(), 1);
        QCOMPARE(images->findChild<QSlider *>(QStringLiteral("brightness"))->value(), 64);
        sheet.reject();
    }
};

QTEST_MAIN(TestReservedBits)
#include "tst_reserved_bits.moc"
