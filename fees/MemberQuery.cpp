#include "fees/MemberQuery.h"

#include "app/RunInputs.h"
#include "text/Conversions.h"
#include "db/Database.h"
#include "text/GermanOrder.h"
#include "fees/MemberQuerySql.h"
#include "core/RunError.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

#include <array>

namespace qvl {

namespace {

QString text(const DialectSql &sql, SqlDialect dialect)
{
    return QString::fromUtf16(dialect == SqlDialect::Sqlite ? sql.sqlite : sql.sqlServer);
}

// The columns read, named by columnNames().
enum Column {
    ColId, ColNummer, ColName, ColVorname, ColBLZ, ColAnrede, ColStrasse, ColPLZ, ColOrt,
    ColNation, ColBank, ColKonto, ColHektar, ColPostfach, ColBezeichnung, ColIBAN, ColBIC,
    ColMandatsnummer, ColUSTID, ColSteuernummer, ColLastschrift, ColUnternehmer,
    ColNameUnternehmen, ColBankLaenderKZ, ColKennziffer, ColBeitrittsdatum, ColEmail,
    ColZusatz1, // Zusatz1..5 follow
    ColFixbeitrag1 = ColZusatz1 + kFeeSlots,
    ColFlachenbertrag1 = ColFixbeitrag1 + kFeeSlots,
    ColHa1 = ColFlachenbertrag1 + kFeeSlots,
    ColWeitere1 = ColHa1 + kFeeSlots,
    ColAngefangene1 = ColWeitere1 + kFeeSlots,
    ColumnCount = ColAngefangene1 + kFeeSlots
};

std::array<QString, ColumnCount> columnNames()
{
    std::array<QString, ColumnCount> names{
        u"Id_Personal"_qs, u"Nummer"_qs, u"Name"_qs, u"Vorname"_qs, u"BLZ"_qs, u"Anrede"_qs,
        u"Strasse"_qs, u"PLZ"_qs, u"Ort"_qs, u"Nation"_qs, u"Bank"_qs, u"Konto"_qs, u"Hektar"_qs,
        u"Postfach"_qs, u"Bezeichnung"_qs, u"IBAN"_qs, u"BIC"_qs, u"Mandatsnummer"_qs, u"USTID"_qs,
        u"Steuernummer"_qs, u"Lastschrift"_qs, u"Unternehmer"_qs, u"NameUnternehmen"_qs,
        u"BankLaenderKZ"_qs, u"KennzifferHauptbankverbindung1"_qs, u"Beitrittsdatum"_qs, u"Email"_qs};
    const std::pair<int, QString> perSlot[] = {
        {ColZusatz1, u"Zusatz"_qs},           {ColFixbeitrag1, u"Fixbeitrag"_qs},
        {ColFlachenbertrag1, u"Flachenbertrag"_qs}, {ColHa1, u"Ha"_qs},
        {ColWeitere1, u"Weitere"_qs},         {ColAngefangene1, u"Angefangene"_qs}};
    for (const auto &[first, stem] : perSlot)
        for (int n = 1; n <= kFeeSlots; ++n)
            names[std::size_t(first + n - 1)] = stem + QString::number(n);
    return names;
}

} // namespace

bool isValidOwnerList(const QString &strWBIN)
{
    bool valid = true;
    ownerSelectionNumbers(strWBIN, &valid);
    return valid;
}

MemberQuerySql memberQueryStatement(const MemberQueryInputs &query, const RunInputs &run, SqlDialect dialect)
{
    using namespace member_query_sql;
    MemberQuerySql sql;
    sql.statement = text(kSelect, dialect);
    sql.statement += text(run.directDebit() ? kDirectDebit : kInvoice, dialect);
    // Only numbers reach the statement: the selection was read as numbers.
    if (run.owners) {
        QStringList numbers;
        for (const long number : *run.owners)
            numbers << QString::number(number);
        sql.statement += text(kOwnerList, dialect) + u'(' + numbers.join(u',') + u')';
    }
    if (query.association) {
        const long number = *query.association;
        sql.statement += text(kAssociation, dialect);
        sql.values << formatNumber(double(number), u"0000"_qs) << QString::number(number);
    }
    switch (query.order) {
    case OwnerOrder::ByNumber: sql.statement += text(kOrderByNumber, dialect); break;
    case OwnerOrder::ByName: sql.statement += text(kOrderByName, dialect); break;
    case OwnerOrder::ById: sql.statement += text(kOrderById, dialect); break;
    case OwnerOrder::Unsorted: break;
    }
    return sql;
}

QString fibuKontoFromZusatz1(const QString &zusatz1, const QString &strFibu)
{
    if (strFibu.isEmpty() || zusatz1.isEmpty())
        return {};
    const QChar first = zusatz1.front();
    // An account that does not start with a digit (such as "K-1001") has no number range
    // to map: it is taken as it is.
    if (first < u'0' || first > u'9')
        return zusatz1;
    QChar range = u'1';
    if (first == u'8')
        range = u'2';
    else if (first == u'9')
        range = u'4';
    return range + zusatz1.mid(1);
}

QSet<long> ownersWithoutJoiningDate(const Database &db)
{
    const std::unique_ptr<RowCursor> rows = db.select(db.sql(member_query_sql::kOwnersWithoutJoiningDate));
    QSet<long> owners;
    while (rows->next())
        owners.insert(rows->integer(0));
    return owners;
}

bool RunMemberQuery(const MemberQueryInputs &query, const RunInputs &run, Buchungen &aBuchungen)
{
    SlotArray<double> minimumFees{};
    for (int k = 0; k < kFeeSlots; ++k)
        if (const std::optional<Money> &minimum = run.fees[std::size_t(k)].minimumFee)
            minimumFees[std::size_t(k)] = minimum->euros();

    const std::unique_ptr<Database> db = Database::open(query.connectionString, query.connectionOptions);
    const MemberQuerySql sql = memberQueryStatement(query, run, db->dialect());
    const std::unique_ptr<RowCursor> rows = db->select(sql.statement, sql.values);
    const RowCursor &row = *rows;

    std::array<int, ColumnCount> index{};
    {
        static const std::array<QString, ColumnCount> names = columnNames();
        for (std::size_t c = 0; c < index.size(); ++c) {
            index[c] = rows->columnIndex(names[c]);
            if (index[c] < 0)
                throw DbError(u"Die Waldbesitzer-Abfrage liefert die Spalte „"_qs + names[c] + u"“ nicht."_qs);
        }
    }
    const auto col = [&index](int column) { return index[std::size_t(column)]; };
    const auto text = [&](int column) { return row.text(col(column)); };
    const auto number = [&](int column) { return row.number(col(column)); };
    const auto withoutBlanks = [&](int column) { return row.text(col(column)).remove(u' '); };

    const auto firstNew = qsizetype(aBuchungen.size());
    // The joins give an owner several rows; the first one counts.
    QSet<long> seen;
    for (const Buchung &b : aBuchungen)
        seen.insert(b.Id_Personal);

    bool anyWithoutAccount = false;
    while (rows->next()) {
        const long id = row.integer(col(ColId));
        if (seen.contains(id))
            continue;
        seen.insert(id);

        Buchung &b = aBuchungen.emplace_back();
        b.Id_Personal = id;
        b.Nummer = row.integer(col(ColNummer));
        b.Anrede = text(ColAnrede);
        b.Name = text(ColName);
        b.Vorname = text(ColVorname);
        b.Strasse = text(ColStrasse);
        b.PLZ = text(ColPLZ);
        b.Ort = text(ColOrt);
        b.Nation = text(ColNation);
        b.Bank = text(ColBank);
        b.USTID = text(ColUSTID);
        b.Steuernummer = text(ColSteuernummer);
        b.Lastschrift = text(ColLastschrift);
        b.Unternehmer = text(ColUnternehmer);
        b.NameUnternehmen = text(ColNameUnternehmen);
        b.BankLaenderKZ = text(ColBankLaenderKZ);
        b.KennzifferHauptbankverbindung1 = text(ColKennziffer);
        b.Email = text(ColEmail).trimmed();
        b.Hektar = number(ColHektar);
        b.Postfach = text(ColPostfach);
        b.Bezeichnung = text(ColBezeichnung);

        QString *const zusatz[] = {&b.Zusatz1, &b.Zusatz2, &b.Zusatz3, &b.Zusatz4, &b.Zusatz5};
        for (int n = 0; n < kFeeSlots; ++n)
            *zusatz[n] = text(ColZusatz1 + n).trimmed();

        b.BLZ = withoutBlanks(ColBLZ);
        b.Konto = withoutBlanks(ColKonto);
        b.IBAN = withoutBlanks(ColIBAN);
        b.Mandatsnummer = withoutBlanks(ColMandatsnummer);
        b.BIC = text(ColBIC);
        if (b.BIC.isEmpty())
            b.BIC = u"NOTPROVIDED"_qs;

        b.AnredeOrig = b.Anrede;
        b.NameOrig = b.Name;
        b.VornameOrig = b.Vorname;
        b.StrasseOrig = b.Strasse;
        b.OrtOrig = b.Ort;
        b.NationOrig = b.Nation;
        b.BankOrig = b.Bank;

        for (int n = 0; n < kFeeSlots; ++n) {
            const std::size_t k = std::size_t(n);
            b.Fixbeitrag[k] = number(ColFixbeitrag1 + n);
            b.Flachenbertrag[k] = number(ColFlachenbertrag1 + n);
            b.Ha[k] = number(ColHa1 + n);
            b.Weitere[k] = number(ColWeitere1 + n);
            b.Angefangene[k] = row.boolean(col(ColAngefangene1 + n));
        }
        b.Mindestbeitrag = minimumFees;
        const QDate joined = row.date(col(ColBeitrittsdatum));
        b.Beitrittsdatum = joined.isValid() ? joined : QDate(1990, 1, 1);

        b.FibuKonto = fibuKontoFromZusatz1(b.Zusatz1, query.fibu);
        anyWithoutAccount = anyWithoutAccount || b.FibuKonto.isEmpty();
    }
    // The embedded database sorts by character codes; the suite's server and every reader
    // of the lists expect German alphabetical order (Müller before Zeller).
    if (db->dialect() == SqlDialect::Sqlite && query.order == OwnerOrder::ByName)
        std::stable_sort(aBuchungen.begin() + firstNew, aBuchungen.end(), [](const Buchung &x, const Buchung &y) {
            if (const int byName = compareGerman(x.NameOrig, y.NameOrig); byName != 0)
                return byName < 0;
            if (const int byFirstName = compareGerman(x.VornameOrig, y.VornameOrig); byFirstName != 0)
                return byFirstName < 0;
            return x.Id_Personal < y.Id_Personal;
        });
    return anyWithoutAccount;
}

} // namespace qvl
