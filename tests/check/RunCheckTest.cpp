// The first half of a run and the check it makes: one demo database with one owner of each
// kind the check warns about, last year's stored fees against this run, the due date taken
// from the check. Nothing of it writes.
#include "app/FrmDTA.h"
#include "commands/ProgramStart.h"
#include "check/RunCheck.h"
#include "check/RunCheckFiles.h"
#include "run/RunDriver.h"
#include "text/Conversions.h"
#include "run/RunPreparation.h"
#include "support/Workspace.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

// A direct-debit run of fee 1 by formula with pro rata (30 € up to 5 ha, 4,50 € for each
// further hectare: 52,50 € for the 10 ha every owner has) and DATEV accounting files, over
// owners 1000 to 1012, all clean members of association 50 until a test changes one.
struct CheckSite {
    Workspace ws{20};
    std::unique_ptr<FrmDTA> form;

    CheckSite()
    {
        QDir(ws.root()).mkdir(u"export"_qs);
        QDir(ws.root()).mkdir(u"fibu"_qs);
        QStringList settings = demoSettings();
        settings.replaceInStrings(u"ExportPfad=C:\\SEPA\\Export\\"_qs, u"ExportPfad="_qs + ws.root() + u"/export/"_qs);
        settings.replaceInStrings(u"FibuZiel="_qs, u"FibuZiel="_qs + ws.root() + u"/fibu"_qs);
        settings << u"BankKonto=1200"_qs << u"MBTKonto=8401"_qs << u"EinzelbuchungenDrucken=0"_qs
                 << u"ANTEILIGE-BERECHNUNG=1"_qs << u"FORMEL-MINDESTBETRAG-HA=5,0000"_qs
                 << u"FORMEL-MINDESTBETRAG-PREIS=30,00"_qs << u"FORMEL-ZUSCHLAG-HA=1,0000"_qs
                 << u"FORMEL-ZUSCHLAG-PREIS=4,50"_qs << u"FORMEL-HOECHSTBEITRAG=500,00"_qs;
        ws.writeSettings(settings);
        const QString owners = u"(1000,1001,1002,1003,1004,1005,1006,1007,1008,1009,1010,1011,1012)"_qs;
        ws.execSql(u"update personal set Zusatz5 = '0050', Abrech1 = 1, DISABLE = 0, use_bank2 = 0, Hektar = 10, "
                   "IBAN = 'DE89370400440532013000', BIC = 'COBADEFFXXX', MANDATSNUMMER = 'MR-' || Nummer, "
                   "Zusatz1 = '1' || Nummer, Beitrittsdatum = '2000-01-01', Name = 'Eigner' || Nummer, "
                   "Vorname = 'Vera', Strasse = 'Waldweg 1', PLZ = '83022', Ort = 'Rosenheim' where Nummer in "_qs
                   + owners);
        ws.execSql(u"update personal_free set BOXFREE1 = 1 where id_personal in "
                   "(select id_personal from personal where Nummer in "_qs + owners + u')');
        form = ws.form();
        EXPECT_EQ(Form_Load(*form, {}), StartupResult::Ready);
        form->chkBeitrag[0].Value = 1;
        form->strWBIN = owners;
        form->txtWirtschaftsjahr.Text = u"2026"_qs;
        form->txtFaellDat.Text = u"21.12.2026"_qs; // a Monday, 15 days after the run's day
        ws.ui.messages.clear();
    }

    void owner(int nummer, const QString &set) const
    {
        ws.execSql(u"update personal set "_qs + set + u" where Nummer = "_qs + QString::number(nummer));
    }

    std::optional<PreparedRun> prepare()
    {
        RunReport report;
        return PrepareRun(*form, report);
    }

    int storedFees() const
    {
        int n = -1;
        const QString name = u"count"_qs;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, name);
            db.setDatabaseName(ws.databaseFile());
            if (db.open()) {
                QSqlQuery q(u"select count(*) from PERSONAL_MG_BEITRAGE"_qs, db);
                if (q.next())
                    n = q.value(0).toInt();
            }
        }
        QSqlDatabase::removeDatabase(name);
        return n;
    }
};

QList<long> numbers(const QList<CheckOwner> &owners)
{
    QList<long> out;
    for (const CheckOwner &o : owners)
        out.append(o.nummer);
    return out;
}

QList<long> ownersOf(const RunCheck &check, CheckKind kind)
{
    QList<long> out;
    for (const CheckItem &item : check.items)
        if (item.kind == kind)
            out += numbers(item.owners);
    return out;
}

} // namespace

TEST(RunCheck, EachWarningNamesItsOwnerAndNoOther)
{
    CheckSite s;
    s.owner(1001, u"IBAN = ''"_qs);
    s.owner(1002, u"IBAN = 'DE88370400440532013000'"_qs); // a check digit mistyped
    s.owner(1003, u"BIC = 'XYZ'"_qs);
    s.owner(1004, u"MANDATSNUMMER = ''"_qs);
    s.owner(1005, u"MANDATSNUMMER = 'MR_1005#'"_qs);
    s.owner(1006, u"MANDATSNUMMER = 'MR-"_qs + QString(37, u'7') + u"'"_qs);
    s.owner(1007, u"Beitrittsdatum = '2026-12-01'"_qs);
    s.owner(1008, u"Beitrittsdatum = NULL"_qs);
    s.owner(1009, u"Zusatz1 = ''"_qs);
    s.owner(1010, u"Strasse = 'Am Bach #3'"_qs);
    s.owner(1011, u"Name = 'Ωmega'"_qs);

    const std::optional<PreparedRun> run = s.prepare();
    ASSERT_TRUE(run) << s.ws.ui.texts().join(u'|').toStdString();
    const RunCheck &check = run->check;
    EXPECT_FALSE(check.hasErrors()) << runCheckText(check).toStdString();

    const std::pair<CheckKind, QList<long>> expected[] = {
        {CheckKind::LeftOut, {1001}},
        {CheckKind::IbanInvalid, {1002}},
        {CheckKind::BicReplaced, {1003}},
        {CheckKind::MandateBlank, {1004}},
        {CheckKind::MandateCharacters, {1005}},
        {CheckKind::MandateCut, {1006}},
        {CheckKind::NoAccount, {1009}},
        {CheckKind::BankCharacters, {1010, 1011}},
        {CheckKind::Cp1252Characters, {1011}},
        {CheckKind::NoJoiningDate, {1008}},
    };
    for (const auto &[kind, owners] : expected)
        EXPECT_EQ(ownersOf(check, kind), owners) << int(kind) << "\n" << runCheckText(check).toStdString();
    // Dropped with the reason: joined in December, pro rata. The owner without a joining
    // date counts as joined on the database's day: in a December of the business year he
    // is dropped too, and told apart.
    const QList<CheckItem> warnings = check.itemsOf(CheckGrade::Warning);
    const auto zero = std::find_if(warnings.cbegin(), warnings.cend(),
                                   [](const CheckItem &i) { return numbers(i.owners).contains(1007); });
    ASSERT_NE(zero, warnings.cend());
    EXPECT_EQ(zero->kind, CheckKind::ZeroFee);
    EXPECT_EQ(zero->text, u"Nicht abgerechnet, Beitrag 0: im Dezember eingetreten, anteilige Berechnung"_qs);
    EXPECT_EQ(itemHeadline(*zero), zero->text + u" (1 Waldbesitzer)"_qs);
    const QDate databaseDay = QDate::currentDate();
    const bool noDateDropped = databaseDay.year() == 2026 && databaseDay.month() == 12;
    EXPECT_EQ(ownersOf(check, CheckKind::ZeroFee), noDateDropped ? (QList<long>{1007, 1008}) : QList<long>{1007});

    // What the owners are told by: the value at fault.
    const auto detail = [&](CheckKind kind) {
        for (const CheckItem &i : check.items)
            if (i.kind == kind && !i.owners.isEmpty())
                return i.owners[0].detail;
        return QString();
    };
    EXPECT_EQ(detail(CheckKind::LeftOut), u"keine IBAN"_qs);
    EXPECT_EQ(detail(CheckKind::IbanInvalid), u"IBAN „DE88370400440532013000“"_qs);
    EXPECT_EQ(detail(CheckKind::BicReplaced), u"BIC „XYZ“"_qs);
    EXPECT_EQ(detail(CheckKind::BankCharacters), u"Zeichen „#“"_qs);
    EXPECT_EQ(detail(CheckKind::Cp1252Characters), u"Zeichen „Ω“"_qs);

    // The summary: 13 read, 1007 dropped, 1001 and 1002 not in the bank file.
    const RunFigures &f = check.figures;
    const int billed = noDateDropped ? 11 : 12;
    EXPECT_EQ(f.read, 13);
    EXPECT_EQ(f.dropped, 13 - billed);
    EXPECT_EQ(f.billed, billed);
    EXPECT_EQ(f.totalCent.cents(), billed * 5250);
    ASSERT_EQ(f.fees.size(), 1);
    EXPECT_EQ(f.fees[0].owners, billed);
    EXPECT_EQ(f.fees[0].amountCent.cents(), billed * 5250);
    // 1001 without an IBAN and 1002 with wrong check digits are both left out.
    EXPECT_EQ(f.debits, billed - 2);
    EXPECT_EQ(f.debitSumCent.cents(), (billed - 2) * 5250);
    EXPECT_EQ(f.leftOut, 2);
    EXPECT_EQ(check.comparison,
              u"Für 2025 „"_qs + s.form->strBeitragsText + u"“ sind keine Beiträge gespeichert; kein Vergleich mit dem Vorjahr."_qs);
    EXPECT_TRUE(ownersOf(check, CheckKind::DueDate).isEmpty());
    EXPECT_FALSE(check.proposedDueDate);

    // Nothing was written: no file in the folders, no stored fee, no log file.
    EXPECT_TRUE(QDir(s.ws.root() + u"/export"_qs).isEmpty());
    EXPECT_TRUE(QDir(s.ws.root() + u"/fibu"_qs).isEmpty());
    EXPECT_FALSE(QFile::exists(s.ws.programDir() + u"/LogDatei.txt"_qs));
    EXPECT_EQ(s.storedFees(), 0);
}

// Last year's run of the same fee against this one, in a database that also holds an older
// year and another fee type: owners gone, new, changed by 10 % (below the 25 % of the
// setting) and by 40 % and 50 % (named, the larger change first). An owner who pays by
// transfer is never stored: he is told apart, not as new, and his fee is not compared.
TEST(RunCheck, ComparisonWithLastYearsStoredFees)
{
    CheckSite s;
    s.form->strWBIN = u"(1000,1001,1002,1003,1004,1005,1006)"_qs;
    s.owner(1005, u"DISABLE = 1"_qs); // billed last year, not now
    s.owner(1006, u"IBAN = ''"_qs);    // pays by transfer
    BuildBeitragsText(*s.form);
    const QString typ = s.form->strBeitragsText;
    const auto store = [&](int nummer, const QString &jahr, const QString &type, const QString &betrag) {
        s.ws.execSql(u"insert into PERSONAL_MG_BEITRAGE (id_personal, jahr, betrag, datum_erstellt, typ) "
                     "select id_personal, '"_qs + jahr + u"', "_qs + betrag + u", '2025-12-05 09:00:00', '"_qs + type
                     + u"' from personal where Nummer = "_qs + QString::number(nummer));
    };
    store(1000, u"2025"_qs, typ, u"52.5"_qs);
    store(1001, u"2025"_qs, typ, u"47.73"_qs);  // +10 %
    store(1002, u"2025"_qs, typ, u"37.5"_qs);   // +40 %
    store(1003, u"2025"_qs, typ, u"105"_qs);    // -50 %
    store(1005, u"2025"_qs, typ, u"20"_qs);     // gone
    store(1004, u"2024"_qs, typ, u"52.5"_qs);   // an older year: 1004 is new
    store(1004, u"2025"_qs, u"Waldbrand"_qs, u"52.5"_qs);
    // An owner of the other association, billed last year in the same run key.
    s.ws.execSql(u"update personal set Zusatz5 = '0007' where Nummer = 1012"_qs);
    store(1012, u"2025"_qs, typ, u"99"_qs);

    const std::optional<PreparedRun> run = s.prepare();
    ASSERT_TRUE(run);
    const RunCheck &check = run->check;
    EXPECT_EQ(ownersOf(check, CheckKind::ComparisonGone), QList<long>{1005});
    EXPECT_EQ(ownersOf(check, CheckKind::ComparisonNew), QList<long>{1004});
    EXPECT_EQ(ownersOf(check, CheckKind::ComparisonChanged), (QList<long>{1003, 1002}));
    EXPECT_EQ(ownersOf(check, CheckKind::ComparisonTransfer), QList<long>{1006});
    EXPECT_EQ(check.comparison, u"Vorjahr 2025 „"_qs + typ
                                    + u"“: 5 Waldbesitzer abgebucht, 262,73 €; dieser Lauf: 5 Waldbesitzer abgebucht, "
                                      "262,50 € (-0,1 %); dazu 1 Waldbesitzer per Überweisung, 52,50 € (nicht verglichen)."_qs);
    for (const CheckItem &item : check.items)
        if (item.kind == CheckKind::ComparisonChanged) {
            EXPECT_EQ(item.text, u"Betrag weicht um mehr als 25 % vom Vorjahr ab (größte Abweichung zuerst)"_qs);
            EXPECT_EQ(item.owners[0].detail, u"2025 105,00 €, jetzt 52,50 € (-50,0 %)"_qs);
            EXPECT_EQ(item.owners[1].detail, u"2025 37,50 €, jetzt 52,50 € (+40,0 %)"_qs);
        }

    // A threshold of 45 % names only the larger change; one of 5 % names the 10 % too.
    s.form->lVergleichAbweichungProzent = 45;
    EXPECT_EQ(ownersOf(s.prepare()->check, CheckKind::ComparisonChanged), QList<long>{1003});
    s.form->lVergleichAbweichungProzent = 5;
    EXPECT_EQ(ownersOf(s.prepare()->check, CheckKind::ComparisonChanged), (QList<long>{1003, 1002, 1001}));
}

// The check offers the next possible due date; taking it shows the check again, now
// without the finding, and the run then writes the bank file with that date.
TEST(RunCheck, TheProposedDueDateIsTakenAndTheCheckShownAgain)
{
    CheckSite s;
    s.form->strFibu.clear();
    s.form->txtFaellDat.Text = u"25.12.2026"_qs;
    s.ws.ui.checkChoices = {RunCheckChoice::TakeDueDate, RunCheckChoice::Start};
    const RunReport report = cmdStart_Click(*s.form);
    EXPECT_EQ(report.outcome, RunOutcome::Completed) << s.ws.ui.texts().join(u'|').toStdString();
    ASSERT_EQ(s.ws.ui.runChecks.size(), 2);
    const QList<CheckItem> first = s.ws.ui.runChecks[0].itemsOf(CheckGrade::Error);
    EXPECT_TRUE(std::any_of(first.cbegin(), first.cend(), [](const CheckItem &i) {
        return i.text == u"Der 25.12.2026 ist kein Bankarbeitstag. Nächster möglicher Fälligkeitstermin: 28.12.2026."_qs;
    }));
    EXPECT_EQ(s.ws.ui.runChecks[0].proposedDueDate, QDate(2026, 12, 28));
    EXPECT_TRUE(ownersOf(s.ws.ui.runChecks[1], CheckKind::DueDate).isEmpty());
    EXPECT_FALSE(std::any_of(s.ws.ui.runChecks[1].items.cbegin(), s.ws.ui.runChecks[1].items.cend(),
                             [](const CheckItem &i) { return i.kind == CheckKind::DueDate; }));
    EXPECT_EQ(s.ws.ui.runChecks[1].figures.dueDate, u"28.12.2026"_qs);
    EXPECT_EQ(s.form->txtFaellDat.Text, u"28.12.2026"_qs);
    QFile bankFile(report.bankFile);
    ASSERT_TRUE(bankFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(bankFile.readAll().contains("<ReqdColltnDt>2026-12-28</ReqdColltnDt>"));

    // Cancelled, the run writes nothing.
    CheckSite cancelled;
    cancelled.ws.ui.checkChoices = {RunCheckChoice::Cancel};
    EXPECT_EQ(cmdStart_Click(*cancelled.form).outcome, RunOutcome::Stopped);
    EXPECT_TRUE(QDir(cancelled.ws.root() + u"/export"_qs).isEmpty());
    EXPECT_EQ(cancelled.storedFees(), 0);
}

// The list as the batch program prints it (ten owners a finding on stderr, all with
// "check") and as the CSV file holds it (one line per owner, quoted where a field needs it).
TEST(RunCheck, TextAndCsvNameEveryOwnerOrCountTheRest)
{
    RunCheck check;
    CheckItem many{CheckKind::BicReplaced, u"BIC ungültig; in der SEPA-Datei steht NOTPROVIDED"_qs, {}};
    for (int i = 0; i < 12; ++i)
        many.owners.append({1000 + i, u"Eigner "_qs + QString::number(i), u"BIC „X;Y“"_qs});
    check.add({CheckKind::ComparisonGone, u"Im Vorjahr abgerechnet, in diesem Lauf nicht"_qs, {}});
    check.add(many);
    EXPECT_EQ(check.items[0].kind, CheckKind::BicReplaced); // warnings before hints

    const QStringList shortText = findingsText(check, 10, true).split(u'\n');
    EXPECT_EQ(shortText.first(), u"Warnungen:"_qs);
    EXPECT_EQ(shortText[1], u"- BIC ungültig; in der SEPA-Datei steht NOTPROVIDED (12 Waldbesitzer)"_qs);
    EXPECT_EQ(shortText[2], u"    1000 Eigner 0: BIC „X;Y“"_qs);
    EXPECT_EQ(shortText[12], u"    … und 2 weitere"_qs);
    EXPECT_EQ(shortText.mid(13),
              (QStringList{QString(), u"Hinweise:"_qs, u"- Im Vorjahr abgerechnet, in diesem Lauf nicht"_qs}));
    const QString full = findingsText(check);
    EXPECT_TRUE(full.startsWith(u"Fehler: keine\n\nWarnungen:\n"_qs)) << full.toStdString();
    EXPECT_TRUE(full.contains(u"    1011 Eigner 11: BIC „X;Y“\n"_qs));

    const QStringList csv = runCheckCsvLines(check);
    ASSERT_EQ(csv.size(), 1 + 12 + 1);
    EXPECT_EQ(csv[1],
              u"Warnungen;\"BIC ungültig; in der SEPA-Datei steht NOTPROVIDED\";1000;Eigner 0;\"BIC „X;Y“\""_qs);
    EXPECT_EQ(csv[13], u"Hinweise;Im Vorjahr abgerechnet, in diesem Lauf nicht;;;"_qs);
}

// A due date the banks cannot meet, or one the fee notices announce too late, is an error:
// the run cannot start with it, and only the proposed date clears it. The check shows the
// rules it holds the date against.
TEST(RunCheck, DueDateFindingsAreErrorsThatOnlyTheProposedDateClears)
{
    CheckSite s; // today: Sunday 06.12.2026
    const struct {
        const char16_t *due;
        bool letters;
        int preNotification;
        std::optional<QDate> proposal;
        const char16_t *finding;
    } cases[] = {
        {u"01.12.2026", false, 14, QDate(2026, 12, 8), u"liegt in der Vergangenheit"},
        {u"25.12.2026", false, 14, QDate(2026, 12, 28), u"ist kein Bankarbeitstag"},
        {u"07.12.2026", false, 14, QDate(2026, 12, 8), u"weniger als 1 Bankarbeitstag nach heute"},
        {u"14.12.2026", true, 14, QDate(2026, 12, 21), u"weniger als 14 Tage Frist"},
        // An association whose mandates agree a shorter period lowers the setting.
        {u"14.12.2026", true, 5, std::nullopt, nullptr},
        {u"21.12.2026", true, 14, std::nullopt, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.due).toStdString() + (c.letters ? " with letters" : ""));
        s.form->txtFaellDat.Text = QString::fromUtf16(c.due);
        s.form->chkRechnung.Value = c.letters ? 1 : 0;
        s.form->lVorabankuendigungTage = c.preNotification;
        const std::optional<PreparedRun> run = s.prepare();
        ASSERT_TRUE(run);
        const RunCheck &check = run->check;
        EXPECT_EQ(check.proposedDueDate, c.proposal);
        EXPECT_EQ(check.hasErrors(), c.finding != nullptr) << runCheckText(check).toStdString();
        EXPECT_EQ(check.onlyDueDateError(), c.finding != nullptr);
        if (c.finding) {
            const QList<CheckItem> errors = check.itemsOf(CheckGrade::Error);
            ASSERT_FALSE(errors.isEmpty());
            EXPECT_EQ(errors[0].kind, CheckKind::DueDate);
            EXPECT_TRUE(errors[0].text.contains(QString::fromUtf16(c.finding))) << errors[0].text.toStdString();
            EXPECT_TRUE(errors[0].text.contains(formatDate(*c.proposal, u"dd.mm.yyyy"_qs)));
        }
        const QStringList lines = figuresLines(check);
        const QString rules = u"Fälligkeit: "_qs + QString::fromUtf16(c.due) + u" (Vorlauf der Bank 1 Bankarbeitstag"_qs
                              + (c.letters ? u", Vorabankündigung mit den Beitragsbescheiden "_qs
                                                 + QString::number(c.preNotification) + u" Tage)"_qs
                                           : u")"_qs);
        EXPECT_TRUE(lines.contains(rules)) << lines.join(u'\n').toStdString();
    }
    // A run with such a date stops at its check, whatever the clerk presses, and writes nothing.
    s.form->txtFaellDat.Text = u"25.12.2026"_qs;
    s.ws.ui.checkChoices = {RunCheckChoice::Start};
    EXPECT_EQ(cmdStart_Click(*s.form).outcome, RunOutcome::Stopped);
    EXPECT_TRUE(QDir(s.ws.root() + u"/export"_qs).isEmpty());
    EXPECT_EQ(s.storedFees(), 0);
}

TEST(RunCheck, AListedChangeNeverReadsAsTheThreshold)
{
    const struct {
        double percent;
        std::optional<int> threshold;
        const char16_t *shown;
    } cases[] = {
        {12.5, std::nullopt, u"+12,5 %"},  {-0.06, std::nullopt, u"-0,1 %"},  {0.0, std::nullopt, u"0,0 %"},
        {25.02, 25, u"+25,02 %"},          {25.04, 25, u"+25,04 %"},          {-25.03, 25, u"-25,03 %"},
        {25.001, 25, u"+25,001 %"},        {25.2, 25, u"+25,2 %"},            {40.0, 25, u"+40,0 %"},
        {1234.56, 25, u"+1.234,6 %"},      {25.00001, 25, u"+25,00001 %"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(percentChangeText(c.percent, c.threshold), QString::fromUtf16(c.shown)) << c.percent;
}

// With VAT on top the fees' totals are net and the run's total is what is debited: the
// check says which is which; without VAT it says nothing of it. Totals in cents are exact.
TEST(RunCheck, TotalsSayWhetherTheyHoldTheVat)
{
    RunCheck check;
    RunFigures &f = check.figures;
    f.directDebit = true;
    f.billed = 2;
    f.totalCent = Money(133049999998669);
    f.fees = {{u"Mitgliedsbeitrag"_qs, 2, Money(100000)}};
    f.debits = 2;
    f.debitSumCent = Money(119000);
    f.withVat = true;
    f.vatOnTop = true;
    QStringList lines = runCheckText(check).split(u'\n');
    EXPECT_TRUE(lines.contains(u"Abgerechnet: 2 Waldbesitzer, zusammen 1.330.499.999.986,69 € (mit MwSt)"_qs))
        << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.contains(u"  Mitgliedsbeitrag: 2 Waldbesitzer, 1.000,00 € (netto)"_qs));
    EXPECT_TRUE(lines.contains(u"Lastschriften in der SEPA-Datei: 2, Kontrollsumme 1.190,00 € (mit MwSt)"_qs));
    f.vatOnTop = false;
    lines = runCheckText(check).split(u'\n');
    EXPECT_TRUE(lines.contains(u"  Mitgliedsbeitrag: 2 Waldbesitzer, 1.000,00 € (mit MwSt)"_qs));
    f.withVat = false;
    lines = runCheckText(check).split(u'\n');
    EXPECT_TRUE(lines.contains(u"  Mitgliedsbeitrag: 2 Waldbesitzer, 1.000,00 €"_qs));
    EXPECT_TRUE(lines.contains(u"Abgerechnet: 2 Waldbesitzer, zusammen 1.330.499.999.986,69 €"_qs));
}
