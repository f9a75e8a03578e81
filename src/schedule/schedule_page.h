#pragma once

#include "framework/app_state.h"
#include "framework/property_page.h"
#include "settings/camera_settings.h"
#include "settings/day_schedule.h"

class CScheduleCtrl;
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

    bool validatePage() override;

protected:
    void initializePage() override;
    void load(DataExchange &dx) override;
    bool save(DataExchange &dx) override;

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
