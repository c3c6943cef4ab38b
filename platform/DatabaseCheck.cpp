#include "platform/DatabaseCheck.h"

#include "platform/Database.h"

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
    if (rc != SQLITE_DONE)
        findings.append(QString::fromUtf8(sqlite3_errmsg(handle)));
    sqlite3_finalize(stmt);
    if (findings == QStringList{u"ok"_qs})
        return;
    const ConnectionTarget &t = db.target();
    throw DbError(u"Die Datenbank „"_qs + QDir::toNativeSeparators(QDir(t.server).filePath(t.database))
                  + u"“ ist beschädigt; ein Lauf darauf könnte Waldbesitzer auslassen. Es wurde nichts "
                    "geschrieben. Bitte stellen Sie die Datenbank aus einer Sicherung wieder her.\n"
                    "Prüfung der Datenbank: "_qs
                  + findings.join(u"; "_qs));
}

} // namespace qvl
