#pragma once

#include "cards/card_selection.h"

#include <QDialog>

class CardWatch;
class QListWidget;
class QPushButton;

namespace platform {
struct MountResult;
}

// Lists the candidate cards, one line each, and creates the card folder on the one the user
// picks. The lists of the last scan live here, as start-up keeps this dialog for the search.
// Where the volume source tells of cards coming and going, the lists follow, and so do the
// lines while the dialog is open; a card that is not mounted is mounted when chosen.
class CSelectCardDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CSelectCardDlg(platform::VolumeSource &volumes, QWidget *parent = nullptr);

    // Scans the drives into cards(); true when there is at least one card.
    bool ScanCards();
    const CardLists &cards() const { return lists; }
    // The settings path of the card chosen with OK; empty until then.
    QString selectedPath() const { return selected; }

    // The list is built when the dialog opens, from volume queries made then.
    void setVisible(bool visible) override;

public slots:
    void accept() override;

signals:
    // The cards were scanned again because the source told of a change; `found` as from
    // ScanCards().
    void cardsScanned(bool found);

private:
    void volumesChanged();
    void fillList();
    void useCard(const QString &root);
    void mountCard(const UnmountedCard &card);
    void mountFinished(const UnmountedCard &card, const platform::MountResult &result);
    void setMounting(bool on);

    platform::VolumeSource &volumes;
    CardLists lists;
    QString selected;
    QListWidget *cardList;
    QPushButton *okButton;
    CardWatch *watch;
    bool mounting = false;
};
