#pragma once

#include <QApplication>
#include <QWheelEvent>
#include <QWidget>
#include <QtTest/qtestspontaneevent.h>

// Turns the mouse wheel by `notches` (positive: away from the user) with the pointer over the
// middle of `widget`, delivered as the window system delivers it: the application may give
// the focus by its policy and hands an ignored wheel on to the parents.
inline void turnWheel(QWidget *widget, int notches)
{
    const QPoint pos = widget->rect().center();
    QWheelEvent wheel(pos, widget->mapToGlobal(pos), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    QApplication::instance()->notify(widget, &wheel);
}
