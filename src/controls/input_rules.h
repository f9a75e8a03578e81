#pragma once

#include "controls/edit_field.h"

#include <QChar>
#include <QString>

// The filtering of a field's input, apart from any window: from the field's text a rule
// computes the text the field should show, and it handles typed characters, key presses and
// the loss of the focus on the field it is given.
class InputRule
{
public:
    explicit InputRule(EditField &field) : field(field) {}
    virtual ~InputRule() = default;
    InputRule(const InputRule &) = delete;
    InputRule &operator=(const InputRule &) = delete;

    // The text a field holding `text` should show.
    virtual QString validText(const QString &text) const = 0;
    // The text the field should show now.
    QString GetValidText() const { return validText(field.fieldState().text); }

    virtual void OnChar(QChar c) = 0;
    // By default the field handles the key itself.
    virtual void OnKeyDown(int key) { field.defaultKeyDown(key); }
    virtual void OnKillFocus() { field.defaultKillFocus(); }
    // Shows the valid text if the field holds another.
    virtual void Redraw();

protected:
    // Sets the valid text and puts the selection back where it was (as far as the text reaches).
    void reformat();

    EditField &field;
};

// A text field that refuses a set of characters, and optionally text beyond a length.
class CharFilterRule : public InputRule
{
public:
    // maxChars 0 is no limit; an empty invalidChars forbids nothing.
    CharFilterRule(EditField &field, int maxChars, const QString &invalidChars);

    int maxChars() const { return maxCharCount; }
    const QString &invalidChars() const { return invalidCharSet; }
    // Replaces the forbidden set; the field is filtered again when the set changed.
    void SetInvalidCharacters(const QString &chars);
    // Characters above `highest` (and the zero character) cannot be stored by the field's
    // owner: they are refused like forbidden ones. 0xFFFF (the default) allows everything.
    void SetHighestCharacter(char16_t highest);
    char16_t highestCharacter() const { return highestChar; }

    QString validText(const QString &text) const override;
    void OnChar(QChar c) override;

private:
    bool storable(QChar c) const;

    int maxCharCount;
    QString invalidCharSet;
    char16_t highestChar = 0xFFFF;
};

// A number field: digits, one decimal separator and, if allowed, a leading negative sign,
// with limits on the digits before and after the separator. The sign and the separator are
// the user's (their first character), taken once when the rule is made.
class NumberRule : public InputRule
{
public:
    // maxWholeDigits follows SetMaxWholeDigits: a negative count also forbids the sign.
    NumberRule(EditField &field, int maxWholeDigits, int maxDecimalPlaces);

    int maxWholeDigits() const { return maxWhole; }
    int maxDecimalPlaces() const { return maxDecimals; }
    bool allowNegative() const { return negativeAllowed; }
    QChar negativeSign() const { return sign; }
    QChar decimalPoint() const { return point; }

    // n >= 0 allows n whole digits and the sign; n < 0 allows -n whole digits and no sign.
    void SetMaxWholeDigits(int n);
    // A negative count is taken as 0 (integers only).
    void SetMaxDecimalPlaces(int n);
    void AllowNegative(bool allow);

    QString validText(const QString &text) const override;
    void OnChar(QChar c) override;
    void OnKeyDown(int key) override;
    void OnKillFocus() override;

    // The digits, signs and separators of `text`, in order.
    QString numericText(const QString &text) const;

private:
    void typeSign(const FieldState &before, const QString &numeric);
    void typeDecimalPoint(const FieldState &before);
    void typeDecimalDigit(QChar c, const FieldState &before, const QString &numeric);
    void typeWholeDigit(QChar c, const FieldState &before, const QString &numeric);
    // Replaces one character at the selection start, or the whole selection when it reaches
    // the end of the text, so that a full part is overwritten instead of growing.
    void overwrite(QChar c, const FieldState &before);
    // Typing that leaves the separator elsewhere in the numeric text needs a reformat.
    void reformatIfSeparatorMoved(int separatorBefore);

    int maxWhole = 0;
    int maxDecimals = 0;
    bool negativeAllowed = true;
    QChar sign = QLatin1Char('-');
    QChar point = QLatin1Char('.');
};
