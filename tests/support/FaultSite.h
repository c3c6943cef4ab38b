#pragma once
// A direct-debit site for the tests of faults around a run: a workspace with export,
// report and accounting folders, the batch program's arguments, and what a whole run (or
// nothing) leaves on disk.
#include "support/BatchProcess.h"
#include "support/Workspace.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QThread>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace qvl::test {

// A direct-debit workspace: export folder beside the program, owners' own parameters.
struct Site {
    Workspace ws;

    explicit Site(const QString &exportPfad = {}, int owners = 20) : ws(owners)
    {
        QDir(ws.root()).mkdir(u"export"_qs);
        QDir(ws.root()).mkdir(u"berichte"_qs);
        QDir(ws.root()).mkdir(u"fibu"_qs);
        settings = demoSettings();
        settings.replaceInStrings(u"FibuZiel="_qs, u"FibuZiel="_qs + ws.root() + u"/fibu"_qs);
        settings << u"EinzelbuchungenDrucken=0"_qs; // the export folder holds the bank file alone
        settings.replaceInStrings(u"ExportPfad=C:\\SEPA\\Export\\"_qs,
                                  u"ExportPfad="_qs + (exportPfad.isEmpty() ? exportDir() : exportPfad));
        settings.replaceInStrings(u"BERECHNUNG=Formel"_qs, u"BERECHNUNG=QVL"_qs);
        settings.replaceInStrings(u"Fibu=DATEV-FIBU"_qs, u"Fibu="_qs);
        ws.writeSettings(settings);
        settingsAtStart = ws.settingsBytes();
    }
    QStringList settings;
    // Replaces the settings line of `key` (start-up reads it, not a --set).
    void setSetting(const QString &key, const QString &value)
    {
        for (QString &line : settings)
            if (line.startsWith(key + u'='))
                line = key + u'=' + value;
        ws.writeSettings(settings);
    }
    QByteArray settingsAtStart;
    QByteArray databaseAtStart;
    QByteArray databaseBytes() const
    {
        QFile file(ws.databaseFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString exportDir() const { return ws.root() + u"/export"_qs; }
    QStringList args(const QStringList &more) const
    {
        return QStringList{u"--program-dir"_qs, ws.programDir(), u"--now"_qs, u"2026-12-05T14:30:15"_qs,
                           u"--reports"_qs, ws.root() + u"/berichte"_qs} + more;
    }

    static QStringList files(const QString &dir)
    {
        return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    int count(const QString &sql) const
    {
        sqlite3 *db = nullptr;
        int n = -1;
        // Read-write, as the next start reads it: a journal a failed write left is rolled back.
        if (sqlite3_open_v2(ws.databaseFile().toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
            sqlite3_stmt *stmt = nullptr;
            if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK
                && sqlite3_step(stmt) == SQLITE_ROW)
                n = sqlite3_column_int(stmt, 0);
            sqlite3_finalize(stmt);
        }
        sqlite3_close(db);
        return n;
    }
    int storedFees(const QString &where = u"1 = 1"_qs) const
    {
        return count(u"select count(*) from PERSONAL_MG_BEITRAGE where "_qs + where);
    }
    // Every owner billed on 5 December 2026, as one run of both associations would leave it.
    void storeOneRunForEveryOwner() const
    {
        ws.execSql(u"insert into PERSONAL_MG_BEITRAGE (id_personal, jahr, betrag, datum_erstellt, typ) "
                   "select id_personal, '2026', 12.5, '2026-12-05 09:00:00', 'Mitgliedsbeitrag' "
                   "from personal where ifnull(sonstiger, 0) = 0 and ifnull(mandanten, 0) = 0"_qs);
    }

    // Takes one cell off a leaf page of the owners' table: every reader simply sees one
    // owner less, without any error.
    void damageOwnerPage() const
    {
        const int page = count(u"select rootpage from sqlite_master where name = 'personal'"_qs);
        const int pageSize = count(u"pragma page_size"_qs);
        QFile file(ws.databaseFile());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        qint64 at = qint64(page - 1) * pageSize;
        for (;;) {
            ASSERT_TRUE(file.seek(at));
            const QByteArray header = file.read(12);
            ASSERT_EQ(header.size(), 12);
            if (quint8(header[0]) == 0x0D)
                break;
            ASSERT_EQ(quint8(header[0]), 0x05) << "an interior table page leads to the leaves";
            const quint32 right = (quint8(header[8]) << 24) | (quint8(header[9]) << 16) | (quint8(header[10]) << 8)
                                  | quint8(header[11]);
            at = qint64(right - 1) * pageSize;
        }
        ASSERT_TRUE(file.seek(at + 3));
        const QByteArray cells = file.read(2);
        const int n = (quint8(cells[0]) << 8 | quint8(cells[1])) - 1;
        ASSERT_GT(n, 0);
        ASSERT_TRUE(file.seek(at + 3));
        const char count[2] = {char(n >> 8), char(n & 0xFF)};
        ASSERT_EQ(file.write(count, 2), 2);
    }
};

inline const QStringList kDebitFee1{u"--set"_qs, u"chkBeitrag(0)=1"_qs, u"--set"_qs, u"txtMindestbeitrag1=12,50"_qs};

inline const QString kBankFile = u"MB_Mitgliedsbeitrag_05122026T143015.xml"_qs;

// Files of a folder without the hidden ones.
inline QStringList visibleFiles(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

// Every file of a folder tree with its bytes: what "nothing changed" is compared by.
inline QMap<QString, QByteArray> tree(const QString &root)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        out.insert(file.fileName(), file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("?"));
    }
    return out;
}

inline QStringList hiddenFiles(const QString &dir)
{
    QStringList out;
    for (const QString &name : Site::files(dir))
        if (name.startsWith(u'.'))
            out.append(name);
    return out;
}

// A direct-debit run with DATEV files: bank file, slip and its CSV, accounting pair.
inline QStringList datevRun(Site &site)
{
    site.setSetting(u"Fibu"_qs, u"DATEV-FIBU"_qs);
    return site.args(kDebitFee1 + QStringList{u"--set"_qs, u"txtBankKonto=1200"_qs, u"--select-owners"_qs,
                                              u"1007,1013"_qs, u"run"_qs});
}

// A run the fault point stops with a kill: its exit code (-1 when killed).
inline int killedAt(const QStringList &args, const QString &point)
{
    const auto p = startBatch(args, {.environment = {u"QVL32_FAULT_POINT="_qs + point}});
    return finishBatch(*p).exitCode;
}

// Exactly the outputs of one run, each once, nothing hidden, the fees once.
inline void oneWholeRun(const Site &site)
{
    EXPECT_EQ(Site::files(site.exportDir()), QStringList{kBankFile});
    EXPECT_EQ(Site::files(site.ws.root() + u"/fibu"_qs),
              (QStringList{u"DATEV_BEITLA20261205_1.csv"_qs, u"DATEV_BEITLA_DEBKRED_20261205_1.csv"_qs}));
    EXPECT_EQ(Site::files(site.ws.root() + u"/berichte"_qs),
              (QStringList{u"Begleitzettel.csv"_qs, u"Begleitzettel.pdf"_qs}));
    EXPECT_EQ(site.storedFees(), 2);
    QFile file(site.exportDir() + u'/' + kBankFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray xml = file.readAll();
    EXPECT_EQ(xml.count("<DrctDbtTxInf>"), 2);
    EXPECT_TRUE(xml.trimmed().endsWith("</Document>"));
}


// Waits until a run held at a fault point's barrier (WAIT:GO) has reached it; false after
// 30 seconds.
inline bool heldAt(const QString &go)
{
    const QFileInfo barrier(go);
    const QString ready = barrier.fileName() + u".ready.*"_qs;
    for (int i = 0; i < 3000; ++i) {
        if (!QDir(barrier.absolutePath()).entryList({ready}, QDir::Files).isEmpty())
            return true;
        QThread::msleep(10);
    }
    return false;
}

} // namespace qvl::test
