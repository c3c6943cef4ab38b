#include "run/RunManifest.h"

#include "platform/Database.h"
#include "run/RunManifestSql.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSysInfo>

namespace qvl::run_manifest {

namespace {

const QString kIdentityTable = QStringLiteral("QVL32_KENNUNG");
const QString kManifestTable = QStringLiteral("QVL32_LAUF_DATEIEN");

bool tableExists(Database &db, const QString &table)
{
    QSqlQuery rows = db.run(db.sql(run_manifest_sql::kTableExists), {table});
    return rows.next() && rows.value(0).toInt() > 0;
}

QString thisMachine()
{
    return QSysInfo::machineHostName().left(100);
}

} // namespace

QList<OwnTable> ownTables()
{
    return {{kIdentityTable, run_manifest_sql::kCreateIdentity}, {kManifestTable, run_manifest_sql::kCreateManifest}};
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
        return *id;
    const quint64 random = QRandomGenerator::system()->generate64();
    db.run(db.sql(run_manifest_sql::kNewIdentity),
           {QString::number(random & 0xFFFFFFFFFFFFull, 16).rightJustified(12, u'0')});
    return databaseId(db).value_or(QString());
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
            manifests.append({run, rows.value(1).toString(), {}});
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
