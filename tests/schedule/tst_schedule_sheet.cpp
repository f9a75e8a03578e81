#include "fake_platform.h"
#include "framework/property_sheet.h"
#include "modal_script.h"
#include "pages/time_lapse_page.h"
#include "pages/triggers_page.h"
#include "schedule/schedule_ctrl.h"
#include "schedule/schedule_page.h"
#include "schedule/schedule_sheet.h"
#include "scripted_messages.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <memory>

// The schedule sheet as a person reaches it: through "View Schedule..." on the Triggers and
// Time Lapse pages of a running sheet.

namespace {

// The main window's stand-in: a sheet with the one page under test.
struct PageRun
{
    PageRun() { settings.ResetAll(); }

    template <typename Page> bool open()
    {
        sheet = std::make_unique<PropertySheet>(QStringLiteral("Sheet"));
        page = new Page(settings, app);
        sheet->AddPage(page);
        sheet->show();
        return QTest::qWaitForWindowActive(sheet.get());
    }

    void click(const char *name) const
    {
        auto *button = page->findChild<QAbstractButton *>(QLatin1String(name));
        if (!button)
            qFatal("no button %s", name);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    FakePlatformServices platform;
    ScriptedMessages messages;
    CameraSettings settings;
    AppState app;
    std::unique_ptr<PropertySheet> sheet;
    PropertyPage *page = nullptr;
};

CScheduleSheet *scheduleSheet(QDialog *dialog)
{
    auto *sheet = qobject_cast<CScheduleSheet *>(dialog);
    if (!sheet)
        qFatal("the dialog that opened is not the schedule sheet");
    return sheet;
}

template <typename T> T *child(QWidget *parent, const char *name)
{
    auto *found = parent->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

void clickCell(CScheduleCtrl *grid, int cell)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      QPoint(grid->labelColumnWidth() + 40,
                             cell * CScheduleCtrl::kCellHeight + CScheduleCtrl::kCellHeight / 2));
}

void clickButton(QWidget *parent, const char *name)
{
    QTest::mouseClick(child<QAbstractButton>(parent, name), Qt::LeftButton);
}

} // namespace

class TestScheduleSheet : public QObject
{
    Q_OBJECT

private slots:
    void triggersPageOpensTheTriggerSchedule()
    {
        PageRun run;
        run.settings.SetStoredQuickset(QuicksetAdvanced);
        QVERIFY(run.open<CKTPageTriggers>());

        ModalScript script;
        script.then([&](QDialog *dialog) {
            CScheduleSheet *sheet = scheduleSheet(dialog);
            QCOMPARE(sheet->windowTitle(), QStringLiteral("Trigger Schedule"));
            QCOMPARE(sheet->parentWidget(), static_cast<QWidget *>(run.page));
            QCOMPARE(sheet->tabWidget()->count(), 2);
            QCOMPARE(sheet->GetActiveIndex(), 0);
            QCOMPARE(sheet->dailyPage()->scheduleKind(), ScheduleKind::Trigger);
            clickCell(child<CScheduleCtrl>(sheet, "scheduleGrid"), 0);
            clickButton(sheet, "okButton");
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
        PageRun run;
        QVERIFY(run.open<CKTPageTimeLapse>());

        ModalScript script;
        script.then([&](QDialog *dialog) {
            CScheduleSheet *sheet = scheduleSheet(dialog);
            QCOMPARE(sheet->windowTitle(), QStringLiteral("Time Lapse Schedule"));
            QCOMPARE(sheet->parentWidget(), static_cast<QWidget *>(run.page));
            QCOMPARE(sheet->tabWidget()->count(), 1);
            auto *grid = child<CScheduleCtrl>(sheet, "scheduleGrid");
            // The factory time-lapse schedule is all off: OK waits for a period.
            QVERIFY(!schedule_page::gridSchedule(*grid).AnyOn());
            run.messages.expect(121);
            clickButton(sheet, "okButton");
            QVERIFY(sheet->isVisible());
            clickCell(grid, 4);
            clickButton(sheet, "okButton");
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
        PageRun run;
        run.app.readOnly = true;
        run.settings.SetStoredQuickset(QuicksetAdvanced);
        QVERIFY(run.open<CKTPageTriggers>());
        const CameraSettings before = run.settings;

        ModalScript script;
        script.then([&](QDialog *dialog) {
            CScheduleSheet *sheet = scheduleSheet(dialog);
            QVERIFY(!child<QPushButton>(sheet, "okButton")->isEnabled());
            auto *grid = child<CScheduleCtrl>(sheet, "scheduleGrid");
            QVERIFY(grid->isReadOnly());
            clickCell(grid, 0);
            QVERIFY(schedule_page::gridSchedule(*grid).IsAllOn());
            clickButton(sheet, "cancelButton");
        });
        run.click("viewTriggerSchedule");
        QCOMPARE(script.opened(), 1);
        QVERIFY(run.settings.core == before.core);
        QVERIFY(run.settings.dual == before.dual);
    }
};

QTEST_MAIN(TestScheduleSheet)
#include "tst_schedule_sheet.moc"
