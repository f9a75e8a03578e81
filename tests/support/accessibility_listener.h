#pragma once

#include <QAccessible>
#include <QList>
#include <QPointer>
#include <QString>

// Stands in for a screen reader: switches Qt's accessibility on, as an assistive tool on the
// desktop does, and records what Qt tells it while this lives. Only one may live at a time.
class AccessibilityListener
{
public:
    struct Event
    {
        QAccessible::Event type;
        QPointer<QObject> object;
        int child = -1;
        QAccessible::State changed; // for QAccessible::StateChanged
    };

    AccessibilityListener();
    ~AccessibilityListener();
    AccessibilityListener(const AccessibilityListener &) = delete;
    AccessibilityListener &operator=(const AccessibilityListener &) = delete;

    const QList<Event> &events() const { return received; }
    void clear() { received.clear(); }
    // The children of `object` that were reported with `type` (and, for a state change, with
    // a change of `state`), in the order they came.
    QList<int> children(const QObject *object, QAccessible::Event type,
                        QAccessible::State state = {}) const;

private:
    static void record(QAccessibleEvent *event);
    QList<Event> received;
    QAccessible::UpdateHandler previous = nullptr;
};

// The accessible name of what `object` is, as a screen reader reads it.
QString accessibleName(QObject *object);
