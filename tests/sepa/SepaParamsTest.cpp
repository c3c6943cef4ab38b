// The bank file from its parameters alone: no form, no settings file, the records made by
// hand. What the writer is given is what the file, the stored fees and the fee slots say.
#include "sepa/SepaWriter.h"

#include "core/RunError.h"
#include "base/Clock.h"
#include "text/Conversions.h"
#include "db/Database.h"
#include "files/RunOutputs.h"
#include "ledger/OwnTables.h"
#include "ledger/RunCommit.h"
#include "ledger/RunManifest.h"
#include "stored/RunLock.h"
#include "sepa/SepaSchema.h"
#include "support/Workspace.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

Buchung owner(long id, const QString &name, const QString &iban, qint64 cents)
{
    Buchung b;
    b.Id_Personal = id;
    b.Nummer = id + 1000;
    b.Name = name;
    b.Vorname = u"Anna"_qs;
    b.Strasse = u"Am Hang 3"_qs;
    b.PLZ = u"34117"_qs;
    b.Ort = u"Kassel"_qs;
    b.IBAN = iban;
    b.BIC = u"COBADEFFXXX"_qs;
    b.Mandatsnummer = u"M-"_qs + QString::number(id);
    b.FibuKonto = u"1"_qs + QString::number(id);
    b.RechNr = u"47"_qs + QString::number(id);
    b.Hektar = 2.5;
    b.SummeCent = Money(double(cents));
    b.Betrag[0] = double(cents) / 100.0;
    return b;
}

struct Case {
    SepaFormat format;
    QString vatRate;
    bool accountingRemittance;
    QString remittance; // what the first owner's remittance line holds
};

class SepaParamsTest : public testing::TestWithParam<Case> {
protected:
    Workspace ws{5};
    FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(10, 0))};

    SepaParams params() const
    {
        SepaParams p;
        p.now = clock.now();
        p.invoiceDate = QDate(2026, 12, 1);
        p.format = GetParam().format;
        p.exportDir = ws.root() + u"/"_qs;
        p.feeText = u"Umlage"_qs;
        p.businessYear = u"2026"_qs;
        p.dueDate = QDate(2026, 12, 20);
        p.creditor.name = u"Waldbesitzer Ölberg"_qs;
        p.creditor.iban = u"de89 3704 0044 0532 0130 00"_qs;
        p.creditor.bic = u"COBADEFFXXX"_qs;
        p.creditor.creditorId = u"DE98ZZZ09999999999"_qs;
        p.remittance = u"Beitrag"_qs;
        p.accountingRemittance = GetParam().accountingRemittance;
        p.tickedSlots = 0b101; // fees 1 and 3
        p.programDir = ws.programDir();
        p.clock = &clock;
        return p;
    }

    QStringList column(Database &db, const QString &sql) const
    {
        QStringList values;
        QSqlQuery q = db.run(sql);
        while (q.next())
            values.append(q.value(0).toString());
        return values;
    }
};

TEST_P(SepaParamsTest, WritesTheFileAndStoresTheFeesOfItsParameters)
{
    Buchungen records{owner(1, u"Müller"_qs, u"DE89370400440532013000"_qs, 1250),
                      owner(2, u"Schmidt"_qs, QString(), 800), // no IBAN: left out
                      owner(3, u"Weber"_qs, u"DE02120300000000202051"_qs, 1000)};
    records[0].Betrag[1] = 3; // a fee the run does not collect
    records[2].Betrag[2] = 4;
    // The remittance names each owner's own rates: the third owner's fees carry two.
    const QString rate = GetParam().vatRate;
    if (!rate.isEmpty()) {
        records[0].MwstSaetze = {MwstSatz{*parseGermanAmount(rate), rate, {}, {}, {}}};
        records[2].MwstSaetze = {MwstSatz{*parseGermanAmount(rate), rate, {}, {}, {}}, MwstSatz{5.5, u"5,5"_qs, {}, {}, {}},
                                 MwstSatz{0, u"0"_qs, {}, {}, {}}};
    }

    const std::unique_ptr<Database> db = Database::open(u"Provider=SQLite;Data Source="_qs + ws.databaseFile());
    ensureOwnTables(*db);
    const QString databaseId = run_manifest::ensureDatabaseId(*db);
    RunLock lock(*db);
    RunOutputs outputs(databaseId, RunOutputs::newRunId());
    const SepaExport result = writeSepaFile(params(), records, *db, outputs);
    const QString databaseFile = ws.databaseFile();
    const NamingResult naming = commitRun(*db, lock, outputs, [&databaseFile] {
        return Database::open(u"Provider=SQLite;Data Source="_qs + databaseFile);
    });
    ASSERT_TRUE(naming.problems.isEmpty()) << naming.problems.join(u'\n').toStdString();

    EXPECT_EQ(QFileInfo(result.file).fileName(), u"MB_Umlage_06122026T100000.xml"_qs);
    EXPECT_EQ(result.numberOfTransactions, 2);
    EXPECT_EQ(result.controlSumCent.cents(), 2250);
    EXPECT_EQ(result.notCollected, QSet<long>{2});

    QFile file(result.file);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    const auto error = sepaSchemaError(GetParam().format, text);
    EXPECT_FALSE(error) << (error ? error->message.toStdString() : std::string());
    EXPECT_TRUE(text.contains(sepaFormatText(GetParam().format).toUtf8()));
    for (const char *part : {"<Nm>Waldbesitzer OElberg</Nm>", "<IBAN>DE89370400440532013000</IBAN>",
                             "<Id>DE98ZZZ09999999999</Id>", "<CtrlSum>22.5</CtrlSum>", "2026-12-20",
                             "<MndtId>M-1</MndtId>", "<MndtId>M-3</MndtId>"})
        EXPECT_TRUE(text.contains(part)) << part;
    EXPECT_FALSE(text.contains("M-2"));
    EXPECT_TRUE(text.contains(GetParam().remittance.toUtf8())) << GetParam().remittance.toStdString();
    EXPECT_EQ(text.contains("MWST"), !GetParam().vatRate.isEmpty());
    if (!rate.isEmpty()) {
        EXPECT_TRUE(text.contains((u" INKL. 5,5% UND "_qs + rate + u"% MWST"_qs).toUtf8())) << text.toStdString();
    }

    // The fees under the run's year and fee text, with the invoice and due dates given.
    EXPECT_EQ(column(*db, u"select id_personal || ' ' || cast(round(betrag * 100) as integer) || ' ' || r_name || ' ' "
                          "|| datum_verrechnet || ' ' || datum_bezahlt from PERSONAL_MG_BEITRAGE "
                          "where jahr = '2026' and typ = 'Umlage' order by id_personal"_qs),
              (QStringList{u"1 1250 471 2026-12-01 2026-12-20"_qs, u"3 1000 473 2026-12-01 2026-12-20"_qs}));
    // Only ticked fees that are not 0 are recorded as collected (slot numbers count from 1).
    EXPECT_EQ(column(*db, u"select id_personal || ':' || beitrag from QVL32_SEPA_BEITRAGSARTEN "
                          "where jahr = '2026' and typ = 'Umlage' order by id_personal, beitrag"_qs),
              (QStringList{u"1:1"_qs, u"3:1"_qs, u"3:3"_qs}));
}

INSTANTIATE_TEST_SUITE_P(
    FormatsAndRemittances, SepaParamsTest,
    testing::Values(Case{SepaFormat::Pain00800108, QString(), false, u"Beitrag Jahr 2026 2,5ha  MandatNr.: M-1"_qs},
                    Case{SepaFormat::Pain00800102, u"19"_qs, false, u"MandatNr.: M-1 INKL. 19% MWST"_qs},
                    Case{SepaFormat::Pain00800108, u"7"_qs, true, u"Beitrag FiBu 11 RG 471 INKL. 7% MWST"_qs}));

TEST(SepaParams, NoWritableIbanWritesNoFileAndStoresNothing)
{
    Workspace ws{5};
    const FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(10, 0))};
    SepaParams p;
    p.now = clock.now();
    p.exportDir = ws.root() + u"/"_qs;
    p.feeText = u"Umlage"_qs;
    p.businessYear = u"2026"_qs;
    p.programDir = ws.programDir();
    p.clock = &clock;
    const std::unique_ptr<Database> db = Database::open(u"Provider=SQLite;Data Source="_qs + ws.databaseFile());
    RunLock lock(*db);
    RunOutputs outputs(u"DB"_qs, RunOutputs::newRunId());
    try {
        writeSepaFile(p, {owner(1, u"Müller"_qs, QString(), 1250)}, *db, outputs);
        ADD_FAILURE() << "no RunError";
    } catch (const RunError &e) {
        EXPECT_EQ(e.kind(), RunError::Kind::Input);
    }
    EXPECT_TRUE(outputs.isEmpty());
}

} // namespace
