#pragma once

#include "controls/filter_edit.h"
#include "controls/input_rules.h"

// A text field that refuses a set of characters: typing one beeps and says so at the field,
// pasting or setting text drops them silently.
class CCharFilterEdit : public CFilterEdit
{
    Q_OBJECT

public:
    // maxChars 0 is no limit.
    CCharFilterEdit(int maxChars, const QString &invalidChars, QWidget *parent = nullptr);

    // Replaces the forbidden set; the text is filtered again at once when the set changed.
    void SetInvalidCharacters(const QString &chars);
    // Refuses every character above `highest` as if it were forbidden: for text stored one
    // byte (0xFF) or seven bits (0x7F) a character.
    void SetHighestCharacter(char16_t highest);

    const CharFilterRule &rule() const { return filterRule; }
    QString validText(const QString &text) const override;

protected:
    void charTyped(QChar c) override;

private:
    CharFilterRule filterRule;
};
