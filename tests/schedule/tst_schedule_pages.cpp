#include "gui_run.h"
#include "gui_test.h"
#include "schedule/schedule_ctrl.h"
#include "schedule/schedule_dual_page.h"
#include "schedule/schedule_grid_group.h"
#include "schedule/schedule_page.h"
#include "schedule/schedule_sheet.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <initializer_list>
#include <memory>

namespace {

constexpr int kNoPeriodOn = 121;
constexpr int kDailyTab = 0;
constexpr int kDualTab = 1;

const char *const kDays[] = {"sunday",   "monday", "tuesday", "wednesday",
                             "thursday", "friday", "saturday"};

// A day schedule with exactly the given quarter hours on.
DaySchedule onlySlots(std::initializer_list<int> slotsOn)
{
    DaySchedule schedule;
    for (int slot : slotsOn)
        schedule.SetOn(static_cast<std::uint16_t>(slot * DaySchedule::kMinutesPerSlot), true);
    return schedule;
}

DaySchedule allOff()
{
    return DaySchedule{};
}

// The record's three sections, byte for byte.
bool sameRecord(const CameraSettings &a, const CameraSettings &b)
{
    return a.core == b.core && a.dual == b.dual && a.cellular == b.cellular;
}

// What a grid holds, as a day schedule.
DaySchedule shown(const CScheduleCtrl *grid)
{
    return schedule_page::gridSchedule(*grid);
}

// The schedule sheet over a record that starts at factory values, changed by a test before
// open(), driven with real clicks.
struct ScheduleRun : DialogRun<CScheduleSheet>
{
    explicit ScheduleRun(bool timeLapse = false) : timeLapse(timeLapse) {}

    [[nodiscard]] bool open()
    {
        return show(std::make_unique<CScheduleSheet>(QStringLiteral("Schedule Sheet"), nullptr,
                                                     timeLapse, 0, settings, app));
    }

    CScheduleCtrl *grid(const QString &name, Here here = {}) const
    {
        return find<CScheduleCtrl>(name, here);
    }
    QAbstractButton *button(const QString &name, Here here = {}) const
    {
        return find<QAbstractButton>(name, here);
    }

    // A click in the middle of cell `cell` of a grid, which must be scrolled to the top.
    void clickCell(const QString &gridName, int cell) const
    {
        CScheduleCtrl *g = grid(gridName);
        const int y = cell * CScheduleCtrl::kCellHeight + CScheduleCtrl::kCellHeight / 2 -
                      g->verticalScrollBar()->value();
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(g->labelColumnWidth() + 40, y));
    }
    // The person clicks a tab; the sheet may refuse to let the shown page go.
    void clickTab(int index) const { ::clickTab(dialog.get(), index); }
    // Each day's button under "Schedule 2" where its bit is set in `mask`, else under
    // "Schedule 1"; Sunday is bit 0.
    void chooseDays(int mask) const
    {
        for (int d = 0; d < 7; ++d)
            click(QLatin1String(kDays[d]) +
                  ((mask >> d) & 1 ? QStringLiteral("Schedule2") : QStringLiteral("Schedule1")));
    }
    int shownDayMask() const
    {
        int mask = 0;
        for (int d = 0; d < 7; ++d) {
            if (button(QLatin1String(kDays[d]) + QStringLiteral("Schedule2"))->isChecked())
                mask |= 1 << d;
        }
        return mask;
    }

    int shownTab() const { return dialog->tabWidget()->currentIndex(); }
    bool closed() const { return !dialog->isVisible(); }

    const bool timeLapse;
};

// How a test sets one of the dual page's grids.
enum class GridAction
{
    Keep,
    AllOn,
    AllOff,
    OnlyCell5, // "All Off", then a click on cell 5
};

void apply(const ScheduleRun &run, const QString &name, GridAction action)
{
    switch (action) {
    case GridAction::Keep:
        break;
    case GridAction::AllOn:
        run.click(name + QStringLiteral("AllOn"));
        break;
    case GridAction::AllOff:
        run.click(name + QStringLiteral("AllOff"));
        break;
    case GridAction::OnlyCell5:
        run.click(name + QStringLiteral("AllOff"));
        run.clickCell(name + QStringLiteral("Grid"), 5);
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(DaySchedule)
Q_DECLARE_METATYPE(GridAction)

class TestSchedulePages : public GuiTest
{
    Q_OBJECT

private slots:
    void factoryTimeLapseScheduleIsOffAndOkWaitsForAPeriod()
    {
        ScheduleRun run(true);
        QVERIFY(run.open());
        QCOMPARE(run.dialog->tabWidget()->count(), 1);
        QCOMPARE(run.dialog->dualPage(), nullptr);
        QCOMPARE(shown(run.grid("scheduleGrid")), allOff());

        run.messages.expect(kNoPeriodOn);
        run.click("okButton");
        const Message &message = run.messages.shownMessage(0);
        QCOMPARE(message.caption, programName());
        QCOMPARE(message.icon, MessageIcon::Information);
        QCOMPARE(message.buttons, MessageButtons::Ok);
        QVERIFY(!run.closed());
        QCOMPARE(run.settings.core.timeLapseDaySchedule, allOff());

        run.clickCell("scheduleGrid", 2);
        run.click("okButton");
        QVERIFY(run.closed());
        QCOMPARE(run.dialog->result(), int(QDialog::Accepted));
        QCOMPARE(run.settings.core.timeLapseDaySchedule, onlySlots({2}));
        // The other daily schedule is not this sheet's.
        QVERIFY(run.settings.core.triggerDaySchedule.IsAllOn());
    }

    void cancelClosesWithoutStoringTheShownPage_data()
    {
        QTest::addColumn<bool>("timeLapse");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("change"); // a button of the shown page
        QTest::newRow("time lapse, a cell on") << true << kDailyTab << QString();
        QTest::newRow("time lapse, All On") << true << kDailyTab << "scheduleAllOn";
        QTest::newRow("trigger, All Off") << false << kDailyTab << "scheduleAllOff";
        QTest::newRow("dual, schedule 1 All Off") << false << kDualTab << "schedule1AllOff";
        QTest::newRow("dual, schedule 2 All On") << false << kDualTab << "schedule2AllOn";
        QTest::newRow("dual, a day's choice") << false << kDualTab << "tuesdaySchedule2";
    }
    void cancelClosesWithoutStoringTheShownPage()
    {
        QFETCH(bool, timeLapse);
        QFETCH(int, tab);
        QFETCH(QString, change);
        ScheduleRun run(timeLapse);
        // Neither all on nor all off, so that every button changes something.
        run.settings.core.triggerDaySchedule = onlySlots({0, 7});
        run.settings.dual.triggerSchedule2 = onlySlots({1});
        QVERIFY(run.open());
        run.clickTab(tab);
        QCOMPARE(run.shownTab(), tab);
        // Reaching the dual tab stored the unchanged daily page; compare from there on.
        const CameraSettings reached = run.settings;
        QVERIFY(sameRecord(reached, run.before));

        if (change.isEmpty())
            run.clickCell("scheduleGrid", 3);
        else
            run.click(change);
        run.click("cancelButton");
        QVERIFY(run.closed());
        QCOMPARE(run.dialog->result(), int(QDialog::Rejected));
        QVERIFY(sameRecord(run.settings, reached));
    }

    void allOffRefusesTheSwitchToTheDualTab()
    {
        ScheduleRun run;
        QVERIFY(run.open());
        run.click("scheduleAllOff");
        run.messages.expect(kNoPeriodOn);
        run.clickTab(kDualTab);
        QCOMPARE(run.shownTab(), kDailyTab);
        QCOMPARE(run.dialog->currentIndex(), kDailyTab);
        // The page keeps what it shows, the record what it held.
        QCOMPARE(shown(run.grid("scheduleGrid")), allOff());
        QVERIFY(run.settings.core.triggerDaySchedule.IsAllOn());
        // Never shown, so never built.
        QVERIFY(!run.dialog->dualPage()->isCreated());

        run.click("cancelButton");
        QVERIFY(run.closed());
        QVERIFY(sameRecord(run.settings, run.before));
    }

    void dailyPageStoresWhatItShowsWhenLeft_data()
    {
        QTest::addColumn<bool>("byOk");
        QTest::newRow("tab switch") << false;
        QTest::newRow("OK") << true;
    }
    void dailyPageStoresWhatItShowsWhenLeft()
    {
        QFETCH(bool, byOk);
        ScheduleRun run;
        QVERIFY(run.open());
        run.click("scheduleAllOff");
        run.clickCell("scheduleGrid", 0);
        run.clickCell("scheduleGrid", 9);
        if (byOk) {
            run.click("okButton");
            QVERIFY(run.closed());
        } else {
            run.clickTab(kDualTab);
            QCOMPARE(run.shownTab(), kDualTab);
        }
        QCOMPARE(run.settings.core.triggerDaySchedule, onlySlots({0, 9}));
        QVERIFY(run.settings.core.timeLapseDaySchedule == run.before.core.timeLapseDaySchedule);
    }

    void dualPageLeaveCheck_data()
    {
        QTest::addColumn<int>("recordDays");      // bits 0..6 of dayAssignment
        QTest::addColumn<DaySchedule>("record1"); // triggerSchedule1 before
        QTest::addColumn<DaySchedule>("record2"); // triggerSchedule2 before
        QTest::addColumn<int>("days");            // the days chosen on the page
        QTest::addColumn<GridAction>("action1");  // what is done to grid 1
        QTest::addColumn<GridAction>("action2");  // and to grid 2
        QTest::addColumn<bool>("byOk");           // left by OK rather than a tab switch
        QTest::addColumn<bool>("leaves");
        QTest::addColumn<DaySchedule>("stored1"); // the record afterwards when it leaves
        QTest::addColumn<DaySchedule>("stored2");

        const DaySchedule on = DaySchedule::AllOn();
        const DaySchedule cell5 = onlySlots({5});
        QTest::newRow("every day on 2, schedule 1 off, schedule 2 one period")
            << 0 << on << on << 0x7F << GridAction::AllOff << GridAction::OnlyCell5 << false << true
            << allOff() << cell5;
        QTest::newRow("the same, left by OK")
            << 0 << on << on << 0x7F << GridAction::AllOff << GridAction::OnlyCell5 << true << true
            << allOff() << cell5;
        QTest::newRow("Sunday left on 1 with schedule 1 off")
            << 0 << on << on << 0x7E << GridAction::AllOff << GridAction::OnlyCell5 << false << true
            << allOff() << cell5;
        QTest::newRow("every day on 1, schedule 1 off, schedule 2 on")
            << 0 << on << on << 0x00 << GridAction::AllOff << GridAction::AllOn << false << false
            << on << on;
        QTest::newRow("every day on 1, schedule 1 off, by OK")
            << 0 << on << on << 0x00 << GridAction::AllOff << GridAction::AllOn << true << false
            << on << on;
        QTest::newRow("every day on 2, schedule 1 one period, schedule 2 off")
            << 0 << on << on << 0x7F << GridAction::OnlyCell5 << GridAction::AllOff << false
            << false << on << on;
        QTest::newRow("both off") << 0x55 << on << on << 0x55 << GridAction::AllOff
                                  << GridAction::AllOff << false << false << on << on;
        // The record would pass, but the page shows every day on the schedule it turned off.
        QTest::newRow("days moved onto the schedule turned off")
            << 0x7F << on << on << 0x00 << GridAction::AllOff << GridAction::Keep << false << false
            << on << on;
        // The record would fail (every day on an empty schedule 1); the page shows a valid
        // choice, so it is judged on that.
        QTest::newRow("record invalid, page valid")
            << 0x00 << allOff() << on << 0x01 << GridAction::Keep << GridAction::Keep << false
            << true << allOff() << on;
        QTest::newRow("record invalid and unchanged")
            << 0x00 << allOff() << on << 0x00 << GridAction::Keep << GridAction::Keep << false
            << false << allOff() << on;
    }
    void dualPageLeaveCheck()
    {
        QFETCH(int, recordDays);
        QFETCH(DaySchedule, record1);
        QFETCH(DaySchedule, record2);
        QFETCH(int, days);
        QFETCH(GridAction, action1);
        QFETCH(GridAction, action2);
        QFETCH(bool, byOk);
        QFETCH(bool, leaves);
        QFETCH(DaySchedule, stored1);
        QFETCH(DaySchedule, stored2);

        ScheduleRun run;
        // The time-lapse days and the reserved bits must come through a store untouched.
        constexpr std::uint16_t kOtherBits = 0xA580;
        run.settings.dual.dayAssignment = static_cast<std::uint16_t>(kOtherBits | recordDays);
        run.settings.dual.triggerSchedule1 = record1;
        run.settings.dual.triggerSchedule2 = record2;
        QVERIFY(run.open());
        run.clickTab(kDualTab);
        QCOMPARE(run.shownTab(), kDualTab);
        QCOMPARE(run.shownDayMask(), recordDays);
        QCOMPARE(shown(run.grid("schedule1Grid")), record1);
        QCOMPARE(shown(run.grid("schedule2Grid")), record2);
        const CameraSettings reached = run.settings;

        run.chooseDays(days);
        apply(run, QStringLiteral("schedule1"), action1);
        apply(run, QStringLiteral("schedule2"), action2);
        QCOMPARE(run.shownDayMask(), days);

        if (!leaves)
            run.messages.expect(kNoPeriodOn);
        if (byOk)
            run.click("okButton");
        else
            run.clickTab(kDailyTab);

        if (leaves) {
            QCOMPARE(run.closed(), byOk);
            if (!byOk)
                QCOMPARE(run.shownTab(), kDailyTab);
            QCOMPARE(run.settings.dual.dayAssignment, std::uint16_t(kOtherBits | days));
            QCOMPARE(run.settings.dual.triggerSchedule1, stored1);
            QCOMPARE(run.settings.dual.triggerSchedule2, stored2);
        } else {
            QVERIFY(!run.closed());
            QCOMPARE(run.shownTab(), kDualTab);
            QVERIFY(sameRecord(run.settings, reached));
            // What the person did is still on the page.
            QCOMPARE(run.shownDayMask(), days);
        }
        // The time-lapse dual schedules have no page.
        QVERIFY(run.settings.dual.timeLapseSchedule1 == run.before.dual.timeLapseSchedule1);
        QVERIFY(run.settings.dual.timeLapseSchedule2 == run.before.dual.timeLapseSchedule2);
    }

    void aDualChangeStaysAfterSwitchingBackAndCancelling()
    {
        ScheduleRun run;
        QVERIFY(run.open());
        run.clickTab(kDualTab);
        run.click("saturdaySchedule2");
        run.clickCell("schedule1Grid", 3); // on -> off
        run.click("schedule2AllOff");
        run.clickCell("schedule2Grid", 1);
        run.clickTab(kDailyTab);
        QCOMPARE(run.shownTab(), kDailyTab);

        // A change on the daily page after coming back is what Cancel drops.
        run.click("scheduleAllOff");
        run.clickCell("scheduleGrid", 4);
        run.click("cancelButton");
        QVERIFY(run.closed());

        QCOMPARE(run.settings.dual.dayAssignment, std::uint16_t(0x40));
        DaySchedule expected1 = DaySchedule::AllOn();
        expected1.SetOn(3 * DaySchedule::kMinutesPerSlot, false);
        QCOMPARE(run.settings.dual.triggerSchedule1, expected1);
        QCOMPARE(run.settings.dual.triggerSchedule2, onlySlots({1}));
        QVERIFY(run.settings.core.triggerDaySchedule.IsAllOn());
    }

    void revisitedPagesShowTheRecord()
    {
        ScheduleRun run;
        QVERIFY(run.open());
        run.click("scheduleAllOff");
        run.clickCell("scheduleGrid", 6);
        run.clickTab(kDualTab);
        run.click("mondaySchedule2");
        run.click("schedule2AllOff");
        run.clickCell("schedule2Grid", 2);
        run.clickTab(kDailyTab);
        QCOMPARE(shown(run.grid("scheduleGrid")), onlySlots({6}));
        run.clickTab(kDualTab);
        QCOMPARE(run.shownDayMask(), 0x02);
        QCOMPARE(shown(run.grid("schedule2Grid")), onlySlots({2}));
        QVERIFY(shown(run.grid("schedule1Grid")).IsAllOn());
    }

    void eachAllButtonSetsItsOwnGrid_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("changed");
        QTest::addColumn<QString>("untouched"); // empty on the one-grid page
        QTest::addColumn<bool>("value");
        QTest::newRow("All On") << kDailyTab << "scheduleAllOn"
                                << "scheduleGrid" << QString() << true;
        QTest::newRow("All Off") << kDailyTab << "scheduleAllOff"
                                 << "scheduleGrid" << QString() << false;
        QTest::newRow("schedule 1 All On") << kDualTab << "schedule1AllOn"
                                           << "schedule1Grid"
                                           << "schedule2Grid" << true;
        QTest::newRow("schedule 1 All Off") << kDualTab << "schedule1AllOff"
                                            << "schedule1Grid"
                                            << "schedule2Grid" << false;
        QTest::newRow("schedule 2 All On") << kDualTab << "schedule2AllOn"
                                           << "schedule2Grid"
                                           << "schedule1Grid" << true;
        QTest::newRow("schedule 2 All Off") << kDualTab << "schedule2AllOff"
                                            << "schedule2Grid"
                                            << "schedule1Grid" << false;
    }
    void eachAllButtonSetsItsOwnGrid()
    {
        QFETCH(int, tab);
        QFETCH(QString, button);
        QFETCH(QString, changed);
        QFETCH(QString, untouched);
        QFETCH(bool, value);
        ScheduleRun run;
        const DaySchedule mixed = onlySlots({1, 2, 40});
        run.settings.core.triggerDaySchedule = mixed;
        run.settings.dual.triggerSchedule1 = mixed;
        run.settings.dual.triggerSchedule2 = mixed;
        QVERIFY(run.open());
        run.clickTab(tab);
        run.click(button);
        const DaySchedule expected = value ? DaySchedule::AllOn() : allOff();
        QCOMPARE(shown(run.grid(changed)), expected);
        if (!untouched.isEmpty())
            QCOMPARE(shown(run.grid(untouched)), mixed);
    }

    void readOnlyRunsOnlyLook_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("editable") << false;
        QTest::newRow("read only") << true;
    }
    void readOnlyRunsOnlyLook()
    {
        QFETCH(bool, readOnly);
        ScheduleRun run;
        run.app.readOnly = readOnly;
        run.settings.dual.triggerSchedule2 = onlySlots({0});
        QVERIFY(run.open());
        QCOMPARE(run.button("okButton")->isEnabled(), !readOnly);
        QVERIFY(run.button("cancelButton")->isEnabled());
        QCOMPARE(run.button("scheduleAllOn")->isEnabled(), !readOnly);
        QCOMPARE(run.button("scheduleAllOff")->isEnabled(), !readOnly);
        QCOMPARE(run.grid("scheduleGrid")->isReadOnly(), readOnly);

        // A click on cell 0, then Space on cell 1.
        CScheduleCtrl *daily = run.grid("scheduleGrid");
        run.clickCell("scheduleGrid", 0);
        QCOMPARE(daily->hasFocus(), !readOnly);
        daily->setFocus(Qt::TabFocusReason);
        QTest::keyClick(daily, Qt::Key_Down);
        QCOMPARE(daily->focusCell(), 1);
        QTest::keyClick(daily, Qt::Key_Space);
        DaySchedule expected = DaySchedule::AllOn();
        if (!readOnly) {
            expected.SetOn(0, false);
            expected.SetOn(DaySchedule::kMinutesPerSlot, false);
        }
        QCOMPARE(shown(daily), expected);

        // The tabs still switch.
        run.clickTab(kDualTab);
        QCOMPARE(run.shownTab(), kDualTab);
        for (const char *day : kDays) {
            for (const char *column : {"Schedule1", "Schedule2"}) {
                const QString name = QLatin1String(day) + QLatin1String(column);
                QCOMPARE(run.button(name)->isEnabled(), !readOnly);
            }
        }
        for (const char *name :
             {"schedule1AllOn", "schedule1AllOff", "schedule2AllOn", "schedule2AllOff"})
            QCOMPARE(run.button(name)->isEnabled(), !readOnly);
        QCOMPARE(run.find<QLabel>("schedule1Caption")->isEnabled(), !readOnly);
        QCOMPARE(run.find<QLabel>("schedule2Caption")->isEnabled(), !readOnly);
        // The group captions name what is shown; they stay readable.
        QVERIFY(run.find("assignGroup")->isEnabled());

        run.clickCell("schedule2Grid", 0);
        QCOMPARE(shown(run.grid("schedule2Grid")), readOnly ? onlySlots({0}) : allOff());
        QCOMPARE(run.grid("schedule1Grid")->isReadOnly(), readOnly);
        QCOMPARE(run.grid("schedule2Grid")->isReadOnly(), readOnly);

        run.click("cancelButton");
        QVERIFY(run.closed());
        if (readOnly)
            QVERIFY(sameRecord(run.settings, run.before));
    }

    void readOnlyTabsAreStillCheckedWhenLeft()
    {
        // A file may hold an all-off daily trigger schedule; the sheet shows it but cannot
        // leave it for the other tab, and Cancel still closes.
        ScheduleRun run;
        run.app.readOnly = true;
        run.settings.core.triggerDaySchedule = allOff();
        QVERIFY(run.open());
        run.messages.expect(kNoPeriodOn);
        run.clickTab(kDualTab);
        QCOMPARE(run.shownTab(), kDailyTab);
        run.click("cancelButton");
        QVERIFY(run.closed());
        QVERIFY(sameRecord(run.settings, run.before));
    }

    // A schedule by keys alone: Alt+A to the grid of the daily page, Space on a cell, Alt+F
    // for All Off; Alt+D to the dual tab refused with message 121 while all is off.
    void theDailyScheduleIsEditedWithTheKeyboard()
    {
        ScheduleRun run;
        QVERIFY(run.open());
        CScheduleCtrl *grid = run.grid(QStringLiteral("scheduleGrid"));
        QTest::keyClick(run.dialog.get(), Qt::Key_A, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), grid);
        QTest::keyClick(grid, Qt::Key_Down);
        QTest::keyClick(grid, Qt::Key_Space);
        QCOMPARE(grid->GetSlot(15), 0);
        QTest::keyClick(grid, Qt::Key_F, Qt::AltModifier);
        QTRY_COMPARE(grid->GetSlot(0), 0);
        QCOMPARE(grid->GetSlot(23 * 60 + 45), 0);
        run.messages.expect(kNoPeriodOn);
        QTest::keyClick(grid, Qt::Key_D, Qt::AltModifier);
        QCOMPARE(run.shownTab(), kDailyTab);
        QTest::keyClick(grid, Qt::Key_N, Qt::AltModifier);
        QTRY_COMPARE(grid->GetSlot(0), 1);
        QTest::keyClick(grid, Qt::Key_D, Qt::AltModifier);
        QCOMPARE(run.shownTab(), kDualTab);
        // Alt+2 goes to the second grid; Enter is OK.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_2, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), run.grid(QStringLiteral("schedule2Grid")));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!run.dialog->isVisible());
        QCOMPARE(run.dialog->result(), int(QDialog::Accepted));
    }

    // A screen reader's Toggle on a cell changes the schedule as a click does: OK stores it
    // in the record, and nothing else changes. The time-lapse schedule starts all off, so the
    // toggled cell is what lets OK close it.
    void toggleActionReachesTheRecordOnOk_data()
    {
        QTest::addColumn<bool>("timeLapse");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("cell");
        QTest::newRow("trigger schedule") << false << kDailyTab << "scheduleGrid" << 25;
        QTest::newRow("dual schedule 2") << false << kDualTab << "schedule2Grid" << 90;
        QTest::newRow("time-lapse schedule") << true << kDailyTab << "scheduleGrid" << 3;
    }
    void toggleActionReachesTheRecordOnOk()
    {
        QFETCH(bool, timeLapse);
        QFETCH(int, tab);
        QFETCH(QString, grid);
        QFETCH(int, cell);
        ScheduleRun run(timeLapse);
        QVERIFY(run.open());
        if (tab == kDualTab)
            run.clickTab(kDualTab);
        QCOMPARE(run.shownTab(), tab);
        QAccessibleInterface *item =
            QAccessible::queryAccessibleInterface(run.grid(grid))->child(cell);
        const bool wasOn = item->state().checked;
        item->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());

        CameraSettings expected = run.before;
        const auto minute = static_cast<std::uint16_t>(cell * DaySchedule::kMinutesPerSlot);
        if (tab == kDualTab)
            expected.SetDualTriggerSlot(minute, !wasOn, 1);
        else
            expected.SetDaySlot(timeLapse ? ScheduleKind::TimeLapse : ScheduleKind::Trigger, minute,
                                !wasOn);
        run.click(QStringLiteral("okButton"));
        QVERIFY(run.closed());
        QVERIFY(sameRecord(run.settings, expected));
    }

    void dayPairsAreChosenWithTheKeyboard()
    {
        ScheduleRun run;
        QVERIFY(run.open());
        run.clickTab(kDualTab);
        QAbstractButton *first = run.button("wednesdaySchedule1");
        first->setFocus(Qt::TabFocusReason);
        QVERIFY(first->isChecked());
        // The arrow keys move within the day's pair only.
        QTest::keyClick(first, Qt::Key_Right);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("wednesdaySchedule2"));
        QVERIFY(run.button("wednesdaySchedule2")->isChecked());
        QVERIFY(run.button("tuesdaySchedule1")->isChecked());
        QVERIFY(run.button("thursdaySchedule1")->isChecked());
        QCOMPARE(run.shownDayMask(), 0x08);
    }

    void controlsAreNotClipped_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<bool>("smallest"); // shrunk as far as the sheet allows
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("daily") << kDailyTab << false << false;
        QTest::newRow("dual") << kDualTab << false << false;
        QTest::newRow("dual, read only") << kDualTab << false << true;
        QTest::newRow("daily, smallest") << kDailyTab << true << false;
        QTest::newRow("dual, smallest") << kDualTab << true << false;
    }
    void controlsAreNotClipped()
    {
        QFETCH(int, tab);
        QFETCH(bool, smallest);
        QFETCH(bool, readOnly);
        ScheduleRun run;
        run.app.readOnly = readOnly;
        QVERIFY(run.open());
        run.clickTab(tab);
        if (smallest) {
            run.dialog->resize(1, 1);
            QCoreApplication::processEvents();
        }
        QWidget *page = run.dialog->page(tab);
        const auto controls = page->findChildren<QWidget *>();
        QVERIFY(!controls.isEmpty());
        for (QWidget *control : controls) {
            if (!control->isVisibleTo(page))
                continue;
            if (qobject_cast<QLabel *>(control) || qobject_cast<QAbstractButton *>(control)) {
                const QSize need =
                    control->minimumSizeHint().expandedTo(QSize(control->sizeHint().width(), 0));
                QVERIFY2(control->width() >= need.width() && control->height() >= need.height(),
                         qPrintable(control->objectName()));
                // Inside the page, not cut off by its edge.
                const QRect onPage(control->mapTo(page, QPoint(0, 0)), control->size());
                QVERIFY2(page->rect().contains(onPage), qPrintable(control->objectName()));
            }
        }
        // VELOMAR_GRAB=/tmp/sheet saves what a person sees as /tmp/sheet-daily.png and
        // /tmp/sheet-dual.png, for a look at the layout.
        if (qEnvironmentVariableIsSet("VELOMAR_GRAB")) {
            run.dialog->grab().save(qEnvironmentVariable("VELOMAR_GRAB") + QLatin1Char('-') +
                                    QLatin1String(QTest::currentDataTag()) +
                                    QStringLiteral(".png"));
        }
        // The grids show a good part of the day, and a couple of hours when squeezed.
        const int hours = smallest ? 2 : 3;
        for (CScheduleCtrl *grid : page->findChildren<CScheduleCtrl *>()) {
            QVERIFY(grid->viewport()->height() >= hours * CScheduleCtrl::kHourHeight);
            QVERIFY(grid->viewport()->width() > grid->labelColumnWidth() + 60);
        }
    }
};

QTEST_MAIN(TestSchedulePages)
#include "tst_schedule_pages.moc"
