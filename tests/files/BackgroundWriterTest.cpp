#include "files/BackgroundWriter.h"

#include <QBuffer>
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

// Like a file on a disk that fills up: takes part of a write without an error, then fails.
class FillingDevice : public QIODevice {
public:
    explicit FillingDevice(qint64 room) : m_room(room) { open(QIODevice::WriteOnly); }
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 size) override
    {
        if (m_room == 0) {
            setErrorString(u"Kein freier Speicherplatz"_qs);
            return -1;
        }
        const qint64 taken = std::min(size, m_room);
        m_room -= taken;
        return taken;
    }

private:
    qint64 m_room;
};

TEST(BackgroundWriter, AFailedWriteIsReportedByFinishWithItsReason)
{
    FillingDevice device(1000);
    BackgroundWriter writer(device);
    writer.write(QByteArray(3 << 20, 'x'));
    writer.write("more");
    QString error;
    EXPECT_FALSE(writer.finish(&error));
    EXPECT_EQ(error, u"Kein freier Speicherplatz"_qs);
}
