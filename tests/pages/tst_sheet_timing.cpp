// The time lapse and the switch-on date as a person meets them in the main sheet: the Time
// Lapse tab against the Triggers tab, and "Change Date/Time..." against what OK writes.

#include "gui_test.h"
#include "modal_script.h"
#include "sheet_run.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr int kTriggersTab = 0;
constexpr int kTimeLapseTab = 1;

struct LoadMoment
{
    std::uint16_t time = 0;
    std::uint16_t date = 0;
    bool operator==(const LoadMoment &) const = default;
};

char *toString(const LoadMoment &moment)
{
    return qstrdup(qPrintable(QStringLiteral("time 0x%1 date 0x%2")
                                  .arg(moment.time, 4, 16, QLatin1Char('0'))
                                  .arg(moment.date, 4, 16, QLatin1Char('0'))));
}

LoadMoment moment(int year, int month, int day, int hour, int minute)
{
    CameraSettings s;
    s.SetLoadTime(hour, minute, 0);
    s.SetLoadDate(month, day, year - 2000);
    return {s.core.loadTime, s.core.loadDate};
}

// The switch-on moment a record holds.
LoadMoment momentOf(const CameraSettings &values)
{
    return {values.core.loadTime, values.core.loadDate};
}

// The main sheet with a choice of seconds on the Time Lapse tab.
struct TimingRun : SheetRun
{
    [[nodiscard]] bool chooseSeconds(const QString &entry) const
    {
        click("timeLapseSeconds");
        return choose("secondsList", entry);
    }
};

// What the person does in the Set Date & Time dialog.
enum class DateDialog
{
    NotOpened, // message 111 answered No
    SetAndConfirmed,
    Cancelled,
    SetRefusedThenCancelled, // OK, message 118 answered No, then Cancel
};

// Sets 6:45 PM on 4 July 2040 in the dialog and presses OK.
void setMomentAndPressOk(QDialog *dialog)
{
    auto *hour = findControl<QLineEdit>(dialog, QStringLiteral("hour"));
    auto *minute = findControl<QLineEdit>(dialog, QStringLiteral("minute"));
    hour->selectAll();
    QTest::keyClicks(hour, QStringLiteral("6"));
    minute->selectAll();
    QTest::keyClicks(minute, QStringLiteral("45"));
    findControl<QComboBox>(dialog, QStringLiteral("amPm"))->setCurrentIndex(1);
    auto *year = findControl<QComboBox>(dialog, QStringLiteral("year"));
    year->setCurrentIndex(year->findText(QStringLiteral("2040")));
    QTest::mouseClick(findControl<QPushButton>(dialog, QStringLiteral("okButton")), Qt::LeftButton);
}

const QString kSetMoment = QStringLiteral("6:45 PM, July 04, 2040");

} // namespace

class TestSheetTiming : public GuiTest
{
    Q_OBJECT

private slots:
    void switchOnMomentOnTheCardOnlyWhenSetInThisRun_data()
    {
        QTest::addColumn<DateDialog>("action");
        QTest::addColumn<bool>("dateTimeSet");
        QTest::addColumn<LoadMoment>("local");
        QTest::addColumn<LoadMoment>("card");

        const LoadMoment loaded = moment(2014, 7, 4, 8, 0);
        const LoadMoment set = moment(2040, 7, 4, 18, 45);
        const LoadMoment none;
        QTest::newRow("111 answered No") << DateDialog::NotOpened << false << loaded << none;
        QTest::newRow("dialog ended with OK") << DateDialog::SetAndConfirmed << true << set << set;
        QTest::newRow("dialog cancelled") << DateDialog::Cancelled << false << loaded << none;
        // The refused OK has written the record, which the local copy then carries.
        QTest::newRow("118 answered No, then Cancel")
            << DateDialog::SetRefusedThenCancelled << false << set << none;
    }
    void switchOnMomentOnTheCardOnlyWhenSetInThisRun()
    {
        QFETCH(DateDialog, action);
        QFETCH(bool, dateTimeSet);
        QFETCH(LoadMoment, local);
        QFETCH(LoadMoment, card);
        TimingRun run;
        CameraSettings earlier = factorySettings();
        earlier.SetLoadTime(8, 0, 0);
        earlier.SetLoadDate(7, 4, 14);
        QVERIFY(run.writeLocal(earlier));
        QVERIFY(run.open());

        ModalScript script;
        run.messages.expect(111, action == DateDialog::NotOpened ? MessageAnswer::No
                                                                 : MessageAnswer::Yes);
        QPointer<QDialog> opened;
        switch (action) {
        case DateDialog::NotOpened:
            break;
        case DateDialog::SetAndConfirmed:
            run.messages.expect(stringText(118).replace(QLatin1String("%s"), kSetMoment),
                                MessageAnswer::Yes);
            script.then([&](QDialog *dialog) {
                opened = dialog;
                setMomentAndPressOk(dialog);
            });
            break;
        case DateDialog::Cancelled:
            script.then([&](QDialog *dialog) {
                opened = dialog;
                QTest::mouseClick(findControl<QPushButton>(dialog, QStringLiteral("cancelButton")),
                                  Qt::LeftButton);
            });
            break;
        case DateDialog::SetRefusedThenCancelled:
            run.messages.expect(stringText(118).replace(QLatin1String("%s"), kSetMoment),
                                MessageAnswer::No);
            script.then([&](QDialog *dialog) {
                opened = dialog;
                setMomentAndPressOk(dialog);
                QVERIFY(dialog->isVisible());
                QTest::mouseClick(findControl<QPushButton>(dialog, QStringLiteral("cancelButton")),
                                  Qt::LeftButton);
            });
            break;
        }
        run.clickButton(run.sheet->changeDateTimeButton());
        QCOMPARE(script.opened(), action == DateDialog::NotOpened ? 0 : 1);
        if (opened) {
            QCOMPARE(opened->windowTitle(), QStringLiteral("Set Date & Time"));
            QCOMPARE(opened->parentWidget(), static_cast<QWidget *>(run.sheet.get()));
        }
        QCOMPARE(run.sheet->dateTimeSet(), dateTimeSet);

        run.messages.expect(114);
        run.clickButton(PropertySheet::OkButton);
        CameraSettings onDisk;
        QVERIFY(run.read(run.localPath, onDisk));
        QCOMPARE(momentOf(onDisk), local);
        QVERIFY(run.read(run.cardPath, onDisk));
        QCOMPARE(momentOf(onDisk), card);
    }

    void shortTimeLapseThenTheTriggersTab_data()
    {
        QTest::addColumn<bool>("disarm");
        QTest::newRow("116 answered Yes") << true;
        QTest::newRow("116 answered No") << false;
    }
    void shortTimeLapseThenTheTriggersTab()
    {
        QFETCH(bool, disarm);
        TimingRun run;
        QVERIFY(run.open()); // factory values: the internal trigger is armed
        run.clickTab(kTimeLapseTab);
        QCOMPARE(run.sheet->currentIndex(), kTimeLapseTab);
        QVERIFY(run.chooseSeconds(QStringLiteral("4")));

        run.messages.expect(116, disarm ? MessageAnswer::Yes : MessageAnswer::No);
        run.clickTab(kTriggersTab);
        if (!disarm) {
            QCOMPARE(run.sheet->currentIndex(), kTimeLapseTab);
            QVERIFY(run.settings.InternalTrigger());
            QVERIFY(!run.settings.TimeLapseOn());
            return;
        }
        QCOMPARE(run.sheet->currentIndex(), kTriggersTab);
        QVERIFY(run.settings.TimeLapseOn());
        QCOMPARE(run.settings.core.timeLapseInterval, MakeInterval(IntervalUnit::Seconds, 4));
        QVERIFY(!run.settings.InternalTrigger());
        QVERIFY(!run.settings.ExternalTrigger());

        // The Triggers tab shows both boxes unticked and keeps them so.
        auto *internal = run.find<QCheckBox>("useInternalTrigger");
        auto *external = run.find<QCheckBox>("useExternalTrigger");
        QVERIFY(!internal->isChecked());
        QVERIFY(!external->isChecked());
        run.messages.expect(117);
        QTest::mouseClick(internal, Qt::LeftButton);
        QVERIFY(!internal->isChecked());

        // OK writes the time lapse at 4 seconds with both triggers off.
        run.messages.expect(114);
        run.clickButton(PropertySheet::OkButton);
        CameraSettings onCard;
        QVERIFY(run.read(run.cardPath, onCard));
        QVERIFY(onCard.TimeLapseOn());
        QCOMPARE(onCard.core.timeLapseInterval, MakeInterval(IntervalUnit::Seconds, 4));
        QVERIFY(!onCard.InternalTrigger());
        QVERIFY(!onCard.ExternalTrigger());
    }

    void okOnTheTimeLapseTabAsksAboutTheTriggersToo()
    {
        TimingRun run;
        QVERIFY(run.open());
        run.clickTab(kTimeLapseTab);
        QVERIFY(run.chooseSeconds(QStringLiteral("2")));
        run.messages.expect(116, MessageAnswer::Yes).expect(114);
        run.clickButton(PropertySheet::OkButton);
        QVERIFY(!run.sheet->isVisible());
        CameraSettings onCard;
        QVERIFY(run.read(run.cardPath, onCard));
        QCOMPARE(onCard.core.timeLapseInterval, MakeInterval(IntervalUnit::Seconds, 2));
        QVERIFY(!onCard.InternalTrigger());
    }

    void moreBurstPicturesThanFitTurnTheTimeLapseBurstOff()
    {
        TimingRun run;
        QVERIFY(run.open());
        run.clickTab(kTimeLapseTab);
        QVERIFY(run.chooseSeconds(QStringLiteral("30")));
        run.click("takeMultiplePictures");
        run.clickTab(kTriggersTab);
        QVERIFY(run.settings.TimeLapseBurst());

        // Seven pictures take 35 seconds: more than a 30-second interval holds.
        run.click("quicksetAdvanced");
        auto *pictures = run.find<QLineEdit>("picturesPerTrigger");
        pictures->selectAll();
        QTest::keyClicks(pictures, QStringLiteral("7"));
        run.messages.expect(126, MessageAnswer::Yes);
        run.clickTab(kTimeLapseTab);
        QVERIFY(!run.settings.TimeLapseBurst());
        QVERIFY(run.find<QRadioButton>("takeOnePicture")->isChecked());
        QVERIFY(!run.find<QRadioButton>("takeMultiplePictures")->isEnabled());
    }
};

QTEST_MAIN(TestSheetTiming)
#include "tst_sheet_timing.moc"
