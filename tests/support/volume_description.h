#pragma once

#include "platform/card_volumes.h"

#include <QString>
#include <QStringList>

// One mounted drive as the card scan sees it: "/media/user/TRAIL removable FAT32 [TRAIL]",
// followed by the volume serial where the system tells one.
inline QString describeDrive(platform::VolumeSource &source, const std::string &root)
{
    const auto volume = source.volumeInformation(root);
    const QString serial = volume ? QString::fromStdString(volume->serial) : QString();
    return QStringLiteral("%1 %2 %3 [%4]%5")
        .arg(QString::fromStdString(root),
             source.isRemovable(root) ? QStringLiteral("removable") : QStringLiteral("fixed"),
             volume ? QString::fromStdString(volume->fileSystemName) : QStringLiteral("?"),
             volume ? QString::fromStdString(volume->volumeName) : QString(),
             serial.isEmpty() ? QString() : QLatin1Char(' ') + serial);
}

// Every mounted drive of `source`, in its order.
inline QStringList describeDrives(platform::VolumeSource &source)
{
    QStringList drives;
    for (const std::string &root : source.candidateDrives())
        drives.append(describeDrive(source, root));
    return drives;
}
