// A DSN registered with the driver manager, as an office sets one up: here a private
// odbc.ini (ODBCINI, ODBCSYSINI) over the SQLite ODBC driver, so the whole way from the
// command line through unixODBC to the data runs for real.

#include "support/FileBytes.h"
#include "db/OdbcDataSources.h"
#include "support/BatchProcess.h"
#include "support/Workspace.h"

#include <QDir>
#include <QRegularExpression>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

const QString kSecret = u"Ge;heim99"_qs;

QString onlyFile(const QString &folder, const QString &pattern)
{
    const QStringList files = QDir(folder).entryList({pattern}, QDir::Files);
    return files.size() == 1 ? QDir(folder).filePath(files.first()) : QString();
}

// A workspace whose database the DSN "QvlSuite" names; a run goes to <root>/export.
class OdbcDataSource : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString library = registeredDriverLibrary(u"SQLite3"_qs);
        if (library.isEmpty())
            GTEST_SKIP() << "the SQLite ODBC driver is not registered";
        // The driver manager reads odbcinst.ini and the system DSNs from ODBCSYSINI, the
        // user's DSNs from ODBCINI. Nothing listens on port 9 of this machine.
        writeText(u"odbcinst.ini"_qs, u"[SQLite3]\nDriver="_qs + library + u"\n[FreeTDS]\nDriver="_qs
                                          + registeredDriverLibrary(u"FreeTDS"_qs) + u'\n');
        writeText(u"odbc.ini"_qs, u"[QuarvelTds]\nDriver=FreeTDS\nServer=127.0.0.1,9\nDatabase=FBG\n"
                                  u"TDS_Version=7.2\nClientCharset=ISO-8859-1\n"_qs);
        writeText(u"user-odbc.ini"_qs, u"[QvlSuite]\nDriver=SQLite3\nDatabase="_qs + ws.databaseFile() + u'\n');
        how.environment = {u"ODBCSYSINI="_qs + m_odbc.path(), u"ODBCINI="_qs + m_odbc.filePath(u"user-odbc.ini"_qs),
                           u"QVL32_SQL_USER=kasse"_qs, u"QVL32_SQL_PASSWORD="_qs + kSecret,
                           // Texts must arrive intact whatever the locale.
                           u"LC_ALL=C"_qs, u"LANG=C"_qs};

        QDir(ws.root()).mkdir(u"export"_qs);
        QStringList settings = demoSettings();
        settings.replaceInStrings(u"ExportPfad=C:\\SEPA\\Export\\"_qs, u"ExportPfad="_qs + ws.root() + u"/export"_qs);
        settings.replaceInStrings(u"BERECHNUNG=Formel"_qs, u"BERECHNUNG=QVL"_qs);
        settings.replaceInStrings(u"Fibu=DATEV-FIBU"_qs, u"Fibu="_qs);
        ws.writeSettings(settings);
        ws.execSql(u"update strings set Custom_German = 'Müll- und Wegeumlage' where id_string = 3020"_qs);
    }

    void writeText(const QString &name, const QString &text)
    {
        QFile file(m_odbc.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }

    BatchResult batch(const QString &connectionString, const QStringList &args)
    {
        return runBatch(QStringList{u"--program-dir"_qs, ws.programDir(), u"--now"_qs, u"2026-12-05T14:30:15"_qs,
                                    u"--command-line"_qs, connectionString}
                            + args,
                        how);
    }

    // Everything the program left where a password could leak: its output and its log.
    static void expectNoSecret(const BatchResult &r, const QString &logFile)
    {
        EXPECT_FALSE(r.out.contains(u"heim99"_qs)) << r.out.toStdString();
        EXPECT_FALSE(r.err.contains(u"heim99"_qs)) << r.err.toStdString();
        EXPECT_FALSE(fileBytes(logFile).contains("heim99"));
    }

    Workspace ws{12};
    BatchRun how;
    QString odbcFile(const QString &name) const { return m_odbc.filePath(name); }

private:
    QTemporaryDir m_odbc;
};

const QStringList kDebitFee1{u"--set"_qs, u"chkBeitrag(0)=1"_qs, u"--set"_qs, u"txtMindestbeitrag1=12,50"_qs};

} // namespace

TEST_F(OdbcDataSource, ADsnOpensAndARunReadsTheOwnersThroughIt)
{
    const QString cs = u"DSN=QvlSuite;UID=kasse;PWD={"_qs + kSecret + u'}';
    const QString log = ws.programDir() + u"/LogDatei.txt"_qs;

    BatchResult r = batch(cs, {u"dump"_qs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(u"\nstrConnectionString=DSN=QvlSuite;UID=kasse;PWD=***\n"_qs)) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(u"\nchkBeitrag(1).Caption=Müll- und Wegeumlage\n"_qs));
    expectNoSecret(r, log);

    // The same run once through the DSN, once on the embedded database the suite's INI
    // file names: the same owners give the same bank file.
    r = batch(cs, kDebitFee1 + QStringList{u"run"_qs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    expectNoSecret(r, log);
    const QString viaDsn = onlyFile(ws.root() + u"/export"_qs, u"MB_*.xml"_qs);
    ASSERT_FALSE(viaDsn.isEmpty());
    const QByteArray bankFile = fileBytes(viaDsn);
    EXPECT_TRUE(bankFile.contains("<NbOfTxs>")) << bankFile.left(2000).toStdString();

    Workspace same{12};
    QDir(same.root()).mkdir(u"export"_qs);
    QStringList settings = demoSettings();
    settings.replaceInStrings(u"ExportPfad=C:\\SEPA\\Export\\"_qs, u"ExportPfad="_qs + same.root() + u"/export"_qs);
    settings.replaceInStrings(u"BERECHNUNG=Formel"_qs, u"BERECHNUNG=QVL"_qs);
    settings.replaceInStrings(u"Fibu=DATEV-FIBU"_qs, u"Fibu="_qs);
    same.writeSettings(settings);
    const BatchResult embedded = runBatch(QStringList{u"--program-dir"_qs, same.programDir(), u"--now"_qs,
                                                      u"2026-12-05T14:30:15"_qs}
                                          + kDebitFee1 + QStringList{u"run"_qs});
    ASSERT_EQ(embedded.exitCode, 0) << embedded.err.toStdString();
    // Each run's message id is its own (its moment and random run id); the rest is the same.
    const auto withoutIds = [](QByteArray xml) {
        return QString::fromUtf8(xml).replace(QRegularExpression(u"QVL\\d{14}-[0-9a-f]{8}"_qs), u"QVL-ID"_qs);
    };
    EXPECT_EQ(withoutIds(bankFile), withoutIds(fileBytes(onlyFile(same.root() + u"/export"_qs, u"MB_*.xml"_qs))));

    // The fees were stored through the DSN as well.
    r = batch(cs, {u"list-runs"_qs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, u"2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026\n"_qs);
}

TEST_F(OdbcDataSource, AnUnknownDsnIsToldByNameWithoutThePassword)
{
    const BatchResult r = batch(u"DSN=Fehlt;UID=kasse;PWD={"_qs + kSecret + u'}', {u"dump"_qs});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(u"Die Verbindung zur ODBC-Datenquelle „Fehlt“ konnte nicht geöffnet werden."_qs))
        << r.err.toStdString();
    expectNoSecret(r, ws.programDir() + u"/LogDatei.txt"_qs);
}

// What the FreeTDS driver makes of each form, read from its own trace (TDSDUMP): the
// conversion it sets up, whatever the locale, the protocol version and the port. Without a
// server the connection is refused after that.
TEST_F(OdbcDataSource, FreeTdsConvertsUtf8WhateverTheLocale)
{
    if (registeredDriverLibrary(u"FreeTDS"_qs).isEmpty())
        GTEST_SKIP() << "the FreeTDS driver is not registered";
    const struct {
        const char16_t *given;
        const char *protocol;
    } cases[] = {
        // The suite's form, the environment's login in place of Windows authentication.
        {u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=FBG;Data Source=127.0.0.1,9", "7.4"},
        {u"Driver={FreeTDS};Server=127.0.0.1,9;TDS_Version=7.3;ClientCharset=ISO-8859-1", "7.3"},
        // A DSN keeps its version; its charset is replaced.
        {u"DSN=QuarvelTds", "7.2"},
    };
    for (const auto &c : cases) {
        const QString given = QString::fromUtf16(c.given);
        SCOPED_TRACE(given.toStdString());
        const QString trace = odbcFile(u"tds.log"_qs);
        QFile::remove(trace);
        BatchRun traced = how;
        traced.environment << u"TDSDUMP="_qs + trace;
        const BatchResult r = runBatch({u"--program-dir"_qs, ws.programDir(), u"--odbc-driver"_qs, u"FreeTDS"_qs,
                                        u"--command-line"_qs, given, u"dump"_qs},
                                       traced);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(u"[FreeTDS]"_qs)) << r.err.toStdString();
        expectNoSecret(r, ws.programDir() + u"/LogDatei.txt"_qs);
        const QByteArray tds = fileBytes(trace);
        EXPECT_TRUE(tds.contains("setting up conversions for client charset \"UTF-8\"")) << tds.toStdString();
        EXPECT_TRUE(tds.contains(QByteArray("Connecting with protocol version ") + c.protocol)) << tds.toStdString();
        EXPECT_TRUE(tds.contains("Connecting to 127.0.0.1 port 9")) << tds.toStdString();
    }
}
