#include "run/RunPreparation.h"

#include "app/FrmDTA.h"
#include "platform/Conversions.h"
#include "platform/DatabaseCheck.h"
#include "run/AmountLimits.h"
#include "run/FeeCalculation.h"
#include "run/MemberQuery.h"
#include "run/RunCheckBuilder.h"
#include "run/RunError.h"
#include "run/RunGuard.h"
#include "run/StartChecks.h"
#include "sepa/RecordTransliteration.h"
#include "sepa/YearComparison.h"

#include <QRegularExpression>

namespace qvl {

namespace {

// The business year as a number: a bare year ("2026") or the year of a date.
std::optional<int> businessYear(const QString &text)
{
    static const QRegularExpression bareYear(u"^[0-9]{4}$"_qs);
    const QString trimmed = text.trimmed();
    if (bareYear.match(trimmed).hasMatch())
        return trimmed.toInt();
    if (const std::optional<QDateTime> date = parseDate(trimmed))
        return date->date().year();
    return std::nullopt;
}

// The owner numbers of a restricted run ("(1001,1002)"); empty for all owners.
QSet<long> selectedNumbers(const QString &strWBIN)
{
    QSet<long> numbers;
    static const QRegularExpression number(u"-?[0-9]+"_qs);
    for (const QRegularExpressionMatch &m : number.globalMatch(strWBIN))
        numbers.insert(m.captured().toLong());
    return numbers;
}

// What the check needs from the database besides the owners: last year's stored fees
// (a direct-debit run stores them, so only it is compared) and the owners without a
// joining date (when pro rata bills by it).
void readCheckData(const FrmDTA &f, const Buchungen &records, RunCheckInputs &in)
{
    const bool directDebit = f.LaoderRe[0].Value;
    const bool proRata = f.chkBeitrag[0].Value == 1 && f.rbEinstellung[2].Value && f.chkAnteiligeBerechnung.Value == 1;
    const std::optional<int> year = businessYear(f.txtWirtschaftsjahr.Text);
    if (!directDebit)
        in.noComparison = u"Kein Vergleich mit dem Vorjahr: nur Lastschriftläufe speichern ihre Beiträge."_qs;
    else if (!year)
        in.noComparison = u"Kein Vergleich mit dem Vorjahr: das Wirtschaftsjahr „"_qs + f.txtWirtschaftsjahr.Text
                          + u"“ ist keine Jahreszahl."_qs;
    if (!proRata && (!directDebit || !year))
        return;
    const std::unique_ptr<Database> db = Database::open(f.strConnectionString, f.connectionOptions);
    if (proRata)
        in.withoutJoiningDate = ownersWithoutJoiningDate(*db);
    if (!directDebit || !year)
        return;
    const QString lastYear = QString::number(*year - 1);
    QList<StoredYearFee> stored = storedFeesOfYear(
        *db, lastYear, f.strBeitragsText, f.bFBGVersion ? std::optional<long>(f.GetFBGNr()) : std::nullopt);
    // A run restricted to some owners is compared with what they paid.
    if (!f.strWBIN.isEmpty()) {
        const QSet<long> numbers = selectedNumbers(f.strWBIN);
        stored.removeIf([&](const StoredYearFee &fee) { return !numbers.contains(fee.nummer); });
    }
    in.comparison = compareWithYear(lastYear, f.strBeitragsText, stored, records, f.lVergleichAbweichungProzent);
}

std::optional<PreparedRun> readAndCompute(FrmDTA &f, bool directDebit, const QString &exportPfad, RunReport &report)
{
    if (f.SQLConn)
        checkEmbeddedDatabase(*f.SQLConn);
    PreparedRun run;
    run.directDebit = directDebit;
    run.exportPfad = exportPfad;
    Buchungen &records = run.records;
    RunMemberQuery(f, records);
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
        CalcBeitraege(f, records, f.bRundeBeitrag, in.dropped);
    } catch (const RunError &e) {
        if (e.kind() != RunError::Kind::Input)
            throw;
        in.calculationRefused = e.message();
        records.clear();
        run.check = buildRunCheck(f, records, in);
        return run;
    }
    if (records.empty()) {
        tell(f, u"Beträge für alle (selektierten) Waldbesitzer sind 0!"_qs);
        return std::nullopt;
    }
    try {
        CheckBetraege(f, records);
    } catch (const RunError &e) {
        if (e.kind() != RunError::Kind::Input)
            throw;
        in.calculationRefused = e.message();
    }
    if (in.calculationRefused.isEmpty()) {
        report.billed = int(records.size());
        double cents = 0;
        for (const Buchung &b : records)
            cents += b.Summe;
        report.total = cents / 100;
    }
    ReplaceUmlaute(records);
    stopIfInterrupted();
    readCheckData(f, records, in);
    run.check = buildRunCheck(f, records, in);
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

    clearRunSignal();
    std::optional<PreparedRun> run;
    runGuarded(f, report, [&] { run = readAndCompute(f, directDebit, exportPfad, report); });
    if (report.outcome != RunOutcome::Completed)
        run.reset();
    return run;
}

} // namespace qvl
