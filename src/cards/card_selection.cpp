#include "cards/card_selection.h"

#include "cards/no_card_dialog.h"
#include "cards/select_card_dialog.h"

bool ScanCards(platform::VolumeSource &volumes, CardLists &lists)
{
    lists = {};
    for (const FoundCard &card : FindCards(volumes)) {
        lists.candidateRoots.append(QString::fromStdString(card.root));
        lists.candidateSerials.append(QString::fromStdString(card.volume.serial));
        if (card.holdsSettings)
            lists.rootsWithSettings.append(QString::fromStdString(CardSettingsPath(card.root)));
    }
    for (const platform::UnmountedVolume &volume : volumes.unmountedVolumes()) {
        const QString fileSystem = QString::fromStdString(volume.information.fileSystemName);
        if (volume.removable && IsCardFileSystem(volume.information.fileSystemName))
            lists.unmountedCards.append({QString::fromStdString(volume.information.device),
                                         QString::fromStdString(volume.information.volumeName),
                                         fileSystem,
                                         QString::fromStdString(volume.information.serial)});
    }
    return HasCards(lists);
}

bool HasCards(const CardLists &lists)
{
    return !lists.candidateRoots.isEmpty() || !lists.unmountedCards.isEmpty();
}

CardSelection SelectCard(platform::VolumeSource &volumes, QWidget *parent)
{
    CSelectCardDlg selectDialog(volumes, parent);
    const auto scan = [&selectDialog] {
        selectDialog.ScanCards();
        selectDialog.waitForDesktopMounts();
        return selectDialog.hasCards();
    };
    if (!scan()) {
        for (;;) {
            CNoCardDlg noCard(parent);
            // A card that arrives while the dialog is open goes on as Retry would, once the
            // desktop has mounted it or let it be.
            QObject::connect(&selectDialog, &CSelectCardDlg::cardsScanned, &noCard,
                             [&noCard](bool found) {
                                 if (found)
                                     noCard.done(CNoCardDlg::Retry);
                             });
            const int answer = noCard.exec();
            if (answer == CNoCardDlg::ContinueReadOnly)
                return {CardOutcome::ContinueReadOnly, {}, {}};
            if (answer != CNoCardDlg::Retry)
                return {CardOutcome::Exit, {}, {}};
            if (scan())
                break;
        }
    }

    // Only a single card that already holds its file is taken without asking.
    const CardLists &cards = selectDialog.cards();
    if (cards.candidateRoots.size() == 1 && cards.rootsWithSettings.size() == 1 &&
        cards.unmountedCards.isEmpty())
        return {
            CardOutcome::CardPath, cards.rootsWithSettings.front(),
            ChosenCard{cards.candidateRoots.front(), cards.candidateSerials.front(), {}, false}};

    if (selectDialog.exec() == QDialog::Accepted && !selectDialog.selectedPath().isEmpty())
        return {CardOutcome::CardPath, selectDialog.selectedPath(), selectDialog.chosenCard()};
    return {CardOutcome::Exit, {}, {}};
}
