#include "framework/keyboard_access.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QWidget>

namespace {

void updateTabStop(const QList<QAbstractButton *> &group)
{
    QAbstractButton *stop = group.isEmpty() ? nullptr : group.first();
    for (QAbstractButton *radio : group) {
        if (radio->isChecked())
            stop = radio;
    }
    // Click focus only for the others: a click or an access key still reaches them.
    for (QAbstractButton *radio : group)
        radio->setFocusPolicy(radio == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

} // namespace

void tabStopAtCheckedRadio(const QList<QAbstractButton *> &group)
{
    updateTabStop(group);
    for (QAbstractButton *radio : group)
        QObject::connect(radio, &QAbstractButton::toggled, radio,
                         [group] { updateTabStop(group); });
}

void chainTabOrder(const QList<QWidget *> &order)
{
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

QString withAccessKey(const QString &text, const QString &key)
{
    // A '&' of the text itself is shown as one, not taken for a marker.
    QString marked = text;
    marked.replace(QLatin1Char('&'), QLatin1String("&&"));
    const qsizetype at = key.isEmpty() ? -1 : marked.indexOf(key);
    if (at >= 0)
        marked.insert(at, QLatin1Char('&'));
    return marked;
}

QSize dialogUnitsToPixels(const QSize &units, const QFontMetrics &metrics)
{
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int averageWidth = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
    return {units.width() * averageWidth / 4, units.height() * metrics.height() / 8};
}
