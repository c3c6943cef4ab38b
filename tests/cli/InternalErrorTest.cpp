// An exception of no kind the program expects, thrown on each thread and in each step of a
// run (the fault point's THROW): the run ends with "Interner Fehler" and exit 1 after its
// usual clean-up — no fee stored, no file named, no hidden file left — never with a crash.
#include "base/InternalError.h"
#include "support/BatchProcess.h"
#include "support/Workspace.h"

#include <QDir>
#include <QDirIterator>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdexcept>
#include <thread>

using namespace qvl;
using namespace qvl::test;

namespace {

// A direct-debit run with fee notices, e-invoices for the businesses, mails for the owners
// with an address (their e-invoice, or their letter taken out of the letters) and DATEV
// files: every thread of a run has work.
struct FullRun {
    Workspace ws{12};

    FullRun()
    {
        for (const char16_t *dir : {u"export", u"berichte", u"fibu"})
            QDir(ws.root()).mkdir(QString::fromUtf16(dir));
        QStringList settings = demoSettings();
        settings.replaceInStrings(u"ExportPfad=C:\\SEPA\\Export\\"_qs, u"ExportPfad="_qs + ws.root() + u"/export"_qs);
        settings.replaceInStrings(u"FibuZiel="_qs, u"FibuZiel="_qs + ws.root() + u"/fibu"_qs);
        settings.replaceInStrings(u"BERECHNUNG=Formel"_qs, u"BERECHNUNG=QVL"_qs);
        settings << u"EMailVersand=Alle mit E-Mail-Adresse"_qs << u"EMailAbsender=info@fbg-hochwald.de"_qs;
        ws.writeSettings(settings);
        ws.execSql(u"update personal set Email = case when id_personal % 3 = 0 then null "
                   "else 'wb' || Nummer || '@example.org' end"_qs);
        ws.execSql(u"update personal_free set BOXFREE3 = case when id_personal % 2 = 0 then 1 else 0 end"_qs);
    }

    BatchResult run(const QString &faultPoint = {}) const
    {
        BatchRun how;
        if (!faultPoint.isEmpty())
            how.environment << u"QVL32_FAULT_POINT="_qs + faultPoint + u":THROW"_qs;
        return runBatch({u"--program-dir"_qs, ws.programDir(), u"--now"_qs, u"2026-12-05T14:30:15"_qs, u"--reports"_qs,
                         ws.root() + u"/berichte"_qs, u"--yes"_qs, u"--set"_qs, u"chkBeitrag(0)=1"_qs, u"--set"_qs,
                         u"txtMindestbeitrag1=12,50"_qs, u"--set"_qs, u"chkRechnung=1"_qs, u"--set"_qs,
                         u"chkERechnung=1"_qs, u"--set"_qs, u"strERechnung=Unternehmer"_qs, u"--set"_qs,
                         u"strFibu=DATEV-FIBU"_qs, u"--set"_qs, u"txtBankKonto=1200"_qs, u"run"_qs},
                        how);
    }

    // Every file below the workspace's output folders.
    QStringList outputs() const
    {
        QStringList files;
        for (const char16_t *dir : {u"export", u"berichte", u"fibu"}) {
            QDirIterator it(ws.root() + u'/' + QString::fromUtf16(dir), QDir::Files | QDir::Hidden,
                            QDirIterator::Subdirectories);
            while (it.hasNext())
                files << it.next().mid(ws.root().size() + 1);
        }
        files.sort();
        return files;
    }

    int count(const char *sql) const
    {
        sqlite3 *db = nullptr;
        int n = -1;
        if (sqlite3_open_v2(ws.databaseFile().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt *stmt = nullptr;
            if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
                n = sqlite3_column_int(stmt, 0);
            sqlite3_finalize(stmt);
        }
        sqlite3_close(db);
        return n;
    }
};

class ThrownIn : public ::testing::TestWithParam<const char *> {};

} // namespace

// The same run without a fault makes every kind of output, so each point below is reached.
TEST(InternalError, TheRunOfTheseTestsReachesEveryThread)
{
    const FullRun site;
    const BatchResult r = site.run();
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList files = site.outputs();
    EXPECT_FALSE(files.filter(u"export/"_qs).isEmpty()) << files.join(u' ').toStdString();
    EXPECT_FALSE(files.filter(u"E-Rechnungen/"_qs).isEmpty()) << files.join(u' ').toStdString();
    EXPECT_FALSE(files.filter(u"E-Mails/"_qs).isEmpty()) << files.join(u' ').toStdString();
    EXPECT_FALSE(files.filter(u"fibu/DATEV"_qs).isEmpty()) << files.join(u' ').toStdString();
    EXPECT_GT(site.count("select count(*) from PERSONAL_MG_BEITRAGE"), 0);
}

TEST_P(ThrownIn, EndsTheRunWithAMessageAndLeavesNothing)
{
    const FullRun site;
    const QString point = QString::fromLatin1(GetParam());
    const BatchResult r = site.run(point);
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(u"Interner Fehler: Testausnahme am Punkt "_qs + point)) << r.err.toStdString();
    // Aborted, not crashed: the run's clean-up ran and nothing of it is left, not even hidden.
    EXPECT_EQ(site.outputs(), QStringList{});
    EXPECT_EQ(site.count("select count(*) from PERSONAL_MG_BEITRAGE"), 0);
    EXPECT_LE(site.count("select count(*) from QVL32_LAUF_DATEIEN"), 0); // -1: not made yet
    // The next start finds nothing to finish or to take back.
    const BatchResult next = runBatch({u"--program-dir"_qs, site.ws.programDir(), u"dump"_qs});
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    EXPECT_FALSE(next.err.contains(u"zurückgenommen"_qs)) << next.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Batch, ThrownIn,
    ::testing::Values(
        "nebenbei-lesen",        // the first half's second connection (std::async)
        "sepa-pruefen",          // the bank file's schema check, a thread of its own
        "datei-im-hintergrund",  // the bank file's writer thread
        "e-rechnungen-zerlegen", // the e-invoices' qpdf thread
        "neue-datei",            // the threads writing e-invoices and mails
        "briefe-malen",          // the mails' letters, painted on the run's thread
        "briefe-zerlegen",       // the mails' letters, taken apart on a thread of their own
        "fibu-datei",            // a step on the run's thread
        "register-geschrieben"), // the last step before the commit
    [](const auto &info) {
        std::string name = info.param;
        std::erase(name, '-');
        return name;
    });

TEST(InternalError, EveryKindOfExceptionIsToldWithWhatIsKnown)
{
    const auto text = [](auto thrown) {
        try {
            thrown();
        } catch (...) {
            return internalErrorText(std::current_exception());
        }
        return QString();
    };
    EXPECT_EQ(text([] { throw std::logic_error("Index 7 außerhalb"); }), u"Interner Fehler: Index 7 außerhalb"_qs);
    EXPECT_EQ(text([] { throw std::bad_alloc(); }),
              u"Interner Fehler: Der Arbeitsspeicher reicht nicht aus."_qs);
    EXPECT_EQ(text([] { throw 42; }), u"Interner Fehler: eine unbekannte Ausnahme."_qs);

    // A thread's failure reaches the one that joins it, once.
    ThreadFailure failure;
    std::thread([&] { failure.guard([] { throw std::runtime_error("im Thread"); }); }).join();
    EXPECT_TRUE(failure.failed());
    EXPECT_THROW(failure.rethrow(), std::runtime_error);
    EXPECT_NO_THROW(failure.rethrow());
}
