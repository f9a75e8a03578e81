#pragma once

#include "settings/named_setting_labels.h"

#include <QDialog>

#include <vector>

class QTableWidget;

// "Show Differences...": every named setting in which the card's settings differ from this
// computer's copy, with the tab, the setting as the tab labels it and both values in the words
// of kestra-cfg. Read-only; Ctrl+C and "Copy" put the rows on the clipboard as tab-separated
// text (the selected rows, or all when none is selected).
class CardDifferencesDialog : public QDialog
{
    Q_OBJECT

public:
    CardDifferencesDialog(const std::vector<SettingDifference> &differences,
                          const QString &cardName, QWidget *parent = nullptr);

    // The rows as the clipboard gets them, with a heading line.
    QString copiedText() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void copy();

    QTableWidget *table = nullptr;
};
