#pragma once

// Helpers shared by every test that handles files: the factory file spelt out byte by byte,
// plain byte-level file access that does not go through the code under test, and a temporary
// folder that is the current folder while a test runs.

#include "framework/file_paths.h"
#include "settings/settings_file.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

namespace testfiles {

inline CameraSettings factorySettings()
{
    CameraSettings settings;
    settings.ResetAll();
    return settings;
}

// The 234 bytes a settings file holds for `settings`.
inline QByteArray settingsFileBytes(const CameraSettings &settings)
{
    const auto bytes = EncodeSettingsFile(settings);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

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

// tests/data/settings/every-field-distinct.cfg: a 234-byte settings file in which every field
// holds a value of its own, so that two fields swapped anywhere between the bytes and the
// record show. Written by hand from the file layout, not by the program.
inline QString everyFieldDistinctFile()
{
    return QStringLiteral(VELOMAR_TEST_DATA "/settings/every-field-distinct.cfg");
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

// Makes `path` the current folder while it lives: the editor reads and writes its carrier
// files and the user guide there by their bare names.
class CurrentFolder
{
public:
    explicit CurrentFolder(const QString &path) : previous(QDir::currentPath())
    {
        QDir::setCurrent(path);
    }
    ~CurrentFolder() { QDir::setCurrent(previous); }
    CurrentFolder(const CurrentFolder &) = delete;
    CurrentFolder &operator=(const CurrentFolder &) = delete;

private:
    QString previous;
};

// A fresh temporary folder that is the current folder while it lives.
class WorkFolder
{
public:
    WorkFolder() : current(folder.path()) {}

    QString path() const { return folder.path(); }
    QString filePath(const QString &name) const { return folder.filePath(name); }
    [[nodiscard]] bool write(const QString &name, const QByteArray &bytes) const
    {
        return writeBytes(filePath(name), bytes);
    }
    QByteArray read(const QString &name) const { return readBytes(filePath(name)); }

private:
    QTemporaryDir folder;
    CurrentFolder current;
};

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

// Records the settings-file messages instead of showing them.
class RecordedMessages : public SettingsFileMessages
{
public:
    void ShowFileError(int messageId) override { ids.push_back(messageId); }
    std::vector<int> ids;
};

} // namespace testfiles
