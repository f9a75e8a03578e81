#pragma once

#include <QList>
#include <QSize>
#include <QString>

class QAbstractButton;
class QFontMetrics;

// A radio group is one stop of the Tab key, at its checked radio (the first while none is
// checked); the arrow keys move within the group. Kept up to date as the choice changes.
void tabStopAtCheckedRadio(const QList<QAbstractButton *> &group);

// `text` with the access-key marker in front of the first occurrence of `key` (for texts that
// are kept without one, such as the string table's); `text` unchanged when `key` is not in
// it, as may happen in a translation.
QString withAccessKey(const QString &text, const QString &key);

// Dialog units to pixels for a font: a quarter of the average character width across, an
// eighth of the character height down, as the layouts of the classic dialogs were measured.
QSize dialogUnitsToPixels(const QSize &units, const QFontMetrics &metrics);
