#pragma once

#include "controls/char_filter_edit.h"
#include "controls/number_edit.h"

#include <QString>

// The fields as the pages and dialogs configure them, by name, so that a test row can say
// which one it drives.
namespace fieldconfigs {

// Images page: the label's forbidden characters.
inline QString labelForbidden()
{
    return QStringLiteral("~^_`{}|");
}

// Cellular page: phone numbers take digits, blanks and "-" only.
inline QString phoneForbidden()
{
    QString set;
    for (char c = 'A'; c <= 'Z'; ++c)
        set += QLatin1Char(c);
    for (char c = 'a'; c <= 'z'; ++c)
        set += QLatin1Char(c);
    for (char c = 0x21; c <= 0x7E; ++c) {
        const bool punctuation =
            !(c >= '0' && c <= '9') && !(c >= 'A' && c <= 'Z') && !(c >= 'a' && c <= 'z');
        if (punctuation && c != '-')
            set += QLatin1Char(c);
    }
    return set;
}

// Cellular page: e-mail addresses.
inline QString emailForbidden()
{
    return QStringLiteral("()[]\\;:\",<>");
}

struct NumberConfig
{
    int wholeDigits;
    int decimalPlaces;
    bool negative;
};

// Number field configurations by name: "number W/P" (no sign), "number W/P signed", and
// "number 2/1 comma", which the caller builds with "," as the user's separator.
inline bool numberConfig(const QString &name, NumberConfig &config)
{
    if (name == QLatin1String("number 4/0"))
        config = {4, 0, false};
    else if (name == QLatin1String("number 2/0"))
        config = {2, 0, false};
    else if (name == QLatin1String("number 2/1"))
        config = {2, 1, false};
    else if (name == QLatin1String("number 2/1 comma"))
        config = {2, 1, false}; // with "," as the user's decimal separator
    else if (name == QLatin1String("number 2/1 signed"))
        config = {2, 1, true};
    else
        return false;
    return true;
}

inline bool charConfig(const QString &name, QString &forbidden)
{
    if (name == QLatin1String("label"))
        forbidden = labelForbidden();
    else if (name == QLatin1String("phone"))
        forbidden = phoneForbidden();
    else if (name == QLatin1String("email"))
        forbidden = emailForbidden();
    else
        return false;
    return true;
}

inline bool usesComma(const QString &name)
{
    return name.endsWith(QLatin1String(" comma"));
}

// Makes the field as its page does, as a child of `parent`: number fields with 9 and 4,
// then reconfigured in the page's order; text fields with the Images page's construction set,
// then the one in force.
inline CFilterEdit *makeField(const QString &name, QWidget *parent)
{
    NumberConfig number{};
    QString forbidden;
    if (numberConfig(name, number)) {
        auto *edit = new CNumberEdit(9, 4, parent);
        edit->SetMaxWholeDigits(number.wholeDigits);
        edit->SetMaxDecimalPlaces(number.decimalPlaces);
        edit->AllowNegative(number.negative);
        return edit;
    }
    if (charConfig(name, forbidden)) {
        auto *edit = new CCharFilterEdit(0, QStringLiteral("%'*\"+?><:\\"), parent);
        edit->SetInvalidCharacters(forbidden);
        return edit;
    }
    return nullptr;
}

} // namespace fieldconfigs
