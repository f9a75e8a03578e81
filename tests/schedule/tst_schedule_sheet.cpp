#include "gui_run.h"
#include "gui_test.h"
#include "modal_script.h"
#include "pages/time_lapse_page.h"
#include "pages/triggers_page.h"
#include "schedule/schedule_ctrl.h"
#include "schedule/schedule_grid_group.h"
#include "schedule/schedule_page.h"
#include "schedule/schedule_sheet.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <memory>

// The schedule sheet as a person reaches it: through "View Schedule..." on the Triggers and
// Time Lapse pages of a running sheet.

namespace {

void clickCell(CScheduleCtrl *grid, int cell)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      QPoint(grid->labelColumnWidth() + 40,
                             cell * CScheduleCtrl::kCellHeight + CScheduleCtrl::kCellHeight / 2));
}

} // namespace

class TestScheduleSheet : public GuiTest
{
    Q_OBJECT

private slots:
    void triggersPageOpensTheTriggerSchedule()
    {
        PageInSheet<CKTPageTriggers> run;
        run.settings.SetStoredQuickset(QuicksetAdvanced);
        QVERIFY(run.open());

        ModalScript script;
        script.then([&](QDialog *dialog) {
            auto *sheet = qobject_cast<CScheduleSheet *>(dialog);
            QVERIFY(sheet);
            QCOMPARE(sheet->windowTitle(), QStringLiteral("Trigger Schedule"));
            QCOMPARE(sheet->parentWidget(), static_cast<QWidget *>(run.page));
            QCOMPARE(sheet->tabWidget()->count(), 2);
            QCOMPARE(sheet->currentIndex(), 0);
            QCOMPARE(sheet->dailyPage()->scheduleKind(), ScheduleKind::Trigger);
            clickCell(findControl<CScheduleCtrl>(sheet, QStringLiteral("scheduleGrid")), 0);
            clickControl(sheet, QStringLiteral("okButton"));
        });
        run.click("viewTriggerSchedule");
        QCOMPARE(script.opened(), 1);

        DaySchedule expected = DaySchedule::AllOn();
        expected.SetOn(0, false);
        QCOMPARE(run.settings.core.triggerDaySchedule, expected);
        QVERIFY(run.settings.core.timeLapseDaySchedule == DaySchedule{});
    }

    void timeLapsePageOpensTheTimeLapseSchedule()
    {
        PageInSheet<CKTPageTimeLapse> run;
        QVERIFY(run.open());

        ModalScript script;
        script.then([&](QDialog *dialog) {
            auto *sheet = qobject_cast<CScheduleSheet *>(dialog);
            QVERIFY(sheet);
            QCOMPARE(sheet->windowTitle(), QStringLiteral("Time Lapse Schedule"));
            QCOMPARE(sheet->parentWidget(), static_cast<QWidget *>(run.page));
            QCOMPARE(sheet->tabWidget()->count(), 1);
            auto *grid = findControl<CScheduleCtrl>(sheet, QStringLiteral("scheduleGrid"));
            // The factory time-lapse schedule is all off: OK waits for a period.
            QVERIFY(!schedule_page::gridSchedule(*grid).AnyOn());
            run.messages.expect(121);
            clickControl(sheet, QStringLiteral("okButton"));
            QVERIFY(sheet->isVisible());
            clickCell(grid, 4);
            clickControl(sheet, QStringLiteral("okButton"));
        });
        run.click("viewSchedule");
        QCOMPARE(script.opened(), 1);

        DaySchedule expected;
        expected.SetOn(4 * DaySchedule::kMinutesPerSlot, true);
        QCOMPARE(run.settings.core.timeLapseDaySchedule, expected);
        QVERIFY(run.settings.core.triggerDaySchedule.IsAllOn());
    }

    void aReadOnlyRunCanOnlyLookAtTheSchedule()
    {
        PageInSheet<CKTPageTriggers> run;
        run.app.readOnly = true;
        run.settings.SetStoredQuickset(QuicksetAdvanced);
        QVERIFY(run.open());
        const CameraSettings before = run.settings;

        ModalScript script;
        script.then([&](QDialog *dialog) {
            auto *sheet = qobject_cast<CScheduleSheet *>(dialog);
            QVERIFY(sheet);
            QVERIFY(!findControl<QPushButton>(sheet, QStringLiteral("okButton"))->isEnabled());
            auto *grid = findControl<CScheduleCtrl>(sheet, QStringLiteral("scheduleGrid"));
            QVERIFY(grid->isReadOnly());
            clickCell(grid, 0);
            QVERIFY(schedule_page::gridSchedule(*grid).IsAllOn());
            clickControl(sheet, QStringLiteral("cancelButton"));
        });
        run.click("viewTriggerSchedule");
        QCOMPARE(script.opened(), 1);
        QVERIFY(run.settings.core == before.core);
        QVERIFY(run.settings.dual == before.dual);
    }
};

QTEST_MAIN(TestScheduleSheet)
#include "tst_schedule_sheet.moc"
