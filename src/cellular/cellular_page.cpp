#include "cellular/cellular_page.h"

CKTPageCellular::CKTPageCellular(CameraSettings &settings, AppState &app, QWidget *parent)
    : PropertyPage(tr("Cellular"), parent), settings(settings), app(app)
{
    setObjectName(QStringLiteral("cellularPage"));
}

// The page's controls come with its own change; until then the tab is empty.
bool CKTPageCellular::exchange(Direction)
{
    return true;
}
