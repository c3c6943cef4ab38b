#include "run/RunPreparation.h"

#include "run/RegisterStep.h"

#include "app/FrmDTA.h"
#include "text/Conversions.h"
#include "db/DatabaseCheck.h"
#include "base/FaultPoints.h"
#include "fees/AmountLimits.h"
#include "fees/FeeCalculation.h"
#include "fees/MemberQuery.h"
#include "run/MemberQueryFromForm.h"
#include "check/RunCheckBuilder.h"
#include "core/RunError.h"
#include "run/RunGuard.h"
#include "run/StartChecks.h"
#include "sepa/BookingSelection.h"
#include "sepa/RecordTransliteration.h"
#include "stored/YearComparison.h"

#include <QRegularExpression>

#include <future>

namespace qvl {

namespace {

// What the first half reads besides the owners: the database's quick check, and for the
// check before the run last year's stored fees (a direct-debit run stores them, so only it
// is compared) and the owners without a joining date (when pro rata bills by it). Read on
// a connection of its own in a second thread while the member query runs.
struct SideReading {
    bool compare = false;
    QString lastYear;
    QList<StoredYearFee> stored;
    QSet<long> withoutJoiningDate;
};

struct SideRequest {
    QString connectionString;
    DbOptions options;
    QString typ;
    std::optional<int> year;
    bool directDebit = false;
    bool proRata = false;
    std::optional<long> association;
};

SideReading readBeside(const SideRequest &r)
{
    SideReading reading;
    faultPoint("nebenbei-lesen");
    const std::unique_ptr<Database> db = Database::open(r.connectionString, r.options);
    // On the embedded database a damaged page would hide owners without any error.
    checkEmbeddedDatabase(*db);
    if (r.proRata)
        reading.withoutJoiningDate = ownersWithoutJoiningDate(*db);
    if (r.directDebit && r.year) {
        reading.compare = true;
        reading.lastYear = QString::number(*r.year - 1);
        reading.stored = storedFeesOfYear(*db, reading.lastYear, r.typ, r.association);
    }
    return reading;
}

SideRequest sideRequest(const FrmDTA &f, const RunInputs &run)
{
    // The same database and association as the member query beside it.
    const MemberQueryInputs query = memberQueryInputs(f);
    SideRequest r;
    r.connectionString = query.connectionString;
    r.options = query.connectionOptions;
    r.typ = f.strBeitragsText;
    r.year = run.firstBusinessYear;
    r.directDebit = run.directDebit();
    r.proRata = proRataByJoiningDate(run);
    r.association = query.association;
    return r;
}

// The member query, with the side reading beside it. A damaged database is told before
// anything the query found, as when the check ran first.
SideReading readOwners(FrmDTA &f, const RunInputs &run, Buchungen &records)
{
    std::future<SideReading> side = std::async(std::launch::async, readBeside, sideRequest(f, run));
    try {
        readMembers(f, run, records);
    } catch (...) {
        side.get(); // its failure, when there is one, says more
        throw;
    }
    return side.get();
}

void addComparison(const FrmDTA &f, const RunInputs &run, const Buchungen &records, SideReading &side,
                   RunCheckInputs &in)
{
    in.withoutJoiningDate = std::move(side.withoutJoiningDate);
    if (!run.directDebit()) {
        in.noComparison = u"Kein Vergleich mit dem Vorjahr: nur Lastschriftläufe speichern ihre Beiträge."_qs;
        return;
    }
    if (!side.compare) {
        in.noComparison = u"Kein Vergleich mit dem Vorjahr: das Wirtschaftsjahr „"_qs + run.businessYearText
                          + u"“ ist keine Jahreszahl."_qs;
        return;
    }
    // A run restricted to some owners is compared with what they paid.
    if (run.owners) {
        const QSet<long> numbers(run.owners->cbegin(), run.owners->cend());
        side.stored.removeIf([&](const StoredYearFee &fee) { return !numbers.contains(fee.nummer); });
    }
    // Owners the bank file leaves out pay by transfer; their fees are never stored.
    QSet<long> notDebited;
    for (const Buchung &b : records)
        if (!debitable(b))
            notDebited.insert(b.Id_Personal);
    in.comparison = compareWithYear(side.lastYear, f.strBeitragsText, side.stored, records,
                                    f.lVergleichAbweichungProzent, notDebited);
}

std::optional<PreparedRun> readAndCompute(FrmDTA &f, RunInputs inputs, const QString &exportPfad, RunReport &report)
{
    PreparedRun run;
    run.inputs = std::move(inputs);
    run.directDebit = run.inputs.directDebit();
    run.exportPfad = exportPfad;
    Buchungen &records = run.records;
    SideReading side = readOwners(f, run.inputs, records);
    stopIfInterrupted();
    if (records.empty()) {
        tell(f, u"Keine Waldbesitzer für Beitragsabrechnung vorhanden!"_qs);
        return std::nullopt;
    }
    RunCheckInputs in;
    in.read = int(records.size());
    // A refusal of the calculation or of the limits is the check's error: the clerk sees it
    // with the rest of the list (a price typed wrong shows in last year's comparison).
    try {
        CalcBeitraege(run.inputs, records, f.bRundeBeitrag, in.dropped);
    } catch (const RunError &e) {
        if (e.kind() != RunError::Kind::Input)
            throw;
        in.calculationRefused = e.message();
        records.clear();
        run.check = buildRunCheck(f, run.inputs, records, in);
        return run;
    }
    if (records.empty()) {
        tell(f, u"Beträge für alle (selektierten) Waldbesitzer sind 0!"_qs);
        return std::nullopt;
    }
    try {
        CheckBetraege(run.inputs, records);
    } catch (const RunError &e) {
        if (e.kind() != RunError::Kind::Input)
            throw;
        in.calculationRefused = e.message();
    }
    if (in.calculationRefused.isEmpty()) {
        report.billed = int(records.size());
        report.totalCent = sumOf(records, [](const Buchung &b) { return b.SummeCent; });
    }
    ReplaceUmlaute(records);
    stopIfInterrupted();
    addComparison(f, run.inputs, records, side, in);
    run.check = buildRunCheck(f, run.inputs, records, in);
    checkInvoiceNumbers(f, records, run.check);
    return run;
}

} // namespace

std::optional<PreparedRun> PrepareRun(FrmDTA &f, RunReport &report)
{
    f.strWaehrung = f.txtWaehrung.Text;
    BuildBeitragsText(f);
    const bool directDebit = f.LaoderRe[0].Value;
    report.directDebit = directDebit;
    const QString exportPfad = f.strExportPfad;
    if (!startChecksPass(f, directDebit, exportPfad, report))
        return std::nullopt;
    // From here on the run takes the form's values as read here, and nothing it reads
    // later can be a text no box would take.
    std::optional<RunInputs> inputs;
    try {
        inputs = readRunInputs(f);
    } catch (const RunError &e) {
        tell(f, e.message(), MsgIcon::None);
        report.outcome = RunOutcome::Stopped;
        return std::nullopt;
    }

    clearRunSignal();
    std::optional<PreparedRun> run;
    runGuarded(f, report, [&] { run = readAndCompute(f, std::move(*inputs), exportPfad, report); });
    if (report.outcome != RunOutcome::Completed)
        run.reset();
    return run;
}

} // namespace qvl
