// What the program asks of the operating system for its files, the same on Linux and on
// Windows: naming without replacing, the writer's lock, syncing, a file's identity, drives.
#include "os/FileNaming.h"
#include "os/Paths.h"
#include "os/TemporaryFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qvl {
namespace {

class FileSystemSeam : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(fehlt)");
    }
};

TEST_F(FileSystemSeam, NamingNeverReplacesAndTellsWhatHappened)
{
    const QString hidden = write(u".Dtaus0.xml.qvl32.Ab12Cd"_qs, "neu");
    const QString taken = write(u"Dtaus0.xml"_qs, "alt");
    EXPECT_EQ(renameWithoutReplacing(hidden, taken), Renamed::Taken);
    EXPECT_EQ(contents(taken), "alt");
    EXPECT_EQ(contents(hidden), "neu");

    const QString free = dir.filePath(u"Dtaus0_2.xml"_qs);
    EXPECT_EQ(renameWithoutReplacing(hidden, free), Renamed::Done);
    EXPECT_EQ(contents(free), "neu");
    EXPECT_FALSE(QFile::exists(hidden));
    EXPECT_EQ(renameWithoutReplacing(hidden, dir.filePath(u"Dtaus0_3.xml"_qs)), Renamed::SourceGone);

    // Replacing is only for the files meant to be replaced.
    const QString report = write(u".Liste.pdf.qvl32.Zz99Yy"_qs, "zweite");
    EXPECT_EQ(renameReplacing(report, taken), Renamed::Done);
    EXPECT_EQ(contents(taken), "zweite");
}

TEST_F(FileSystemSeam, AWritersLockIsSeenByOthersAndGoesWithItsHandle)
{
    const QString path = write(u".Rechnungen.pdf.qvl32.Qw34Er"_qs, "Seite");
    EXPECT_FALSE(inUse(path));
    {
        QFile writer(path);
        ASSERT_TRUE(writer.open(QIODevice::ReadWrite));
        ASSERT_TRUE(lockWhileWriting(writer.handle()));
        EXPECT_TRUE(inUse(path));
        // The lock keeps no reader from the bytes: the run's later steps read what it wrote.
        EXPECT_EQ(contents(path), "Seite");
        EXPECT_EQ(removeAbandonedTemporaries(dir.path(), {u"Rechnungen\\.pdf"_qs}), QStringList());
        EXPECT_TRUE(QFile::exists(path));
    }
    EXPECT_FALSE(inUse(path));
    EXPECT_EQ(removeAbandonedTemporaries(dir.path(), {u"Rechnungen\\.pdf"_qs}), QStringList{path});
    EXPECT_FALSE(inUse(dir.filePath(u"fehlt.pdf"_qs)));
}

TEST_F(FileSystemSeam, SyncingAWrittenFileReachesTheDisk)
{
    QFile file(dir.filePath(u"Dtaus0.csv"_qs));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    ASSERT_EQ(file.write("1;2\r\n"), 5);
    QString reason;
    EXPECT_TRUE(syncFileToDisk(file.handle(), &reason)) << reason.toStdString();
    EXPECT_TRUE(syncFileToDisk(file.handle(), &reason, true)) << reason.toStdString();
    EXPECT_TRUE(syncFolder(dir.path()));
}

TEST_F(FileSystemSeam, AFilesIdentityFollowsTheFileNotItsPathOrItsCopy)
{
    const QString path = write(u"sepa.sqlite"_qs, "Datenbank");
    const QString identity = fileIdentity(path);
    ASSERT_FALSE(identity.isEmpty());
    // Another spelling of the same path (separators, a detour through the folder).
    EXPECT_EQ(fileIdentity(QDir::toNativeSeparators(dir.path() + u"/./"_qs + u"sepa.sqlite"_qs)), identity);
    ASSERT_TRUE(QFile::copy(path, dir.filePath(u"kopie.sqlite"_qs)));
    EXPECT_NE(fileIdentity(dir.filePath(u"kopie.sqlite"_qs)), identity);
    // Renamed, it is still the same file.
    ASSERT_TRUE(QFile::rename(path, dir.filePath(u"umbenannt.sqlite"_qs)));
    EXPECT_EQ(fileIdentity(dir.filePath(u"umbenannt.sqlite"_qs)), identity);
    EXPECT_TRUE(fileIdentity(path).isEmpty());
}

TEST(WindowsDrive, LettersAndSharesOfAnyPath)
{
    EXPECT_EQ(windowsDrive(u"C:\\SEPA\\export"_qs), u"C:"_qs);
    EXPECT_EQ(windowsDrive(u"d:/fibu"_qs), u"d:"_qs);
    EXPECT_EQ(windowsDrive(u"A:"_qs), u"A:"_qs);
    EXPECT_EQ(windowsDrive(u"\\\\server\\waldverwaltung\\SEPA"_qs), u"\\\\server\\waldverwaltung"_qs);
    EXPECT_EQ(windowsDrive(u"//server/waldverwaltung"_qs), u"\\\\server\\waldverwaltung"_qs);
    EXPECT_EQ(windowsDrive(u"\\\\server"_qs), QString());
    EXPECT_EQ(windowsDrive(u"export\\"_qs), QString());
    EXPECT_EQ(windowsDrive(u"/home/kasse"_qs), QString());
}

} // namespace
} // namespace qvl
