#pragma once
// The first phase of a fee run: reads the owners to bill from the suite's database into
// booking records.

#include "db/ConnectionString.h"
#include "core/Buchung.h"

#include <QSet>
#include <QString>
#include <QVariantList>

namespace qvl {

class Database;
class FrmDTA;
struct RunInputs;

// True when the owner restriction may be appended to the statement: a parenthesised,
// comma-separated list of whole numbers ("(1001,1002)", blanks allowed), or empty.
bool isValidOwnerList(const QString &strWBIN);

// The statement for the run's payment type and owner selection and the form's association
// and sort order in one dialect, with the values to bind in order (the
// association number in both of its written forms).
struct MemberQuerySql {
    QString statement;
    QVariantList values;
};
MemberQuerySql memberQueryStatement(const FrmDTA &form, const RunInputs &run, SqlDialect dialect);

// Opens a connection of its own with the form's connection string, runs the statement and
// appends one record per owner (the first row of an owner wins) to aBuchungen, each with
// the run's minimum fees. Throws DbError when the database fails.
void RunMemberQuery(FrmDTA &form, const RunInputs &run, Buchungen &aBuchungen);

// The owners (Id_Personal) whose joining date is not on file. Throws DbError.
QSet<long> ownersWithoutJoiningDate(const Database &db);

// The accounting number derived from Zusatz1 when an accounting export is chosen.
QString fibuKontoFromZusatz1(const QString &zusatz1, const QString &strFibu);

} // namespace qvl
