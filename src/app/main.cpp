#include "app/settings_app.h"
#include "platform/card_volumes.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velomar"));
    QApplication::setApplicationName(QStringLiteral("velomar-settings"));

    const std::unique_ptr<platform::VolumeSource> volumes = platform::CreateSystemVolumeSource();
    CSettingsApp app;
    app.InitInstance(QApplication::arguments().mid(1), *volumes);
    return 0;
}
