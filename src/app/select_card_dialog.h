#pragma once

#include "app/card_selection.h"

#include <QDialog>

class QListWidget;

// Lists the candidate cards, one line each, and creates the card folder on the one the user
// picks. The lists of the last scan live here, as start-up keeps this dialog for the search.
class CSelectCardDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CSelectCardDlg(platform::VolumeSource &volumes, QWidget *parent = nullptr);

    // Scans the drives into cards(); true when there is at least one candidate.
    bool ScanCards();
    const CardLists &cards() const { return lists; }
    // The settings path of the card chosen with OK; empty until then.
    QString selectedPath() const { return selected; }

    // The list is built when the dialog opens, from volume queries made then.
    void setVisible(bool visible) override;

public slots:
    void accept() override;

private:
    void fillList();

    platform::VolumeSource &volumes;
    CardLists lists;
    QString selected;
    QListWidget *cardList;
};
