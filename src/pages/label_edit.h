#pragma once

#include "controls/char_filter_edit.h"

// The picture label: a character-filtered field whose text is stored one byte a character
// (ISO 8859-1). A character with no single-byte form is refused like a forbidden one (typed:
// the warning beep; pasted or set: dropped), so that what the field shows is exactly what
// will be stored.
class CLabelEdit : public CCharFilterEdit
{
    Q_OBJECT

public:
    explicit CLabelEdit(const QString &invalidChars, QWidget *parent = nullptr);

    // True for a character the label can store: one byte, and not the zero that ends it.
    static bool isStorable(QChar c) { return c.unicode() != 0 && c.unicode() <= 0xFF; }

    QString validText(const QString &text) const override;

protected:
    void charTyped(QChar c) override;
};
