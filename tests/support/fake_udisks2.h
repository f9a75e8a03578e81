#pragma once

#include "scoped_environment.h"

#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <optional>

// A UDisks2 for tests, which no test machine has: fake_udisks2.py (python-dbusmock) on a
// private bus of its own, never the machine's. While the fake lives, DBUS_SYSTEM_BUS_ADDRESS
// points this process, and the programs it starts, at that bus. The recorded trees mount
// their cards under /media/user; here that is mountBase(), where each card is a real folder.
// Compile with VELOMAR_FAKE_UDISKS2 (the script) and VELOMAR_UDISKS2_TREES (the trees folder).
class FakeUDisks2
{
public:
    // `service`: "answers", "none" (a bus without UDisks2) or "hangs".
    explicit FakeUDisks2(const QString &service = QStringLiteral("answers"))
    {
        if (!mounts.isValid())
            return;
        fake.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        fake.start(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral(VELOMAR_FAKE_UDISKS2), QStringLiteral("--mount-base"),
                    mounts.path(), QStringLiteral("--service"), service});
        address = readLine();
        if (started())
            busAddress.emplace("DBUS_SYSTEM_BUS_ADDRESS", address);
    }

    ~FakeUDisks2()
    {
        busAddress.reset();
        fake.closeWriteChannel();
        if (!fake.waitForFinished(10000)) {
            fake.kill();
            fake.waitForFinished();
        }
    }

    FakeUDisks2(const FakeUDisks2 &) = delete;
    FakeUDisks2 &operator=(const FakeUDisks2 &) = delete;

    // The bus is up (and UDisks2 on it, unless the service is "none").
    bool started() const { return address.startsWith("unix:"); }
    QString mountBase() const { return mounts.path(); }
    QString mountPoint(const QString &name) const { return mounts.filePath(name); }

    // A recorded tree from the trees folder replaces the fake's objects, on cards as empty as
    // its mount points; Mount succeeds.
    bool load(const QString &tree)
    {
        QDir cards(mounts.path());
        for (const QString &card : cards.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            QDir(cards.filePath(card)).removeRecursively();
        return command("load " + QStringLiteral(VELOMAR_UDISKS2_TREES "/") + tree);
    }
    bool plug(const QString &device) { return command("plug " + device); }
    bool unplug(const QString &device) { return command("unplug " + device); }
    // `device` is pulled out and another card, told apart only by its volume serial, goes into
    // its slot.
    bool swap(const QString &device, const QString &serial)
    {
        return command("swap " + device + ' ' + serial);
    }
    // A card with the volume serial `serial` and label `label` goes into the slot of `device`,
    // after the one in it was pulled out; nobody has mounted it.
    bool insert(const QString &device, const QString &serial, const QString &label)
    {
        return command("insert " + device + ' ' + serial + ' ' + label);
    }
    // The desktop mounts the file system on `block` ("sdb1"), as it does on insertion.
    bool desktopMount(const QString &block) { return command("desktop-mount " + block); }
    // How Mount answers from now on: success, not-authorized, dismissed, error,
    // already-mounted.
    bool answerMount(const QString &how) { return command("answer " + how); }
    // From now on the desktop mounts a card `seconds` after it is plugged in (0: never).
    bool automount(double seconds) { return command("automount " + QString::number(seconds)); }
    // UDisks2 stops answering from now on, as a daemon that hangs; later commands fail.
    bool hang() { return command(QStringLiteral("hang")); }
    // The devices that were unmounted, in order ("/dev/sdb1"), each followed by "(asking)"
    // where the caller let the system ask the user for a password.
    QString unmounted()
    {
        fake.write("unmounted\n");
        const QByteArray answer = readLine();
        if (!answer.startsWith("ok"))
            lastError = answer;
        return QString::fromUtf8(answer.mid(3));
    }

    // What the last command that failed said.
    QByteArray lastError;

private:
    bool command(const QString &line)
    {
        fake.write(line.toUtf8() + '\n');
        const QByteArray answer = readLine();
        if (answer == "ok")
            return true;
        lastError = answer;
        return false;
    }

    QByteArray readLine()
    {
        while (!fake.canReadLine()) {
            if (fake.state() == QProcess::NotRunning || !fake.waitForReadyRead(30000))
                return "error: the fake UDisks2 did not answer";
        }
        return fake.readLine().trimmed();
    }

    QTemporaryDir mounts;
    QProcess fake;
    QByteArray address;
    std::optional<ScopedEnvironment> busAddress;
};
