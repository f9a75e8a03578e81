#include "schedule/schedule_sheet.h"

#include "schedule/schedule_dual_page.h"
#include "schedule/schedule_page.h"

#include <QPushButton>

namespace {
// The pages were laid out at 463 x 259 dialog units.
constexpr QSize kPageDesignSize(463, 259);
} // namespace

CScheduleSheet::CScheduleSheet(const QString &caption, QWidget *parent, bool timeLapse,
                               int firstPage, CameraSettings &settings, AppState &app)
    : PropertySheet(caption, parent, firstPage, StandardButtons(OkButton | CancelButton)), app(app)
{
    setObjectName(QStringLiteral("scheduleSheet"));
    daily = new CPageSchedule(settings, app);
    daily->setKind(timeLapse ? ScheduleKind::TimeLapse : ScheduleKind::Trigger);
    addPage(daily);
    if (!timeLapse) {
        dual = new CPageScheduleDual(settings, app);
        addPage(dual);
    }
    setPageDesignSize(kPageDesignSize);
}

void CScheduleSheet::initializeDialog()
{
    PropertySheet::initializeDialog();
    if (app.readOnly)
        button(OkButton)->setEnabled(false);
}
