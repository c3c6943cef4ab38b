#include "files/AnsiTextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>


namespace qvl {
namespace {

class AnsiTextFileTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return dir.filePath(name); }

    void writeBytes(const QString &file, const QByteArray &bytes) const
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    static QByteArray readBytes(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
};

struct ReadCase {
    const char *name;
    QByteArray bytes;
    QStringList lines;
};

class AnsiTextFileRead : public AnsiTextFileTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(AnsiTextFileRead, SplitsLines)
{
    const QString file = path(u"in.txt"_qs);
    writeBytes(file, GetParam().bytes);
    const auto lines = readAnsiLines(file);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    LineEnds, AnsiTextFileRead,
    ::testing::Values(
        ReadCase{"Empty", "", {}},
        ReadCase{"CrLf", "eins\r\nzwei\r\n", {u"eins"_qs, u"zwei"_qs}},
        ReadCase{"Lf", "eins\nzwei\n", {u"eins"_qs, u"zwei"_qs}},
        ReadCase{"LoneCr", "eins\rzwei\r", {u"eins"_qs, u"zwei"_qs}},
        ReadCase{"NoFinalLineEnd", "eins\r\nzwei", {u"eins"_qs, u"zwei"_qs}},
        ReadCase{"Mixed", "a\r\nb\nc\rd", {u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs}},
        ReadCase{"EmptyLinesKept", "a\r\n\r\n\nb\r\n\r\n", {u"a"_qs, u""_qs, u""_qs, u"b"_qs, u""_qs}},
        ReadCase{"OnlyLineEnd", "\r\n", {u""_qs}},
        ReadCase{"Cp1252", "M\xFCller;\x80 12,50\r\n", {u"Müller;€ 12,50"_qs}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(AnsiTextFileTest, ReadingMissingFileGivesNothing)
{
    EXPECT_FALSE(readAnsiLines(path(u"fehlt.txt"_qs)).has_value());
}

TEST_F(AnsiTextFileTest, AppendCreatesThenExtends)
{
    const QString file = path(u"log.txt"_qs);
    QString error;
    ASSERT_TRUE(appendAnsiLines(file, {u"Übertrag"_qs}, &error)) << error.toStdString();
    EXPECT_EQ(readBytes(file), QByteArray("\xDC" "bertrag\r\n"));

    ASSERT_TRUE(appendAnsiLines(file, {u"zwei"_qs, u"drei €"_qs}, &error)) << error.toStdString();
    EXPECT_EQ(readBytes(file), QByteArray("\xDC" "bertrag\r\nzwei\r\ndrei \x80\r\n"));
}

TEST_F(AnsiTextFileTest, AtomicWriteReplacesContentWithoutLeftovers)
{
    const QString file = path(u"buchungen.txt"_qs);
    writeBytes(file, "alter Inhalt, deutlich l\xE4nger als der neue\r\n");
    QString error;
    ASSERT_TRUE(writeAnsiFileAtomically(nullptr, file, {u"Straße"_qs, u""_qs, u"Ende"_qs}, &error))
        << error.toStdString();
    EXPECT_EQ(readBytes(file), QByteArray("Stra\xDF" "e\r\n\r\nEnde\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList{u"buchungen.txt"_qs});
}

TEST_F(AnsiTextFileTest, AtomicWriteOfNoLinesGivesEmptyFile)
{
    const QString file = path(u"leer.txt"_qs);
    writeBytes(file, "etwas\r\n");
    ASSERT_TRUE(writeAnsiFileAtomically(nullptr, file, {}));
    EXPECT_TRUE(readBytes(file).isEmpty());
    EXPECT_TRUE(QFile::exists(file));
}

TEST_F(AnsiTextFileTest, WritesToImpossiblePathsFailWithMessage)
{
    // A missing folder, and a "folder" that is a regular file: both fail for root too.
    const QString blocker = path(u"kein_ordner"_qs);
    const QByteArray blockerBytes = "bleibt \x80\r\n";
    writeBytes(blocker, blockerBytes);
    for (const QString &file : {path(u"fehlt/datei.txt"_qs), blocker + u"/datei.txt"_qs}) {
        for (const bool atomic : {false, true}) {
            SCOPED_TRACE(file.toStdString() + (atomic ? " atomic" : " append"));
            QString error;
            const bool ok = atomic ? writeAnsiFileAtomically(nullptr, file, {u"x"_qs}, &error)
                                   : appendAnsiLines(file, {u"x"_qs}, &error);
            EXPECT_FALSE(ok);
            EXPECT_TRUE(error.startsWith(u"Die Datei „"_qs + QDir::toNativeSeparators(file)
                                         + u"“ konnte nicht geschrieben werden: "_qs))
                << error.toStdString();
            EXPECT_GT(error.size(), error.indexOf(u": "_qs) + 2) << "reason missing";
            EXPECT_FALSE(QFile::exists(file));
        }
    }
    EXPECT_EQ(readBytes(blocker), blockerBytes);
}

} // namespace
} // namespace qvl
