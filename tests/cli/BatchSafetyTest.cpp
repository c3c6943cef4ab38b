// What the batch program refuses before any money moves: a second collection of a fee
// already stored (whatever other fees the run holds, however the year is typed), a run or
// a deletion while a bank file still waits for its name, a due date the banks cannot
// meet, an IBAN that fails its check digits, a value it cannot read.
#include "support/BatchProcess.h"
#include "support/PdfText.h"
#include "support/Workspace.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

// A demo site for direct-debit runs on Monday 07.12.2026, fee amounts from the owners'
// own parameters and the minimum fees set.
struct Site {
    Workspace ws{15};
    QStringList base;

    Site()
    {
        QDir(ws.root()).mkdir(u"export"_qs);
        QStringList settings = demoSettings();
        settings.replaceInStrings(u"ExportPfad=C:\\SEPA\\Export\\"_qs, u"ExportPfad="_qs + ws.root() + u"/export"_qs);
        settings.replaceInStrings(u"BERECHNUNG=Formel"_qs, u"BERECHNUNG=QVL"_qs);
        settings.replaceInStrings(u"Fibu=DATEV-FIBU"_qs, u"Fibu="_qs);
        ws.writeSettings(settings);
        base = {u"--program-dir"_qs, ws.programDir(), u"--now"_qs, u"2026-12-07T10:00:00"_qs,
                u"--set"_qs,         u"txtMindestbeitrag1=12,50"_qs, u"--set"_qs, u"txtMindestbeitrag2=5"_qs,
                u"--set"_qs,         u"txtFaellDat=21.12.2026"_qs};
    }

    BatchResult run(const QStringList &args) const { return runBatch(base + args); }

    int bankFiles() const { return int(QDir(ws.root() + u"/export"_qs).entryList({u"MB_*.xml"_qs}).size()); }
};

QStringList fees(std::initializer_list<int> boxes)
{
    QStringList args;
    for (const int k : boxes)
        args << u"--set"_qs << u"chkBeitrag("_qs + QString::number(k) + u")=1"_qs;
    return args;
}

} // namespace

TEST(BatchSafety, ARunThatWouldCollectAStoredFeeAgainAsksAndStopsWithoutYes)
{
    Site s;
    BatchResult r = s.run(fees({0}) + QStringList{u"run"_qs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(s.bankFiles(), 1);

    const struct {
        const char *name;
        QStringList args;
        bool asks;
    } cases[] = {
        {"fees 1 and 2 after fee 1", fees({0, 1}), true},
        {"fee 1 with the year typed with a blank", fees({0}) + QStringList{u"--set"_qs, u"txtWirtschaftsjahr=2026 "_qs},
         true},
        {"fee 2 alone", fees({1}), false},
    };
    int files = 1;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        r = s.run(c.args + QStringList{u"run"_qs});
        if (!c.asks) {
            EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
            EXPECT_EQ(s.bankFiles(), ++files);
            continue;
        }
        EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(u"Für 2026 sind bereits Beiträge gespeichert, die dieser Lauf ein zweites Mal "
                                   "einziehen würde: „Mitgliedsbeitrag“ bei "_qs))
            << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(u"(zuletzt Lauf „2026 Mitgliedsbeitrag“ vom 07.12.2026)"_qs)) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(u"\n-> Nein\n"_qs));
        EXPECT_EQ(s.bankFiles(), files);
    }
    // After fee 2 was collected, fees 1 and 2 name both.
    r = s.run(fees({0, 1}) + QStringList{u"run"_qs});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.err.contains(u"„Mitgliedsbeitrag“, „Waldbrandversicherung“ bei "_qs)) << r.err.toStdString();
    // An owner the bank file now leaves out is not debited by this run: he is not counted.
    const auto counted = [](const QString &err) {
        static const QRegularExpression owners(u"Waldbrandversicherung“ bei (\\d+) Waldbesitzer"_qs);
        return owners.match(err).captured(1).toInt();
    };
    const int before = counted(r.err);
    ASSERT_GT(before, 1);
    s.ws.execSql(u"update personal set IBAN = '' where id_personal = (select min(id_personal) from "
                 "PERSONAL_MG_BEITRAGE)"_qs);
    r = s.run(fees({0, 1}) + QStringList{u"run"_qs});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(counted(r.err), before - 1) << r.err.toStdString();
    // --yes answers the question: the clerk's decision, not a default.
    r = s.run(fees({0, 1}) + QStringList{u"--yes"_qs, u"run"_qs});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(s.bankFiles(), files + 1);
}

// A bank file whose fees are stored but that has no name yet (its run was killed after the
// commit, and another machine wrote it): neither a run nor delete-run goes on while it is
// pending, and both say why.
TEST(BatchSafety, APendingBankFileBlocksRunsAndDeletion)
{
    Site s;
    BatchResult r = s.run(fees({0}) + QStringList{u"run"_qs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    s.ws.execSql(u"create table if not exists QVL32_SEPA_DATEIEN (datei text not null, ziel text not null, "
                 "rechner text not null, erstellt text not null default current_timestamp)"_qs);
    s.ws.execSql(u"insert into QVL32_SEPA_DATEIEN (datei, ziel, rechner) values ('/anderswo/.MB_x.xml.AbCdEf', "
                 "'/anderswo/MB_x.xml', 'ANDERER-RECHNER')"_qs);
    const QString key = u"2026 Mitgliedsbeitrag, Erstellt: Dec  7 2026"_qs;
    for (const QStringList &command : {QStringList{u"--yes"_qs, u"delete-run"_qs, key},
                                       fees({1}) + QStringList{u"--yes"_qs, u"run"_qs}}) {
        SCOPED_TRACE(command.join(u' ').toStdString());
        r = s.run(command);
        EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(u"noch nicht ihren Namen erhalten"_qs)) << r.err.toStdString();
    }
    EXPECT_EQ(s.run({u"list-runs"_qs}).out, key + u'\n');
    EXPECT_EQ(s.bankFiles(), 1);
}

// Each due-date rule is an error: check and run stop with exit 3 and name the next
// possible date; nothing is written.
TEST(BatchSafety, ADueDateTheBanksCannotMeetStopsCheckAndRun)
{
    Site s;
    const struct {
        const char16_t *due;
        QStringList more;
        const char16_t *next;
    } cases[] = {
        {u"01.12.2026", {}, u"Nächster möglicher Fälligkeitstermin: 08.12.2026."},
        {u"25.12.2026", {}, u"Nächster möglicher Fälligkeitstermin: 28.12.2026."},
        {u"07.12.2026", {}, u"Nächster möglicher Fälligkeitstermin: 08.12.2026."},
        {u"14.12.2026", {u"--set"_qs, u"chkRechnung=1"_qs}, u"Frühester Fälligkeitstermin mit dieser Frist: 21.12.2026."},
    };
    for (const auto &c : cases) {
        for (const QString &command : {u"check"_qs, u"run"_qs}) {
            SCOPED_TRACE(QString::fromUtf16(c.due).toStdString() + " " + command.toStdString());
            const BatchResult r = s.run(fees({0}) + c.more
                                        + QStringList{u"--set"_qs, u"txtFaellDat="_qs + QString::fromUtf16(c.due),
                                                      u"--yes"_qs, command});
            EXPECT_EQ(r.exitCode, 3) << r.out.toStdString() << r.err.toStdString();
            EXPECT_TRUE((r.out + r.err).contains(QString::fromUtf16(c.next))) << r.out.toStdString() << r.err.toStdString();
        }
    }
    EXPECT_EQ(s.bankFiles(), 0);
    // The pre-notification period lowered to what the mandates agree lets the date pass.
    const BatchResult r = s.run(fees({0}) + QStringList{u"--set"_qs, u"chkRechnung=1"_qs, u"--set"_qs,
                                                        u"lVorabankuendigungTage=5"_qs, u"--set"_qs,
                                                        u"txtFaellDat=14.12.2026"_qs, u"check"_qs});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(u"Vorabankündigung mit den Beitragsbescheiden 5 Tage"_qs)) << r.out.toStdString();
}

// An IBAN that fails its check digits is left out of the bank file like a missing one, and
// its owner's fee notice asks for a transfer instead of announcing a debit.
TEST(BatchSafety, AnIbanWithWrongCheckDigitsIsNotDebited)
{
    Site s;
    const QString wrong = u"DE88370400440532013000"_qs; // DE89… with a check digit mistyped
    s.ws.execSql(u"update personal set IBAN = '"_qs + wrong + u"' where Nummer % 2 = 1"_qs);
    const BatchResult r = s.run(fees({0}) + QStringList{u"--set"_qs, u"chkRechnung=1"_qs, u"run"_qs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList files = QDir(s.ws.root() + u"/export"_qs).entryList({u"MB_*.xml"_qs});
    ASSERT_EQ(files.size(), 1);
    QFile bankFile(s.ws.root() + u"/export/"_qs + files[0]);
    ASSERT_TRUE(bankFile.open(QIODevice::ReadOnly));
    EXPECT_FALSE(bankFile.readAll().contains(wrong.toLatin1()));
    EXPECT_TRUE(r.err.contains(u"IBAN mit falscher Länge oder Prüfziffer: die Lastschrift wird nicht in die SEPA-Datei"_qs))
        << r.err.toStdString();
    const QStringList letters = pdfPages(s.ws.root() + u"/export/Rechnung.pdf"_qs);
    const auto transfer = std::count_if(letters.cbegin(), letters.cend(), [](const QString &page) {
        return page.contains(u"Bitte überweisen Sie den Betrag"_qs);
    });
    EXPECT_GT(transfer, 0);
    QFile log(s.ws.programDir() + u"/LogDatei.txt"_qs);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("IBAN ist ung\xfcltig (Pr\xfc" "fziffer oder L\xe4nge). " + wrong.toLatin1()
                                       + " Die Lastschrift wurde nicht in die Datei geschrieben."));
}

// A typo in a box is refused through --set as on the form: exit 2, nothing run or saved.
TEST(BatchSafety, ValuesTheFormRefusesAreRefusedOnTheCommandLine)
{
    Site s;
    for (const QString &set : {u"txtMindestbeitrag1=1,2,3"_qs, u"txtMindestbeitrag1=1.2"_qs,
                               u"txtWirtschaftsjahr=abcd"_qs, u"txtFaellDat=32.12.2026"_qs, u"txtMwst(0)=19,5,1"_qs,
                               u"lVergleichAbweichungProzent=0"_qs}) {
        SCOPED_TRACE(set.toStdString());
        const BatchResult r = s.run(fees({0}) + QStringList{u"--set"_qs, set, u"--yes"_qs, u"run"_qs});
        EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(u"Ungültiger Wert für „"_qs + set.section(u'=', 0, 0))) << r.err.toStdString();
    }
    EXPECT_EQ(s.bankFiles(), 0);
}
