#include "platform/BackgroundWriter.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;

TEST(BackgroundWriter, WritesEverythingInOrderAcrossManyChunks)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QByteArray expected;
    {
        BackgroundWriter writer(buffer);
        for (int i = 0; i < 200000; ++i) {
            const QByteArray piece = QByteArray::number(i) + "\r\n";
            expected += piece;
            writer.write(piece);
        }
        QString error;
        EXPECT_TRUE(writer.finish(&error));
        EXPECT_TRUE(error.isEmpty());
    }
    EXPECT_EQ(buffer.data(), expected);
}

TEST(BackgroundWriter, AFailedWriteIsReportedByFinish)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(u"x.txt"_qs));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)); // writes fail
    BackgroundWriter writer(file);
    writer.write(QByteArray(3 << 20, 'x'));
    writer.write("more");
    QString error;
    EXPECT_FALSE(writer.finish(&error));
    EXPECT_FALSE(error.isEmpty());
}
