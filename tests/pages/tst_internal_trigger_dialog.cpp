#include "gui_run.h"
#include "gui_test.h"
#include "pages/internal_trigger_dialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <memory>

namespace {

const QString kSecondsRange = QStringLiteral("Please enter a number between 0.3 and 10.");
const QString kPulsesRange = QStringLiteral("Please enter an integer between 1 and 5.");
const QString kEnterInteger = QStringLiteral("Please enter an integer.");
const QString kEnterNumber = QStringLiteral("Please enter a number.");

// The dialog over a record whose trigger bits it must leave alone.
struct Fixture : DialogRun<CInternalTriggerDlg>
{
    Fixture()
    {
        settings.core.triggerFlags |= 0x0007;
        settings.core.pulseCount = 2;
        settings.core.pulseWindow = 10;
    }

    // Opens the dialog on the record as arranged so far (and the locale as faked).
    [[nodiscard]] bool open(bool readOnly = false)
    {
        auto made = std::make_unique<CInternalTriggerDlg>(settings);
        made->setReadOnly(readOnly);
        return show(std::move(made));
    }

    QSlider *slider() const { return find<QSlider>(QStringLiteral("sensitivity")); }
};

} // namespace

class TestInternalTriggerDialog : public GuiTest
{
    Q_OBJECT

private slots:
    void theDialogShowsTheRecord_data()
    {
        QTest::addColumn<int>("sensitivity");
        QTest::addColumn<int>("pulseCount");
        QTest::addColumn<int>("pulseWindow");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("pulses");
        QTest::addColumn<QString>("seconds");
        QTest::newRow("sensitivity 60, window 10") << 60 << 2 << 10 << 2 << "2"
                                                   << "1";
        QTest::newRow("sensitivity 100, window 25") << 100 << 5 << 25 << 4 << "5"
                                                    << "2.5";
        QTest::newRow("sensitivity 24, window 3") << 24 << 1 << 3 << 0 << "1"
                                                  << "0.3";
        QTest::newRow("zeros shown as stored") << 0 << 0 << 0 << 0 << "0"
                                               << "0";
        QTest::newRow("window of 255 tenths") << 25 << 1 << 255 << 1 << "1"
                                              << "25.5";
    }
    void theDialogShowsTheRecord()
    {
        QFETCH(int, sensitivity);
        QFETCH(int, pulseCount);
        QFETCH(int, pulseWindow);
        QFETCH(int, position);
        QFETCH(QString, pulses);
        QFETCH(QString, seconds);
        Fixture f;
        f.settings.SetSensitivity(static_cast<std::uint16_t>(sensitivity));
        f.settings.core.pulseCount = static_cast<std::uint8_t>(pulseCount);
        f.settings.core.pulseWindow = static_cast<std::uint8_t>(pulseWindow);
        QVERIFY(f.open());
        QCOMPARE(f.dialog->windowTitle(), QStringLiteral("Internal Trigger Settings"));
        QCOMPARE(f.slider()->minimum(), 0);
        QCOMPARE(f.slider()->maximum(), 4);
        QCOMPARE(f.slider()->value(), position);
        QCOMPARE(f.find<QLineEdit>("pulseCount")->text(), pulses);
        QCOMPARE(f.find<QLineEdit>("pulseWindow")->text(), seconds);
    }

    void okStoresWhatWasEntered_data()
    {
        QTest::addColumn<int>("sensitivity");
        QTest::addColumn<int>("rightKeys");
        QTest::addColumn<QString>("pulses");
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<int>("savedSensitivity");
        QTest::addColumn<int>("savedPulses");
        QTest::addColumn<int>("savedWindow");
        QTest::newRow("one step up from 50") << 50 << 1 << ""
                                             << "" << 75 << 2 << 10;
        QTest::newRow("2.5 seconds store 25 tenths") << 0 << 0 << "3"
                                                     << "2.5" << 0 << 3 << 25;
        QTest::newRow("a second decimal is dropped by the field") << 0 << 0 << "3"
                                                                  << "2.55" << 0 << 3 << 25;
    }
    void okStoresWhatWasEntered()
    {
        QFETCH(int, sensitivity);
        QFETCH(int, rightKeys);
        QFETCH(QString, pulses);
        QFETCH(QString, seconds);
        QFETCH(int, savedSensitivity);
        QFETCH(int, savedPulses);
        QFETCH(int, savedWindow);
        Fixture f;
        f.settings.SetSensitivity(static_cast<std::uint16_t>(sensitivity));
        QVERIFY(f.open());
        f.slider()->setFocus();
        for (int i = 0; i < rightKeys; ++i)
            QTest::keyClick(f.slider(), Qt::Key_Right);
        if (!pulses.isEmpty())
            f.type("pulseCount", pulses);
        if (!seconds.isEmpty())
            f.type("pulseWindow", seconds);
        f.click("okButton");
        QVERIFY(!f.dialog->isVisible());
        QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
        QCOMPARE(int(f.settings.Sensitivity()), savedSensitivity);
        QCOMPARE(int(f.settings.core.pulseCount), savedPulses);
        QCOMPARE(int(f.settings.core.pulseWindow), savedWindow);
        QCOMPARE(f.settings.core.triggerFlags & 0xFF, 0x07);
    }

    void okRefusesWhatCannotBeStored_data()
    {
        QTest::addColumn<QString>("pulses");
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("exclamation");
        QTest::addColumn<QString>("field");
        QTest::newRow("10.5 seconds") << "2"
                                      << "10.5" << kSecondsRange << true << "pulseWindow";
        QTest::newRow("no seconds") << "2"
                                    << "" << kEnterNumber << false << "pulseWindow";
        QTest::newRow("no pulses") << ""
                                   << "1" << kEnterInteger << false << "pulseCount";
        QTest::newRow("letters for pulses") << "x"
                                            << "1" << kEnterInteger << false << "pulseCount";
        QTest::newRow("6 pulses") << "6"
                                  << "1" << kPulsesRange << true << "pulseCount";
        QTest::newRow("pulses are read before seconds")
            << ""
            << "" << kEnterInteger << false << "pulseCount";
    }
    void okRefusesWhatCannotBeStored()
    {
        QFETCH(QString, pulses);
        QFETCH(QString, seconds);
        QFETCH(QString, message);
        QFETCH(bool, exclamation);
        QFETCH(QString, field);
        Fixture f;
        QVERIFY(f.open());
        const CoreSection before = f.settings.core;
        f.slider()->setValue(1);
        f.type("pulseCount", pulses);
        f.type("pulseWindow", seconds);
        f.messages.expect(message);
        f.click("okButton");
        const Message &shown = f.messages.shownMessage(-1);
        QCOMPARE(shown.caption, programName());
        QCOMPARE(shown.icon, exclamation ? MessageIcon::Exclamation : MessageIcon::None);
        QVERIFY(f.dialog->isVisible());
        QCOMPARE(QApplication::focusWidget(), f.find<QLineEdit>(field));
        QCOMPARE(f.find<QLineEdit>(field)->selectedText(), f.find<QLineEdit>(field)->text());
        QVERIFY(f.settings.core == before);
    }

    void storedZerosMustBeCorrectedBeforeOk()
    {
        Fixture f;
        f.settings.core.pulseCount = 0;
        f.settings.core.pulseWindow = 0;
        QVERIFY(f.open());
        f.messages.expect(kSecondsRange);
        f.click("okButton");
        QVERIFY(f.dialog->isVisible());
        f.type("pulseWindow", "1");
        f.messages.expect(kPulsesRange);
        f.click("okButton");
        QVERIFY(f.dialog->isVisible());
        f.type("pulseCount", "3");
        f.click("okButton");
        QVERIFY(!f.dialog->isVisible());
        QCOMPARE(int(f.settings.core.pulseCount), 3);
        QCOMPARE(int(f.settings.core.pulseWindow), 10);
    }

    void cancelLeavesTheRecordAlone_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Escape key") << true;
    }
    void cancelLeavesTheRecordAlone()
    {
        QFETCH(bool, escape);
        Fixture f;
        QVERIFY(f.open());
        const CoreSection before = f.settings.core;
        f.slider()->setFocus();
        QTest::keyClick(f.slider(), Qt::Key_Left);
        QCOMPARE(f.slider()->value(), 3);
        f.type("pulseCount", "4");
        f.type("pulseWindow", "7.5");
        if (escape)
            QTest::keyClick(f.find<QLineEdit>("pulseWindow"), Qt::Key_Escape);
        else
            f.click("cancelButton");
        QVERIFY(!f.dialog->isVisible());
        QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
        QVERIFY(f.settings.core == before);
    }

    void returnInAFieldPressesOk()
    {
        Fixture f;
        QVERIFY(f.open());
        f.type("pulseCount", "4");
        QTest::keyClick(f.find<QLineEdit>("pulseCount"), Qt::Key_Return);
        QVERIFY(!f.dialog->isVisible());
        QCOMPARE(int(f.settings.core.pulseCount), 4);
    }

    void readOnlyShowsButCannotChange()
    {
        Fixture f;
        QVERIFY(f.open(true));
        const CoreSection before = f.settings.core;
        QCOMPARE(f.dialog->windowTitle(), QStringLiteral("Internal Trigger Settings (read only)"));
        for (const char *name :
             {"sensitivityLowLabel", "sensitivity", "sensitivityHighLabel", "pulseCount",
              "pulseWindow", "okButton", "requireLabel", "pulsesWithinLabel", "pulseWindowLabel"})
            QVERIFY2(!f.find(name)->isEnabled(), name);
        QVERIFY(f.find("cancelButton")->isEnabled());
        QCOMPARE(f.find<QLineEdit>("pulseWindow")->text(), QStringLiteral("1"));
        // Return cannot reach the disabled OK: at most it presses the focused Cancel.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        if (f.dialog->isVisible())
            f.click("cancelButton");
        QVERIFY(!f.dialog->isVisible());
        QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
        QVERIFY(f.settings.core == before);
    }

    void aCommaLocaleShowsAndReadsTenthsWithAComma()
    {
        Fixture f;
        f.platform.locale.decimalPoint = QLatin1Char(',');
        f.settings.core.pulseWindow = 25;
        QVERIFY(f.open());
        QCOMPARE(f.find<QLineEdit>("pulseWindow")->text(), QStringLiteral("2,5"));
        f.type("pulseWindow", "0,3");
        f.click("okButton");
        QVERIFY(!f.dialog->isVisible());
        QCOMPARE(int(f.settings.core.pulseWindow), 3);
    }

    // The whole dialog by keys: Alt+S to the slider, the arrows, Alt+R and Alt+W to the
    // fields, Enter for OK.
    void theSettingsAreEnteredWithTheKeyboard()
    {
        Fixture f;
        QVERIFY(f.open());
        QWidget *first = QApplication::focusWidget();
        QVERIFY(first);
        QTest::keyClick(first, Qt::Key_S, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), f.slider());
        QTest::keyClick(f.slider(), Qt::Key_End);
        QTest::keyClick(f.slider(), Qt::Key_Left);
        QTest::keyClick(f.slider(), Qt::Key_R, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), f.find<QLineEdit>("pulseCount"));
        f.find<QLineEdit>("pulseCount")->selectAll();
        QTest::keyClicks(f.find<QLineEdit>("pulseCount"), QStringLiteral("4"));
        QTest::keyClick(f.find<QLineEdit>("pulseCount"), Qt::Key_W, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), f.find<QLineEdit>("pulseWindow"));
        f.find<QLineEdit>("pulseWindow")->selectAll();
        QTest::keyClicks(f.find<QLineEdit>("pulseWindow"), QStringLiteral("2.5"));
        QTest::keyClick(f.find<QLineEdit>("pulseWindow"), Qt::Key_Return);
        QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
        QCOMPARE(int(f.settings.Sensitivity()), 75);
        QCOMPARE(int(f.settings.core.pulseCount), 4);
        QCOMPARE(int(f.settings.core.pulseWindow), 25);
    }
};

QTEST_MAIN(TestInternalTriggerDialog)
#include "tst_internal_trigger_dialog.moc"
