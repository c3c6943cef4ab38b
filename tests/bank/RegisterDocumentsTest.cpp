// What a run registers of each record: the amount due and the VAT per rate as the fee
// calculation booked them in cents, the way of payment, and the register's tables on the
// program's one list of its own tables.
#include "app/RunInputs.h"
#include "bank/Register.h"
#include "db/Database.h"
#include "ledger/OwnTables.h"
#include "run/RegisterStep.h"
#include "support/Workspace.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

struct DocumentCase {
    const char *name;
    qint64 summeCent;
    double summe;                    // the euro field, which the register must not read
    std::vector<MwstSatz> rates;
    bool directDebit;
    bool leftOut;                    // not in the bank file
    qint64 grossCents;
    qint64 vatCents;
    QString vatByRate;
    PaymentWay way;
    DocumentKind kind;
};

MwstSatz rate(double satz, const QString &text, qint64 netto, qint64 mwst, qint64 brutto)
{
    MwstSatz r;
    r.satz = satz;
    r.text = text;
    r.nettoCent = Money(netto);
    r.mwstCent = Money(mwst);
    r.bruttoCent = Money(brutto);
    return r;
}

} // namespace

TEST(RegisterDocuments, AmountsComeFromTheBookedCents)
{
    const DocumentCase cases[] = {
        {"NoVat", 2500, 0, {}, true, false, 2500, 0, {}, PaymentWay::DirectDebit, DocumentKind::FeeNotice},
        {"OneRate", 11900, 119.0, {rate(19, u"19"_qs, 10000, 1900, 11900)}, true, false, 11900, 1900,
         u"19=1900"_qs, PaymentWay::DirectDebit, DocumentKind::FeeNotice},
        {"TwoRatesInTextOrder", 3450, 12.0,
         {rate(7, u"7"_qs, 1000, 70, 1070), rate(19, u"19"_qs, 2000, 380, 2380)}, true, false, 3450, 450,
         u"19=380;7=70"_qs, PaymentWay::DirectDebit, DocumentKind::FeeNotice},
        {"ZeroRateLeavesNoPart", 2880, 0,
         {rate(0, u"0"_qs, 500, 0, 500), rate(19, u"19"_qs, 2000, 380, 2380)}, true, false, 2880, 380,
         u"19=380"_qs, PaymentWay::DirectDebit, DocumentKind::FeeNotice},
        {"RoundingCentStaysInTheGross", 1001, 10.0, {rate(5.5, u"5,5"_qs, 948, 52, 1001)}, true, false, 1001, 52,
         u"5,5=52"_qs, PaymentWay::DirectDebit, DocumentKind::FeeNotice},
        {"LeftOutOfTheBankFilePaysByTransfer", 4200, 0, {}, true, true, 4200, 0, {}, PaymentWay::Transfer,
         DocumentKind::FeeNotice},
        {"InvoiceRun", 5950, 0, {rate(19, u"19"_qs, 5000, 950, 5950)}, false, false, 5950, 950, u"19=950"_qs,
         PaymentWay::Transfer, DocumentKind::Invoice},
    };
    Workspace ws(3);
    const std::unique_ptr<FrmDTA> form = ws.form();
    form->txtWirtschaftsjahr.Text = u"2026"_qs;
    form->strBeitragsText = u"Mitgliedsbeitrag"_qs;
    form->txtRechDat.Text = u"06.12.2026"_qs;
    form->txtFaellDat.Text = u"15.12.2026"_qs;
    for (const DocumentCase &c : cases) {
        SCOPED_TRACE(c.name);
        Buchung b;
        b.RechNr = u"7001"_qs;
        b.Id_Personal = 42;
        b.Nummer = 1042;
        b.NameOrig = u"Schmidt"_qs;
        b.VornameOrig = u"Bernd"_qs;
        b.IBAN = u"DE02120300000000202051"_qs;
        b.Mandatsnummer = u"M1042"_qs;
        b.SummeCent = Money(c.summeCent);
        b.MwstSaetze = c.rates;
        const QSet<long> leftOut = c.leftOut ? QSet<long>{42} : QSet<long>{};
        const QList<RegisteredDocument> docs =
            runDocuments(*form, readRunInputs(*form), {b}, c.directDebit, leftOut, c.directDebit ? u"70017001"_qs : QString(),
                         {u"MB_Mitgliedsbeitrag.xml"_qs});
        ASSERT_EQ(docs.size(), 1);
        const RegisteredDocument &d = docs[0];
        EXPECT_EQ(d.number, 7001);
        EXPECT_EQ(d.grossCents, c.grossCents);
        EXPECT_EQ(d.vatCents, c.vatCents);
        EXPECT_EQ(d.vatByRate, c.vatByRate);
        EXPECT_EQ(d.way, c.way);
        EXPECT_EQ(d.kind, c.kind);
        EXPECT_EQ(d.name, u"Schmidt Bernd"_qs);
        EXPECT_EQ(d.date, QDate(2026, 12, 6));
        EXPECT_EQ(d.due, QDate(2026, 12, 15));
        const bool debited = c.way == PaymentWay::DirectDebit;
        EXPECT_EQ(d.mandate.isEmpty(), !debited) << d.mandate.toStdString();
        EXPECT_EQ(d.batchId, debited ? u"70017001"_qs : QString());
        EXPECT_EQ(d.files, u"MB_Mitgliedsbeitrag.xml"_qs);
    }

    // An invoice run's files, one per owner, are named as far as SQL Server's column holds
    // them.
    QStringList many;
    for (int i = 0; i < 300; ++i)
        many << u"/export/E-Mails/"_qs + QString::number(7001 + i) + u"_"_qs + QString::number(1042 + i) + u".eml"_qs;
    Buchung b;
    b.RechNr = u"7001"_qs;
    const QString files = runDocuments(*form, readRunInputs(*form), {b}, false, {}, {}, many).first().files;
    EXPECT_EQ(files.size(), 1000);
    EXPECT_TRUE(files.startsWith(many.first() + u"; "_qs));
    EXPECT_TRUE(files.endsWith(u'…'));
}

TEST(RegisterDocuments, TablesAreOnTheListOfTheProgramsOwnTables)
{
    QStringList names;
    for (const OwnTable &table : ownTables())
        names.append(table.name);
    for (const OwnTable &table : register_tables::ownTables())
        EXPECT_EQ(names.count(table.name), 1) << table.name.toStdString();
    EXPECT_EQ(names.removeDuplicates(), 0);

    // Created by the shared list, the register finds its tables; created by the register,
    // the list finds nothing missing of them.
    for (const bool viaList : {true, false}) {
        SCOPED_TRACE(viaList ? "list" : "register");
        Workspace ws(3);
        const std::unique_ptr<Database> db =
            Database::open(u"Provider=SQLite;Data Source="_qs + ws.databaseFile());
        if (viaList)
            createOwnTables(*db);
        else
            ensureRegisterTables(*db);
        const QStringList missing = missingOwnTables(*db);
        for (const OwnTable &table : register_tables::ownTables())
            EXPECT_FALSE(missing.contains(table.name)) << table.name.toStdString();
        EXPECT_TRUE(readDocuments(*db).isEmpty());
        EXPECT_EQ(highestNumber(*db), std::nullopt);
        RegisteredDocument d;
        d.number = 9001;
        d.name = u"Meier"_qs;
        d.run = u"2026 Mitgliedsbeitrag"_qs;
        d.grossCents = 1250;
        Transaction transaction(*db);
        registerDocuments(*db, {d});
        transaction.commit();
        EXPECT_EQ(highestNumber(*db), 9001);
        EXPECT_EQ(numbersTaken(*db, 9000, 9005).count, 1);
        // Created once: the list does not create them a second time, and the row stays.
        const QStringList createdLater = createOwnTables(*db);
        for (const OwnTable &table : register_tables::ownTables())
            EXPECT_FALSE(createdLater.contains(table.name)) << table.name.toStdString();
        EXPECT_EQ(readDocuments(*db).size(), 1);
    }
}

// Each run's row names the run's id, which its mails carry. A register of an earlier
// version, whose runs have no id, gets the column: by the list of own tables (named as
// missing, in the administrator's script too) or by the register itself; its rows stay and
// read as of an unknown run.
TEST(RegisterDocuments, RunsNameTheirIdAndAnEarlierRegisterGetsTheColumn)
{
    for (const bool viaList : {true, false}) {
        SCOPED_TRACE(viaList ? "list" : "register");
        Workspace ws(3);
        const std::unique_ptr<Database> db = Database::open(u"Provider=SQLite;Data Source="_qs + ws.databaseFile());
        createOwnTables(*db);
        // The run table as the earlier version made it, with one of its runs.
        db->run(u"drop table QVL32_LAEUFE"_qs);
        db->run(u"create table QVL32_LAEUFE (lauf integer not null primary key, bezeichnung text not null, jahr text, "
                "typ text, sammler text, dateien text, erstellt text not null default current_timestamp)"_qs);
        db->run(u"insert into QVL32_LAEUFE (lauf, bezeichnung, jahr, typ) values (1, 'alt', '2025', 'Beitrag')"_qs);
        db->run(u"insert into QVL32_BELEGE (rechnr, art, id_personal, nummer, name, zahlweg, brutto_cent, ust_cent, "
                "lauf) values (500, 'Beitragsbescheid', 7, 1007, 'Alt', 'Lastschrift', 100, 0, 1)"_qs);
        EXPECT_EQ(missingOwnTables(*db), QStringList{u"QVL32_LAEUFE.kennung"_qs});
        EXPECT_TRUE(ownTablesSqlServerScript().contains(
            u"if col_length(N'dbo.QVL32_LAEUFE', N'kennung') is null\n    alter table dbo.QVL32_LAEUFE add kennung"_qs));
        const QHash<qint64, IssuedDocument> before = issuedDocuments(*db, 1, 1000);
        ASSERT_EQ(before.size(), 1);
        EXPECT_TRUE(before.value(500).runId.isEmpty());

        if (viaList)
            EXPECT_EQ(createOwnTables(*db), QStringList{u"QVL32_LAEUFE.kennung"_qs});
        else
            ensureRegisterTables(*db);
        EXPECT_TRUE(missingOwnTables(*db).isEmpty());
        EXPECT_TRUE(createOwnTables(*db).isEmpty()) << "a second time changes nothing";

        RegisteredDocument d;
        d.number = 501;
        d.kind = DocumentKind::FeeNotice;
        d.idPersonal = 8;
        d.name = u"Neu"_qs;
        d.run = u"2026 Mitgliedsbeitrag"_qs;
        d.runId = u"r-2026-a"_qs;
        d.year = u"2026"_qs;
        d.feeType = u"Mitgliedsbeitrag"_qs;
        d.way = PaymentWay::DirectDebit;
        RegisteredDocument other = d; // a second run: a row of its own with its id
        other.number = 502;
        other.runId = u"r-2026-b"_qs;
        Transaction transaction(*db);
        registerDocuments(*db, {d, other});
        transaction.commit();

        const QHash<qint64, IssuedDocument> after = issuedDocuments(*db, 500, 502);
        ASSERT_EQ(after.size(), 3);
        EXPECT_TRUE(after.value(500).runId.isEmpty());
        EXPECT_EQ(after.value(500).year, u"2025"_qs);
        EXPECT_EQ(after.value(501).runId, u"r-2026-a"_qs);
        EXPECT_EQ(after.value(501).idPersonal, 8);
        EXPECT_EQ(after.value(501).way, PaymentWay::DirectDebit);
        EXPECT_EQ(after.value(501).feeType, u"Mitgliedsbeitrag"_qs);
        EXPECT_EQ(after.value(502).runId, u"r-2026-b"_qs);
        EXPECT_NE(after.value(501).run, after.value(502).run);
        EXPECT_EQ(debitsOfRun(*db, after.value(502).run).size(), 1);
        EXPECT_EQ(issuedDocuments(*db, 501, 501).size(), 1);
    }
}
