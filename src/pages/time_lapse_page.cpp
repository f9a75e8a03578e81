#include "pages/time_lapse_page.h"

CKTPageTimeLapse::CKTPageTimeLapse(CameraSettings &settings, AppState &app, QWidget *parent)
    : PropertyPage(tr("Time Lapse"), parent), settings(settings), app(app)
{
    setObjectName(QStringLiteral("timeLapsePage"));
}

// The page's controls come with its own change; until then the tab is empty.
bool CKTPageTimeLapse::exchange(Direction)
{
    return true;
}
