#include "pages/images_page.h"

CKTPageImages::CKTPageImages(CameraSettings &settings, AppState &app, QWidget *parent)
    : PropertyPage(tr("Images"), parent), settings(settings), app(app)
{
    setObjectName(QStringLiteral("imagesPage"));
}

// The page's controls come with its own change; until then the tab is empty.
bool CKTPageImages::exchange(Direction)
{
    return true;
}
