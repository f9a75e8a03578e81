#pragma once

#include "cards/card_selection.h"

#include <QDeadlineTimer>
#include <QDialog>
#include <QHash>

class CardWatch;
class QTimer;
class QListWidget;
class QPushButton;

namespace platform {
struct MountResult;
}

// Lists the candidate cards, one line each, and creates the card folder on the one the user
// picks. The lists of the last scan live here, as start-up keeps this dialog for the search.
// Where the volume source tells of cards coming and going, the lists follow, and so do the
// lines while the dialog is open; a card that is not mounted is mounted when chosen. The line
// the user chose stays with its card: when the card goes, no line is selected and OK waits
// until the card comes back or the user picks another line.
class CSelectCardDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CSelectCardDlg(platform::VolumeSource &volumes, QWidget *parent = nullptr);

    // Scans the drives into cards(); true when there is at least one card.
    bool ScanCards();
    const CardLists &cards() const { return lists; }
    bool hasCards() const { return HasCards(lists); }
    // The settings path of the card chosen with OK; empty until then.
    QString selectedPath() const { return selected; }
    // That card, as it was when it was chosen.
    ChosenCard chosenCard() const { return chosen; }

    // When the last scan found a single card and it is not mounted yet, runs the event loop
    // until the desktop has mounted it, it has gone, or the desktop had its moment (3 s from
    // when the card was first seen): the desktop's automounter is a second behind the system.
    // Returns at once otherwise, and where the source does not tell of mounts.
    void waitForDesktopMounts();

    // The list is built when the dialog opens, from volume queries made then.
    void setVisible(bool visible) override;

public slots:
    void accept() override;

signals:
    // The cards were scanned again because the source told of a change, and the desktop is not
    // about to mount the card found; `found` as from ScanCards().
    void cardsScanned(bool found);

private:
    void volumesChanged();
    // A card the desktop may still mount, and no other: the choice is worth a moment's wait.
    bool awaitingDesktop() const;
    void desktopWaitOver();
    void fillList();
    void lineSelected();
    void updateOkButton();
    void useCard(const ChosenCard &card);
    void mountCard(const UnmountedCard &card);
    void mountFinished(const UnmountedCard &card, const platform::MountResult &result);
    void setMounting(bool on);

    platform::VolumeSource &volumes;
    CardLists lists;
    QString selected;
    QListWidget *cardList;
    QPushButton *okButton;
    CardWatch *watch;
    QTimer *desktopWait;
    // When the desktop's moment for each card seen unmounted is over, by device.
    QHash<QString, QDeadlineTimer> desktopDeadlines;
    ChosenCard chosen;
    // What names the card of the line the user chose, across scans (see kCardRole); its line
    // is selected whenever it is there.
    QString wantedCard;
    QString wantedPlace;
    bool wantedCardListed = false;
    bool filling = false;
    bool mounting = false;
};
