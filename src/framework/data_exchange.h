#pragma once

#include "settings/refusal.h"

#include <QChar>
#include <QList>
#include <QString>

class QAbstractButton;
class QAbstractSlider;
class QComboBox;
class QLineEdit;
class QWidget;

// The direction of a page's or dialog's one exchange routine.
enum class Direction
{
    Load, // record -> controls
    Save, // controls -> record, with validation
};

// Moves values between controls and variables and validates them with the standard
// messages. Every operation does nothing once an earlier one has failed, so an exchange
// routine can run straight through and ask `ok()` at its end, or return at the first false.
// A failure has shown its message and left the failing field focused with its text selected.
class DataExchange
{
public:
    // A window's one exchange routine: its `load` or its `save`, in a fresh exchange.
    template <class Load, class Save> static bool run(Direction direction, Load load, Save save)
    {
        DataExchange dx(direction);
        if (dx.saving())
            return save(dx);
        load(dx);
        return true;
    }

public:
    explicit DataExchange(Direction direction) : direction(direction) {}

    bool saving() const { return direction == Direction::Save; }
    bool loading() const { return direction == Direction::Load; }
    bool ok() const { return !failedFlag; }

    // Integers as "%d"; saving fails with "Please enter an integer." for anything but
    // an optionally signed whole number surrounded by white space.
    bool text(QLineEdit *edit, int &value);
    // Numbers with up to 15 significant digits ("%.*g") and the given decimal separator;
    // saving fails with "Please enter a number.".
    bool text(QLineEdit *edit, double &value, QChar decimalPoint = QLatin1Char('.'));
    bool text(QLineEdit *edit, QString &value);

    // A check box as 0 or 1.
    void check(QAbstractButton *box, int &value);
    // A radio group as the index of its checked button, -1 for none.
    void radio(const QList<QAbstractButton *> &group, int &index);
    void slider(QAbstractSlider *slider, int &position);
    // A drop-down list's selected index, -1 for none.
    void comboIndex(QComboBox *combo, int &index);

    // Shows a values struct's refusal, with the exclamation mark of a range message, and
    // focuses `control`, the field the refusal names. Returns false.
    bool refuse(QWidget *control, const rules::Refusal &refusal);
    // Reports a failure found by the caller: focuses `control` (selecting an edit's text).
    void fail(QWidget *control);

    // The text of a double as the exchange shows it.
    static QString formatNumber(double value, QChar decimalPoint = QLatin1Char('.'));
    // Parses an integer or a number the way saving does.
    static bool parseInteger(const QString &text, int &value);
    static bool parseNumber(const QString &text, double &value,
                            QChar decimalPoint = QLatin1Char('.'));

private:
    bool failWith(QWidget *control, const QString &message, bool exclamation);

    Direction direction;
    bool failedFlag = false;
};
