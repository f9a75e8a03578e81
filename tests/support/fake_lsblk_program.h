#pragma once

#include "scoped_environment.h"

#include <QFile>
#include <QTemporaryDir>

#include <optional>

// An lsblk first on the PATH, while this lives, that prints the recorded output `recording`
// (a path): the machine's lsblk as the programs a test starts, and the editor's own scan, see
// it. The real sysfs, unless the test sets VELOMAR_SYSFS_ROOT.
class FakeLsblkProgram
{
public:
    explicit FakeLsblkProgram(const QString &recording)
    {
        QFile lsblk(bin.filePath(QStringLiteral("lsblk")));
        if (!bin.isValid() || !lsblk.open(QIODevice::WriteOnly))
            return;
        lsblk.write("#!/bin/sh\nexec cat '" + QFile::encodeName(recording) + "'\n");
        lsblk.close();
        if (!lsblk.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            return;
        path.emplace("PATH", QFile::encodeName(bin.path()) + ":/usr/bin:/bin");
    }

    bool ready() const { return path.has_value(); }
    // A folder of the test's own, for other files it needs.
    QString folder() const { return bin.path(); }

private:
    QTemporaryDir bin;
    std::optional<ScopedEnvironment> path;
};
