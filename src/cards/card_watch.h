#pragma once

#include <QObject>

class QSocketNotifier;

namespace platform {
class VolumeSource;
}

// Brings a volume source's news (cards inserted, pulled, mounted; answers to mounts) onto the
// GUI thread, inside whatever event loop runs, the card dialogs' modal ones included. A source
// that hears of nothing makes a watch that never fires.
class CardWatch : public QObject
{
    Q_OBJECT

public:
    explicit CardWatch(platform::VolumeSource &volumes, QObject *parent = nullptr);

    // Whether news can still come.
    bool listening() const;

signals:
    // The cards may have come, gone, been mounted or unmounted: time to scan again.
    void volumesChanged();

private:
    void takeNews();

    platform::VolumeSource &volumes;
    QSocketNotifier *notifier = nullptr;
};
