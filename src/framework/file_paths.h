#pragma once

#include <QFile>
#include <QString>

#include <filesystem>

// Between Qt's strings and the standard library's paths, in the file system's own encoding.
inline std::filesystem::path toFilePath(const QString &path)
{
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

inline QString fromFilePath(const std::filesystem::path &path)
{
#ifdef _WIN32
    return QString::fromStdWString(path.wstring());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
#endif
}
