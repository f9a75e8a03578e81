#include "accessibility_listener.h"

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace {
AccessibilityListener *current = nullptr;

// Qt sends nothing until the platform says that a tool listens; offscreen nothing does, so the
// test says it, as Qt's own tests do.
void setListening(bool on)
{
    if (QPlatformAccessibility *platform =
            QGuiApplicationPrivate::platformIntegration()->accessibility())
        platform->setActive(on);
}

bool sameStates(const QAccessible::State &wanted, const QAccessible::State &changed)
{
    return (!wanted.checked || changed.checked) && (!wanted.focused || changed.focused);
}
} // namespace

AccessibilityListener::AccessibilityListener()
{
    if (current)
        qFatal("two accessibility listeners at once");
    current = this;
    previous = QAccessible::installUpdateHandler(&AccessibilityListener::record);
    setListening(true);
    if (!QAccessible::isActive())
        qFatal("Qt's accessibility did not switch on");
}

AccessibilityListener::~AccessibilityListener()
{
    setListening(false);
    QAccessible::installUpdateHandler(previous);
    current = nullptr;
}

void AccessibilityListener::record(QAccessibleEvent *event)
{
    Event copy{event->type(), event->object(), event->child(), {}};
    if (event->type() == QAccessible::StateChanged)
        copy.changed = static_cast<QAccessibleStateChangeEvent *>(event)->changedStates();
    current->received.append(copy);
}

QList<int> AccessibilityListener::children(const QObject *object, QAccessible::Event type,
                                           QAccessible::State state) const
{
    QList<int> out;
    for (const Event &e : received) {
        if (e.object == object && e.type == type &&
            (type != QAccessible::StateChanged || sameStates(state, e.changed)))
            out.append(e.child);
    }
    return out;
}

QString accessibleName(QObject *object)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Name) : QString();
}
