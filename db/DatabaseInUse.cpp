#include "db/DatabaseInUse.h"

#include <QSqlError>
#include <QStringList>
#include <sqlite3.h>

namespace qvl {

bool sqliteInUse(int resultCode)
{
    const int primary = resultCode & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

bool databaseInUse(const QSqlError &error, bool sqlite)
{
    const QString text = error.databaseText() + u' ' + error.text();
    // The ODBC driver may list several codes, separated by ";".
    const QStringList codes = error.nativeErrorCode().split(u';', Qt::SkipEmptyParts);
    for (const QString &code : codes) {
        bool ok = false;
        const int n = code.trimmed().toInt(&ok);
        if (ok && (sqlite ? sqliteInUse(n) : n == 1222))
            return true;
    }
    if (sqlite)
        return text.contains(u"database is locked"_qs) || text.contains(u"database table is locked"_qs);
    return text.contains(u"Lock request time out"_qs, Qt::CaseInsensitive);
}

QString databaseInUseMessage(const QString &database, const QString &details)
{
    QString text = (database.isEmpty() ? u"Die Datenbank"_qs : u"Die Datenbank "_qs + database)
                   + u" wird gerade von einem anderen Programm oder an einem anderen Arbeitsplatz benutzt. Bitte "
                     "versuchen Sie es in einigen Augenblicken noch einmal. Die Datenbank ist deswegen nicht "
                     "beschädigt."_qs;
    if (!details.trimmed().isEmpty())
        text += u"\nDetails: "_qs + details.trimmed();
    return text;
}

} // namespace qvl
