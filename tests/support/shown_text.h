#pragma once

// What a person sees of a control's text, and which key reaches it: Qt underlines the letter
// after a single '&' (the access key) and shows "&&" as one '&'.

#include <QChar>
#include <QString>

// The text as shown: every single '&' removed, every "&&" made one '&'.
inline QString shown(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            ++i;
            if (i == text.size())
                break;
        }
        out += text[i];
    }
    return out;
}

// The access key of a text, lower-cased; a null QChar when it has none. As Qt, the first
// single '&' counts.
inline QChar accessKey(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return {};
}
