#include "focus_chain.h"
#include "gui_run.h"
#include "gui_test.h"
#include "modal_script.h"
#include "pages/internal_trigger_dialog.h"
#include "pages/triggers_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <functional>
#include <memory>

namespace {

// The real page; only the opening of the schedule sheet is counted instead.
class TriggersPage : public CKTPageTriggers
{
public:
    using CKTPageTriggers::CKTPageTriggers;
    int schedulesOpened = 0;

protected:
    void openTriggerSchedule() override { ++schedulesOpened; }
};

const QString kEnterInteger = QStringLiteral("Please enter an integer.");
const QString kEnterNumber = QStringLiteral("Please enter a number.");
const QString kPicturesRange = QStringLiteral("Please enter an integer between 1 and 99.");
const QString kSecondsRange = QStringLiteral("Please enter a number between 1 and 60.");
const QString kQuietRange = QStringLiteral("Please enter an integer between 0 and 3600.");

// Every control that only an Advanced quickset in an editable run leaves enabled.
const QStringList kBurstAndQuietControls = {
    "useInternalTrigger", "picturesPerTrigger",   "fastSequence",         "waitBetweenPictures",
    "pictureInterval",    "pictureIntervalLabel", "quietPeriod",          "picturesLabel",
    "picturesUnitLabel",  "quietPeriodLabel",     "quietPeriodUnitLabel", "scheduleLabel",
};
const QStringList kQuicksetRadios = {"quicksetNormal", "quicksetAggressive", "quicksetConservative",
                                     "quicksetAdvanced"};

// The page in a sheet; which quickset radio is chosen.
struct Fixture : PageInSheet<TriggersPage>
{
    QString checkedQuickset() const
    {
        for (const QString &name : kQuicksetRadios) {
            if (find<QAbstractButton>(name)->isChecked())
                return name;
        }
        return {};
    }
};

void setAdvanced(CameraSettings &settings)
{
    settings.SetStoredQuickset(QuicksetAdvanced);
}

} // namespace

class TestTriggersPage : public GuiTest
{
    Q_OBJECT

private slots:
    void factoryValuesShowTheNormalPresetWithItsControlsLocked()
    {
        Fixture f;
        QVERIFY(f.open());
        QCOMPARE(f.checkedQuickset(), QStringLiteral("quicksetNormal"));
        QCOMPARE(f.find<QLineEdit>("picturesPerTrigger")->text(), QStringLiteral("3"));
        QCOMPARE(f.find<QLineEdit>("pictureInterval")->text(), QStringLiteral("1"));
        QCOMPARE(f.find<QLineEdit>("quietPeriod")->text(), QStringLiteral("0"));
        QVERIFY(f.find<QAbstractButton>("waitBetweenPictures")->isChecked());
        QVERIFY(f.find<QAbstractButton>("useInternalTrigger")->isChecked());
        QVERIFY(!f.find<QAbstractButton>("useExternalTrigger")->isChecked());
        for (const QString &name : kBurstAndQuietControls)
            QVERIFY2(!f.find(name)->isEnabled(), qPrintable(name));
        QVERIFY(!f.find("internalTriggerSettings")->isEnabled());
        QVERIFY(!f.find("viewTriggerSchedule")->isEnabled());
        QVERIFY(f.find("useExternalTrigger")->isEnabled());
        for (const QString &name : kQuicksetRadios)
            QVERIFY(f.find(name)->isEnabled());
    }

    void aStoredPresetIsShownOnlyWhileTheRecordHoldsIt_data()
    {
        QTest::addColumn<int>("applied");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("sensitivity");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Normal held") << 1 << 1 << 100 << "quicksetNormal";
        QTest::newRow("Conservative held") << 3 << 3 << 100 << "quicksetConservative";
        QTest::newRow("Aggressive stored over Normal values")
            << 1 << 2 << 100 << "quicksetAdvanced";
        QTest::newRow("Normal with sensitivity 75") << 1 << 1 << 75 << "quicksetAdvanced";
        QTest::newRow("Normal values, Advanced stored") << 1 << 0 << 100 << "quicksetAdvanced";
    }
    void aStoredPresetIsShownOnlyWhileTheRecordHoldsIt()
    {
        QFETCH(int, applied);
        QFETCH(int, stored);
        QFETCH(int, sensitivity);
        QFETCH(QString, shown);
        Fixture f;
        f.settings.ApplyQuickset(static_cast<std::uint16_t>(applied));
        f.settings.SetSensitivity(static_cast<std::uint16_t>(sensitivity));
        f.settings.SetStoredQuickset(static_cast<std::uint16_t>(stored));
        QVERIFY(f.open());
        QCOMPARE(f.checkedQuickset(), shown);
        const bool advanced = shown == QLatin1String("quicksetAdvanced");
        QCOMPARE(f.find("picturesPerTrigger")->isEnabled(), advanced);
        QCOMPARE(f.find("internalTriggerSettings")->isEnabled(), advanced);
        // Saving never writes the preset number: only the quickset radios do.
        QVERIFY(f.leave());
        QCOMPARE(int(f.settings.StoredQuickset()), stored);
    }

    // 1500 ms loses its fraction in the field, which takes whole seconds only.
    void theIntervalIsShownInWholeSecondsAndSavedBack()
    {
        Fixture f;
        setAdvanced(f.settings);
        f.settings.core.pictureInterval = 1500;
        QVERIFY(f.open());
        QCOMPARE(f.find<QLineEdit>("pictureInterval")->text(), QStringLiteral("1"));
        QVERIFY(f.leave());
        QCOMPARE(int(f.settings.core.pictureInterval), 1000);
    }

    void leavingThePageWritesWhatWasEntered()
    {
        Fixture f;
        setAdvanced(f.settings);
        f.settings.SetSensitivity(50);
        QVERIFY(f.open());
        f.type("picturesPerTrigger", "12");
        f.click("fastSequence");
        f.type("pictureInterval", "7");
        f.type("quietPeriod", "120");
        f.click("useExternalTrigger");
        f.click("useInternalTrigger");
        QVERIFY(f.leave());
        QCOMPARE(int(f.settings.core.picturesPerTrigger), 12);
        QVERIFY(f.settings.FastSequence());
        QCOMPARE(int(f.settings.core.pictureInterval), 7000);
        QCOMPARE(int(f.settings.core.quietPeriod), 120);
        QVERIFY(f.settings.ExternalTrigger());
        QVERIFY(!f.settings.InternalTrigger());
        QCOMPARE(int(f.settings.Sensitivity()), 50);
        QCOMPARE(int(f.settings.StoredQuickset()), int(QuicksetAdvanced));

        // Changed elsewhere (as "Use Factory" would), shown on the next visit.
        QVERIFY(f.sheet->setCurrentIndex(0));
        f.type("picturesPerTrigger", "4");
        f.click("waitBetweenPictures");
        QVERIFY(f.leave());
        QVERIFY(!f.settings.FastSequence());
        f.settings.core.quietPeriod = 3600;
        QVERIFY(f.sheet->setCurrentIndex(0));
        QCOMPARE(f.find<QLineEdit>("picturesPerTrigger")->text(), QStringLiteral("4"));
        QCOMPARE(f.find<QLineEdit>("quietPeriod")->text(), QStringLiteral("3600"));
    }

    void aFailedValidationKeepsThePage_data()
    {
        QTest::addColumn<QString>("pictures");
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<QString>("quiet");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("exclamation");
        QTest::addColumn<QString>("field");
        QTest::newRow("pictures empty") << ""
                                        << "1"
                                        << "0" << kEnterInteger << false << "picturesPerTrigger";
        QTest::newRow("pictures 0") << "0"
                                    << "1"
                                    << "0" << kPicturesRange << true << "picturesPerTrigger";
        QTest::newRow("seconds empty") << "3"
                                       << ""
                                       << "0" << kEnterNumber << false << "pictureInterval";
        QTest::newRow("seconds 61") << "3"
                                    << "61"
                                    << "0" << kSecondsRange << true << "pictureInterval";
        QTest::newRow("quiet period empty") << "3"
                                            << "1"
                                            << "" << kEnterInteger << false << "quietPeriod";
        QTest::newRow("quiet period 3601") << "3"
                                           << "1"
                                           << "3601" << kQuietRange << true << "quietPeriod";
        QTest::newRow("empty quiet period is read before bad pictures")
            << "0"
            << "1"
            << "" << kEnterInteger << false << "quietPeriod";
    }
    void aFailedValidationKeepsThePage()
    {
        QFETCH(QString, pictures);
        QFETCH(QString, seconds);
        QFETCH(QString, quiet);
        QFETCH(QString, message);
        QFETCH(bool, exclamation);
        QFETCH(QString, field);
        Fixture f;
        setAdvanced(f.settings);
        QVERIFY(f.open());
        const CoreSection before = f.settings.core;
        f.click("useExternalTrigger");
        f.type("picturesPerTrigger", pictures);
        f.type("pictureInterval", seconds);
        f.type("quietPeriod", quiet);

        f.messages.expect(message);
        QVERIFY(!f.leave());
        const Message &shown = f.messages.shownMessage(-1);
        QCOMPARE(shown.caption, programName());
        QCOMPARE(shown.icon, exclamation ? MessageIcon::Exclamation : MessageIcon::None);
        QCOMPARE(f.sheet->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), f.find(field));
        QCOMPARE(f.find<QLineEdit>(field)->selectedText(), f.find<QLineEdit>(field)->text());
        // Nothing is written before every check has passed.
        QVERIFY(f.settings.core == before);
    }

    void aStoredValueOutsideItsRangeMustBeCorrected()
    {
        Fixture f;
        setAdvanced(f.settings);
        f.settings.core.picturesPerTrigger = 0;
        QVERIFY(f.open());
        QCOMPARE(f.find<QLineEdit>("picturesPerTrigger")->text(), QStringLiteral("0"));
        f.messages.expect(kPicturesRange);
        QVERIFY(!f.leave());
        f.type("picturesPerTrigger", "4");
        QVERIFY(f.leave());
        QCOMPARE(int(f.settings.core.picturesPerTrigger), 4);
    }

    void aShortTimeLapseShowsAndSavesBothTriggersOff()
    {
        Fixture f;
        setAdvanced(f.settings);
        f.settings.SetExternalTrigger(true);
        f.settings.SetTimeLapseOn(true);
        f.settings.core.timeLapseInterval = MakeInterval(IntervalUnit::Seconds, 3);
        QVERIFY(f.open());
        QVERIFY(!f.find<QAbstractButton>("useInternalTrigger")->isChecked());
        QVERIFY(!f.find<QAbstractButton>("useExternalTrigger")->isChecked());
        QVERIFY(f.settings.InternalTrigger()); // only shown off until the page is left
        QVERIFY(f.leave());
        QVERIFY(!f.settings.InternalTrigger());
        QVERIFY(!f.settings.ExternalTrigger());
    }

    void clickingATriggerBoxAgainstTheTimeLapse_data()
    {
        QTest::addColumn<bool>("timeLapseOn");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("refused");
        QTest::newRow("3 seconds") << true << int(MakeInterval(IntervalUnit::Seconds, 3)) << true;
        QTest::newRow("5 seconds") << true << int(MakeInterval(IntervalUnit::Seconds, 5)) << false;
        QTest::newRow("3 seconds with the time lapse off")
            << false << int(MakeInterval(IntervalUnit::Seconds, 3)) << false;
    }
    void clickingATriggerBoxAgainstTheTimeLapse()
    {
        QFETCH(bool, timeLapseOn);
        QFETCH(int, interval);
        QFETCH(bool, refused);
        Fixture f;
        setAdvanced(f.settings);
        f.settings.SetInternalTrigger(false);
        // As the Time Lapse page saves it.
        f.settings.SetTimeLapseOn(timeLapseOn);
        f.settings.core.timeLapseInterval = static_cast<std::uint16_t>(interval);
        QVERIFY(f.open());
        for (const char *name : {"useInternalTrigger", "useExternalTrigger"}) {
            if (refused)
                f.messages.expect(117);
            f.click(name);
            QCOMPARE(f.find<QAbstractButton>(name)->isChecked(), !refused);
        }
        if (refused) {
            const Message &shown = f.messages.shownMessage(-1);
            QCOMPARE(shown.caption, programName());
            QCOMPARE(shown.icon, MessageIcon::Information);
            QCOMPARE(shown.buttons, MessageButtons::Ok);
        }
        QVERIFY(f.leave());
        QCOMPARE(f.settings.InternalTrigger(), !refused);
        QCOMPARE(f.settings.ExternalTrigger(), !refused);
    }

    void burstClipAgainstTheTimeLapseBurst_data()
    {
        QTest::addColumn<bool>("burst");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QString>("pictures");
        QTest::addColumn<bool>("asks");
        const int s30 = MakeInterval(IntervalUnit::Seconds, 30);
        QTest::newRow("30 s, 6 pictures pass") << true << s30 << "6" << false;
        QTest::newRow("30 s, 7 pictures ask") << true << s30 << "7" << true;
        QTest::newRow("no burst, 99 pictures pass") << false << s30 << "99" << false;
    }
    void burstClipAgainstTheTimeLapseBurst()
    {
        QFETCH(bool, burst);
        QFETCH(int, interval);
        QFETCH(QString, pictures);
        QFETCH(bool, asks);
        Fixture f;
        setAdvanced(f.settings);
        f.settings.SetTimeLapseOn(true);
        f.settings.SetTimeLapseBurst(burst);
        f.settings.core.timeLapseInterval = static_cast<std::uint16_t>(interval);
        QVERIFY(f.open());
        f.type("picturesPerTrigger", pictures);
        if (asks)
            f.messages.expect(126, MessageAnswer::Yes);
        QVERIFY(f.leave());
        if (asks) {
            const Message &shown = f.messages.shownMessage(-1);
            QCOMPARE(shown.caption, programName());
            QCOMPARE(shown.icon, MessageIcon::Information);
            QCOMPARE(shown.buttons, MessageButtons::YesNo);
        }
        QCOMPARE(int(f.settings.core.picturesPerTrigger), pictures.toInt());
        QCOMPARE(f.settings.TimeLapseBurst(), burst && !asks);
    }

    void answeringNoToTheBurstClipQuestionKeepsThePage()
    {
        Fixture f;
        setAdvanced(f.settings);
        f.settings.SetTimeLapseOn(true);
        f.settings.SetTimeLapseBurst(true);
        f.settings.core.timeLapseInterval = MakeInterval(IntervalUnit::Seconds, 30);
        QVERIFY(f.open());
        f.type("picturesPerTrigger", "7");
        f.messages.expect(126, MessageAnswer::No);
        QVERIFY(!f.leave());
        QCOMPARE(f.sheet->currentIndex(), 0);
        QVERIFY(f.settings.TimeLapseBurst());
        // The fields were written before the question.
        QCOMPARE(int(f.settings.core.picturesPerTrigger), 7);
    }

    void aPresetLoadsItsValuesAndArmsTheCameraAlways_data()
    {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<int>("preset");
        QTest::addColumn<QString>("pictures");
        QTest::addColumn<bool>("fast");
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<QString>("quiet");
        QTest::newRow("Normal") << "quicksetNormal" << 1 << "3" << false << "1"
                                << "0";
        QTest::newRow("Aggressive") << "quicksetAggressive" << 2 << "5" << true << "1"
                                    << "0";
        QTest::newRow("Conservative") << "quicksetConservative" << 3 << "3" << false << "5"
                                      << "15";
    }
    void aPresetLoadsItsValuesAndArmsTheCameraAlways()
    {
        QFETCH(QString, radio);
        QFETCH(int, preset);
        QFETCH(QString, pictures);
        QFETCH(bool, fast);
        QFETCH(QString, seconds);
        QFETCH(QString, quiet);
        Fixture f;
        setAdvanced(f.settings);
        f.settings.core.picturesPerTrigger = 20;
        f.settings.core.quietPeriod = 99;
        f.settings.SetSensitivity(50);
        f.settings.SetExternalTrigger(true);
        f.settings.core.pulseCount = 4;
        // Still always armed: every day uses schedule 2, so schedule 1 may have an off slot.
        f.settings.dual.dayAssignment = 0x7F7F;
        f.settings.SetDualTriggerSlot(0, false, 0);
        QVERIFY(f.settings.IsTriggerAlwaysArmed());
        QVERIFY(f.open());
        f.click("useExternalTrigger"); // unticked on the page only, not yet saved

        f.click(radio);
        QVERIFY(f.messages.shown().isEmpty());
        QCOMPARE(int(f.settings.StoredQuickset()), preset);
        QCOMPARE(f.find<QLineEdit>("picturesPerTrigger")->text(), pictures);
        QCOMPARE(f.find<QLineEdit>("pictureInterval")->text(), seconds);
        QCOMPARE(f.find<QLineEdit>("quietPeriod")->text(), quiet);
        QCOMPARE(f.find<QAbstractButton>("fastSequence")->isChecked(), fast);
        QVERIFY(f.find<QAbstractButton>("useInternalTrigger")->isChecked());
        QCOMPARE(f.checkedQuickset(), radio);
        QCOMPARE(int(f.settings.Sensitivity()), 100);
        // The whole word goes, the time-lapse day choices with it.
        QCOMPARE(int(f.settings.dual.dayAssignment), 0);
        QVERIFY(f.settings.dual.triggerSchedule1.IsAllOn());
        QVERIFY(f.settings.dual.triggerSchedule2.IsAllOn());
        QVERIFY(f.settings.core.triggerDaySchedule.IsAllOn());
        // The external trigger and the pulse settings are the user's, not the preset's.
        QVERIFY(!f.settings.ExternalTrigger());
        QCOMPARE(int(f.settings.core.pulseCount), 4);

        for (const QString &name : kBurstAndQuietControls)
            QVERIFY2(!f.find(name)->isEnabled(), qPrintable(name));
        QVERIFY(!f.find("internalTriggerSettings")->isEnabled());
        QVERIFY(!f.find("viewTriggerSchedule")->isEnabled());
        QVERIFY(f.find("useExternalTrigger")->isEnabled());
        for (const QString &name : kQuicksetRadios)
            QVERIFY(f.find(name)->isEnabled());

        QVERIFY(f.revisit());
        QCOMPARE(f.checkedQuickset(), radio);
    }

    void aRestrictedScheduleAsksBeforeAPreset_data()
    {
        QTest::addColumn<int>("restriction");
        QTest::addColumn<bool>("yes");
        // 0: the daily schedule has an off slot; 1: schedule 1 is used and has one;
        // 2: schedule 2 is used (on Sunday) and has one.
        for (bool yes : {false, true}) {
            const char *answer = yes ? "yes" : "no";
            QTest::addRow("daily schedule, %s", answer) << 0 << yes;
            QTest::addRow("dual schedule 1, %s", answer) << 1 << yes;
            QTest::addRow("dual schedule 2, %s", answer) << 2 << yes;
        }
    }
    void aRestrictedScheduleAsksBeforeAPreset()
    {
        QFETCH(int, restriction);
        QFETCH(bool, yes);
        Fixture f;
        setAdvanced(f.settings);
        f.settings.core.picturesPerTrigger = 9;
        if (restriction == 0) {
            f.settings.SetDaySlot(ScheduleKind::Trigger, 600, false);
        } else {
            f.settings.SetTriggerDayUsesSchedule2(1, restriction == 2);
            f.settings.SetDualTriggerSlot(600, false, restriction - 1);
        }
        f.settings.dual.dayAssignment |= 0x0100;
        QVERIFY(f.open());
        const CoreSection core = f.settings.core;
        const DualScheduleSection dual = f.settings.dual;

        f.messages.expect(123, yes ? MessageAnswer::Yes : MessageAnswer::No);
        f.click("quicksetNormal");
        const Message &shown = f.messages.shownMessage(-1);
        QCOMPARE(shown.caption, stringText(104));
        QCOMPARE(shown.icon, MessageIcon::Question);
        QCOMPARE(shown.buttons, MessageButtons::YesNo);
        if (yes) {
            QCOMPARE(f.checkedQuickset(), QStringLiteral("quicksetNormal"));
            QVERIFY(f.settings.IsTriggerAlwaysArmed());
            QCOMPARE(int(f.settings.dual.dayAssignment), 0);
            QCOMPARE(int(f.settings.core.picturesPerTrigger), 3);
        } else {
            QCOMPARE(f.checkedQuickset(), QStringLiteral("quicksetAdvanced"));
            QCOMPARE(QApplication::focusWidget(), f.find("quicksetAdvanced"));
            QVERIFY(f.settings.core == core);
            QVERIFY(f.settings.dual == dual);
            QVERIFY(f.find("picturesPerTrigger")->isEnabled());
        }
    }

    void aPresetGoesOnAfterTheSaveBeforeItIsRefused()
    {
        Fixture f;
        setAdvanced(f.settings);
        QVERIFY(f.open());
        f.type("picturesPerTrigger", "0");
        f.messages.expect(kPicturesRange);
        f.click("quicksetAggressive");
        QCOMPARE(int(f.settings.StoredQuickset()), int(QuicksetAggressive));
        QCOMPARE(f.find<QLineEdit>("picturesPerTrigger")->text(), QStringLiteral("5"));
        QVERIFY(f.leave());
    }

    void theAdvancedRadioKeepsTheValuesAndUnlocksTheControls()
    {
        Fixture f;
        f.settings.ApplyQuickset(QuicksetConservative);
        QVERIFY(f.open());
        QCOMPARE(f.checkedQuickset(), QStringLiteral("quicksetConservative"));
        f.click("quicksetAdvanced");
        QCOMPARE(int(f.settings.StoredQuickset()), int(QuicksetAdvanced));
        QCOMPARE(f.find<QLineEdit>("quietPeriod")->text(), QStringLiteral("15"));
        for (const QString &name : kBurstAndQuietControls)
            QVERIFY2(f.find(name)->isEnabled(), qPrintable(name));
        QVERIFY(f.find("internalTriggerSettings")->isEnabled());
        QVERIFY(f.find("viewTriggerSchedule")->isEnabled());
        QVERIFY(f.revisit());
        QCOMPARE(f.checkedQuickset(), QStringLiteral("quicksetAdvanced"));
        QCOMPARE(int(f.settings.core.quietPeriod), 15);
        QCOMPARE(int(f.settings.core.pictureInterval), 5000);
    }

    void viewScheduleOpensOnlyAfterASuccessfulSave()
    {
        Fixture f;
        setAdvanced(f.settings);
        QVERIFY(f.open());
        f.type("picturesPerTrigger", "0");
        f.messages.expect(kPicturesRange);
        f.click("viewTriggerSchedule");
        QCOMPARE(f.page->schedulesOpened, 0);
        QCOMPARE(QApplication::focusWidget(), f.find("picturesPerTrigger"));

        f.type("picturesPerTrigger", "8");
        f.click("viewTriggerSchedule");
        QCOMPARE(f.page->schedulesOpened, 1);
        QCOMPARE(int(f.settings.core.picturesPerTrigger), 8);
    }

    void advancedOpensTheInternalTriggerSettings_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("editable") << false;
        QTest::newRow("read-only") << true;
    }
    void advancedOpensTheInternalTriggerSettings()
    {
        QFETCH(bool, readOnly);
        Fixture f;
        setAdvanced(f.settings);
        f.app.readOnly = readOnly;
        QVERIFY(f.open());
        QByteArray className;
        QString title;
        QWidget *parent = nullptr;
        bool okEnabled = false;
        ModalScript person;
        person.then([&](QDialog *opened) {
            className = opened->metaObject()->className();
            title = opened->windowTitle();
            parent = opened->parentWidget();
            okEnabled = findControl(opened, QStringLiteral("okButton"))->isEnabled();
            QTest::keyClick(opened, Qt::Key_Escape);
        });
        f.click("internalTriggerSettings");
        QCOMPARE(className, QByteArray(CInternalTriggerDlg::staticMetaObject.className()));
        QCOMPARE(title, readOnly ? QStringLiteral("Internal Trigger Settings (read only)")
                                 : QStringLiteral("Internal Trigger Settings"));
        QCOMPARE(parent, static_cast<QWidget *>(f.page));
        QCOMPARE(okEnabled, !readOnly);
    }

    void readOnlyDisablesEditingButNotLooking_data()
    {
        QTest::addColumn<bool>("advanced");
        QTest::newRow("with a preset") << false;
        QTest::newRow("with Advanced") << true;
    }
    void readOnlyDisablesEditingButNotLooking()
    {
        QFETCH(bool, advanced);
        Fixture f;
        if (advanced)
            setAdvanced(f.settings);
        f.app.readOnly = true;
        QVERIFY(f.open());
        const CoreSection before = f.settings.core;
        const DualScheduleSection dual = f.settings.dual;
        for (int visit = 0; visit < 2; ++visit) {
            for (const QString &name :
                 kBurstAndQuietControls + kQuicksetRadios + QStringList{"useExternalTrigger"})
                QVERIFY2(!f.find(name)->isEnabled(), qPrintable(name));
            QCOMPARE(f.find("internalTriggerSettings")->isEnabled(), advanced);
            QCOMPARE(f.find("viewTriggerSchedule")->isEnabled(), advanced);
            QVERIFY(f.revisit()); // later loads keep the page locked
        }
        if (advanced) {
            f.click("viewTriggerSchedule");
            QCOMPARE(f.page->schedulesOpened, 1);
        }
        QVERIFY(f.settings.core == before);
        QVERIFY(f.settings.dual == dual);
    }

    // The arrow keys move through the quickset radios and choose as they go; Space toggles a
    // trigger box.
    void theRadiosAndBoxesFollowTheKeys()
    {
        Fixture f;
        setAdvanced(f.settings);
        QVERIFY(f.open());
        f.find("quicksetAdvanced")->setFocus();
        QTest::keyClick(f.find("quicksetAdvanced"), Qt::Key_Left);
        QCOMPARE(f.checkedQuickset(), QStringLiteral("quicksetConservative"));
        QCOMPARE(int(f.settings.StoredQuickset()), int(QuicksetConservative));
        // The group is now entered at Conservative.
        QCOMPARE(tabChain(f.sheet->tabWidget()->tabBar(), 1), QStringList{"quicksetConservative"});
        // Space toggles the external trigger.
        f.find("useExternalTrigger")->setFocus();
        QTest::keyClick(f.find("useExternalTrigger"), Qt::Key_Space);
        QVERIFY(f.find<QAbstractButton>("useExternalTrigger")->isChecked());
    }

    // Enter on a focused push button presses that button, not the sheet's OK; Space too.
    void theButtonsWorkFromTheKeyboard_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Space") << int(Qt::Key_Space);
        QTest::newRow("access key") << int(Qt::Key_V);
    }
    void theButtonsWorkFromTheKeyboard()
    {
        QFETCH(int, key);
        Fixture f;
        setAdvanced(f.settings);
        QVERIFY(f.open());
        const auto press = [&](const QString &name) {
            QWidget *button = f.find(name);
            button->setFocus();
            if (key == Qt::Key_V) {
                // Alt+V for "View Schedule...", Alt+E for "Advanced...".
                const char letter = name == QLatin1String("viewTriggerSchedule") ? 'v' : 'e';
                QTest::keyClick(button, letter, Qt::AltModifier);
            } else {
                QTest::keyClick(button, static_cast<Qt::Key>(key));
            }
        };
        press(QStringLiteral("viewTriggerSchedule"));
        QTRY_COMPARE(f.page->schedulesOpened, 1);
        QVERIFY(f.sheet->isVisible());

        ModalScript person;
        person.then([](QDialog *dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("internalTriggerDialog"));
            // Its slider takes the arrow keys; Escape closes it.
            auto *slider = findControl<QSlider>(dialog, QStringLiteral("sensitivity"));
            const int before = slider->value();
            slider->setFocus();
            QTest::keyClick(slider, before > 0 ? Qt::Key_Left : Qt::Key_Right);
            QVERIFY(slider->value() != before);
            QTest::keyClick(slider, Qt::Key_Escape);
        });
        press(QStringLiteral("internalTriggerSettings"));
        QTRY_COMPARE(person.opened(), 1);
        QTRY_VERIFY(!QApplication::activeModalWidget() ||
                    QApplication::activeModalWidget() == f.sheet.get());
        QVERIFY(f.sheet->isVisible());
        QVERIFY(f.messages.shown().isEmpty());
    }
};

QTEST_MAIN(TestTriggersPage)
#include "tst_triggers_page.moc"
