#include "focus_chain.h"
#include "gui_run.h"
#include "gui_test.h"
#include "pages/time_lapse_page.h"
#include "settings/time_lapse_values.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <optional>

namespace {

constexpr std::uint16_t kOn = flags::timeLapseOn;
constexpr std::uint16_t kBurst = flags::timeLapseBurst;

std::uint16_t hours(std::uint16_t n)
{
    return MakeInterval(IntervalUnit::Hours, n);
}
std::uint16_t minutes(std::uint16_t n)
{
    return MakeInterval(IntervalUnit::Minutes, n);
}
std::uint16_t seconds(std::uint16_t n)
{
    return MakeInterval(IntervalUnit::Seconds, n);
}
std::uint16_t milliseconds(std::uint16_t n)
{
    return MakeInterval(IntervalUnit::Milliseconds, n);
}

// The page with its way to the schedule sheet observed: what the record held when it opened.
class ObservedTimeLapsePage : public CKTPageTimeLapse
{
public:
    ObservedTimeLapsePage(CameraSettings &settings, AppState &app)
        : CKTPageTimeLapse(settings, app), settings(settings)
    {}

    int schedulesOpened = 0;
    std::uint16_t intervalAtOpen = 0;
    std::uint16_t flagsAtOpen = 0;
    // What the schedule sheet stores when it closes, if anything.
    std::optional<DaySchedule> scheduleStored;

protected:
    void openTimeLapseSchedule() override
    {
        ++schedulesOpened;
        intervalAtOpen = settings.core.timeLapseInterval;
        flagsAtOpen = settings.core.timeLapseFlags;
        if (scheduleStored)
            settings.core.timeLapseDaySchedule = *scheduleStored;
    }

private:
    CameraSettings &settings;
};

// The page in a sheet, with its lists and radios by name and an interval chosen as a person
// chooses it.
struct PageRun : PageInSheet<ObservedTimeLapsePage>
{
    QRadioButton *radio(const QString &name, Here here = {}) const
    {
        return find<QRadioButton>(name, here);
    }
    QComboBox *list(const QString &name, Here here = {}) const
    {
        return find<QComboBox>(name, here);
    }
    // Clicks the unit's radio, then picks `entry` from its list (none for Off).
    [[nodiscard]] bool chooseInterval(const QString &unit, const QString &entry,
                                      Here here = {}) const
    {
        click(QStringLiteral("timeLapse") + unit, here);
        return entry.isEmpty() || choose(unit.toLower() + QStringLiteral("List"), entry, here);
    }
};

const char *const kLists[] = {"hoursList", "minutesList", "secondsList"};

} // namespace

class TestTimeLapsePage : public GuiTest
{
    Q_OBJECT

private slots:
    void storedIntervalIsShown_data()
    {
        QTest::addColumn<std::uint16_t>("timeLapseFlags");
        QTest::addColumn<std::uint16_t>("interval");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("entry");

        QTest::newRow("2500 ms shows 3 seconds") << kOn << milliseconds(2500) << "Seconds"
                                                 << "3";
        QTest::newRow("5 hours shows 6") << kOn << hours(5) << "Hours"
                                         << "6";
        QTest::newRow("7 minutes shows the first entry") << kOn << minutes(7) << "Minutes"
                                                         << "1";
        QTest::newRow("off with 10 minutes stored") << std::uint16_t(0) << minutes(10) << "Off"
                                                    << "";
    }
    void storedIntervalIsShown()
    {
        QFETCH(std::uint16_t, timeLapseFlags);
        QFETCH(std::uint16_t, interval);
        QFETCH(QString, unit);
        QFETCH(QString, entry);
        PageRun run;
        run.settings.core.timeLapseFlags = timeLapseFlags;
        run.settings.core.timeLapseInterval = interval;
        QVERIFY(run.open());

        QVERIFY(run.radio(qPrintable(QStringLiteral("timeLapse") + unit))->isChecked());
        const QString ownList = unit.toLower() + QStringLiteral("List");
        for (const char *name : kLists) {
            QComboBox *list = run.list(name);
            if (ownList == QLatin1String(name)) {
                QVERIFY(list->isEnabled());
                QCOMPARE(list->currentText(), entry);
            } else {
                QVERIFY2(!list->isEnabled(), name);
                if (unit != QLatin1String("Off"))
                    QCOMPARE(list->currentIndex(), -1);
            }
        }
        // VELOMAR_GRAB=file.png saves what a person sees, for a look at the layout.
        if (qEnvironmentVariableIsSet("VELOMAR_GRAB"))
            run.sheet->grab().save(qEnvironmentVariable("VELOMAR_GRAB"));
    }

    // Leaving the page at once stores what it shows: the rounded count, time lapse on.
    void leavingUnchangedStoresTheShownInterval_data()
    {
        QTest::addColumn<std::uint16_t>("interval");
        QTest::addColumn<std::uint16_t>("stored");

        QTest::newRow("7 minutes saves as 1 minute") << minutes(7) << minutes(1);
        QTest::newRow("5 hours saves as 6 hours") << hours(5) << hours(6);
        QTest::newRow("2500 ms saves as 3 seconds") << milliseconds(2500) << seconds(3);
        QTest::newRow("30 seconds stays") << seconds(30) << seconds(30);
    }
    void leavingUnchangedStoresTheShownInterval()
    {
        QFETCH(std::uint16_t, interval);
        QFETCH(std::uint16_t, stored);
        PageRun run;
        run.settings.SetInternalTrigger(false); // short intervals would ask first
        run.settings.core.timeLapseFlags = kOn;
        run.settings.core.timeLapseInterval = interval;
        QVERIFY(run.open());
        QVERIFY(run.leave());
        QCOMPARE(run.settings.core.timeLapseInterval, stored);
        QVERIFY(run.settings.TimeLapseOn());
    }

    void chosenIntervalIsStored_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<std::uint16_t>("stored");

        QTest::newRow("24 hours") << "Hours"
                                  << "24" << hours(24);
        QTest::newRow("60 minutes") << "Minutes"
                                    << "60" << minutes(60);
        QTest::newRow("20 seconds") << "Seconds"
                                    << "20" << seconds(20);
    }
    void chosenIntervalIsStored()
    {
        QFETCH(QString, unit);
        QFETCH(QString, entry);
        QFETCH(std::uint16_t, stored);
        PageRun run;
        QVERIFY(run.open());
        QVERIFY(run.radio("timeLapseOff")->isChecked());
        QVERIFY(run.chooseInterval(unit, entry));
        QVERIFY(run.leave());
        QCOMPARE(run.settings.core.timeLapseInterval, stored);
        QVERIFY(run.settings.TimeLapseOn());
        QVERIFY(run.settings.InternalTrigger());
    }

    void offStoresFiveMinutesAndOnePicture()
    {
        PageRun run;
        run.settings.core.timeLapseFlags = kOn | kBurst;
        run.settings.core.timeLapseInterval = minutes(10);
        QVERIFY(run.open());
        QVERIFY(run.radio("takeMultiplePictures")->isChecked());
        run.click("timeLapseOff");
        QVERIFY(run.radio("takeOnePicture")->isChecked());
        QVERIFY(!run.radio("takeMultiplePictures")->isEnabled());
        // The lists keep their selection while they are disabled.
        QCOMPARE(run.list("minutesList")->currentText(), QStringLiteral("10"));
        QVERIFY(!run.list("minutesList")->isEnabled());
        QVERIFY(run.leave());
        QCOMPARE(run.settings.core.timeLapseFlags, std::uint16_t(0));
        QCOMPARE(run.settings.core.timeLapseInterval, minutes(5));
    }

    void eachUnitRemembersItsLastCount()
    {
        PageRun run;
        // Off with 10 minutes stored: the stored count is not what Minutes offers later.
        run.settings.core.timeLapseInterval = minutes(10);
        QVERIFY(run.open());
        run.click("timeLapseMinutes");
        QCOMPARE(run.list("minutesList")->currentText(), QStringLiteral("1"));
        QVERIFY(run.choose("minutesList", QStringLiteral("20")));
        QVERIFY(run.chooseInterval(QStringLiteral("Hours"), QStringLiteral("8")));
        QCOMPARE(run.list("minutesList")->currentIndex(), -1);
        run.click("timeLapseSeconds");
        QCOMPARE(run.list("secondsList")->currentText(), QStringLiteral("1"));
        QCOMPARE(run.list("hoursList")->currentIndex(), -1);
        run.click("timeLapseMinutes");
        QCOMPARE(run.list("minutesList")->currentText(), QStringLiteral("20"));
        run.click("timeLapseHours");
        QCOMPARE(run.list("hoursList")->currentText(), QStringLiteral("8"));

        // The remembered counts outlive a visit to another tab; a load sets the stored unit's.
        QVERIFY(run.leave());
        QCOMPARE(run.settings.core.timeLapseInterval, hours(8));
        run.settings.core.timeLapseInterval = seconds(30);
        QVERIFY(run.sheet->setCurrentIndex(0));
        QCOMPARE(run.list("secondsList")->currentText(), QStringLiteral("30"));
        run.click("timeLapseMinutes");
        QCOMPARE(run.list("minutesList")->currentText(), QStringLiteral("20"));
    }

    // A burst of p pictures takes 5 p seconds and must fit into the interval.
    void burstIsOfferedOnlyWhenItFits_data()
    {
        QTest::addColumn<int>("pictures");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("fits");

        QTest::newRow("12 pictures, 1 minute") << 12 << "Minutes"
                                               << "1" << true;
        QTest::newRow("13 pictures, 1 minute") << 13 << "Minutes"
                                               << "1" << false;
        QTest::newRow("99 pictures, 1 hour") << 99 << "Hours"
                                             << "1" << true;
    }
    void burstIsOfferedOnlyWhenItFits()
    {
        QFETCH(int, pictures);
        QFETCH(QString, unit);
        QFETCH(QString, entry);
        QFETCH(bool, fits);
        PageRun run;
        run.settings.core.picturesPerTrigger = static_cast<std::uint16_t>(pictures);
        // Start from an hour interval with a burst, which always fits.
        run.settings.core.timeLapseFlags = kOn | kBurst;
        run.settings.core.timeLapseInterval = hours(24);
        QVERIFY(run.open());
        QVERIFY(run.radio("takeMultiplePictures")->isChecked());

        QVERIFY(run.chooseInterval(unit, entry));
        QCOMPARE(run.radio("takeMultiplePictures")->isEnabled(), fits);
        QCOMPARE(run.radio("takeOnePicture")->isEnabled(), fits);
        QCOMPARE(run.find<QLabel>("atIntervalLabel")->isEnabled(), fits);
        if (fits) {
            // Choosing a unit may have reset the burst on its way (its first count did not
            // fit), so the person asks for it again.
            run.click("takeMultiplePictures");
        } else {
            QVERIFY(run.radio("takeOnePicture")->isChecked());
            QVERIFY(!run.radio("takeMultiplePictures")->isChecked());
        }

        run.settings.SetInternalTrigger(false); // keeps short intervals from asking
        QVERIFY(run.leave());
        QCOMPARE(run.settings.TimeLapseBurst(), fits);
    }

    void aStoredBurstThatDoesNotFitIsShownAsOnePicture()
    {
        PageRun run;
        run.settings.core.picturesPerTrigger = 99;
        run.settings.core.timeLapseFlags = kOn | kBurst;
        run.settings.core.timeLapseInterval = minutes(5);
        QVERIFY(run.open());
        QVERIFY(run.radio("takeOnePicture")->isChecked());
        QVERIFY(!run.radio("takeMultiplePictures")->isEnabled());
        QVERIFY(run.leave());
        QVERIFY(!run.settings.TimeLapseBurst());
    }

    void theBurstChoiceIsStored()
    {
        PageRun run;
        run.settings.core.timeLapseFlags = kOn;
        run.settings.core.timeLapseInterval = minutes(10);
        QVERIFY(run.open());
        QVERIFY(run.radio("takeOnePicture")->isChecked());
        run.click("takeMultiplePictures");
        QVERIFY(run.leave());
        QCOMPARE(run.settings.core.timeLapseFlags, std::uint16_t(kOn | kBurst));
    }

    void shortIntervalWithATriggerArmed_data()
    {
        QTest::addColumn<bool>("internal");
        QTest::addColumn<bool>("external");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("asks");
        QTest::addColumn<bool>("yes");

        QTest::newRow("internal armed, 4 s, Yes") << true << false << "4" << true << true;
        QTest::newRow("external armed, 1 s, Yes") << false << true << "1" << true << true;
        QTest::newRow("both armed, 3 s, No") << true << true << "3" << true << false;
        QTest::newRow("internal armed, 5 s") << true << false << "5" << false << false;
        QTest::newRow("no trigger, 4 s") << false << false << "4" << false << false;
    }
    void shortIntervalWithATriggerArmed()
    {
        QFETCH(bool, internal);
        QFETCH(bool, external);
        QFETCH(QString, entry);
        QFETCH(bool, asks);
        QFETCH(bool, yes);
        PageRun run;
        run.settings.SetInternalTrigger(internal);
        run.settings.SetExternalTrigger(external);
        QVERIFY(run.open());
        QVERIFY(run.chooseInterval(QStringLiteral("Seconds"), entry));
        if (asks)
            run.messages.expect(116, yes ? MessageAnswer::Yes : MessageAnswer::No);

        const bool left = run.leave();
        if (asks) {
            const Message &question = run.messages.shownMessage(0);
            QCOMPARE(question.caption, programName());
            QCOMPARE(question.icon, MessageIcon::Information);
            QCOMPARE(question.buttons, MessageButtons::YesNo);
        }
        if (asks && !yes) {
            QVERIFY(!left);
            QCOMPARE(run.sheet->currentIndex(), 0);
            QVERIFY(run.list("secondsList")->hasFocus());
            // Nothing was stored: the time lapse is still off, the triggers still armed.
            QVERIFY(!run.settings.TimeLapseOn());
            QCOMPARE(run.settings.InternalTrigger(), internal);
            QCOMPARE(run.settings.ExternalTrigger(), external);
            return;
        }
        QVERIFY(left);
        QCOMPARE(run.settings.core.timeLapseInterval, seconds(entry.toUShort()));
        QVERIFY(run.settings.TimeLapseOn());
        QCOMPARE(run.settings.InternalTrigger(), internal && !asks);
        QCOMPARE(run.settings.ExternalTrigger(), external && !asks);
    }

    // The line under the schedule box: shown while the radios say on and the schedule has no
    // "Camera on" period, after a load, a click on a radio, or the schedule sheet.
    void aTimeLapseWithNoCameraOnPeriodIsSaidUnderTheSchedule_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("period");
        QTest::addColumn<QString>("click");
        QTest::addColumn<bool>("shown");
        QTest::newRow("on, no period") << true << false << "" << true;
        QTest::newRow("on, a period") << true << true << "" << false;
        QTest::newRow("off, no period") << false << false << "" << false;
        QTest::newRow("Off chosen") << true << false << "timeLapseOff" << false;
        QTest::newRow("Hours chosen") << false << false << "timeLapseHours" << true;
        QTest::newRow("Seconds chosen, a period") << false << true << "timeLapseSeconds" << false;
        QTest::newRow("a period given in the schedule") << true << false << "viewSchedule" << false;
    }
    void aTimeLapseWithNoCameraOnPeriodIsSaidUnderTheSchedule()
    {
        QFETCH(bool, on);
        QFETCH(bool, period);
        QFETCH(QString, click);
        QFETCH(bool, shown);
        PageRun run;
        run.settings.core.timeLapseFlags = on ? kOn : 0;
        run.settings.core.timeLapseInterval = minutes(10);
        run.settings.core.timeLapseDaySchedule.SetAll(false);
        run.settings.core.timeLapseDaySchedule.SetOn(6 * 60, period);
        QVERIFY(run.open());
        run.page->scheduleStored = run.settings.core.timeLapseDaySchedule;
        run.page->scheduleStored->SetOn(6 * 60, true);
        if (!click.isEmpty())
            run.click(qPrintable(click));
        const QLabel *line = run.find<QLabel>("noCameraOnPeriod");
        QCOMPARE(line->text(), QString::fromUtf8(TimeLapseValues::kNoCameraOnPeriod));
        QCOMPARE(!line->isHidden(), shown);
        // VELOMAR_GRAB=file.png saves the page with its line, for a look at the layout.
        if (shown && qEnvironmentVariableIsSet("VELOMAR_GRAB"))
            run.sheet->grab().save(qEnvironmentVariable("VELOMAR_GRAB"));
    }

    void viewScheduleOpensOnlyAfterASuccessfulSave()
    {
        PageRun run;
        QVERIFY(run.open());
        QVERIFY(run.chooseInterval(QStringLiteral("Seconds"), QStringLiteral("4")));

        run.messages.expect(116, MessageAnswer::No);
        run.click("viewSchedule");
        QCOMPARE(run.page->schedulesOpened, 0);
        QVERIFY(run.settings.InternalTrigger());

        run.messages.expect(116, MessageAnswer::Yes);
        run.click("viewSchedule");
        QCOMPARE(run.page->schedulesOpened, 1);
        // The schedule sees the page's values in the record.
        QCOMPARE(run.page->intervalAtOpen, seconds(4));
        QCOMPARE(run.page->flagsAtOpen, kOn);
        QVERIFY(!run.settings.InternalTrigger());
        QCOMPARE(run.sheet->currentIndex(), 0);
    }

    void viewScheduleWorksWithTheTimeLapseOff()
    {
        PageRun run;
        QVERIFY(run.open());
        QVERIFY(run.find<QPushButton>("viewSchedule")->isEnabled());
        run.click("viewSchedule");
        QCOMPARE(run.page->schedulesOpened, 1);
        QCOMPARE(run.page->intervalAtOpen, minutes(5));
    }

    void readOnlyDisablesTheEditingControls()
    {
        PageRun run;
        run.app.readOnly = true;
        run.settings.core.timeLapseFlags = kOn | kBurst;
        run.settings.core.timeLapseInterval = minutes(10);
        QVERIFY(run.open());

        const auto checkDisabled = [&run] {
            for (const char *name : {"timeLapseOff", "timeLapseHours", "timeLapseMinutes",
                                     "timeLapseSeconds", "takeOnePicture", "takeMultiplePictures"})
                QVERIFY2(!run.radio(name)->isEnabled(), name);
            for (const char *name : kLists)
                QVERIFY2(!run.list(name)->isEnabled(), name);
            QVERIFY(!run.find<QLabel>("atIntervalLabel")->isEnabled());
            QVERIFY(!run.find<QLabel>("scheduleLabel")->isEnabled());
            QVERIFY(run.find<QPushButton>("viewSchedule")->isEnabled());
        };
        checkDisabled();
        QVERIFY(run.radio("timeLapseMinutes")->isChecked());
        QCOMPARE(run.list("minutesList")->currentText(), QStringLiteral("10"));
        QVERIFY(run.radio("takeMultiplePictures")->isChecked());

        // A later load keeps them disabled.
        QVERIFY(run.leave());
        QVERIFY(run.sheet->setCurrentIndex(0));
        checkDisabled();

        run.click("viewSchedule");
        QCOMPARE(run.page->schedulesOpened, 1);
    }

    // From Off to every 15 minutes with a burst, and to the schedule, by keys alone.
    void anIntervalIsChosenWithTheKeyboard()
    {
        PageRun run;
        QVERIFY(run.open());
        QCOMPARE(tabChain(run.sheet->tabWidget()->tabBar(), 1), QStringList{"timeLapseOff"});
        // The arrows go from radio to radio and choose as they go.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QVERIFY(run.radio("timeLapseMinutes")->isChecked());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), run.list("minutesList"));
        // From "1" down to "15".
        for (int i = 0; i < 8; ++i)
            QTest::keyClick(run.list("minutesList"), Qt::Key_Down);
        QCOMPARE(run.list("minutesList")->currentText(), QStringLiteral("15"));
        QTest::keyClick(run.list("minutesList"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), run.radio("takeOnePicture"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QVERIFY(run.radio("takeMultiplePictures")->isChecked());
        // Enter on "View Schedule..." opens the schedule, which saves the page first.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), run.find<QPushButton>("viewSchedule"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(run.page->schedulesOpened, 1);
        QCOMPARE(run.page->intervalAtOpen, minutes(15));
        QCOMPARE(run.page->flagsAtOpen, std::uint16_t(kOn | kBurst));
        QVERIFY(run.sheet->isVisible());
        // Alt+V presses it from anywhere on the page.
        QTest::keyClick(run.list("minutesList"), Qt::Key_V, Qt::AltModifier);
        QTRY_COMPARE(run.page->schedulesOpened, 2);
    }
};

QTEST_MAIN(TestTimeLapsePage)
#include "tst_time_lapse_page.moc"
