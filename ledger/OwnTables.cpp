#include "ledger/OwnTables.h"

#include "bank/Register.h"
#include "mail/SentMailSql.h"
#include "base/FaultPoints.h"
#include "core/RunError.h"
#include "ledger/RunManifest.h"
#include "ledger/RunManifestSql.h"
#include "stored/FeeSlotRecord.h"

#include <functional>

namespace qvl {

namespace {

using OwnTablesOf = QList<OwnTable> (*)();

// The outbox's record of the mails a server answered for good.
QList<OwnTable> mailTables()
{
    return {{u"QVL32_EMAILS"_qs, sent_mail_sql::kCreateTable}};
}

// One entry per module with tables of its own.
const OwnTablesOf kModules[] = {
    &run_manifest::ownTables,
    &fee_slots::ownTables,
    &mailTables,
    &register_tables::ownTables,
};

bool exists(Database &db, const QString &table)
{
    QSqlQuery rows = db.run(db.sql(run_manifest_sql::kTableExists), {table});
    return rows.next() && rows.value(0).toInt() > 0;
}

bool columnExists(Database &db, const QString &table, const QString &column)
{
    QSqlQuery rows = db.run(db.sql(run_manifest_sql::kColumnExists), {table, column});
    return rows.next() && rows.value(0).toInt() > 0;
}

// Runs a CREATE or ALTER of the program's tables; a refusal of the server is, as a rule,
// the login's rights.
void changeTables(Database &db, const DialectSql &statement, const std::function<bool()> &doneMeanwhile,
                  const DialectSql *index = nullptr)
{
    if (faultFails("tabellen-anlegen"))
        throw NoRightToCreate{u"CREATE TABLE permission denied in database."_qs};
    faultPoint("tabelle-anlegen");
    try {
        db.run(db.sql(statement));
        if (index)
            db.run(db.sql(*index));
    } catch (const DbError &e) {
        // Two runs started together both find the table missing: the one that comes
        // second finds it made by the other.
        if (doneMeanwhile())
            return;
        // The embedded database lets every login create tables: its failure is the
        // disk's or the file's. On a server it is the login's rights, as a rule.
        if (db.nativeSqlite())
            throw;
        throw NoRightToCreate{e.message()};
    }
}

} // namespace

QList<OwnTable> ownTables()
{
    QList<OwnTable> all;
    for (const OwnTablesOf module : kModules)
        all += module();
    return all;
}

QStringList missingOwnTables(Database &db)
{
    QStringList missing;
    for (const OwnTable &table : ownTables()) {
        if (!exists(db, table.name)) {
            missing.append(table.name);
            continue;
        }
        for (const OwnColumn &column : table.added)
            if (!columnExists(db, table.name, column.name))
                missing.append(table.name + u'.' + column.name);
    }
    return missing;
}

QStringList createOwnTables(Database &db)
{
    QStringList created;
    for (const OwnTable &table : ownTables()) {
        if (exists(db, table.name)) {
            // A table of an earlier version gets the columns it lacks.
            for (const OwnColumn &column : table.added) {
                if (columnExists(db, table.name, column.name))
                    continue;
                changeTables(db, column.add, [&] { return columnExists(db, table.name, column.name); });
                created.append(table.name + u'.' + column.name);
            }
            continue;
        }
        changeTables(db, table.create, [&] { return exists(db, table.name); }, table.index);
        created.append(table.name);
    }
    return created;
}

void ensureOwnTables(Database &db)
{
    const QStringList missing = missingOwnTables(db);
    if (missing.isEmpty())
        return;
    try {
        createOwnTables(db);
    } catch (const NoRightToCreate &refused) {
        throw RunError(RunError::Kind::Input, initDbMessage(missing, refused.reason));
    }
}

QString initDbMessage(const QStringList &missing, const QString &reason)
{
    return u"Der Beitragslauf braucht die Tabellen „"_qs + missing.join(u"“, „"_qs)
           + u"“ des Programms, und diese Anmeldung darf sie nicht anlegen. Es wurde nichts geschrieben.\n"
             "Bitte lassen Sie einmal „qvl32-sepa-batch init-db“ von einem Administrator ausführen "
             "(„init-db --sql“ zeigt die Anweisungen für den Datenbankverwalter).\n("_qs
           + reason + u')';
}

QString ownTablesSqlServerScript()
{
    QString script;
    for (const OwnTable &table : ownTables())
    {
        script += u"if object_id(N'dbo."_qs + table.name + u"', N'U') is null\nbegin\n    "_qs
                  + QString::fromUtf16(table.create.sqlServer) + u";\n"_qs;
        if (table.index)
            script += u"    "_qs + QString::fromUtf16(table.index->sqlServer) + u";\n"_qs;
        script += u"end;\n"_qs;
        for (const OwnColumn &column : table.added)
            script += u"if col_length(N'dbo."_qs + table.name + u"', N'"_qs + column.name + u"') is null\n    "_qs
                      + QString::fromUtf16(column.add.sqlServer) + u";\n"_qs;
    }
    return script;
}

} // namespace qvl
