#pragma once

#include "framework/app_state.h"
#include "settings/camera_settings.h"

#include <QString>
#include <QStringList>

namespace platform {
class VolumeSource;
}

// The application object: owns the one settings record and the run's state, and runs the
// start-up: command line, card selection, then the main sheet, modally. The program ends when
// the sheet closes.
class CSettingsApp
{
public:
    // `arguments` are the command-line arguments after the program's name. Returns false, so
    // that the program ends: there is no message loop beyond the modal sheet.
    bool InitInstance(const QStringList &arguments, platform::VolumeSource &volumes);

    void ResetAll() { settings.ResetAll(); }

    CameraSettings settings;
    AppState state;
    // The paths the last start-up handed to the sheet.
    QString localSettingsPath;
    QString cardSettingsPath;
};

// Where the local copy of the settings lives: beside the program by the classic rule, or in
// the user's data folder when the program's folder cannot be written or is a system-wide
// install (under /usr).
QString ResolveLocalSettingsPath(const QString &programPath, const QString &userDataFolder);
