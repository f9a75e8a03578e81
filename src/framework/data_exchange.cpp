#include "framework/data_exchange.h"

#include "framework/message_service.h"
#include "resources/string_table.h"
#include "settings/refusal.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>

#include <cmath>
#include <limits>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("DataExchange", text);
}

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || (c >= QLatin1Char('\t') && c <= QLatin1Char('\r'));
}

// Skips white space from `i`; true when the rest of the text is white space.
bool onlySpaceFrom(const QString &text, qsizetype i)
{
    for (; i < text.size(); ++i) {
        if (!isSpace(text[i]))
            return false;
    }
    return true;
}

qsizetype skipSpace(const QString &text, qsizetype i)
{
    while (i < text.size() && isSpace(text[i]))
        ++i;
    return i;
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Clears exclusivity while a radio group is set, so that no button may be checked.
class ExclusivityOff
{
public:
    explicit ExclusivityOff(QAbstractButton *button) : button(button)
    {
        if (QButtonGroup *group = button->group()) {
            wasExclusive = group->exclusive();
            group->setExclusive(false);
        } else {
            wasExclusive = button->autoExclusive();
            button->setAutoExclusive(false);
        }
    }
    ~ExclusivityOff()
    {
        if (QButtonGroup *group = button->group())
            group->setExclusive(wasExclusive);
        else
            button->setAutoExclusive(wasExclusive);
    }
    ExclusivityOff(const ExclusivityOff &) = delete;
    ExclusivityOff &operator=(const ExclusivityOff &) = delete;

private:
    QAbstractButton *button;
    bool wasExclusive = false;
};

} // namespace

bool DataExchange::parseInteger(const QString &text, int &value)
{
    qsizetype i = skipSpace(text, 0);
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');
    const qsizetype firstDigit = i;
    qint64 magnitude = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        magnitude = magnitude * 10 + (text[i].unicode() - '0');
        if (magnitude > qint64(std::numeric_limits<int>::max()) + 1)
            return false; // out of the range of an int: not a usable integer
    }
    if (i == firstDigit || !onlySpaceFrom(text, i))
        return false;
    const qint64 result = negative ? -magnitude : magnitude;
    if (result > std::numeric_limits<int>::max())
        return false;
    value = static_cast<int>(result);
    return true;
}

bool DataExchange::parseNumber(const QString &text, double &value, QChar decimalPoint)
{
    // Decimal notation only (no "inf", "nan" or hexadecimal): the fields cannot produce them,
    // and a NaN would slip through every range check.
    qsizetype i = skipSpace(text, 0);
    QString plain;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        plain += text[i++];
    int digits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i, ++digits)
        plain += text[i];
    if (i < text.size() && text[i] == decimalPoint) {
        plain += QLatin1Char('.');
        for (++i; i < text.size() && isDigit(text[i]); ++i, ++digits)
            plain += text[i];
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        QString exponent = QStringLiteral("e");
        if (j < text.size() && (text[j] == QLatin1Char('-') || text[j] == QLatin1Char('+')))
            exponent += text[j++];
        const qsizetype firstDigit = j;
        for (; j < text.size() && isDigit(text[j]); ++j)
            exponent += text[j];
        if (j > firstDigit) {
            plain += exponent;
            i = j;
        }
    }
    if (!onlySpaceFrom(text, i))
        return false;
    bool converted = false;
    const double result = plain.toDouble(&converted);
    if (!converted || !std::isfinite(result))
        return false;
    value = result;
    return true;
}

QString DataExchange::formatNumber(double value, QChar decimalPoint)
{
    QString text = QString::fromStdString(rules::NumberText(value));
    if (decimalPoint != QLatin1Char('.'))
        text.replace(QLatin1Char('.'), decimalPoint);
    return text;
}

bool DataExchange::failWith(QWidget *control, const QString &message, bool exclamation)
{
    showMessage(control ? control->window() : nullptr, message, programName(),
                exclamation ? MessageIcon::Exclamation : MessageIcon::None);
    fail(control);
    return false;
}

void DataExchange::fail(QWidget *control)
{
    failedFlag = true;
    if (!control)
        return;
    control->setFocus(Qt::OtherFocusReason);
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->selectAll();
}

bool DataExchange::text(QLineEdit *edit, int &value)
{
    if (failedFlag)
        return false;
    if (loading()) {
        edit->setText(QString::number(value));
        return true;
    }
    if (!parseInteger(edit->text(), value))
        return failWith(edit, tr(strings::kEnterInteger), false);
    return true;
}

bool DataExchange::text(QLineEdit *edit, double &value, QChar decimalPoint)
{
    if (failedFlag)
        return false;
    if (loading()) {
        edit->setText(formatNumber(value, decimalPoint));
        return true;
    }
    if (!parseNumber(edit->text(), value, decimalPoint))
        return failWith(edit, tr(strings::kEnterNumber), false);
    return true;
}

bool DataExchange::text(QLineEdit *edit, QString &value)
{
    if (failedFlag)
        return false;
    if (loading())
        edit->setText(value);
    else
        value = edit->text();
    return true;
}

bool DataExchange::refuse(QWidget *control, const rules::Refusal &refusal)
{
    QString message = QCoreApplication::translate(refusal.context, refusal.message);
    // Only the arguments the message has, as QString::arg warns about any other.
    if (message.contains(QLatin1String("%2")))
        message = message.arg(QString::fromStdString(refusal.first),
                              QString::fromStdString(refusal.second));
    else if (message.contains(QLatin1String("%1")))
        message = message.arg(QString::fromStdString(refusal.first));
    return failWith(control, message, true);
}

void DataExchange::check(QAbstractButton *box, int &value)
{
    if (failedFlag)
        return;
    if (loading())
        box->setChecked(value != 0);
    else
        value = box->isChecked() ? 1 : 0;
}

void DataExchange::radio(const QList<QAbstractButton *> &group, int &index)
{
    if (failedFlag || group.isEmpty())
        return;
    if (loading()) {
        ExclusivityOff unlocked(group.first());
        for (qsizetype i = 0; i < group.size(); ++i)
            group[i]->setChecked(i == index);
        return;
    }
    index = -1;
    for (qsizetype i = 0; i < group.size(); ++i) {
        if (group[i]->isChecked()) {
            index = static_cast<int>(i);
            break;
        }
    }
}

void DataExchange::slider(QAbstractSlider *slider, int &position)
{
    if (failedFlag)
        return;
    if (loading())
        slider->setValue(position);
    else
        position = slider->value();
}

void DataExchange::comboIndex(QComboBox *combo, int &index)
{
    if (failedFlag)
        return;
    if (loading())
        combo->setCurrentIndex(index);
    else
        index = combo->currentIndex();
}
