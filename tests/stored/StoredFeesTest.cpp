#include "stored/StoredFees.h"
#include "stored/StoredRunCaption.h"

#include "support/Workspace.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

const QString kType = u"Mitgliedsbeitrag"_qs;

std::unique_ptr<Database> openDemo(const Workspace &ws)
{
    return Database::open(u"Provider=SQLite;Data Source="_qs + ws.databaseFile());
}

QDateTime at(int year, int month, int day, int hour = 10, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute));
}

StoredFee fee(long id, const QString &jahr = u"2026"_qs, const QString &typ = kType, Money betrag = Money(1250))
{
    StoredFee f;
    f.idPersonal = id;
    f.jahr = jahr;
    f.betrag = betrag;
    f.rechDat = u"06.12.2026"_qs;
    f.faellDat = u"20.12.2026"_qs;
    f.typ = typ;
    f.rechNr = u"RG-"_qs + QString::number(id);
    f.iban = u"DE89370400440532013000"_qs;
    return f;
}

// What a direct-debit run does per booking: delete, then insert, all in one transaction.
void writeFees(Database &db, const QDateTime &now, const QList<StoredFee> &fees)
{
    Transaction tx(db);
    StoredFeesWriter writer(db, now);
    for (const StoredFee &f : fees) {
        writer.deleteOwnerFee(f.idPersonal, f.jahr, f.typ);
        writer.insert(f);
    }
    tx.commit();
}

void writeRun(Database &db, const QDateTime &now, const QList<long> &ids, const QString &jahr = u"2026"_qs,
              const QString &typ = kType, Money betrag = Money(1250))
{
    QList<StoredFee> fees;
    for (long id : ids)
        fees.append(fee(id, jahr, typ, betrag));
    writeFees(db, now, fees);
}

// "id jahr typ betrag" per row, in insertion order.
QStringList rows(Database &db)
{
    QSqlQuery q = db.run(u"select id_personal, jahr, typ, betrag from PERSONAL_MG_BEITRAGE order by id_beitrag"_qs);
    QStringList out;
    while (q.next())
        out << q.value(0).toString() + u' ' + q.value(1).toString() + u' ' + q.value(2).toString() + u' '
                   + QString::number(q.value(3).toDouble());
    return out;
}

QVariantList row(Database &db, const QString &where)
{
    QSqlQuery q = db.run(u"select datum_erstellt, datum_verrechnet, datum_bezahlt, typ, r_name, iban, betrag "
                         u"from PERSONAL_MG_BEITRAGE where "_qs
                         + where);
    if (!q.next())
        return {};
    QVariantList out;
    for (int i = 0; i < 7; ++i)
        out << q.value(i);
    return out;
}

} // namespace

TEST(StoredFeesWriter, ReplacesOnlyTheOwnersRowOfTheSameYearAndType)
{
    Workspace ws(5);
    // An empty type replaces a row whose typ is NULL.
    ws.execSql(u"insert into PERSONAL_MG_BEITRAGE (id_personal, jahr, betrag, typ) values (4, '2026', 5, null)"_qs);
    auto db = openDemo(ws);
    writeRun(*db, at(2026, 12, 5), {1, 2});
    writeRun(*db, at(2026, 12, 5), {1}, u"2026"_qs, u"Wegebeitrag"_qs);
    writeRun(*db, at(2026, 12, 5), {1}, u"2025"_qs);
    writeRun(*db, at(2026, 12, 5), {1}, u"2026"_qs, kType, Money(9975));
    writeRun(*db, at(2026, 12, 5), {4}, u"2026"_qs, QString(), Money(700));

    EXPECT_EQ(rows(*db), (QStringList{u"2 2026 Mitgliedsbeitrag 12.5"_qs, u"1 2026 Wegebeitrag 12.5"_qs,
                                      u"1 2025 Mitgliedsbeitrag 12.5"_qs, u"1 2026 Mitgliedsbeitrag 99.75"_qs,
                                      u"4 2026  7"_qs}));
}

TEST(StoredFeesWriter, StoresTheValuesAsTheSuiteReadsThem)
{
    Workspace ws(3);
    auto db = openDemo(ws);
    StoredFee valid = fee(3);
    valid.betrag = Money(123456);
    StoredFee invalidDates = fee(2);
    invalidDates.rechDat = u"31.02.2026"_qs;
    invalidDates.faellDat = QString();
    writeFees(*db, at(2026, 12, 5, 14, 30).addSecs(15), {valid, invalidDates});

    EXPECT_EQ(row(*db, u"id_personal = 3"_qs),
              (QVariantList{u"2026-12-05 14:30:15"_qs, u"2026-12-06"_qs, u"2026-12-20"_qs, kType, u"RG-3"_qs,
                            u"DE89370400440532013000"_qs, 1234.56}));
    const QVariantList r = row(*db, u"id_personal = 2"_qs);
    ASSERT_EQ(r.size(), 7);
    EXPECT_TRUE(r[1].isNull());
    EXPECT_TRUE(r[2].isNull());
}

TEST(StoredFeesWriter, FailuresAreDatabaseErrorsNamingTheCause)
{
    Workspace ws(3);
    auto db = openDemo(ws);
    {
        StoredFeesWriter writer(*db, at(2026, 12, 5));
        // A refused row; the statement stays usable for the next one.
        db->run(u"create trigger refuse before insert on PERSONAL_MG_BEITRAGE when new.id_personal = 2 "
                u"begin select raise(abort, 'Zeile abgelehnt'); end"_qs);
        try {
            writer.insert(fee(2));
            ADD_FAILURE() << "no error";
        } catch (const DbError &e) {
            EXPECT_TRUE(e.message().contains(u"Zeile abgelehnt"_qs)) << e.what();
            EXPECT_TRUE(e.message().contains(u"insert into PERSONAL_MG_BEITRAGE"_qs)) << e.what();
        }
        writer.insert(fee(3));
        EXPECT_EQ(rows(*db), QStringList{u"3 2026 Mitgliedsbeitrag 12.5"_qs});
    }
    db->run(u"drop table PERSONAL_MG_BEITRAGE"_qs);
    EXPECT_THROW(StoredFeesWriter writer(*db, at(2026, 12, 5)), DbError);
}

TEST(StoredFeesWriter, TypeLongerThanFiftyCharactersIsStoredCutAndStillReplaced)
{
    Workspace ws(3);
    auto db = openDemo(ws);
    const QString longType = u"Mitgliedsbeitrag, Wegebeitrag, Umlage Waldschutz und Verwaltungskosten"_qs;
    ASSERT_GT(longType.size(), 50);
    writeRun(*db, at(2026, 12, 5), {1}, u"2026"_qs, longType, Money(1000));
    writeRun(*db, at(2026, 12, 6), {1}, u"2026"_qs, longType, Money(2000));

    EXPECT_EQ(rows(*db), QStringList{u"1 2026 "_qs + longType.left(50) + u" 20"_qs});
}

TEST(StoredFeesWriter, ApostrophesInValuesAreStoredUnchanged)
{
    Workspace ws(3);
    auto db = openDemo(ws);
    StoredFee f = fee(2, u"2026"_qs, u"O'Brien's Beitrag"_qs);
    f.rechNr = u"O'Brien"_qs;
    f.iban = u"IE'29"_qs;
    writeFees(*db, at(2026, 12, 5), {f});
    writeFees(*db, at(2026, 12, 5), {f});

    const QVariantList r = row(*db, u"id_personal = 2"_qs);
    ASSERT_EQ(r.size(), 7);
    EXPECT_EQ(r[3].toString(), u"O'Brien's Beitrag"_qs);
    EXPECT_EQ(r[4].toString(), u"O'Brien"_qs);
    EXPECT_EQ(r[5].toString(), u"IE'29"_qs);
    EXPECT_EQ(rows(*db).size(), 1);

    const QString key = u"2026 O'Brien's Beitrag, Erstellt: Dec  5 2026"_qs;
    EXPECT_EQ(listStoredRuns(*db), QStringList{key});
    deleteStoredRun(*db, key);
    EXPECT_TRUE(rows(*db).isEmpty());
}

TEST(StoredFeesRuns, KeyReadsAsSqlServersShortDate)
{
    struct Case {
        QDateTime created;
        const char16_t *key;
    };
    const Case cases[] = {
        {at(2026, 12, 5, 14, 30), u"2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026"},
        {at(2026, 12, 15, 0, 0), u"2026 Mitgliedsbeitrag, Erstellt: Dec 15 2026"},
        {at(2027, 1, 1, 23, 59), u"2026 Mitgliedsbeitrag, Erstellt: Jan  1 2027"},
        {at(2026, 5, 31), u"2026 Mitgliedsbeitrag, Erstellt: May 31 2026"},
        {at(2026, 9, 9), u"2026 Mitgliedsbeitrag, Erstellt: Sep  9 2026"},
    };
    Workspace ws(2);
    auto db = openDemo(ws);
    for (const Case &c : cases) {
        writeRun(*db, c.created, {1});
        EXPECT_EQ(listStoredRuns(*db), QStringList{QString::fromUtf16(c.key)}) << c.created.toString().toStdString();
        db->run(u"delete from PERSONAL_MG_BEITRAGE"_qs);
    }
}

TEST(StoredFeesRuns, CaptionShowsTheDayInGermanWhateverTheLoginsLanguage)
{
    const std::pair<const char16_t *, const char16_t *> cases[] = {
        {u"2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026", u"2026 Mitgliedsbeitrag, Erstellt: 05.12.2026"},
        {u"2026 Mitgliedsbeitrag, Erstellt: Dez  5 2026", u"2026 Mitgliedsbeitrag, Erstellt: 05.12.2026"},
        {u"2026 A_B, Erstellt: Mär 31 2026", u"2026 A_B, Erstellt: 31.03.2026"},
        {u"2026 A_B, Erstellt: Mrz 31 2026", u"2026 A_B, Erstellt: 31.03.2026"},
        {u"2026 A, Erstellt: May 15 2026", u"2026 A, Erstellt: 15.05.2026"},
        {u"2026 A, Erstellt: Mai 15 2026", u"2026 A, Erstellt: 15.05.2026"},
        {u"2026 A, Erstellt: Oct  1 2026", u"2026 A, Erstellt: 01.10.2026"},
        {u"2026 A, Erstellt: Okt  1 2026", u"2026 A, Erstellt: 01.10.2026"},
        // Another language, an impossible day, no date at all: shown as stored.
        {u"2026 A, Erstellt: déc  5 2026", u"2026 A, Erstellt: déc  5 2026"},
        {u"2026 A, Erstellt: Feb 30 2026", u"2026 A, Erstellt: Feb 30 2026"},
        {u"2026 A, Erstellt: ", u"2026 A, Erstellt: "},
        {u"", u""},
    };
    for (const auto &[key, caption] : cases)
        EXPECT_EQ(storedRunCaption(QString::fromUtf16(key)), QString::fromUtf16(caption));
}

TEST(StoredFeesRuns, RowWithANullPartListsAsAnEmptyEntry)
{
    Workspace ws(2);
    ws.execSql(u"insert into PERSONAL_MG_BEITRAGE (id_personal, jahr, typ) values (1, '2026', 'Beitrag')"_qs);
    auto db = openDemo(ws);
    EXPECT_EQ(listStoredRuns(*db), QStringList{QString()});
}

TEST(StoredFeesRuns, OneEntryPerYearTypeAndDay)
{
    Workspace ws(5);
    auto db = openDemo(ws);

    // Same day twice: one entry, the second run's values.
    writeRun(*db, at(2026, 12, 5, 9), {1, 2, 3});
    writeRun(*db, at(2026, 12, 5, 17), {1, 2, 3}, u"2026"_qs, kType, Money(1500));
    EXPECT_EQ(listStoredRuns(*db), QStringList{u"2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026"_qs});
    EXPECT_EQ(rows(*db).size(), 3);
    EXPECT_EQ(rows(*db).filter(u" 15"_qs).size(), 3);

    // A later day for some owners: two entries until every owner has been collected again.
    writeRun(*db, at(2026, 12, 12), {1, 2});
    EXPECT_EQ(listStoredRuns(*db).size(), 2);
    writeRun(*db, at(2026, 12, 12), {3});
    EXPECT_EQ(listStoredRuns(*db), QStringList{u"2026 Mitgliedsbeitrag, Erstellt: Dec 12 2026"_qs});

    // Another type in the same year is a run of its own.
    writeRun(*db, at(2026, 12, 12), {1}, u"2026"_qs, u"Wegebeitrag"_qs);
    EXPECT_EQ(listStoredRuns(*db).size(), 2);
}

TEST(StoredFeesRuns, DeleteRemovesExactlyTheRowsOfTheKey)
{
    Workspace ws(5);
    auto db = openDemo(ws);
    writeRun(*db, at(2026, 12, 5), {1, 2});
    writeRun(*db, at(2026, 12, 5), {3}, u"2026"_qs, u"Wegebeitrag"_qs);
    writeRun(*db, at(2026, 12, 6), {4});
    writeRun(*db, at(2026, 12, 5), {5}, u"2025"_qs);

    for (const QString &nothing : {u"2026 Mitgliedsbeitrag, Erstellt: Dec  7 2026"_qs, QString(), u""_qs}) {
        deleteStoredRun(*db, nothing);
        EXPECT_EQ(rows(*db).size(), 5) << nothing.toStdString();
    }

    deleteStoredRun(*db, u"2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026"_qs);
    EXPECT_EQ(rows(*db), (QStringList{u"3 2026 Wegebeitrag 12.5"_qs, u"4 2026 Mitgliedsbeitrag 12.5"_qs,
                                      u"5 2025 Mitgliedsbeitrag 12.5"_qs}));
}

namespace {

struct FormFixture {
    Workspace ws{5};
    std::unique_ptr<FrmDTA> form = ws.form();

    FormFixture()
    {
        form->strConnectionString = u"Provider=SQLite;Data Source="_qs + ws.databaseFile();
        form->SQLConn = openDemo(ws);
        writeRun(*form->SQLConn, at(2026, 12, 5), {1, 2});
        writeRun(*form->SQLConn, at(2026, 12, 5), {3}, u"2026"_qs, u"Wegebeitrag"_qs);
    }
    // Opens the list and chooses the entry of the key.
    void choose(const QString &key)
    {
        form->cmbBeitraege_GotFocus();
        form->cmbBeitraege.ListIndex = int(form->cmbBeitraege.List.indexOf(key));
    }
};

// The question names the run and says what deleting it cannot undo.
const QString kDeleteQuestion =
    u"Wollen Sie den gespeicherten Lauf „2026 Mitgliedsbeitrag“ vom 05.12.2026 mit 2 Beiträgen löschen?\n\n"
    "Die SEPA-Datei dieses Laufs wird dadurch nicht zurückgenommen: Ist sie schon bei der Bank eingereicht, werden "
    "ihre Lastschriften trotzdem eingezogen. Löschen Sie einen Lauf nur, wenn seine Datei nie eingereicht wurde."_qs;
const QString kDeleteTitle = u"Beiträge löschen"_qs;

} // namespace

TEST(StoredFeesForm, FocusRefillsTheListAndClearsTheChoice)
{
    FormFixture f;
    f.form->cmbBeitraege.List = {u"alt"_qs};
    f.form->cmbBeitraege.ListIndex = 0;

    f.form->cmbBeitraege_GotFocus();
    EXPECT_EQ(f.form->cmbBeitraege.List, (QStringList{u"2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026"_qs,
                                                       u"2026 Wegebeitrag, Erstellt: Dec  5 2026"_qs}));
    EXPECT_EQ(f.form->cmbBeitraege.ListIndex, -1);
    EXPECT_TRUE(f.ws.ui.messages.isEmpty());
}

TEST(StoredFeesForm, FocusReportsAFailingListInsteadOfCrashing)
{
    FormFixture f;
    f.ws.execSql(u"drop table PERSONAL_MG_BEITRAGE"_qs);
    f.form->cmbBeitraege.List = {u"alt"_qs};

    f.form->cmbBeitraege_GotFocus();
    EXPECT_TRUE(f.form->cmbBeitraege.List.isEmpty());
    ASSERT_EQ(f.ws.ui.messages.size(), 1);
    EXPECT_TRUE(f.ws.ui.messages[0].text.startsWith(
        u"Die Liste der hinterlegten Beiträge konnte nicht gelesen werden.\n"_qs));
    EXPECT_EQ(f.ws.ui.messages[0].icon, MsgIcon::Critical);
}

TEST(StoredFeesForm, DeleteAsksThenDeletesTheChosenRun)
{
    FormFixture f;
    f.choose(u"2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026"_qs);
    f.ws.ui.answers = {MsgResult::Yes};

    f.form->btnBeitraegeLoeschen_Click();
    ASSERT_EQ(f.ws.ui.messages.size(), 2);
    EXPECT_EQ(f.ws.ui.messages[0].text, kDeleteQuestion);
    EXPECT_EQ(f.ws.ui.messages[0].title, kDeleteTitle);
    EXPECT_EQ(f.ws.ui.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(f.ws.ui.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(f.ws.ui.messages[1].text, u"Löschen erfolgreich\rEs wurden 2 gespeicherte Beiträge gelöscht."_qs);
    EXPECT_EQ(f.ws.ui.messages[1].title, kDeleteTitle);
    EXPECT_EQ(f.ws.ui.messages[1].icon, MsgIcon::None);
    EXPECT_EQ(rows(*f.form->SQLConn), QStringList{u"3 2026 Wegebeitrag 12.5"_qs});
    // The list is rebuilt only on the next focus.
    EXPECT_EQ(f.form->cmbBeitraege.ListCount(), 2);
}

// The server may report the delete's row count truly, not at all (SQL Server under SET
// NOCOUNT ON answers -1), or the count of a trigger's own statement (here 0: SQLite counts
// none of the rows a trigger deletes in place of the statement). The run is gone and told
// as deleted each time, with a count only when a true one can be.
TEST(StoredFeesForm, ADeleteIsTakenAsDoneWhateverCountTheServerReports)
{
    enum class Server { Counts, ReportsNoCount, CountsATrigger };
    const struct {
        Server server;
        const char16_t *told;
    } cases[] = {
        {Server::Counts, u"Löschen erfolgreich\rEs wurden 2 gespeicherte Beiträge gelöscht."},
        {Server::ReportsNoCount, u"Löschen erfolgreich."},
        {Server::CountsATrigger, u"Löschen erfolgreich."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.server));
        FormFixture f;
        if (c.server == Server::ReportsNoCount)
            f.form->SQLConn->setRowCountsReported(false);
        if (c.server == Server::CountsATrigger) {
            f.ws.execSql(u"alter table PERSONAL_MG_BEITRAGE rename to beitraege_daten"_qs);
            f.ws.execSql(u"create view PERSONAL_MG_BEITRAGE as select * from beitraege_daten"_qs);
            f.ws.execSql(u"create trigger beitraege_loeschen instead of delete on PERSONAL_MG_BEITRAGE "
                         u"begin delete from beitraege_daten where id_beitrag = old.id_beitrag; end"_qs);
        }
        f.choose(u"2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026"_qs);
        f.ws.ui.answers = {MsgResult::Yes};

        EXPECT_EQ(f.form->btnBeitraegeLoeschen_Click(), FrmDTA::DeleteRunResult::Deleted);
        EXPECT_EQ(f.ws.ui.texts().last(), QString::fromUtf16(c.told));
        EXPECT_EQ(rows(*f.form->SQLConn), QStringList{u"3 2026 Wegebeitrag 12.5"_qs});
    }
}

TEST(StoredFeesForm, DeleteAnsweredNoOrOfNoListedRunDeletesNothing)
{
    {
        FormFixture f;
        f.choose(u"2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026"_qs);
        f.ws.ui.answers = {MsgResult::No};
        f.form->btnBeitraegeLoeschen_Click();
        EXPECT_EQ(f.ws.ui.texts(), QStringList{kDeleteQuestion});
        EXPECT_EQ(rows(*f.form->SQLConn).size(), 3);
    }
    {
        FormFixture f;
        f.form->cmbBeitraege_GotFocus(); // nothing chosen: empty text, then a typed text
        f.ws.ui.answers = {MsgResult::Yes, MsgResult::Yes};
        for (const QString &typed : {u""_qs, u"2026 Mitgliedsbeitrag"_qs}) {
            f.form->cmbBeitraege.TypedText = typed;
            EXPECT_EQ(f.form->btnBeitraegeLoeschen_Click(), FrmDTA::DeleteRunResult::NotFound);
            EXPECT_EQ(f.ws.ui.texts().last(), u"Es gibt keinen gespeicherten Lauf „"_qs + typed + u"“."_qs);
        }
        EXPECT_EQ(f.ws.ui.messages.size(), 2) << "nothing to delete: no question";
        EXPECT_EQ(rows(*f.form->SQLConn).size(), 3);
    }
    {
        // Deleted elsewhere while the question was open.
        FormFixture f;
        const QString key = u"2026 Wegebeitrag, Erstellt: Dec  5 2026"_qs;
        f.choose(key);
        f.ws.execSql(u"delete from PERSONAL_MG_BEITRAGE where typ = 'Wegebeitrag'"_qs);
        f.ws.ui.answers = {MsgResult::Yes};
        EXPECT_EQ(f.form->btnBeitraegeLoeschen_Click(), FrmDTA::DeleteRunResult::NotFound);
        EXPECT_EQ(f.ws.ui.texts().last(), u"Es gibt keinen gespeicherten Lauf „"_qs + key + u"“."_qs);
        EXPECT_EQ(rows(*f.form->SQLConn).size(), 2);
    }
}

TEST(StoredFeesForm, FailingDeleteShowsTheError)
{
    FormFixture f;
    f.choose(u"2026 Wegebeitrag, Erstellt: Dec  5 2026"_qs);
    f.ws.execSql(u"drop table PERSONAL_MG_BEITRAGE"_qs);
    f.ws.ui.answers = {MsgResult::Yes};

    f.form->btnBeitraegeLoeschen_Click();
    ASSERT_EQ(f.ws.ui.messages.size(), 1) << "no question about a run that cannot be counted";
    const Message &shown = f.ws.ui.messages[0];
    EXPECT_TRUE(shown.text.startsWith(u"Fehler beim Löschen der hinterlegten Beiträge\r"_qs))
        << shown.text.toStdString();
    EXPECT_TRUE(shown.text.contains(u"PERSONAL_MG_BEITRAGE"_qs));
    EXPECT_EQ(shown.title, kDeleteTitle);
    EXPECT_EQ(shown.icon, MsgIcon::None);
}

// While a bank file of an earlier run still waits for its name (its run was killed after
// the commit, and the recovery could not finish it here), deleting that run's fees would
// let the next run collect them a second time: the deletion is refused, and says why.
TEST(StoredFeesForm, DeleteIsRefusedWhileABankFileIsPending)
{
    FormFixture f;
    f.ws.execSql(u"create table QVL32_SEPA_DATEIEN (datei text not null, ziel text not null, rechner text not null, "
                 "erstellt text not null default current_timestamp)"_qs);
    // Written on another machine into a folder not seen from here: the recovery leaves it.
    f.ws.execSql(u"insert into QVL32_SEPA_DATEIEN (datei, ziel, rechner) values "
                 "('/anderswo/.MB_Mitgliedsbeitrag_05122026T143015.xml.AbCdEf', "
                 "'/anderswo/MB_Mitgliedsbeitrag_05122026T143015.xml', 'ANDERER-RECHNER')"_qs);
    f.choose(u"2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026"_qs);
    f.ws.ui.answers = {MsgResult::Yes};

    EXPECT_EQ(f.form->btnBeitraegeLoeschen_Click(), FrmDTA::DeleteRunResult::Refused);
    ASSERT_EQ(f.ws.ui.messages.size(), 1) << f.ws.ui.texts().join(u'|').toStdString();
    EXPECT_TRUE(f.ws.ui.messages[0].text.contains(u"noch nicht ihren Namen erhalten"_qs));
    EXPECT_TRUE(f.ws.ui.messages[0].text.contains(u"kein gespeicherter Lauf gelöscht"_qs));
    EXPECT_EQ(rows(*f.form->SQLConn).size(), 3);

    // Once the file is named, the run can be deleted.
    f.ws.execSql(u"delete from QVL32_SEPA_DATEIEN"_qs);
    f.ws.ui.messages.clear();
    f.ws.ui.answers = {MsgResult::Yes};
    EXPECT_EQ(f.form->btnBeitraegeLoeschen_Click(), FrmDTA::DeleteRunResult::Deleted);
    EXPECT_EQ(rows(*f.form->SQLConn), QStringList{u"3 2026 Wegebeitrag 12.5"_qs});
}
