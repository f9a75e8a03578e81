#include "pages/label_edit.h"

#include "framework/platform_services.h"

CLabelEdit::CLabelEdit(const QString &invalidChars, QWidget *parent)
    : CCharFilterEdit(0, invalidChars, parent)
{}

QString CLabelEdit::validText(const QString &text) const
{
    QString storable;
    storable.reserve(text.size());
    for (const QChar c : text) {
        if (isStorable(c))
            storable += c;
    }
    return CCharFilterEdit::validText(storable);
}

void CLabelEdit::charTyped(QChar c)
{
    if (!isStorable(c)) {
        // A character beyond the basic plane arrives as two halves: one beep for the pair.
        if (!c.isLowSurrogate())
            platformServices().warningBeep();
        return;
    }
    CCharFilterEdit::charTyped(c);
}
