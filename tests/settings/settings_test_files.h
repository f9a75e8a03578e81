#pragma once

// Helpers shared by the settings-file tests: the factory file spelt out byte by byte, and
// plain byte-level file access that does not go through the code under test.

#include "settings/settings_file.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace testfiles {

// The 234 bytes of a settings file holding the factory values.
inline QByteArray factoryFile()
{
    QByteArray core;
    core += QByteArray::fromHex("03004600");     // tag 3, size 70
    core += QByteArray::fromHex("0164");         // triggerFlags 0x6401
    core += QByteArray::fromHex("010a");         // pulseCount 1, pulseWindow 10
    core += QByteArray::fromHex("0300e8030000"); // 3 pictures, 1000 ms, quiet 0
    core += QByteArray(12, char(0xFF));          // trigger day schedule all on
    core += QByteArray::fromHex("00000500");     // time lapse off, 5 minutes
    core += QByteArray(12, char(0));             // time-lapse day schedule all off
    core += QByteArray::fromHex("40c01e008080"); // brightness .. saturation
    core += QByteArray(20, char(0));             // label
    core += QByteArray::fromHex("080000000000"); // optionFlags 8, no load time or date
    QByteArray dual = QByteArray::fromHex("0100320000") + QByteArray(1, char(0)) +
                      QByteArray(48, char(0xFF)); // tag 1, size 50, days 0, four schedules on
    QByteArray cellular = QByteArray::fromHex("00016600") + QByteArray(102, char(0));
    return core + dual + cellular;
}

// Puts a little-endian u16 at `offset`.
inline void put16(QByteArray &bytes, int offset, std::uint16_t value)
{
    bytes[offset] = char(value & 0xFF);
    bytes[offset + 1] = char(value >> 8);
}

inline std::uint16_t get16(const QByteArray &bytes, int offset)
{
    return std::uint16_t(std::uint8_t(bytes[offset]) | (std::uint8_t(bytes[offset + 1]) << 8));
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

// Every name in a folder, hidden ones too, sorted.
inline QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// Removes everything in a folder, keeping the folder.
inline bool emptyFolder(const QString &folder)
{
    for (const QString &name : folderEntries(folder)) {
        const QString entry = folder + QLatin1Char('/') + name;
        if (!(QFileInfo(entry).isDir() ? QDir(entry).removeRecursively() : QFile::remove(entry)))
            return false;
    }
    return true;
}

// The bytes WriteSettingsFile() writes for a record.
inline QByteArray settingsBytes(const CameraSettings &settings)
{
    const auto bytes = EncodeSettingsFile(settings);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

// Records the settings-file messages instead of showing them.
class RecordedMessages : public SettingsFileMessages
{
public:
    void ShowFileError(int messageId) override { ids.push_back(messageId); }
    std::vector<int> ids;
};

} // namespace testfiles
