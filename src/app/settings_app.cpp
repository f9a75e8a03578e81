#include "app/settings_app.h"

#include "app/kestra_sheet.h"
#include "app/startup_rules.h"
#include "cards/card_selection.h"
#include "framework/message_service.h"
#include "framework/platform_services.h"
#include "settings/carriers.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
// An installed program lies in the bin/ folder of its prefix, with the install's own share/
// files beside that folder; a build folder or an unpacked folder has no such layout.
bool isInstalled(const QString &programPath)
{
    const QDir folder = QFileInfo(programPath).absoluteDir();
    return folder.dirName() == QLatin1String("bin") &&
           QFileInfo(folder.filePath(QStringLiteral(VELOMAR_EXAMPLES_FROM_BIN))).isDir();
}
} // namespace

LocalFiles ResolveLocalFiles(const QString &programPath, const QString &userDataFolder)
{
    // Wherever its prefix, even one the user can write, an installed program keeps per-user
    // files out of it: the prefix is shared, and the folder it is started from is anybody's.
    if (isInstalled(programPath) && !userDataFolder.isEmpty())
        return {QDir(userDataFolder).filePath(QString::fromLatin1(kSettingsFileName)),
                userDataFolder};
    const std::string module = programPath.toStdString();
    return {QString::fromStdString(LocalSettingsPath(module, ExecutableBaseName(module))), {}};
}

bool EnterWorkingFolder(const QString &folder, const QString &programPath)
{
    if (!QDir().mkpath(folder))
        return false;
    const QDir working(folder);
    const QDir programFolder = QFileInfo(programPath).absoluteDir();
    const auto installed = [&programFolder](const char *fromProgram, const char *name) {
        return QDir::cleanPath(programFolder.filePath(QString::fromLatin1(fromProgram) +
                                                      QLatin1Char('/') + QLatin1String(name)));
    };

    // The user edits the carrier list, so it is a writable copy of their own; a link of the
    // user's that points nowhere just now (a drive not mounted) is still the user's.
    const QString carriers = working.filePath(QLatin1String(kCarriersFileName));
    const QFileInfo carriersFile(carriers);
    const QString example = installed(VELOMAR_EXAMPLES_FROM_BIN, kCarriersFileName);
    if (!carriersFile.exists() && !carriersFile.isSymLink() && QFile::copy(example, carriers))
        QFile::setPermissions(carriers, QFile::permissions(carriers) | QFile::WriteOwner);

    // The guide is only read: a link follows the installed one through updates. A link left
    // behind by a guide that has gone (another install) is renewed.
    const QString guide = working.filePath(QLatin1String(kUserGuideFileName));
    const QFileInfo guideFile(guide);
    const QString installedGuide = installed(VELOMAR_DOCS_FROM_BIN, kUserGuideFileName);
    if (!guideFile.exists() && QFileInfo(installedGuide).isFile()) {
        if (guideFile.isSymLink())
            QFile::remove(guide);
        QFile::link(installedGuide, guide);
    }
    return QDir::setCurrent(folder);
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

    const QString program = platformServices().programPath();
    const LocalFiles local = ResolveLocalFiles(
        program, QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
    localSettingsPath = local.settingsPath;
    // The files beside the local copy are found through the current folder, wherever the
    // editor was started from.
    if (!local.workingFolder.isEmpty())
        EnterWorkingFolder(local.workingFolder, program);

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
    if (selection.outcome == CardOutcome::CardPath)
        sheet.SetCard(volumes, selection.card);
    sheet.exec();
    return false;
}
