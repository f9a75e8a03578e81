#pragma once

#include "controls/filter_edit.h"
#include "controls/input_rules.h"

// A text field that refuses a set of characters: typing one beeps, pasting or setting text
// drops them silently.
class CCharFilterEdit : public CFilterEdit
{
    Q_OBJECT

public:
    // maxChars 0 is no limit.
    CCharFilterEdit(int maxChars, const QString &invalidChars, QWidget *parent = nullptr);

    // Replaces the forbidden set; the text is filtered again at once when the set changed.
    void SetInvalidCharacters(const QString &chars);

    const CharFilterRule &rule() const { return filterRule; }
    QString validText(const QString &text) const override;

protected:
    void charTyped(QChar c) override;

private:
    CharFilterRule filterRule;
};
