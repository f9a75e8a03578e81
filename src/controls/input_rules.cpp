#include "controls/input_rules.h"

#include "framework/platform_services.h"

#include <Qt>

#include <climits>

namespace {
bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The characters a number field drops without a sound; anything else typed goes to the
// field's own handling (Backspace, control characters).
bool isPrintableAscii(QChar c)
{
    return c.unicode() >= 0x20 && c.unicode() <= 0x7E;
}
} // namespace

void InputRule::Redraw()
{
    const QString text = field.fieldState().text;
    const QString valid = validText(text);
    if (valid != text)
        field.setFieldText(valid);
}

void InputRule::reformat()
{
    const FieldState before = field.fieldState();
    const QString valid = validText(before.text);
    // Setting an unchanged text would only cost the user the undo history.
    if (valid == before.text)
        return;
    field.setFieldText(valid);
    field.setFieldSelection(before.selectionStart, before.selectionEnd, before.cursor);
}

CharFilterRule::CharFilterRule(EditField &field, int maxChars, const QString &invalidChars)
    : InputRule(field), maxCharCount(maxChars), invalidCharSet(invalidChars)
{}

void CharFilterRule::SetInvalidCharacters(const QString &chars)
{
    if (chars == invalidCharSet)
        return;
    invalidCharSet = chars;
    Redraw();
}

void CharFilterRule::SetHighestCharacter(char16_t highest)
{
    if (highest == highestChar)
        return;
    highestChar = highest;
    Redraw();
}

bool CharFilterRule::storable(QChar c) const
{
    return highestChar == 0xFFFF || (c.unicode() != 0 && c.unicode() <= highestChar);
}

QString CharFilterRule::validText(const QString &text) const
{
    // The length is cut before the forbidden characters go, so the result may be shorter.
    const QString limited = maxCharCount > 0 ? text.left(maxCharCount) : text;
    QString result;
    result.reserve(limited.size());
    for (const QChar c : limited) {
        if (!invalidCharSet.contains(c) && storable(c))
            result += c;
    }
    return result;
}

void CharFilterRule::OnChar(QChar c)
{
    if (!invalidCharSet.isEmpty() && invalidCharSet.contains(c)) {
        field.refuseChar(c);
        return;
    }
    if (!storable(c)) {
        // A character beyond the basic plane arrives as two halves: one refusal for the pair.
        if (!c.isLowSurrogate())
            field.refuseChar(c);
        return;
    }
    const FieldState state = field.fieldState();
    if (maxCharCount > 0 && state.text.size() == maxCharCount && insertsAsText(c)) {
        // A full field overwrites the character at the caret instead of growing; this holds
        // for every character that would be inserted, so that none can make the text too long.
        if (state.selectionStart < maxCharCount) {
            field.selectRange(state.selectionStart, state.selectionStart + 1);
            field.scrollCaretIntoView();
            field.replaceFieldSelection(QString(c));
        }
        return;
    }
    field.defaultChar(c);
}

NumberRule::NumberRule(EditField &field, int maxWholeDigits, int maxDecimalPlaces)
    : InputRule(field), maxDecimals(maxDecimalPlaces < 0 ? 0 : maxDecimalPlaces)
{
    if (maxWholeDigits < 0) {
        maxWhole = maxWholeDigits == INT_MIN ? INT_MAX : -maxWholeDigits;
        negativeAllowed = false;
    } else {
        maxWhole = maxWholeDigits;
        negativeAllowed = true;
    }
    const LocaleValues locale = platformServices().localeValues();
    if (!locale.negativeSign.isNull())
        sign = locale.negativeSign;
    if (!locale.decimalPoint.isNull())
        point = locale.decimalPoint;
}

void NumberRule::SetMaxWholeDigits(int n)
{
    const int limit = n >= 0 ? n : (n == INT_MIN ? INT_MAX : -n);
    const bool allow = n >= 0;
    if (limit == maxWhole && allow == negativeAllowed)
        return;
    maxWhole = limit;
    negativeAllowed = allow;
    Redraw();
}

void NumberRule::SetMaxDecimalPlaces(int n)
{
    if (n < 0)
        n = 0;
    if (n == maxDecimals)
        return;
    maxDecimals = n;
    Redraw();
}

void NumberRule::AllowNegative(bool allow)
{
    if (allow == negativeAllowed)
        return;
    negativeAllowed = allow;
    Redraw();
}

QString NumberRule::numericText(const QString &text) const
{
    QString result;
    for (const QChar c : text) {
        if (isDigit(c) || c == sign || c == point)
            result += c;
    }
    return result;
}

QString NumberRule::validText(const QString &text) const
{
    // Every kept character counts, so `result.size()` is the count of kept characters and
    // the separator's index in the result says where the decimal part begins.
    QString result;
    qsizetype separatorAt = -1;
    bool hasSign = false;
    const qsizetype wholeLimit = qsizetype(maxWhole);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const qsizetype kept = result.size();
        if (i == 0 && c == sign && negativeAllowed) {
            result += c;
            hasSign = true;
        } else if (isDigit(c) && separatorAt >= 0) {
            if (kept > separatorAt + maxDecimals)
                break;
            result += c;
        } else if (isDigit(c)) {
            if (kept != wholeLimit + (hasSign ? 1 : 0))
                result += c;
        } else if (c == point && separatorAt < 0) {
            if (maxDecimals == 0)
                break;
            separatorAt = kept;
            result += c;
        }
    }
    return result;
}

void NumberRule::OnChar(QChar c)
{
    const FieldState before = field.fieldState();
    const QString numeric = numericText(before.text);
    if (c == sign && negativeAllowed) {
        typeSign(before, numeric);
    } else if (c == point && maxDecimals > 0) {
        typeDecimalPoint(before);
    } else if (isDigit(c)) {
        const qsizetype separatorAt = before.text.indexOf(point);
        if (separatorAt >= 0 && separatorAt < before.selectionStart)
            typeDecimalDigit(c, before, numeric);
        else
            typeWholeDigit(c, before, numeric);
    } else if (!isPrintableAscii(c) && c != sign && c != point) {
        field.defaultChar(c);
    }
    // Any other printable character is dropped without a sound, and so are a sign and a
    // separator the field does not take, even where the locale's are not ASCII. Whatever happened,
    // the field ends with a text of its own rule: overwriting the sign with a digit in a full whole
    // part would otherwise leave one digit too many.
    reformat();
}

void NumberRule::typeSign(const FieldState &before, const QString &numeric)
{
    const int start = before.selectionStart;
    const int end = before.selectionEnd;
    const bool endSelected = end == before.text.size();
    const bool hasSign = numeric.startsWith(sign);
    if (start == 0) {
        if (hasSign) {
            field.selectRange(0, endSelected ? end : 1);
            field.replaceFieldSelection(QString(sign));
        } else {
            field.defaultChar(sign);
            reformatIfSeparatorMoved(int(numeric.indexOf(point)));
        }
    } else if (hasSign) {
        // The sign typed inside the number toggles it; the selection stays on the same digits.
        field.selectRange(0, 1);
        field.replaceFieldSelection(QString());
        field.setFieldSelection(start - 1, end - 1, before.cursor - 1);
    } else {
        field.selectRange(0, 0);
        field.replaceFieldSelection(QString(sign));
        field.setFieldSelection(start + 1, end + 1, before.cursor + 1);
    }
}

void NumberRule::typeDecimalPoint(const FieldState &before)
{
    const qsizetype separatorAt = before.text.indexOf(point);
    if (separatorAt < 0) {
        field.defaultChar(point);
        reformatIfSeparatorMoved(-1);
    } else if (before.selectionStart <= separatorAt && separatorAt < before.selectionEnd) {
        field.defaultChar(point);
        reformat();
    } else {
        // A second separator only moves the caret into the decimal part.
        const int after = int(separatorAt) + 1;
        field.selectRange(after, after);
    }
}

void NumberRule::typeDecimalDigit(QChar c, const FieldState &before, const QString &numeric)
{
    const qsizetype separatorAt = before.text.indexOf(point);
    const qsizetype numericSeparatorAt = numeric.indexOf(point);
    qsizetype decimals = 0;
    for (qsizetype i = numericSeparatorAt + 1; i < numeric.size(); ++i) {
        if (isDigit(numeric.at(i)))
            ++decimals;
    }
    if (decimals == maxDecimals) {
        if (before.selectionStart > separatorAt + maxDecimals)
            return;
        overwrite(c, before);
    } else {
        field.defaultChar(c);
        reformatIfSeparatorMoved(int(numericSeparatorAt));
    }
}

void NumberRule::typeWholeDigit(QChar c, const FieldState &before, const QString &numeric)
{
    const qsizetype wholeLimit = qsizetype(maxWhole) + (numeric.startsWith(sign) ? 1 : 0);
    if (before.selectionStart == wholeLimit)
        return; // the whole part cannot grow at its end
    const qsizetype numericSeparatorAt = numeric.indexOf(point);
    const qsizetype wholeLength = numericSeparatorAt < 0 ? numeric.size() : numericSeparatorAt;
    if (wholeLength == wholeLimit) {
        overwrite(c, before);
    } else {
        field.defaultChar(c);
        reformat();
    }
}

void NumberRule::overwrite(QChar c, const FieldState &before)
{
    const int start = before.selectionStart;
    const bool endSelected = before.selectionEnd == before.text.size();
    field.selectRange(start, endSelected ? before.selectionEnd : start + 1);
    field.replaceFieldSelection(QString(c));
}

void NumberRule::reformatIfSeparatorMoved(int separatorBefore)
{
    if (numericText(field.fieldState().text).indexOf(point) != separatorBefore)
        reformat();
}

void NumberRule::OnKeyDown(int key)
{
    if (key != Qt::Key_Delete) {
        field.defaultKeyDown(key);
        return;
    }
    const FieldState before = field.fieldState();
    field.defaultKeyDown(key);
    reformat();
    if (before.selectionEnd == before.text.size())
        field.selectRange(before.selectionStart, before.selectionStart);
}

void NumberRule::OnKillFocus()
{
    field.defaultKillFocus();
    const FieldState after = field.fieldState();
    if (after.text.startsWith(point)) {
        // ".5" reads as "0.5" once the user has left the field; the text set passes the
        // filter like any other (a field without whole digits keeps ".5").
        field.setFieldText(validText(QLatin1Char('0') + after.text));
        field.setFieldSelection(after.selectionStart, after.selectionEnd, after.cursor);
    }
}
