#include "app/RunInputs.h"
#include "text/GermanOrder.h"
#include "fees/MemberQuery.h"

#include "app/FrmDTA.h"
#include "app/FormDesigns.h"
#include "commands/ProgramStart.h"
#include "core/RunError.h"
#include "run/MemberQueryFromForm.h"
#include "support/Workspace.h"

#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

#include <algorithm>

using namespace qvl;
using namespace qvl::test;

namespace {

// A started program on a demo database without owners (only the three creditors, which
// are never billed); each test adds the owners it needs.
class MemberQuery : public ::testing::Test {
protected:
    explicit MemberQuery(int demoOwners = 0) : ws(demoOwners) {}

    void SetUp() override
    {
        ws.writeSettings(demoSettings());
        form = ws.form();
        ASSERT_EQ(Form_Load(*form, {}), StartupResult::Ready) << ws.ui.texts().join(u'|').toStdString();
        form->bFBGVersion = false;
        chooseDirectDebit(true);
        chooseSort(0);
    }

    void chooseDirectDebit(bool directDebit)
    {
        form->LaoderRe[0].Value = directDebit;
        form->LaoderRe[1].Value = !directDebit;
    }
    // -1: none of the three sort options.
    void chooseSort(int option)
    {
        for (int i = 0; i < 3; ++i)
            form->Sort[std::size_t(i)].Value = i == option;
    }
    void chooseAssociation(long number)
    {
        form->bFBGVersion = true;
        form->lbPersons.ListIndex = int(form->aFBGNr.indexOf(number));
        ASSERT_EQ(form->GetFBGNr(), number);
    }

    // A billed direct-debit owner with Nummer 1000 + id, one administration row; `set`
    // then changes columns of `personal`.
    void addOwner(int id, const QString &set = {})
    {
        ws.execSql(uR"(insert into personal (id_personal, Nummer, Name, Vorname, Abrech1, DISABLE,
                       Hektar, IBAN, BIC, MANDATSNUMMER, Zusatz1, Zusatz5)
                       values (%1, %2, 'Name %1', 'Vorname', 1, 0, 1.0, 'DE02120300000000202051',
                       'BYLADEM1001', 'MR-%1', '100%1', '0050'))"_qs
                       .arg(id).arg(1000 + id));
        ws.execSql(u"insert into personal_free values (%1, 1, 0, 0)"_qs.arg(id));
        ws.execSql(u"insert into waldb_verwaltung (id_personal) values (%1)"_qs.arg(id));
        if (!set.isEmpty())
            ws.execSql(u"update personal set %1 where id_personal = %2"_qs.arg(set).arg(id));
    }
    void setFlags(int id, int directDebit, int invoice, int business = 0)
    {
        ws.execSql(u"update personal_free set BOXFREE1 = %2, BoxFree2 = %3, BOXFREE3 = %4 where id_personal = %1"_qs
                       .arg(id).arg(directDebit).arg(invoice).arg(business));
    }
    void addPlot(int id, double area)
    {
        static int next = 1;
        const int plot = next++;
        ws.execSql(u"insert into waldort values (%1, %2)"_qs.arg(plot).arg(area));
        ws.execSql(u"insert into wb_waldort_zuord (id_personal, id_waldort) values (%1, %2)"_qs.arg(id).arg(plot));
    }

    Buchungen run()
    {
        Buchungen records;
        readMembers(*form, readRunInputs(*form), records);
        return records;
    }
    static QList<long> ids(const Buchungen &records)
    {
        QList<long> out;
        for (const Buchung &b : records)
            out << b.Id_Personal;
        return out;
    }
    static QList<long> sortedIds(const Buchungen &records)
    {
        QList<long> out = ids(records);
        std::sort(out.begin(), out.end());
        return out;
    }
    static const Buchung &byId(const Buchungen &records, long id)
    {
        static const Buchung none;
        const auto it = std::find_if(records.begin(), records.end(),
                                     [&](const Buchung &b) { return b.Id_Personal == id; });
        EXPECT_NE(it, records.end()) << "owner " << id << " not read";
        return it == records.end() ? none : *it;
    }

    Workspace ws;
    std::unique_ptr<FrmDTA> form;
};

} // namespace

TEST_F(MemberQuery, PaymentTypeChoosesTheOwnersByTheirFlag)
{
    for (int id : {101, 102, 103, 104})
        addOwner(id, u"Name = 'Sägewerk Öttl GmbH und Söhne, Holzhandel und Transporte'"_qs);
    setFlags(101, 1, 0);
    setFlags(102, 0, 1, 1);
    setFlags(103, 1, 1);
    setFlags(104, 0, 0);

    const Buchungen debit = run();
    EXPECT_EQ(sortedIds(debit), (QList<long>{101, 103}));
    EXPECT_EQ(byId(debit, 101).Lastschrift, u"1"_qs);
    EXPECT_EQ(byId(debit, 101).Unternehmer, u"1"_qs);
    EXPECT_EQ(byId(debit, 101).NameUnternehmen, u""_qs);

    chooseDirectDebit(false);
    const Buchungen invoice = run();
    EXPECT_EQ(sortedIds(invoice), (QList<long>{102, 103}));
    const Buchung &business = byId(invoice, 102);
    EXPECT_EQ(business.Lastschrift, u"0"_qs);
    EXPECT_EQ(business.Unternehmer, u"2"_qs);
    EXPECT_EQ(business.NameUnternehmen, u"Sägewerk Öttl GmbH und Söhne, Holzhandel"_qs);
}

TEST_F(MemberQuery, UnbilledAndDisabledOwnersAreNeverRead)
{
    const std::pair<int, const char16_t *> owners[] = {
        {101, u"Abrech1 = 1, DISABLE = 0"}, {102, u"Abrech1 = 1, DISABLE = NULL"},
        {103, u"Abrech1 = 0"},             {104, u"Abrech1 = NULL"},
        {105, u"Abrech1 = 2"},             {106, u"DISABLE = 1"},
    };
    for (const auto &[id, set] : owners) {
        addOwner(id, QString::fromUtf16(set));
        setFlags(id, 1, 1);
    }
    for (bool directDebit : {true, false}) {
        chooseDirectDebit(directDebit);
        EXPECT_EQ(sortedIds(run()), (QList<long>{101, 102})) << "direct debit " << directDebit;
    }
}

TEST_F(MemberQuery, AssociationModeReadsTheNumberWithAndWithoutLeadingZeros)
{
    const std::pair<int, const char16_t *> owners[] = {
        {101, u"'0007'"}, {102, u"'7'"},    {103, u"'7 '"},  {104, u"'70'"},   {105, u"'0070'"},
        {106, u"'007'"},  {107, u"' 7'"},   {108, u"'0050'"}, {109, u"NULL"},
    };
    for (const auto &[id, zusatz5] : owners)
        addOwner(id, u"Zusatz5 = "_qs + QString::fromUtf16(zusatz5));

    chooseAssociation(7);
    // Trailing blanks do not count, as with SQL Server's comparison of texts.
    const Buchungen records = run();
    EXPECT_EQ(sortedIds(records), (QList<long>{101, 102, 103}));
    EXPECT_EQ(byId(records, 103).Zusatz5, u"7"_qs);

    chooseAssociation(50);
    EXPECT_EQ(sortedIds(run()), (QList<long>{108}));
}

TEST_F(MemberQuery, OwnerSelectionRestrictsTheRun)
{
    for (int id : {101, 102, 103})
        addOwner(id);
    form->strWBIN = u"(1101, 1103)"_qs;
    EXPECT_EQ(sortedIds(run()), (QList<long>{101, 103}));
}

// Read with the run's inputs, a selection that is no list of numbers never reaches the
// statement.
TEST_F(MemberQuery, InvalidOwnerSelectionIsRefusedBeforeTheQuery)
{
    addOwner(101);
    form->strWBIN = u"(1101); drop table personal"_qs;
    Buchungen records;
    try {
        readMembers(*form, readRunInputs(*form), records);
        ADD_FAILURE() << "no RunError";
    } catch (const RunError &e) {
        EXPECT_TRUE(e.message().contains(u"„(1101); drop table personal“ ist ungültig"_qs))
            << e.message().toStdString();
    }
    EXPECT_TRUE(records.empty());

    form->strWBIN.clear();
    EXPECT_EQ(ids(run()), (QList<long>{101})); // the table is still there
}

TEST(MemberQueryOwnerList, AcceptsOnlyParenthesisedListsOfNumbers)
{
    const std::pair<const char16_t *, bool> cases[] = {
        {u"", true},          {u"(1)", true},        {u"(1001,1002)", true},
        {u"( 1001 , 1002 )", true}, {u" (7,12) ", true}, {u"(-5,3)", true},
        {u"()", false},       {u"(1,)", false},      {u"(,1)", false},
        {u"1,2", false},      {u"(1", false},        {u"(1)(2)", false},
        {u"(a)", false},      {u"(1.5)", false},     {u"(1) or 1=1", false},
        {u"(1); drop table personal", false},        {u"(1)\n--", false},
    };
    for (const auto &[text, valid] : cases)
        EXPECT_EQ(isValidOwnerList(QString::fromUtf16(text)), valid) << QString::fromUtf16(text).toStdString();
}

TEST_F(MemberQuery, SortOptionsOrderTheRecords)
{
    addOwner(101, u"Nummer = 1103, Name = 'Brandl', Vorname = 'Anna'"_qs);
    addOwner(102, u"Nummer = 1101, Name = 'Adler', Vorname = 'Xaver'"_qs);
    addOwner(103, u"Nummer = 1102, Name = 'adler', Vorname = 'Berta'"_qs);
    addOwner(104, u"Nummer = 1104, Name = 'Ährlich', Vorname = 'Eva'"_qs);
    addOwner(105, u"Nummer = 1100, Name = 'Zeller', Vorname = 'Max'"_qs);

    const std::pair<int, QList<long>> orders[] = {
        {0, {105, 102, 103, 101, 104}}, // Nummer
        {1, {103, 102, 104, 101, 105}}, // Name, Vorname in German order (Ährlich after Adler), id
        {2, {101, 102, 103, 104, 105}}, // id
    };
    for (const auto &[option, expected] : orders) {
        chooseSort(option);
        EXPECT_EQ(ids(run()), expected) << "option " << option;
    }

    chooseSort(-1);
    EXPECT_FALSE(memberQueryStatement(memberQueryInputs(*form), readRunInputs(*form), SqlDialect::Sqlite).statement.contains(u"order by"_qs));
    EXPECT_EQ(sortedIds(run()), (QList<long>{101, 102, 103, 104, 105}));
}

TEST(GermanOrder, CaseAndDiacriticsCountOnlyBetweenOtherwiseEqualTexts)
{
    const std::pair<const char16_t *, const char16_t *> ascending[] = {
        {u"Adler", u"Ährlich"}, {u"Ährlich", u"Bauer"}, {u"Müller", u"Zeller"}, {u"Mueller", u"Müller"},
        {u"Strasse", u"Straße"}, {u"Öd", u"Oehl"}, {u"", u"A"}};
    for (const auto &[lower, higher] : ascending) {
        EXPECT_LT(compareGerman(QStringView(lower), QStringView(higher)), 0) << QString::fromUtf16(lower).toStdString();
        EXPECT_GT(compareGerman(QStringView(higher), QStringView(lower)), 0) << QString::fromUtf16(higher).toStdString();
    }
    EXPECT_EQ(compareGerman(u"Weiß", u"Weiß"), 0);
    EXPECT_EQ(compareGerman(u"adler", u"ADLER"), 0);
}

TEST_F(MemberQuery, OwnerWithSeveralRowsBecomesOneRecord)
{
    addOwner(101);
    addOwner(102, u"Name = 'Zweite'"_qs);
    ws.execSql(u"insert into waldb_verwaltung (id_personal) values (102)"_qs);
    ws.execSql(u"insert into waldb_verwaltung (id_personal) values (102)"_qs);
    addPlot(102, 2.0);

    Buchungen records = run();
    EXPECT_EQ(ids(records), (QList<long>{101, 102}));
    EXPECT_EQ(byId(records, 102).Hektar, 1.0);

    // Owners already in the array are not read twice.
    Buchungen existing(1);
    existing[0].Id_Personal = 102;
    readMembers(*form, readRunInputs(*form), existing);
    EXPECT_EQ(ids(existing), (QList<long>{102, 101}));
    EXPECT_EQ(existing[0].Name, u""_qs);
}

TEST_F(MemberQuery, AreaFallsBackToThePlots)
{
    addOwner(101, u"Hektar = NULL"_qs);
    addPlot(101, 1.5);
    addPlot(101, 2.25);
    addOwner(102, u"Hektar = 0"_qs);
    addOwner(103, u"Hektar = 4.5"_qs);
    addPlot(103, 1.0);
    addOwner(104, u"Hektar = 0"_qs);
    addPlot(104, 0.75);

    const Buchungen records = run();
    EXPECT_DOUBLE_EQ(byId(records, 101).Hektar, 3.75);
    EXPECT_EQ(byId(records, 102).Hektar, 0.0);
    EXPECT_EQ(byId(records, 103).Hektar, 4.5);
    EXPECT_EQ(byId(records, 104).Hektar, 0.75);
}

TEST(MemberQueryFibuKonto, FirstDigitGivesTheAccountRange)
{
    const std::tuple<const char16_t *, const char16_t *, const char16_t *> cases[] = {
        {u"812", u"DATEV-FIBU", u"212"}, {u"912", u"IBM-FIBU", u"412"},
        {u"712", u"SYSKA-FIBU", u"112"}, {u"312", u"DATEV-FIBU", u"112"},
        {u"012", u"DATEV-FIBU", u"112"}, {u"8", u"DATEV-FIBU", u"2"},
        {u"K-1", u"DATEV-FIBU", u"K-1"}, {u"", u"DATEV-FIBU", u""},
        {u"812", u"", u""},
    };
    for (const auto &[zusatz1, fibu, expected] : cases)
        EXPECT_EQ(fibuKontoFromZusatz1(QString::fromUtf16(zusatz1), QString::fromUtf16(fibu)),
                  QString::fromUtf16(expected))
            << QString::fromUtf16(zusatz1).toStdString() << " / " << QString::fromUtf16(fibu).toStdString();
}

TEST_F(MemberQuery, AccountNumberAndTheBookingListCaption)
{
    addOwner(101, u"Zusatz1 = ' 812 '"_qs);
    addOwner(102, u"Zusatz1 = 'K-1'"_qs);
    const QString caption = designs(*form).Beitrag.control(u"Bezeichnung16"_qs).Caption;
    ASSERT_EQ(caption, u"FibNr"_qs);

    form->strFibu = u"DATEV-FIBU"_qs;
    Buchungen records = run();
    EXPECT_EQ(byId(records, 101).Zusatz1, u"812"_qs);
    EXPECT_EQ(byId(records, 101).FibuKonto, u"212"_qs);
    EXPECT_EQ(byId(records, 102).FibuKonto, u"K-1"_qs);
    EXPECT_EQ(designs(*form).Beitrag.control(u"Bezeichnung16"_qs).Caption, caption);
    records.clear();
    EXPECT_FALSE(RunMemberQuery(memberQueryInputs(*form), readRunInputs(*form), records));

    // One owner without an account number empties the caption.
    addOwner(103, u"Zusatz1 = NULL"_qs);
    records.clear();
    EXPECT_TRUE(RunMemberQuery(memberQueryInputs(*form), readRunInputs(*form), records));
    EXPECT_EQ(designs(*form).Beitrag.control(u"Bezeichnung16"_qs).Caption, caption); // the query alone leaves it
    records = run();
    EXPECT_EQ(byId(records, 103).FibuKonto, u""_qs);
    EXPECT_EQ(designs(*form).Beitrag.control(u"Bezeichnung16"_qs).Caption, u""_qs);

    designs(*form).Beitrag.control(u"Bezeichnung16"_qs).Caption = caption;
    form->strFibu.clear();
    records = run();
    for (const Buchung &b : records)
        EXPECT_EQ(b.FibuKonto, u""_qs);
    EXPECT_EQ(designs(*form).Beitrag.control(u"Bezeichnung16"_qs).Caption, u""_qs);
}

TEST_F(MemberQuery, MinimumFeesComeFromTheForm)
{
    addOwner(101);
    addOwner(102);
    const char16_t *texts[] = {u"12,50", u"7", u"", u" 3 ", u"1.234,5"};
    for (int k = 0; k < kFeeSlots; ++k)
        form->txtMindestbeitrag[std::size_t(k)].Text = QString::fromUtf16(texts[k]);

    const SlotArray<double> expected{12.5, 7, 0, 3, 1234.5, 0};
    for (const Buchung &b : run())
        EXPECT_EQ(b.Mindestbeitrag, expected);

    // A minimum fee the box would refuse is no minimum fee of 0 (nor of 15): the query stops.
    for (const QString &text : {u"abc"_qs, u"1.5"_qs}) {
        form->txtMindestbeitrag[3].Text = text;
        EXPECT_THROW(run(), RunError) << text.toStdString();
    }
}

TEST_F(MemberQuery, ValuesAreNormalised)
{
    addOwner(101, uR"(Name = 'O''Brien', Vorname = 'Patrick', Anrede = NULL, Strasse = 'Grüner Weg 3',
                      Nation = NULL, Postfach = '', BIC = NULL, MANDATSNUMMER = NULL,
                      IBAN = ' DE02 1203 0000 0000 2020 51 ', BLZ = ' 120 300 00', KONTO = '20 20 51',
                      BANK = 'Münchner Bank', Zusatz2 = '  zwei  ', Zusatz5 = NULL,
                      UID1 = 'DE 123-456_789.012 345 678', BLZ1 = '139/123 45-6',
                      Fixbeitrag3 = 12.5, Ha1 = '2,5', Weitere5 = NULL, Flachenbertrag2 = 3,
                      Angefangene1 = NULL, Angefangene2 = 1, Angefangene3 = 2, Angefangene4 = 0,
                      Beitrittsdatum = '2019-04-03 14:30:00')"_qs);
    addOwner(102, uR"(BIC = '', use_bank2 = 1, BLZ2 = '70150000', bank2 = 'Zweitbank',
                      KONTO2 = '99', IBAN2 = 'DE89 3704 0044 0532 0130 00', BIC2 = 'COBADEFFXXX',
                      Nation = 'A', Beitrittsdatum = '2001-12-31')"_qs);
    addOwner(103, u"BIC = '', Beitrittsdatum = ''"_qs);
    addOwner(104, u"Beitrittsdatum = 'seit jeher'"_qs);
    addOwner(105, u"Beitrittsdatum = NULL"_qs);

    const Buchungen records = run();
    const Buchung &a = byId(records, 101);
    EXPECT_EQ(a.Nummer, 1101);
    EXPECT_EQ(a.Name, u"O'Brien"_qs);
    EXPECT_EQ(a.NameOrig, u"O'Brien"_qs);
    EXPECT_EQ(a.Anrede, u""_qs);
    EXPECT_EQ(a.StrasseOrig, u"Grüner Weg 3"_qs);
    EXPECT_EQ(a.Nation, u""_qs);
    EXPECT_EQ(a.BankLaenderKZ, u"DE"_qs);
    EXPECT_EQ(a.Postfach, u""_qs);
    EXPECT_EQ(a.BIC, u"NOTPROVIDED"_qs);
    EXPECT_EQ(a.Mandatsnummer, u"1101"_qs);
    EXPECT_EQ(a.IBAN, u"DE02120300000000202051"_qs);
    EXPECT_EQ(a.BLZ, u"12030000"_qs);
    EXPECT_EQ(a.Konto, u"202051"_qs);
    EXPECT_EQ(a.KennzifferHauptbankverbindung1, u"1"_qs);
    EXPECT_EQ(a.BankOrig, u"Münchner Bank"_qs);
    EXPECT_EQ(a.Zusatz2, u"zwei"_qs);
    EXPECT_EQ(a.Zusatz5, u""_qs);
    EXPECT_EQ(a.USTID, u"DE1234567890123"_qs);
    EXPECT_EQ(a.Steuernummer, u"139/123456"_qs);
    EXPECT_EQ(a.Fixbeitrag, (SlotArray<double>{0, 0, 12.5, 0, 0, 0}));
    EXPECT_EQ(a.Ha, (SlotArray<double>{2.5, 0, 0, 0, 0, 0}));
    EXPECT_EQ(a.Flachenbertrag, (SlotArray<double>{0, 3, 0, 0, 0, 0}));
    EXPECT_EQ(a.Angefangene, (SlotArray<bool>{false, true, true, false, false, false}));
    EXPECT_EQ(a.Beitrittsdatum, QDate(2019, 4, 3));

    const Buchung &b = byId(records, 102);
    EXPECT_EQ(b.BIC, u"COBADEFFXXX"_qs); // the second bank connection
    EXPECT_EQ(b.Bank, u"Zweitbank"_qs);
    EXPECT_EQ(b.IBAN, u"DE89370400440532013000"_qs);
    EXPECT_EQ(b.BLZ, u"70150000"_qs);
    EXPECT_EQ(b.Konto, u"99"_qs);
    EXPECT_EQ(b.KennzifferHauptbankverbindung1, u"0"_qs); // BLZ of the first connection
    EXPECT_EQ(b.BankLaenderKZ, u"A"_qs);
    EXPECT_EQ(b.Mandatsnummer, u"MR-102"_qs);
    EXPECT_EQ(b.Beitrittsdatum, QDate(2001, 12, 31));

    EXPECT_EQ(byId(records, 103).BIC, u"NOTPROVIDED"_qs);
    EXPECT_EQ(byId(records, 103).Beitrittsdatum, QDate(1990, 1, 1));
    EXPECT_EQ(byId(records, 104).Beitrittsdatum, QDate(1990, 1, 1));
    // No date on file: the database's today.
    const QDate today = byId(records, 105).Beitrittsdatum;
    EXPECT_LE(std::abs(today.daysTo(QDate::currentDate())), 1);
}

TEST_F(MemberQuery, SqlServerStatementForOneChoice)
{
    chooseDirectDebit(false);
    form->strWBIN = u"(1101,1102)"_qs;
    chooseAssociation(7);
    chooseSort(1);

    const MemberQuerySql sql = memberQueryStatement(memberQueryInputs(*form), readRunInputs(*form), SqlDialect::SqlServer);
    const QString expected = uR"(SELECT personal.Id_Personal, Nummer, Name, Vorname, case when isnull(use_bank2,0) = 0 then BLZ else BLZ2 end as BLZ, )"
        uR"(Anrede, Strasse, PLZ, Ort, Nation, case when isnull(use_bank2,0) = 0 then BANK else bank2 end as Bank, case when isnull(use_bank2,0) = 0 then KONTO else KONTO2 end as Konto, case when isnull(personal.Hektar,0) = 0 then ISNULL(wzuord.Hektar,0) else isnull(personal.Hektar,0) end Hektar,  Postfach, Bezeichnung, )"
        uR"( case when isnull(use_bank2,0) = 0 then IBAN else IBAN2 end as IBAN, case when isnull(use_bank2,0) = 0 then BIC else BIC2 end as BIC, )"
        uR"( ISNULL(MANDATSNUMMER,NUMMER) AS Mandatsnummer, Fixbeitrag1, Fixbeitrag2, Fixbeitrag3, Fixbeitrag4, Fixbeitrag5, )"
        uR"(Ha1, Ha2, Ha3, Ha4, Ha5, Weitere1, Weitere2, Weitere3, )"
        uR"(Weitere4, Weitere5, Angefangene1, Angefangene2, Angefangene3, )"
        uR"(Angefangene4, Angefangene5, Flachenbertrag1, Flachenbertrag2, )"
        uR"(Flachenbertrag3, Flachenbertrag4, Flachenbertrag5, number10, Zusatz1, Zusatz2,Zusatz3,Zusatz4,Zusatz5,)"
        uR"( LEFT(replace(replace(replace(replace(ISNULL(PERSONAL.UID1,''),' ',''),'-',''),'_',''),'.',''),15) USTID, )"
        uR"( replace(replace(replace(replace(ISNULL(PERSONAL.BLZ1,''),' ',''),'-',''),'_',''),'.','') Steuernummer, )"
        uR"( cast(ISNULL(PERSONAL_FREE.BOXFREE1,0) as int) Lastschrift, )"
        uR"( cast(case when ISNULL(PERSONAL_FREE.BOXFREE3,0) = 0 then 1 else 2 end as int) Unternehmer, )"
        uR"( case when ISNULL(PERSONAL_FREE.BOXFREE3,0) = 0 then '' else LEFT(PERSONAL.Name,40) end NameUnternehmen, )"
        uR"( ISNULL(PERSONAL.NATION,'DE') BankLaenderKZ, )"
        uR"( case when isnull(PERSONAL.BLZ,'') = '' then 0 else 1 end as KennzifferHauptbankverbindung1,  )"
        uR"( isnull(personal.Email,'') as Email, )"
        uR"( ISNULL(Beitrittsdatum,getdate()) as Beitrittsdatum )"
        uR"(from personal inner join personal_free on  personal.id_personal = personal_free.id_personal )"
        uR"(left join waldb_verwaltung on personal.id_personal = waldb_verwaltung.id_personal )"
        uR"(left join ( )"
        uR"(select sum(wo.flaeche) as Hektar, id_personal )"
        uR"(from wb_waldort_zuord wbz inner join waldort wo on wbz.id_waldort = wo.id_waldort )"
        uR"(group by id_personal ) as wzuord on wzuord.id_personal = personal.id_personal )"
        uR"( where  Abrech1 = 1 AND ISNULL(DISABLE,0) = 0  )"
        uR"( and BoxFree2 = 1 and nummer IN(1101,1102) and (zusatz5 = ? or zusatz5 = ?))"
        uR"( order by Name, Vorname, personal.id_personal )"_qs;
    EXPECT_EQ(sql.statement, expected);
    EXPECT_EQ(sql.values, (QVariantList{u"0007"_qs, u"7"_qs}));
}

TEST_F(MemberQuery, VanishedDatabaseIsADatabaseError)
{
    addOwner(101);
#ifdef Q_OS_WIN
    GTEST_SKIP() << "Windows does not remove a file another handle holds open";
#endif
    ASSERT_TRUE(QFile::remove(ws.databaseFile()));
    Buchungen records;
    EXPECT_THROW(readMembers(*form, readRunInputs(*form), records), DbError);
    EXPECT_TRUE(records.empty());
}

namespace {

class MemberQueryDemo : public MemberQuery {
protected:
    MemberQueryDemo() : MemberQuery(250) {}

    // The eligible owners counted by the database itself.
    int countOwners(const QString &condition)
    {
        std::unique_ptr<Database> db = Database::open(form->strConnectionString, form->connectionOptions);
        QSqlQuery q = db->run(u"select count(*) from personal p join personal_free f on p.id_personal = f.id_personal "
                              u"where p.Abrech1 = 1 and ifnull(p.DISABLE, 0) = 0 and "_qs + condition);
        return q.next() ? q.value(0).toInt() : -1;
    }
};

} // namespace

TEST_F(MemberQueryDemo, ReadsEveryEligibleOwnerOnce)
{
    Buchungen records = run();
    EXPECT_EQ(int(records.size()), countOwners(u"f.BOXFREE1 = 1"_qs));
    const QList<long> read = ids(records);
    EXPECT_EQ(int(QSet<long>(read.begin(), read.end()).size()), int(records.size()));
    for (const Buchung &b : records) {
        EXPECT_EQ(b.Lastschrift, u"1"_qs);
        EXPECT_FALSE(b.IBAN.contains(u' '));
        EXPECT_FALSE(b.BIC.isEmpty());
        EXPECT_FALSE(b.Mandatsnummer.isEmpty());
        EXPECT_TRUE(b.Beitrittsdatum.isValid());
    }

    chooseAssociation(50);
    chooseDirectDebit(false);
    records = run();
    EXPECT_EQ(int(records.size()), countOwners(u"f.BoxFree2 = 1 and p.Zusatz5 in ('0050', '50')"_qs));
    for (const Buchung &b : records)
        EXPECT_TRUE(b.Zusatz5 == u"50"_qs || b.Zusatz5 == u"0050"_qs) << b.Zusatz5.toStdString();
}
