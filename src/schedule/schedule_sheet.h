#pragma once

#include "framework/app_state.h"
#include "framework/property_sheet.h"
#include "settings/camera_settings.h"

class CPageSchedule;
class CPageScheduleDual;

// The modal sheet behind the "View Schedule..." buttons. For time lapse it holds the daily
// time-lapse schedule; for triggers the daily trigger schedule and the dual trigger schedule.
// Its pages change the record in place when they are left or on OK; Cancel keeps whatever an
// earlier tab switch stored. In read-only runs OK is disabled, so it can only be cancelled.
class CScheduleSheet : public PropertySheet
{
    Q_OBJECT

public:
    CScheduleSheet(const QString &caption, QWidget *parent, bool timeLapse, int firstPage,
                   CameraSettings &settings, AppState &app);

    CPageSchedule *dailyPage() const { return daily; }
    // None in the time-lapse sheet.
    CPageScheduleDual *dualPage() const { return dual; }

protected:
    void initializeDialog() override;

private:
    AppState &app;
    CPageSchedule *daily = nullptr;
    CPageScheduleDual *dual = nullptr;
};
