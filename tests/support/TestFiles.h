#pragma once
// Whole files for tests, read and written in one go, and the fixture files.

#include <QByteArray>
#include <QFile>
#include <QString>

// The file's bytes; empty when it cannot be read.
inline QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A file of tests/fixtures, by its path there.
inline QString FixturePath(const QString &name)
{
    return QStringLiteral(TESSALUNE_FIXTURES "/") + name;
}

// Replaces the file's contents by bytes; false when it cannot be written whole.
inline bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

// Writes bytes as a file its owner may run, for copies of the program and puzzle executables.
inline bool WriteExecutable(const QString &path, const QByteArray &bytes)
{
    return WriteBytes(path, bytes) &&
           QFile::setPermissions(path,
                                 QFile::permissions(path) | QFile::ReadOwner | QFile::ExeOwner);
}
