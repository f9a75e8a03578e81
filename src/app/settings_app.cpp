#include "app/settings_app.h"

#include "app/card_selection.h"
#include "app/kestra_sheet.h"
#include "app/startup_rules.h"
#include "framework/message_service.h"
#include "framework/platform_services.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString ResolveLocalSettingsPath(const QString &programPath, const QString &userDataFolder)
{
    const std::string module = programPath.toStdString();
    const QString path =
        QString::fromStdString(LocalSettingsPath(module, ExecutableBaseName(module)));
    const QFileInfo local(path);
    if (local.isRelative() || userDataFolder.isEmpty())
        return path;
    // A system-wide install keeps per-user data out of the system's folders even for root,
    // who could write there: the package manager owns them.
    const QFileInfo folder(local.absolutePath());
    const bool systemWide = folder.absoluteFilePath().startsWith(QLatin1String("/usr/"));
    if (folder.isDir() && folder.isWritable() && !systemWide)
        return path;
    QDir().mkpath(userDataFolder);
    return QDir(userDataFolder).filePath(QString::fromLatin1(kSettingsFileName));
}

bool CSettingsApp::InitInstance(const QStringList &arguments, platform::VolumeSource &volumes)
{
    const CommandLineOptions options =
        ParseCommandLine(arguments.join(QLatin1Char(' ')).toStdString());
    state.readOnly = options.readOnly;
    state.operatingMode = options.operatingMode;
    if (state.operatingMode != OperatingMode::PRO) {
        showMessage(nullptr, QObject::tr("Unknown command line parameter."), programName(),
                    MessageIcon::Stop);
        return false;
    }

    localSettingsPath = ResolveLocalSettingsPath(
        platformServices().programPath(),
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));

    CardSelection selection{CardOutcome::ContinueReadOnly, {}};
    if (!state.readOnly)
        selection = SelectCard(volumes);
    if (selection.outcome == CardOutcome::ContinueReadOnly)
        state.readOnly = true;
    state.carrierIndex = -1;
    if (selection.outcome == CardOutcome::Exit)
        return false;
    cardSettingsPath = selection.cardSettingsPath;

    CKestraSheet sheet(settings, state);
    sheet.SetPaths(localSettingsPath, cardSettingsPath);
    sheet.DoModal();
    return false;
}
