#include "gui_test.h"

#include <QRegularExpression>
#include <QTest>

void GuiTest::init()
{
    QStringList allowed = allowedWarnings();
    // The offscreen platform has no window manager to pass a window's minimum and maximum
    // size to; it says so whenever a shown window's size limits change. A desktop gets them.
    allowed << QStringLiteral("This plugin does not support propagateSizeHints()");
    // A refused character shows its cue as a tool tip, and a tool tip window is raised above
    // the others; the offscreen platform stacks no windows and says so.
    allowed << QStringLiteral("This plugin does not support raise()");
    QStringList alternatives;
    for (const QString &warning : allowed)
        alternatives << QRegularExpression::escape(warning);
    // Every warning but the allowed ones, matched whole.
    QTest::failOnWarning(QRegularExpression(
        QStringLiteral("^(?!(?:%1)$)").arg(alternatives.join(QLatin1Char('|')))));
}
