#include "db/DatabaseCheck.h"

#include "db/Database.h"
#include "db/DatabaseInUse.h"

#include <QDir>
#include <sqlite3.h>

namespace qvl {

void checkEmbeddedDatabase(const Database &db)
{
    sqlite3 *handle = db.nativeSqlite();
    if (!handle)
        return;
    QStringList findings;
    sqlite3_stmt *stmt = nullptr;
    int rc = sqlite3_prepare_v2(handle, "PRAGMA quick_check(5)", -1, &stmt, nullptr);
    if (rc == SQLITE_OK)
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            findings.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0))));
    const int failed = rc == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(handle);
    const QString failure = QString::fromUtf8(sqlite3_errmsg(handle));
    sqlite3_finalize(stmt);
    const ConnectionTarget &t = db.target();
    const QString file = u"„"_qs + QDir::toNativeSeparators(QDir(t.server).filePath(t.database)) + u'“';
    // A lock held by another program or desk is no damage: the check could not look.
    if (sqliteInUse(failed))
        throw DbError(databaseInUseMessage(file, failure));
    // Only the check's own findings, or SQLite finding the file no database or damaged
    // while it read, tell damage; any other failure says the check could not be made.
    const int primary = failed & 0xff;
    if (failed != SQLITE_OK && primary != SQLITE_CORRUPT && primary != SQLITE_NOTADB)
        throw DbError(u"Die Datenbank "_qs + file + u" konnte vor dem Lauf nicht geprüft werden; es wurde nichts "
                                                   "geschrieben. Bitte versuchen Sie es noch einmal.\nDetails: "_qs
                      + failure);
    if (failed != SQLITE_OK)
        findings.append(failure);
    if (findings == QStringList{u"ok"_qs})
        return;
    throw DbError(u"Die Datenbank "_qs + file + u" ist beschädigt; ein Lauf darauf könnte Waldbesitzer auslassen. Es wurde nichts "
                    "geschrieben. Bitte stellen Sie die Datenbank aus einer Sicherung wieder her.\n"
                    "Prüfung der Datenbank: "_qs
                  + findings.join(u"; "_qs));
}

} // namespace qvl
