#pragma once

#include "platform/card_volumes.h"

#include <QString>
#include <QStringList>

// One mounted drive as the card scan sees it: "/media/user/TRAIL removable FAT32 [TRAIL]".
inline QString describeDrive(platform::VolumeSource &source, const std::string &root)
{
    const auto volume = source.volumeInformation(root);
    return QStringLiteral("%1 %2 %3 [%4]")
        .arg(QString::fromStdString(root),
             source.isRemovable(root) ? QStringLiteral("removable") : QStringLiteral("fixed"),
             volume ? QString::fromStdString(volume->fileSystemName) : QStringLiteral("?"),
             volume ? QString::fromStdString(volume->volumeName) : QString());
}

// Every mounted drive of `source`, in its order.
inline QStringList describeDrives(platform::VolumeSource &source)
{
    QStringList drives;
    for (const std::string &root : source.candidateDrives())
        drives.append(describeDrive(source, root));
    return drives;
}
