#include "ledger/RunManifest.h"

#include "db/Database.h"
#include "os/Paths.h"
#include "ledger/RunManifestSql.h"

#include <sqlite3.h>

#include <QDir>
#include <QRandomGenerator>
#include <QSysInfo>

namespace qvl::run_manifest {

namespace {

const QString kIdentityTable = QStringLiteral("QVL32_KENNUNG");
const QString kManifestTable = QStringLiteral("QVL32_LAUF_DATEIEN");
const QString kStartTable = QStringLiteral("QVL32_LAUF_BEGONNEN");
const QString kPlaceTable = QStringLiteral("QVL32_KENNUNG_ORT");

bool tableExists(Database &db, const QString &table)
{
    QSqlQuery rows = db.run(db.sql(run_manifest_sql::kTableExists), {table});
    return rows.next() && rows.value(0).toInt() > 0;
}

QString thisMachine()
{
    return QSysInfo::machineHostName().left(100);
}

QString newIdentity()
{
    const quint64 random = QRandomGenerator::system()->generate64();
    return QString::number(random & 0xFFFFFFFFFFFFull, 16).rightJustified(12, u'0');
}

// Where the embedded database's file is, as a file and not as a path; empty elsewhere.
QString placeOf(Database &db)
{
    sqlite3 *handle = db.nativeSqlite();
    if (!handle)
        return {};
    const char *file = sqlite3_db_filename(handle, "main");
    return file && *file ? fileIdentity(QString::fromUtf8(file)) : QString();
}

} // namespace

QList<OwnTable> ownTables()
{
    return {{kIdentityTable, run_manifest_sql::kCreateIdentity},
            {kManifestTable, run_manifest_sql::kCreateManifest},
            {kStartTable, run_manifest_sql::kCreateStarts},
            {kPlaceTable, run_manifest_sql::kCreatePlaces}};
}

std::optional<QString> databaseId(Database &db)
{
    if (!tableExists(db, kIdentityTable))
        return std::nullopt;
    QSqlQuery rows = db.run(db.sql(run_manifest_sql::kIdentity));
    if (!rows.next() || rows.value(0).isNull() || rows.value(0).toString().isEmpty())
        return std::nullopt;
    return rows.value(0).toString();
}

QString ensureDatabaseId(Database &db)
{
    if (const std::optional<QString> id = databaseId(db))
        return settleIdentity(db).id;
    db.run(db.sql(run_manifest_sql::kNewIdentity), {newIdentity()});
    return settleIdentity(db).id;
}

Identity settleIdentity(Database &db)
{
    Identity identity;
    identity.id = databaseId(db).value_or(QString());
    const QString place = placeOf(db);
    if (identity.id.isEmpty() || place.isEmpty() || !tableExists(db, kPlaceTable))
        return identity;
    const auto copiedFrom = [&db] {
        QStringList ids;
        QSqlQuery rows = db.run(db.sql(run_manifest_sql::kCopiedFrom));
        while (rows.next())
            ids.append(rows.value(0).toString());
        return ids;
    };
    QString recorded;
    {
        QSqlQuery rows = db.run(db.sql(run_manifest_sql::kPlaceOf), {identity.id});
        if (rows.next())
            recorded = rows.value(0).toString();
    }
    if (recorded == place) {
        identity.copiedFrom = copiedFrom();
        return identity;
    }
    // Two desks may notice at once: the one whose transaction comes second finds the
    // identity settled by the first.
    db.beginTransaction();
    try {
        const QString current = databaseId(db).value_or(QString());
        QString now;
        QSqlQuery rows = db.run(db.sql(run_manifest_sql::kPlaceOf), {current});
        if (rows.next())
            now = rows.value(0).toString();
        rows.finish();
        if (now.isEmpty()) {
            db.run(db.sql(run_manifest_sql::kRecordPlace), {current, place, QVariant(QMetaType(QMetaType::QString))});
        } else if (now != place) {
            const QString copy = newIdentity();
            db.run(db.sql(run_manifest_sql::kForgetIdentity));
            db.run(db.sql(run_manifest_sql::kNewIdentity), {copy});
            db.run(db.sql(run_manifest_sql::kRecordPlace), {copy, place, current});
            identity.becameCopy = true;
        }
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
    identity.id = databaseId(db).value_or(QString());
    identity.copiedFrom = copiedFrom();
    return identity;
}

void recordStart(Database &db, const QString &runId, const QString &databaseId, const QString &folder)
{
    db.run(db.sql(run_manifest_sql::kRecordStart),
           {runId, databaseId, thisMachine(), QDir::toNativeSeparators(folder).left(400)});
}

QSet<QString> startedRuns(Database &db, const QString &databaseId)
{
    QSet<QString> runs;
    if (!tableExists(db, kStartTable))
        return runs;
    QSqlQuery rows = db.run(db.sql(run_manifest_sql::kStartedRuns), {databaseId});
    while (rows.next())
        runs.insert(rows.value(0).toString());
    return runs;
}

void forgetStart(Database &db, const QString &runId)
{
    if (tableExists(db, kStartTable))
        db.run(db.sql(run_manifest_sql::kForgetStart), {runId});
}

bool isRecorded(Database &db, const QString &runId)
{
    QSqlQuery rows = db.run(db.sql(run_manifest_sql::kRecordedCount), {runId});
    return rows.next() && rows.value(0).toInt() > 0;
}

void record(Database &db, const RunOutputs &outputs)
{
    int nr = 0;
    for (const RunOutput &o : outputs.entries())
        db.run(db.sql(run_manifest_sql::kRecordFile),
               {outputs.runId(), ++nr, QDir::toNativeSeparators(o.hidden), QDir::toNativeSeparators(o.target),
                int(o.naming), o.group, o.first, thisMachine()});
}

void forget(Database &db, const QString &runId)
{
    db.run(db.sql(run_manifest_sql::kForgetRun), {runId});
    forgetStart(db, runId);
}

bool hasPending(Database &db)
{
    if (!tableExists(db, kManifestTable))
        return false;
    QSqlQuery rows = db.run(db.sql(run_manifest_sql::kPendingCount));
    return rows.next() && rows.value(0).toInt() > 0;
}

QList<Manifest> pending(Database &db)
{
    QList<Manifest> manifests;
    if (!tableExists(db, kManifestTable))
        return manifests;
    QSqlQuery rows = db.run(db.sql(run_manifest_sql::kPendingFiles));
    while (rows.next()) {
        const QString run = rows.value(0).toString();
        if (manifests.isEmpty() || manifests.last().run != run)
            manifests.append({run, rows.value(1).toString(), {}, QDate::fromString(rows.value(7).toString(), Qt::ISODate)});
        RunOutput o;
        o.hidden = QDir::fromNativeSeparators(rows.value(2).toString());
        o.target = QDir::fromNativeSeparators(rows.value(3).toString());
        o.naming = Naming(std::clamp(rows.value(4).toInt(), 0, int(Naming::DayNumber)));
        o.group = rows.value(5).toInt();
        o.first = std::max(1, rows.value(6).toInt());
        manifests.last().outputs.append(o);
    }
    return manifests;
}

} // namespace qvl::run_manifest
