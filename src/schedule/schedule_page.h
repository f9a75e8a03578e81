#pragma once

#include "framework/app_state.h"
#include "framework/property_page.h"
#include "settings/camera_settings.h"
#include "settings/day_schedule.h"

class CScheduleCtrl;
class QGroupBox;
class QPushButton;

// The "Schedule" tab of the schedule sheet: the daily trigger or time-lapse schedule in one
// grid. The page refuses to be left (tab switch or OK) while every quarter hour is off.
class CPageSchedule : public PropertyPage
{
    Q_OBJECT

public:
    CPageSchedule(CameraSettings &settings, AppState &app, QWidget *parent = nullptr);

    // Which daily schedule the page edits; set by the sheet before the page is shown.
    void setKind(ScheduleKind value) { kind = value; }
    ScheduleKind scheduleKind() const { return kind; }

    bool OnKillActive() override;

protected:
    void OnInitDialog() override;
    bool exchange(Direction direction) override;

private:
    void buildControls();
    void applyReadOnly();

    CameraSettings &settings;
    AppState &app;
    ScheduleKind kind = ScheduleKind::Trigger;

    // Lives as long as the page's window; none before the page is first shown.
    CScheduleCtrl *grid = nullptr;
    QPushButton *allOnButton = nullptr;
    QPushButton *allOffButton = nullptr;
};

// Helpers the two schedule pages share.
namespace schedule_page {

// The grid's cells as a day schedule, read at the start of each quarter hour.
DaySchedule gridSchedule(const CScheduleCtrl &grid);

// A group box with a grid that fills it and, at the bottom right, the "All On" and "All Off"
// buttons that set every cell of that grid. Created in that order, which is the tab order.
struct GridGroup
{
    QGroupBox *box = nullptr;
    CScheduleCtrl *grid = nullptr;
    QPushButton *allOn = nullptr;
    QPushButton *allOff = nullptr;
};
// Object names: `name` + "Grid", "AllOn", "AllOff". The buttons get access keys only where
// the page has one such pair (`buttonKeys`): two pairs would share theirs.
GridGroup makeGridGroup(const QString &title, const QString &name, QWidget *parent,
                        bool buttonKeys);

// Message 121: no quarter hour is on where one must be.
void showNoPeriodOnMessage(QWidget *parent);

} // namespace schedule_page
