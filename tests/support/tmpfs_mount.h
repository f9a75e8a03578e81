#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

// A small tmpfs mounted on a fresh folder, standing in for a memory card that fills up or
// turns read-only. Mounting needs root; `mounted()` is false (with `error()` saying why)
// where that is not permitted, and tests skip.
class TmpfsMount
{
public:
    explicit TmpfsMount(const char *options = "size=64k")
    {
        if (!base.isValid()) {
            why = QStringLiteral("no temporary folder");
            return;
        }
        if (::mount("tmpfs", base.path().toLocal8Bit().constData(), "tmpfs", 0, options) != 0) {
            why = QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        isMounted = true;
    }
    ~TmpfsMount()
    {
        if (isMounted)
            ::umount2(base.path().toLocal8Bit().constData(), MNT_DETACH);
    }
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;

    bool mounted() const { return isMounted; }
    QString error() const { return why; }
    QString path() const { return base.path(); }
    QString filePath(const QString &name) const { return base.filePath(name); }

    // Fills the medium with one file until it reports "no space"; true when it did.
    bool fill(const QString &name = QStringLiteral("filler"))
    {
        const int fd =
            ::open(filePath(name).toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        const QByteArray chunk(4096, 'f');
        int error = 0;
        while (::write(fd, chunk.constData(), std::size_t(chunk.size())) >= 0) {
        }
        error = errno;
        ::close(fd);
        return error == ENOSPC;
    }

    bool remountReadOnly()
    {
        return ::mount("tmpfs", base.path().toLocal8Bit().constData(), "tmpfs",
                       MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    bool remountWritable()
    {
        return ::mount("tmpfs", base.path().toLocal8Bit().constData(), "tmpfs", MS_REMOUNT,
                       nullptr) == 0;
    }

private:
    QTemporaryDir base;
    bool isMounted = false;
    QString why;
};
