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

// Where the editor keeps the user's files.
struct LocalFiles
{
    // The local copy of the settings.
    QString settingsPath;
    // The user's data folder where the local copy lives there: the editor then works in it and
    // takes carriers.dat, carriers2.dat and the guide from it too. Empty where the program
    // keeps its copy beside itself: it works in the folder it was started from.
    QString workingFolder;

    bool operator==(const LocalFiles &) const = default;
};

// The local copy lies in the user's data folder when the program is installed (in the bin/
// folder of a prefix that holds its share/ files), wherever that prefix is; beside the program
// by the classic rule when it runs from its build folder or an unpacked folder.
LocalFiles ResolveLocalFiles(const QString &programPath, const QString &userDataFolder);

// Makes `folder` the current folder, where the Cellular page, the sheet and F1 look for their
// files. It is created first, and given the example carrier list and a link to the guide
// installed with the program (found from the program's own folder) wherever the user has no
// file of that name. False when it could not be made or entered: the current folder stays.
bool EnterWorkingFolder(const QString &folder, const QString &programPath);
