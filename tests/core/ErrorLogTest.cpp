#include "core/ErrorLog.h"

#include "base/Clock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;

namespace {

QByteArray logBytes(const QTemporaryDir &dir)
{
    QFile file(QDir(dir.path()).filePath(u"LogDatei.txt"_qs));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(ErrorLog, FirstErrorCreatesTheFileLaterOnesAppend)
{
    QTemporaryDir dir;
    FixedClock clock(QDateTime(QDate(2026, 3, 5), QTime(9, 3, 7)));
    ASSERT_FALSE(QFile::exists(logFilePath(dir.path())));

    ASSERT_TRUE(WriteLog(dir.path(), clock, u"0042 Müller Hans IBAN hat nicht die erforderliche Länge. DE12"_qs));
    clock.set(QDateTime(QDate(2026, 12, 24), QTime(18, 45, 59)));
    ASSERT_TRUE(WriteLog(dir.path(), clock, u"Es sind 1 Fehler von gesamt 3 Buchungen aufgetreten."_qs));

    // Windows-1252, CR LF, nothing between the parts.
    EXPECT_EQ(logBytes(dir), QByteArray("2026.03.05 - 09:03:07;0042 M\xfcller Hans IBAN hat nicht die erforderliche "
                                        "L\xe4nge. DE12\r\n"
                                        "2026.12.24 - 18:45:59;Es sind 1 Fehler von gesamt 3 Buchungen aufgetreten.\r\n"));
}

TEST(ErrorLog, EmptyMessagesAndTheSameSecondEachGiveALine)
{
    QTemporaryDir dir;
    const FixedClock clock(QDateTime(QDate(2026, 12, 5), QTime(14, 30, 15)));
    // A file the user emptied is appended to like any other.
    QFile(logFilePath(dir.path())).open(QIODevice::WriteOnly);

    ASSERT_TRUE(WriteLog(dir.path(), clock, QString()));
    ASSERT_TRUE(WriteLog(dir.path(), clock, u"zweite"_qs));
    EXPECT_EQ(logBytes(dir), QByteArray("2026.12.05 - 14:30:15;\r\n2026.12.05 - 14:30:15;zweite\r\n"));
}

TEST(ErrorLog, UnwritableLocationReturnsFalseWithAGermanText)
{
    QTemporaryDir dir;
    const FixedClock clock(QDateTime(QDate(2026, 12, 5), QTime(14, 30, 15)));

    // The log's name taken by a folder, and a program folder that does not exist.
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"LogDatei.txt"_qs));
    for (const QString &programDir : {dir.path(), QDir(dir.path()).filePath(u"fehlt"_qs)}) {
        QString error;
        EXPECT_FALSE(WriteLog(programDir, clock, u"x"_qs, &error));
        EXPECT_TRUE(error.startsWith(u"Die Log-Datei konnte nicht ergänzt werden."_qs)) << error.toStdString();
        EXPECT_TRUE(error.contains(u"LogDatei.txt"_qs)) << error.toStdString();
    }
    EXPECT_FALSE(WriteLog(dir.path(), clock, u"x"_qs));
}
