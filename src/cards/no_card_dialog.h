#pragma once

#include <QDialog>

// Shown while no card is found: the user inserts one and retries, goes on without a card
// (read-only), or ends the program.
class CNoCardDlg : public QDialog
{
    Q_OBJECT

public:
    // The dialog's results.
    enum Answer
    {
        Exit = 2, // also Escape and the close box
        Retry = 4,
        ContinueReadOnly = 1263,
    };

    explicit CNoCardDlg(QWidget *parent = nullptr);

public slots:
    void reject() override;
};
