#include "cards/card_watch.h"

#include "platform/card_volumes.h"

#include <QSocketNotifier>

CardWatch::CardWatch(platform::VolumeSource &volumes, QObject *parent)
    : QObject(parent), volumes(volumes)
{
    const int descriptor = volumes.eventDescriptor();
    if (descriptor < 0)
        return;
    notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &CardWatch::takeNews);
}

bool CardWatch::listening() const
{
    return notifier && notifier->isEnabled();
}

void CardWatch::takeNews()
{
    const bool changed = volumes.dispatchEvents();
    // A source that lost its connection would leave the descriptor readable for ever.
    if (volumes.eventDescriptor() < 0)
        notifier->setEnabled(false);
    if (changed)
        emit volumesChanged();
}
