#pragma once

#include "platform/lsblk_volumes.h"

#include <nlohmann/json.hpp>

#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

// Stands in for the machine's drives, which a test machine has no removable ones of: the
// volume queries are answered from a recorded `lsblk --json` output (tests/data/lsblk/), and
// the kernel's sysfs from a recorded tree (tests/data/sysfs/), never this machine's.
// The recordings mount their cards under /media/user; that folder is moved to a test folder
// and each mount point is made there, so that card files and folders are real.
// Link nlohmann_json::nlohmann_json to use it.
class FakeVolumeSource : public platform::LsblkVolumeSource
{
public:
    // `sysfsTree`: the machine of the recording; in "sd-slot", the one most recordings were
    // made on, mmcblk0 is an SD card in the computer's own slot.
    explicit FakeVolumeSource(const QString &sysfsTree = QStringLiteral("sd-slot"))
        : LsblkVolumeSource(sysfsTreePath(sysfsTree).toStdString())
    {}

    // Where a recorded sysfs tree is; a program that a test starts reads it as
    // $VELOMAR_SYSFS_ROOT.
    static QString sysfsTreePath(const QString &sysfsTree)
    {
        return QStringLiteral(VELOMAR_TEST_DATA "/sysfs/") + sysfsTree;
    }

    // Loads `recording` from the recordings folder; false when it cannot be read.
    bool load(const QString &recordingsFolder, const QString &recording, const QString &mountBase)
    {
        QFile file(recordingsFolder + QLatin1Char('/') + recording);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        std::string text = file.readAll().toStdString();
        const std::string from = "\"/media/user/";
        const QString base = QDir(mountBase).absolutePath();
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "\"" + text.
        std::string to = "\"";
        to += base.toStdString();
        to += '/';
        for (auto at = text.find(from); at != std::string::npos;
             at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
        output = text;

        const auto devices = platform::parseLsblkJson(output);
        if (!devices)
            return false;
        for (const platform::LsblkDevice &device : *devices) {
            if (QString::fromStdString(device.mountPoint).startsWith(base + QLatin1Char('/')))
                QDir().mkpath(QString::fromStdString(device.mountPoint));
        }
        return true;
    }

    // Pulls out a disk with its partitions, or a single partition: lsblk no longer lists it.
    void unplug(const std::string &deviceName)
    {
        nlohmann::json document = nlohmann::json::parse(output);
        removeDevice(document["blockdevices"], deviceName);
        output = document.dump(3);
    }

    // Another card is put into the slot of the partition `deviceName`, mounted where the old one
    // was: only its volume serial (lsblk's UUID) tells them apart.
    void swapCard(const std::string &deviceName, const std::string &uuid)
    {
        nlohmann::json document = nlohmann::json::parse(output);
        setUuid(document["blockdevices"], deviceName, uuid);
        output = document.dump(3);
    }

    static void setUuid(nlohmann::json &devices, const std::string &name, const std::string &uuid)
    {
        for (auto &device : devices) {
            if (device.value("name", std::string()) == name)
                device["uuid"] = uuid;
            if (device.contains("children"))
                setUuid(device["children"], name, uuid);
        }
    }

    // Takes the device `name` out of an lsblk device list, wherever it sits in the tree.
    static void removeDevice(nlohmann::json &devices, const std::string &name)
    {
        if (!devices.is_array())
            return;
        for (auto it = devices.begin(); it != devices.end();) {
            if (it->value("name", std::string()) == name) {
                it = devices.erase(it);
                continue;
            }
            if (it->contains("children"))
                removeDevice((*it)["children"], name);
            ++it;
        }
    }

    std::string output;                    // what lsblk prints
    bool lsblkFails = false;               // lsblk cannot be run
    std::optional<std::uint64_t> clusters; // what measuring a FAT volume gives
    int lsblkRuns = 0;

protected:
    std::optional<std::string> runLsblk() override
    {
        ++lsblkRuns;
        if (lsblkFails)
            return std::nullopt;
        return output;
    }

    std::optional<std::uint64_t> fatClusterCount(const std::string &) override { return clusters; }
};
