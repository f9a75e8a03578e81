#pragma once

#include "controls/filter_edit.h"
#include "controls/input_rules.h"

// A number field: digits, the user's decimal separator and, if allowed, a leading negative
// sign, with fixed limits on the digits before and after the separator. Whatever cannot be
// taken is dropped silently; range checks are the page's.
class CNumberEdit : public CFilterEdit
{
    Q_OBJECT

public:
    // maxWholeDigits follows SetMaxWholeDigits (a negative count also forbids the sign).
    CNumberEdit(int maxWholeDigits, int maxDecimalPlaces, QWidget *parent = nullptr);

    // n >= 0 allows n whole digits and the sign again; n < 0 allows -n and forbids the sign.
    // Pages call it before AllowNegative(false) for that reason.
    void SetMaxWholeDigits(int n);
    void SetMaxDecimalPlaces(int n);
    void AllowNegative(bool allow);

    const NumberRule &rule() const { return numberRule; }
    QString validText(const QString &text) const override;

protected:
    void charTyped(QChar c) override;
    void deleteKeyPressed() override;
    void focusLost() override;

private:
    NumberRule numberRule;
};
