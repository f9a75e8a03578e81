#pragma once

// Faults of the medium for one test, through the injector preloaded into the test's process
// (velomar_test(... MEDIUM_FAULTS)); the programs the test runs inherit both the injector and
// the faults. Every fault ends with the object.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>

class MediumFaults
{
public:
    MediumFaults() { qputenv("VELOMAR_FAULT_RECORD", log().toLocal8Bit()); }
    ~MediumFaults()
    {
        for (const char *variable :
             {"VELOMAR_FAULT_FSYNC_EIO", "VELOMAR_FAULT_READ_FLIP", "VELOMAR_FAULT_RECORD",
              "VELOMAR_FAULT_PULL_ON_RENAME", "VELOMAR_FAULT_SIGINT_ON_FSYNC"})
            qunsetenv(variable);
    }
    MediumFaults(const MediumFaults &) = delete;
    MediumFaults &operator=(const MediumFaults &) = delete;

    // Whether the injector is in this process: without it no fault would happen, and a test
    // of a fault would pass for the wrong reason.
    static bool loaded() { return dlsym(RTLD_DEFAULT, "velomar_fault_injector_loaded"); }

    // fsync of every file or folder whose absolute path matches `pattern` fails with EIO.
    void failSync(const QString &pattern)
    {
        qputenv("VELOMAR_FAULT_FSYNC_EIO", pattern.toLocal8Bit());
    }
    // A read from the start of a matching file returns its first byte inverted.
    void flipReads(const QString &pattern)
    {
        qputenv("VELOMAR_FAULT_READ_FLIP", pattern.toLocal8Bit());
    }
    // Once a file is renamed to a path matching `pattern`, the file system mounted on
    // `mountPoint` is unmounted: another card was pulled out meanwhile, its folder left behind.
    void pullOnRename(const QString &pattern, const QString &mountPoint)
    {
        qputenv("VELOMAR_FAULT_PULL_ON_RENAME",
                (pattern + QLatin1Char('|') + mountPoint).toLocal8Bit());
    }
    // fsync of a file whose path matches `pattern` first sends its process SIGINT (Ctrl-C).
    void interruptSync(const QString &pattern)
    {
        qputenv("VELOMAR_FAULT_SIGINT_ON_FSYNC", pattern.toLocal8Bit());
    }
    void clear()
    {
        qunsetenv("VELOMAR_FAULT_FSYNC_EIO");
        qunsetenv("VELOMAR_FAULT_READ_FLIP");
        qunsetenv("VELOMAR_FAULT_PULL_ON_RENAME");
        qunsetenv("VELOMAR_FAULT_SIGINT_ON_FSYNC");
    }

    // The syncs and renames so far, in their order: "fsync PATH", "rename FROM TO".
    QList<QByteArray> calls() const
    {
        QFile file(log());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QList<QByteArray> lines = file.readAll().split('\n');
        lines.removeAll(QByteArray());
        return lines;
    }

private:
    QString log() const { return folder.filePath(QStringLiteral("calls")); }

    QTemporaryDir folder;
};
