#pragma once

#include <QAnyStringView>
#include <QString>

class QCheckBox;
class QDialog;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

// The small builders every page and dialog uses: a control with its text and the object name
// that says what it edits.
QLabel *makeLabel(const QString &text, QAnyStringView name, QWidget *parent);
QRadioButton *makeRadio(const QString &text, QAnyStringView name, QWidget *parent);
QCheckBox *makeCheckBox(const QString &text, QAnyStringView name, QWidget *parent);

// Narrows `edit` to `digits` characters with room for the caret, at any font size.
void fitDigits(QLineEdit *edit, int digits);

// OK (the default button) and Cancel at the right of a row, wired to the dialog's accept and
// reject. Made where the caller's tab order wants them.
struct OkCancelRow
{
    QPushButton *ok;
    QPushButton *cancel;
    QHBoxLayout *layout;
};
OkCancelRow makeOkCancelRow(QDialog *dialog);
