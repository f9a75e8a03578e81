#include "app/card_selection.h"

#include "app/no_card_dialog.h"
#include "app/select_card_dialog.h"
#include "settings/settings_file.h"

#include <QFile>

QString CardFolderPath(const QString &root)
{
    return QString::fromStdString(platform::cardFolder(root.toStdString()));
}

QString CardSettingsPath(const QString &root)
{
    return CardFolderPath(root) + QLatin1Char(platform::kPathSeparator) +
           QLatin1String(kSettingsFileName);
}

bool IsCardFileSystem(const QString &fileSystemName)
{
    const QString name = fileSystemName.trimmed().toUpper();
    return name == QLatin1String("FAT") || name == QLatin1String("FAT32");
}

bool ScanCards(platform::VolumeSource &volumes, CardLists &lists)
{
    lists = {};
    for (const std::string &root : volumes.candidateDrives()) {
        if (!volumes.isRemovable(root))
            continue;
        const auto volume = volumes.volumeInformation(root);
        if (!volume || !IsCardFileSystem(QString::fromStdString(volume->fileSystemName)))
            continue;
        const QString cardRoot = QString::fromStdString(root);
        lists.candidateRoots.append(cardRoot);
        // Only a file that can be read counts: the sheet is going to load it.
        QFile settings(CardSettingsPath(cardRoot));
        if (settings.open(QIODevice::ReadOnly))
            lists.rootsWithSettings.append(settings.fileName());
    }
    for (const platform::UnmountedVolume &volume : volumes.unmountedVolumes()) {
        const QString fileSystem = QString::fromStdString(volume.information.fileSystemName);
        if (volume.removable && IsCardFileSystem(fileSystem))
            lists.unmountedCards.append({QString::fromStdString(volume.information.device),
                                         QString::fromStdString(volume.information.volumeName),
                                         fileSystem});
    }
    return !lists.candidateRoots.isEmpty() || !lists.unmountedCards.isEmpty();
}

CardSelection SelectCard(platform::VolumeSource &volumes, QWidget *parent)
{
    CSelectCardDlg selectDialog(volumes, parent);
    if (!selectDialog.ScanCards()) {
        for (;;) {
            CNoCardDlg noCard(parent);
            // A card that arrives while the dialog is open goes on as Retry would.
            QObject::connect(&selectDialog, &CSelectCardDlg::cardsScanned, &noCard,
                             [&noCard](bool found) {
                                 if (found)
                                     noCard.done(CNoCardDlg::Retry);
                             });
            const int answer = noCard.exec();
            if (answer == CNoCardDlg::ContinueReadOnly)
                return {CardOutcome::ContinueReadOnly, {}};
            if (answer != CNoCardDlg::Retry)
                return {CardOutcome::Exit, {}};
            if (selectDialog.ScanCards())
                break;
        }
    }

    // Only a single card that already holds its file is taken without asking.
    const CardLists &cards = selectDialog.cards();
    if (cards.candidateRoots.size() == 1 && cards.rootsWithSettings.size() == 1 &&
        cards.unmountedCards.isEmpty())
        return {CardOutcome::CardPath, cards.rootsWithSettings.front()};

    if (selectDialog.exec() == QDialog::Accepted && !selectDialog.selectedPath().isEmpty())
        return {CardOutcome::CardPath, selectDialog.selectedPath()};
    return {CardOutcome::Exit, {}};
}
