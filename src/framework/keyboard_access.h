#pragma once

#include <QList>
#include <QSize>
#include <QString>

class QAbstractButton;
class QFontMetrics;
class QWidget;

// A radio group is one stop of the Tab key, at its checked radio (the first while none is
// checked); the arrow keys move within the group. Kept up to date as the choice changes.
void tabStopAtCheckedRadio(const QList<QAbstractButton *> &group);

// Tab moves through `order` from the first to the last, whatever order they were made in.
void chainTabOrder(const QList<QWidget *> &order);

// `text` with the access-key marker in front of the first occurrence of `key` (for texts that
// are kept without one, such as the string table's); `text` unchanged when `key` is not in
// it, as may happen in a translation.
QString withAccessKey(const QString &text, const QString &key);

// Dialog units to pixels for a font: a quarter of the average character width across, an
// eighth of the character height down, as the layouts of the classic dialogs were measured.
QSize dialogUnitsToPixels(const QSize &units, const QFontMetrics &metrics);
