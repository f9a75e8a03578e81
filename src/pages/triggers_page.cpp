#include "pages/triggers_page.h"

CKTPageTriggers::CKTPageTriggers(CameraSettings &settings, AppState &app, QWidget *parent)
    : PropertyPage(tr("Triggers"), parent), settings(settings), app(app)
{
    setObjectName(QStringLiteral("triggersPage"));
}

// The page's controls come with its own change; until then the tab is empty.
bool CKTPageTriggers::exchange(Direction)
{
    return true;
}
