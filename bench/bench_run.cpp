// Times the phases of a fee run on a demo database: creating the database, the member
// query, the fee calculation and the transliteration; then the whole first half of a
// direct-debit run (start checks, the database's quick check, query, calculation, limits,
// transliteration, the check before the run with last year's comparison) against query and
// calculation alone, and its parts: the comparison (one grouped query over last year's
// stored fees of every owner) and the check list; then the whole direct-debit run and what
// the register of the run's documents adds to it; last, a direct-debit run with every
// output at once — fee notices, e-invoices, the e-mail outbox and DATEV files — on the
// same database (its run's write transaction and the letters' reads share one connection).
// Reports the peak memory.
// Usage: qvl32-bench-run [OWNERS]   (default 100000)
#include "app/RunInputs.h"
#include "bench/BenchSupport.h"
#include "db/DatabaseCheck.h"
#include "os/HeadlessGui.h"
#include "fees/FeeCalculation.h"
#include "run/MemberQueryFromForm.h"
#include "run/RegisterStep.h"
#include "run/RunDriver.h"
#include "check/RunCheckBuilder.h"
#include "run/RunPreparation.h"
#include "sepa/RecordTransliteration.h"
#include "stored/YearComparison.h"

#include <QGuiApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <cstdio>

using namespace qvl;

namespace {

long long ms(qint64 v)
{
    return static_cast<long long>(v);
}

// Last year's run of the same fee, as a typical association has it: most owners paid what
// they pay now, one in fifty 40 % less (a changed price or area), one in a hundred is new,
// and some owners paid last year who are not billed now.
void storeLastYear(FrmDTA &form, const Buchungen &records)
{
    const std::unique_ptr<Database> db = Database::open(form.strConnectionString, form.connectionOptions);
    Transaction transaction(*db);
    QSqlQuery insert = db->prepare(u"insert into PERSONAL_MG_BEITRAGE (id_personal, jahr, betrag, datum_erstellt, typ) "
                                   "values (?, '2025', ?, '2025-12-01 10:00:00', substr(?, 1, 50))"_qs);
    QSet<long> billed;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Buchung &b = records[i];
        billed.insert(b.Id_Personal);
        if (i % 100 == 7)
            continue;
        insert.bindValue(0, qlonglong(b.Id_Personal));
        insert.bindValue(1, (i % 50 == 3 ? 1.4 : 1.0) * double(b.SummeCent.cents()) / 100);
        insert.bindValue(2, form.strBeitragsText);
        Database::exec(insert);
    }
    QSqlQuery owners = db->run(u"select id_personal from personal"_qs);
    for (int n = 0; owners.next();) {
        const long id = long(owners.value(0).toLongLong());
        if (billed.contains(id) || n++ % 20 != 0)
            continue;
        insert.bindValue(0, qlonglong(id));
        insert.bindValue(1, 25.0);
        insert.bindValue(2, form.strBeitragsText);
        Database::exec(insert);
    }
    transaction.commit();
}

} // namespace

int main(int argc, char **argv)
{
    prepareHeadlessGui(); // the run shows its accompanying slip
    QGuiApplication app(argc, argv);
    const int owners = argc > 1 ? std::atoi(argv[1]) : 100000;
    const QString exportDir = QDir::tempPath() + u'/';
    bench::BenchProgram program(owners, {u"ExportPfad="_qs + exportDir, u"FBGVersion=Falsch"_qs, u"BERECHNUNG=QVL"_qs,
                                         u"RundeBeitrag1=Wahr"_qs, u"Verwendungszweck=Jahresbeitrag 2026"_qs,
                                         u"Firmenname=FBG Hochwald"_qs, u"Bank=Waldbank"_qs,
                                         u"Bankleitzahl=COBADEFFXXX"_qs, u"Kontonummer=DE89370400440532013000"_qs,
                                         u"GlaubigerID=DE98ZZZ09999999999"_qs, u"EinzelbuchungenDrucken=0"_qs});
    if (!program.form)
        return 1;
    FrmDTA &form = *program.form;
    const qint64 demoMs = program.demoMilliseconds;
    QElapsedTimer t;
    for (int k = 0; k < kFeeSlots; ++k) {
        form.chkBeitrag[k].Value = 1;
        form.txtMwst[k].Text = k == 1 ? u"19"_qs : QString();
    }
    form.txtMindestbeitrag[0].Text = u"15"_qs;
    form.txtWirtschaftsjahr.Text = u"2026"_qs;
    form.txtFaellDat.Text = u"21.12.2026"_qs;
    BuildBeitragsText(form);

    // Today's query and calculation.
    Buchungen records;
    t.start();
    readMembers(form, readRunInputs(form), records);
    const qint64 queryMs = t.elapsed();
    const size_t read = records.size();
    t.restart();
    std::vector<DroppedOwner> dropped;
    CalcBeitraege(readRunInputs(form), records, form.bRundeBeitrag, dropped);
    const qint64 calcMs = t.elapsed();
    t.restart();
    ReplaceUmlaute(records);
    const qint64 translitMs = t.elapsed();
    storeLastYear(form, records);

    // The parts the check adds, on the same records.
    t.restart();
    checkEmbeddedDatabase(*form.SQLConn);
    const qint64 quickCheckMs = t.elapsed();
    t.restart();
    QList<StoredYearFee> stored;
    {
        const std::unique_ptr<Database> db = Database::open(form.strConnectionString, form.connectionOptions);
        stored = storedFeesOfYear(*db, u"2025"_qs, form.strBeitragsText);
    }
    const YearComparison comparison = compareWithYear(u"2025"_qs, form.strBeitragsText, stored, records, 25);
    const qint64 comparisonMs = t.elapsed();
    t.restart();
    RunCheckInputs inputs;
    inputs.read = int(read);
    inputs.dropped = dropped;
    inputs.comparison = comparison;
    const RunCheck check = buildRunCheck(form, readRunInputs(form), records, inputs);
    const qint64 checkListMs = t.elapsed();

    // The whole first half as the start button runs it.
    records.clear();
    records.shrink_to_fit();
    t.restart();
    RunReport report;
    const std::optional<PreparedRun> run = PrepareRun(form, report);
    const qint64 firstHalfMs = t.elapsed();
    if (!run) {
        std::fprintf(stderr, "the first half stopped\n");
        return 1;
    }

    // The whole direct-debit run (both halves, bank file, stored fees, the register of its
    // documents in the run's transaction), then the register alone: the same documents
    // built and inserted once more in a transaction of their own (numbered past the run's).
    t.restart();
    const RunReport whole = cmdStart_Click(form);
    const qint64 wholeRunMs = t.elapsed();
    if (!whole.bankFile.isEmpty())
        QFile::remove(whole.bankFile);
    qint64 documentsMs = 0;
    qint64 registerMs = 0;
    {
        // The run registers on its own connection, inside its transaction: neither is timed.
        const std::unique_ptr<Database> db = Database::open(form.strConnectionString, form.connectionOptions);
        Transaction transaction(*db);
        t.restart();
        QList<RegisteredDocument> documents =
            runDocuments(form, run->inputs, run->records, true, {}, u"10011"_qs, {u"MB_bench.xml"_qs});
        documentsMs = t.elapsed();
        for (RegisteredDocument &d : documents)
            d.number += 500000000;
        registerDocuments(*db, documents);
        transaction.commit();
        registerMs = t.elapsed();
    }
    t.restart();
    RunCheck numbersChecked;
    checkInvoiceNumbers(form, run->records, numbersChecked);
    const qint64 numberCheckMs = t.elapsed();

    // A run with every output, for the next business year (no repeated-run question).
    QTemporaryDir accounting;
    form.txtWirtschaftsjahr.Text = u"2027"_qs;
    form.txtFaellDat.Text = u"21.12.2027"_qs;
    form.chkRechnung.Value = 1;
    form.chkERechnung.Value = 1;
    form.strERechnung = u"Unternehmer"_qs;
    form.mail.mode = MailMode::AlleMitAdresse;
    form.mail.sender = u"info@fbg-hochwald.de"_qs;
    form.chkEMail.Value = 1;
    form.strFibu = u"DATEV-FIBU"_qs;
    form.Dir1.Path = accounting.path();
    form.txtBankKonto.Text = u"1200"_qs;
    t.restart();
    const RunReport everything = cmdStart_Click(form);
    const qint64 everythingMs = t.elapsed();
    for (const QString &file : everything.outputs)
        QFile::remove(file);

    const qint64 baseMs = queryMs + calcMs;
    std::printf("owners in database      %d\n", owners);
    std::printf("demo database created   %lld ms\n", ms(demoMs));
    std::printf("member query            %lld ms (%zu records)\n", ms(queryMs), read);
    std::printf("fee calculation         %lld ms (%zu records kept)\n", ms(calcMs), read - dropped.size());
    std::printf("transliteration         %lld ms\n", ms(translitMs));
    std::printf("query+calc+translit     %lld ms\n", ms(baseMs + translitMs));
    std::printf("database quick check    %lld ms\n", ms(quickCheckMs));
    std::printf("comparison with 2025    %lld ms (1 grouped query: %lld owners stored; %lld gone, %lld new, "
                "%lld changed by more than 25 %%)\n",
                ms(comparisonMs), static_cast<long long>(stored.size()), static_cast<long long>(comparison.gone.size()),
                static_cast<long long>(comparison.added.size()), static_cast<long long>(comparison.changed.size()));
    std::printf("check list              %lld ms (%lld findings)\n", ms(checkListMs),
                static_cast<long long>(check.items.size()));
    std::printf("first half (PrepareRun) %lld ms = %.2f x query+calc (target <= 1.5)\n", ms(firstHalfMs),
                baseMs > 0 ? double(firstHalfMs) / double(baseMs) : 0.0);
    std::printf("whole direct-debit run  %lld ms (%lld debits, the register included)\n", ms(wholeRunMs),
                static_cast<long long>(whole.debits));
    std::printf("register of the run     %lld ms (%zu documents) = %.1f %% of the rest of the run (target < 10 %%)\n",
                ms(registerMs), run->records.size(),
                wholeRunMs > registerMs ? 100.0 * double(registerMs) / double(wholeRunMs - registerMs) : 0.0);
    std::printf("  documents built         %lld ms, inserted and committed %lld ms\n", ms(documentsMs),
                ms(registerMs - documentsMs));
    std::printf("invoice numbers checked %lld ms\n", ms(numberCheckMs));
    std::printf("run with every output   %lld ms (%s: %lld debits, %d mails, %lld files; fee notices, "
                "e-invoices, outbox, DATEV)\n",
                ms(everythingMs), everything.outcome == RunOutcome::Completed ? "completed" : "NOT completed",
                static_cast<long long>(everything.debits), everything.mailed,
                static_cast<long long>(everything.outputs.size()));
    std::printf("peak memory             %.1f MB\n", bench::peakMegabytes());
    return 0;
}
