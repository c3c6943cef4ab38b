#pragma once
// The first phase of a fee run: reads the owners to bill from the suite's database into
// booking records.

#include "db/ConnectionString.h"
#include "db/Database.h"
#include "core/Buchung.h"

#include <QSet>
#include <QString>
#include <QVariantList>

#include <optional>

namespace qvl {

struct RunInputs;

// The order the owners are read in ("Sortieren nach …"); Unsorted when none is chosen.
enum class OwnerOrder { Unsorted, ByNumber, ByName, ById };

// What the member query needs beside the run's inputs: where the owners are, whose they
// are and in which order they come.
struct MemberQueryInputs {
    QString connectionString;
    DbOptions connectionOptions;
    // In the version for one association of several: its number, to read its owners only.
    std::optional<long> association;
    OwnerOrder order = OwnerOrder::ByNumber;
    // The accounting export chosen ("DATEV-FIBU", "IBM-FIBU"); empty for none.
    QString fibu;
};

// True when the owner restriction may be appended to the statement: a parenthesised,
// comma-separated list of whole numbers ("(1001,1002)", blanks allowed), or empty.
bool isValidOwnerList(const QString &strWBIN);

// The statement for the run's payment type and owner selection and the query's association
// and sort order in one dialect, with the values to bind in order (the
// association number in both of its written forms).
struct MemberQuerySql {
    QString statement;
    QVariantList values;
};
MemberQuerySql memberQueryStatement(const MemberQueryInputs &query, const RunInputs &run, SqlDialect dialect);

// Opens a connection of its own with the query's connection string, runs the statement and
// appends one record per owner (the first row of an owner wins) to aBuchungen, each with
// the run's minimum fees. True when an owner read has no accounting number (the booking
// list then shows no heading over that column). Throws DbError when the database fails.
[[nodiscard]] bool RunMemberQuery(const MemberQueryInputs &query, const RunInputs &run, Buchungen &aBuchungen);

// The owners (Id_Personal) whose joining date is not on file. Throws DbError.
QSet<long> ownersWithoutJoiningDate(const Database &db);

// The accounting number derived from Zusatz1 when an accounting export is chosen.
QString fibuKontoFromZusatz1(const QString &zusatz1, const QString &strFibu);

} // namespace qvl
