#pragma once

// The keyboard's way through a window, walked as a person walks it: Tab, or Shift+Tab, from
// wherever the focus is.

#include "find_control.h"

#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <algorithm>

// The object names of what takes the focus on `steps` presses of Tab (of Shift+Tab when
// `backwards`), starting with the focus on `start` in its active window.
inline QStringList tabChain(QWidget *start, qsizetype steps, bool backwards = false)
{
    QWidget *window = start->window();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return {QStringLiteral("(window not active)")};
    start->setFocus(Qt::TabFocusReason);
    QStringList names;
    for (qsizetype i = 0; i < steps; ++i) {
        QWidget *focus = QApplication::focusWidget();
        if (!focus)
            return names << QStringLiteral("(no focus)");
        QTest::keyClick(focus, backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                        backwards ? Qt::ShiftModifier : Qt::NoModifier);
        focus = QApplication::focusWidget();
        names << (focus ? focus->objectName() : QStringLiteral("(no focus)"));
    }
    return names;
}

// Tab from the first of `chain` (found by name in `window`) visits the rest in order, and
// Shift+Tab from the last comes back the same way. Use with QCOMPARE on both results.
struct TabWalk
{
    QStringList forward;
    QStringList backward;
};

inline TabWalk walkBothWays(QWidget *window, const QStringList &chain, Here here = {})
{
    const qsizetype steps = chain.size() - 1;
    TabWalk walk;
    walk.forward = tabChain(findControl(window, chain.first(), here), steps);
    walk.backward = tabChain(findControl(window, chain.last(), here), steps, true);
    std::reverse(walk.backward.begin(), walk.backward.end());
    return walk;
}

// What walkBothWays should find for `chain`.
inline TabWalk expectedWalk(const QStringList &chain)
{
    return {chain.mid(1), chain.first(chain.size() - 1)};
}
