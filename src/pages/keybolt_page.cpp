#include "pages/keybolt_page.h"

CKTPageKeybolt::CKTPageKeybolt(CameraSettings &settings, AppState &app, QWidget *parent)
    : PropertyPage(tr("Other"), parent), settings(settings), app(app)
{
    setObjectName(QStringLiteral("keyboltPage"));
}

// The page's controls come with its own change; until then the tab is empty.
bool CKTPageKeybolt::exchange(Direction)
{
    return true;
}
