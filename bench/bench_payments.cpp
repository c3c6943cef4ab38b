// Times reading and matching a year's bank statement against the register: a camt.053
// file of ENTRIES entries (default 10,000: batch credits, returns, transfers named by
// invoice number, by IBAN and amount, by name and amount, unrelated bookings) against
// DOCUMENTS registered documents (default 100,000), then applying it. Reading streams the
// file through the schema check. Then a statement of LARGE megabytes (default 200) is read,
// matched and applied as the batch program does it, streamed part by part, in a process of
// its own, so that its peak memory is its own.
// Usage: qvl32-bench-payments [ENTRIES] [DOCUMENTS] [LARGE]
//        qvl32-bench-payments --stream STATEMENT DATABASE   (the large statement's process)
#include "bank/ApplyMatches.h"
#include "bank/CamtReader.h"
#include "bank/Matching.h"
#include "bank/StatementImport.h"
#include "bench/BenchSupport.h"
#include "db/Database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

using namespace qvl;

namespace {

QString iban(qint64 n)
{
    return u"DE00"_qs + QString::number(n).rightJustified(18, u'0');
}

QList<RegisteredDocument> documents(int count)
{
    QList<RegisteredDocument> all;
    all.reserve(count);
    for (int i = 0; i < count; ++i) {
        RegisteredDocument d;
        d.number = 100001 + i;
        d.kind = i % 2 ? DocumentKind::Invoice : DocumentKind::FeeNotice;
        d.idPersonal = i + 1;
        d.nummer = 1000 + i;
        d.name = u"Waldbesitzer"_qs + QString::number(i) + u" Vorname"_qs;
        d.date = QDate(2026, 12, 6);
        d.due = QDate(2026, 12, 28);
        d.way = i % 2 ? PaymentWay::Transfer : PaymentWay::DirectDebit;
        d.mandate = d.way == PaymentWay::DirectDebit ? u"M"_qs + QString::number(i) : QString();
        d.iban = iban(i);
        d.grossCents = 2000 + (i % 977) * 5;
        d.run = u"2026 Mitgliedsbeitrag"_qs;
        d.batchId = d.way == PaymentWay::DirectDebit ? u"B"_qs + QString::number(i / 5000) : QString();
        all.append(d);
    }
    return all;
}

QByteArray entryXml(int k, const QList<RegisteredDocument> &docs)
{
    const RegisteredDocument &d = docs[qsizetype(qint64(k) * 7919 % docs.size())];
    const auto amount = [](qint64 c) {
        return QByteArray::number(c / 100) + '.' + QByteArray::number(c % 100).rightJustified(2, '0');
    };
    const QByteArray head = "<Ntry><Amt Ccy=\"EUR\">";
    const QByteArray date = "<Sts><Cd>BOOK</Cd></Sts><BookgDt><Dt>2027-01-15</Dt></BookgDt><AcctSvcrRef>R"
                            + QByteArray::number(k) + "</AcctSvcrRef>";
    const QByteArray code = "<BkTxCd><Domn><Cd>PMNT</Cd><Fmly><Cd>RCDT</Cd><SubFmlyCd>ESCT</SubFmlyCd></Fmly></Domn>"
                            "</BkTxCd>";
    switch (k % 5) {
    case 0: // a return of a debit
        if (d.way == PaymentWay::DirectDebit)
            return head + amount(d.grossCents) + "</Amt><CdtDbtInd>DBIT</CdtDbtInd>" + date + code
                   + "<NtryDtls><TxDtls><Refs><EndToEndId>" + d.mandate.toUtf8() + "</EndToEndId></Refs>"
                   + "<AmtDtls><InstdAmt><Amt Ccy=\"EUR\">" + amount(d.grossCents)
                   + "</Amt></InstdAmt></AmtDtls><RtrInf><Rsn><Cd>AC04</Cd></Rsn></RtrInf></TxDtls></NtryDtls></Ntry>\n";
        [[fallthrough]];
    case 1: // the invoice number in the remittance text
        return head + amount(d.grossCents) + "</Amt><CdtDbtInd>CRDT</CdtDbtInd>" + date + code
               + "<NtryDtls><TxDtls><RmtInf><Ustrd>Beitrag 2026 RE " + QByteArray::number(d.number)
               + "</Ustrd></RmtInf></TxDtls></NtryDtls></Ntry>\n";
    case 2: // IBAN and amount
        return head + amount(d.grossCents) + "</Amt><CdtDbtInd>CRDT</CdtDbtInd>" + date + code
               + "<NtryDtls><TxDtls><RltdPties><DbtrAcct><Id><IBAN>" + d.iban.toUtf8()
               + "</IBAN></Id></DbtrAcct></RltdPties><RmtInf><Ustrd>Beitrag</Ustrd></RmtInf></TxDtls></NtryDtls></Ntry>\n";
    case 3: // name and amount
        return head + amount(d.grossCents) + "</Amt><CdtDbtInd>CRDT</CdtDbtInd>" + date + code
               + "<NtryDtls><TxDtls><RltdPties><Dbtr><Pty><Nm>" + d.name.toUtf8()
               + "</Nm></Pty></Dbtr></RltdPties></TxDtls></NtryDtls></Ntry>\n";
    default: // unrelated
        return head + "17.30</Amt><CdtDbtInd>DBIT</CdtDbtInd>" + date + code + "<AddtlNtryInf>Kontoführung</AddtlNtryInf></Ntry>\n";
    }
}

// Entries until the file holds `entries` of them or, with `megabytes`, that many megabytes.
bool writeStatement(const QString &path, int entries, const QList<RegisteredDocument> &docs, int megabytes = 0)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:"
            "camt.053.001.08\"><BkToCstmrStmt><GrpHdr><MsgId>J</MsgId><CreDtTm>2027-01-31T18:00:00</CreDtTm>"
            "</GrpHdr><Stmt><Id>1</Id><Acct><Id><IBAN>DE02120300000000202051</IBAN></Id></Acct><Bal><Tp><CdOrPrtry>"
            "<Cd>CLBD</Cd></CdOrPrtry></Tp><Amt Ccy=\"EUR\">0.00</Amt><CdtDbtInd>CRDT</CdtDbtInd><Dt><Dt>2027-01-31"
            "</Dt></Dt></Bal>\n");
    const qint64 bytes = qint64(megabytes) * 1048576;
    for (int k = 0; megabytes > 0 ? f.pos() < bytes : k < entries; ++k)
        f.write(entryXml(k, docs));
    f.write("</Stmt></BkToCstmrStmt></Document>\n");
    return true;
}

// The large statement streamed into the register as `bank-import --yes` does it.
int streamLarge(const QString &statement, const QString &database)
{
    const std::unique_ptr<Database> db = Database::open(u"Provider=SQLite;Data Source="_qs + database);
    QElapsedTimer t;
    t.start();
    const double cpu = bench::cpuSeconds();
    StatementImportRequest request;
    request.paths = {statement};
    request.apply = true;
    const StatementImport imported = importStatements(*db, request, [](Matching &) {});
    if (!imported.refused.isEmpty() || !imported.applied) {
        std::fprintf(stderr, "%s\n", qPrintable(imported.refused.join(u'\n')));
        return 1;
    }
    std::printf("large statement         %.1f MB, %d entries read, matched and applied in %lld ms wall, %.2f s CPU "
                "(%d entries, %d payments recorded)\n",
                QFileInfo(statement).size() / 1048576.0, imported.entries, static_cast<long long>(t.elapsed()),
                bench::cpuSeconds() - cpu, imported.applied->entries, imported.applied->payments);
    // The process's own high-water mark: getrusage's would still hold the parent's from
    // before the exec.
    double peak = 0;
    QFile status(u"/proc/self/status"_qs);
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                peak = line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    std::printf("large statement peak    %.1f MB (target < 100 MB)\n", peak);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--stream") == 0)
        return streamLarge(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    const int entries = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int count = argc > 2 ? std::atoi(argv[2]) : 100000;
    const int largeMegabytes = argc > 3 ? std::atoi(argv[3]) : 200;
    QTemporaryDir dir;
    const QList<RegisteredDocument> docs = documents(count);
    const QString database = dir.filePath(u"register.sqlite"_qs);
    QFile(database).open(QIODevice::WriteOnly); // an empty file is a new embedded database
    QElapsedTimer t;
    t.start();
    {
        const std::unique_ptr<Database> db = Database::open(u"Provider=SQLite;Data Source="_qs + database);
        Transaction transaction(*db);
        // The suite's stored fees, which a returned debit's apply changes.
        db->run(u"create table PERSONAL_MG_BEITRAGE (id_personal integer, r_name text, datum_bezahlt text)"_qs);
        registerDocuments(*db, docs);
        transaction.commit();
    }
    const qint64 registerMs = t.elapsed();
    // The large statement goes into a register of its own, as it stands before any apply.
    const QString largeDatabase = dir.filePath(u"register-gross.sqlite"_qs);
    QFile::copy(database, largeDatabase);
    const QString small = dir.filePath(u"auszug.xml"_qs);
    const QString large = dir.filePath(u"auszug-gross.xml"_qs);
    if (!writeStatement(small, entries, docs) || !writeStatement(large, 0, docs, largeMegabytes))
        return 1;
    const double before = bench::peakMegabytes();

    t.restart();
    const double cpuBefore = bench::cpuSeconds();
    const std::unique_ptr<Database> db = Database::open(u"Provider=SQLite;Data Source="_qs + database);
    const QList<RegisteredDocument> registered = readDocuments(*db);
    const QList<RecordedPayment> payments = readPayments(*db);
    const EntryKeys read = keysRead(*db);
    const qint64 registerReadMs = t.elapsed();
    const double cpuRegister = bench::cpuSeconds() - cpuBefore;
    t.restart();
    CamtReading reading = readCamtFiles({small});
    const qint64 readMs = t.elapsed();
    const double cpuRead = bench::cpuSeconds() - cpuBefore - cpuRegister;
    t.restart();
    const Matching matching = matchEntries(std::move(reading.entries), registered, payments, read);
    const qint64 matchMs = t.elapsed();
    const double cpuReadMatch = bench::cpuSeconds() - cpuBefore;
    const double afterSmall = bench::peakMegabytes();
    if (!reading.refused.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(reading.refused.join(u'\n')));
        return 1;
    }

    t.restart();
    double cpuApply = bench::cpuSeconds();
    const ApplyResult applied = applyMatching(*db, matching);
    const qint64 applyMs = t.elapsed();
    cpuApply = bench::cpuSeconds() - cpuApply;

    std::printf("documents registered    %d in %lld ms\n", count, static_cast<long long>(registerMs));
    std::printf("register read           %lld ms wall, %.2f s CPU\n", static_cast<long long>(registerReadMs),
                cpuRegister);
    std::printf("statement read          %lld ms wall, %.2f s CPU (%lld entries, %.1f MB, schema checked)\n",
                static_cast<long long>(readMs), cpuRead, static_cast<long long>(matching.entries.size()),
                QFileInfo(small).size() / 1048576.0);
    std::printf("matching                %lld ms wall, %.2f s CPU (%d batch, %d returned, %d paid, %d partly, %d over, "
                "%d ambiguous, %d unmatched)\n",
                static_cast<long long>(matchMs), cpuReadMatch - cpuRegister - cpuRead,
                matching.count(MatchKind::BatchCredit), matching.count(MatchKind::Returned),
                matching.count(MatchKind::Paid), matching.count(MatchKind::PartlyPaid),
                matching.count(MatchKind::OverPaid), matching.count(MatchKind::Ambiguous),
                matching.count(MatchKind::Unmatched));
    std::printf("read and match          %lld ms wall, %.2f s CPU (target < 1 s CPU)\n",
                static_cast<long long>(registerReadMs + readMs + matchMs), cpuReadMatch);
    std::printf("apply                   %lld ms wall, %.2f s CPU (%d entries, %d payments; target < 1 s)\n",
                static_cast<long long>(applyMs), cpuApply, applied.entries, applied.payments);
    std::printf("peak memory             %.1f MB before, %.1f MB after reading and matching\n", before, afterSmall);
    std::fflush(stdout);

    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), {u"--stream"_qs, large, largeDatabase});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        return 1;
    return 0;
}
