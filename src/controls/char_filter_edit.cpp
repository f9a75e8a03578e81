#include "controls/char_filter_edit.h"

CCharFilterEdit::CCharFilterEdit(int maxChars, const QString &invalidChars, QWidget *parent)
    : CFilterEdit(parent), filterRule(field(), maxChars, invalidChars)
{}

void CCharFilterEdit::SetInvalidCharacters(const QString &chars)
{
    filterRule.SetInvalidCharacters(chars);
}

void CCharFilterEdit::SetHighestCharacter(char16_t highest)
{
    filterRule.SetHighestCharacter(highest);
}

QString CCharFilterEdit::validText(const QString &text) const
{
    return filterRule.validText(text);
}

void CCharFilterEdit::charTyped(QChar c)
{
    filterRule.OnChar(c);
}
