#pragma once
// A file's bytes as the tests read and plant them.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

namespace qvl::test {

// The whole file; empty when it is missing.
inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes the file anew with these bytes.
inline void putFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

} // namespace qvl::test
