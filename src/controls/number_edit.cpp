#include "controls/number_edit.h"

#include <Qt>

CNumberEdit::CNumberEdit(int maxWholeDigits, int maxDecimalPlaces, QWidget *parent)
    : CFilterEdit(parent), numberRule(field(), maxWholeDigits, maxDecimalPlaces)
{}

void CNumberEdit::SetMaxWholeDigits(int n)
{
    numberRule.SetMaxWholeDigits(n);
}

void CNumberEdit::SetMaxDecimalPlaces(int n)
{
    numberRule.SetMaxDecimalPlaces(n);
}

void CNumberEdit::AllowNegative(bool allow)
{
    numberRule.AllowNegative(allow);
}

QString CNumberEdit::validText(const QString &text) const
{
    return numberRule.validText(text);
}

void CNumberEdit::charTyped(QChar c)
{
    numberRule.OnChar(c);
}

void CNumberEdit::deleteKeyPressed()
{
    numberRule.OnKeyDown(Qt::Key_Delete);
}

void CNumberEdit::focusLost()
{
    numberRule.OnKillFocus();
}
