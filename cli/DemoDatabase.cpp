#include "cli/DemoDatabase.h"

#include "cli/DemoWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <atomic>

// Resources of a static library reach the program only when something refers to them.
static void initDemoResources()
{
    Q_INIT_RESOURCE(demo);
}

namespace qvl {

namespace {

// The schema's statements. Comments go first: they may contain semicolons.
QStringList schemaStatements(const QString &schema)
{
    QStringList lines = schema.split(u'\n');
    for (QString &line : lines) {
        const qsizetype comment = line.indexOf(QLatin1String("--"));
        if (comment >= 0)
            line.truncate(comment);
    }
    QStringList statements;
    for (const QString &part : lines.join(u'\n').split(u';')) {
        const QString statement = part.trimmed();
        if (!statement.isEmpty())
            statements << statement;
    }
    return statements;
}

// Fills an open, empty database; returns the driver's message on failure.
QString fill(QSqlDatabase &db, const DemoOptions &options)
{
    QSqlQuery query(db);
    // A half-written demo file is deleted anyway; no journal, no syncing.
    for (const char *pragma : {"PRAGMA journal_mode=OFF", "PRAGMA synchronous=OFF"}) {
        if (!query.exec(QString::fromLatin1(pragma)))
            return query.lastError().text();
    }
    const QStringList statements = schemaStatements(suiteSchemaSql());
    if (statements.isEmpty())
        return QStringLiteral("Das Schema ist nicht im Programm enthalten.");
    for (const QString &statement : statements) {
        if (!query.exec(statement))
            return query.lastError().text();
    }
    query.finish();

    if (!db.transaction())
        return db.lastError().text();
    if (QString problem; !demo::writeDemoRows(db, options, &problem)) {
        db.rollback();
        return problem;
    }
    if (!db.commit())
        return db.lastError().text();
    return {};
}

} // namespace

QString suiteSchemaSql()
{
    static const bool registered = (initDemoResources(), true);
    Q_UNUSED(registered);
    QFile file(QStringLiteral(":/qvl32/suite-schema.sqlite.sql"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

bool createDemoDatabase(const QString &file, const DemoOptions &options, QString *error)
{
    const auto fail = [&](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    const QFileInfo info(file);
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if (options.owners < 0)
        return fail(QStringLiteral("Die Zahl der Waldbesitzer darf nicht negativ sein."));
    if (!info.absoluteDir().exists())
        return fail(QStringLiteral("Die Demo-Datenbank „%1“ kann nicht angelegt werden: "
                                   "Der Ordner existiert nicht.").arg(shown));
    // A suite database with its owners and stored fees must never be replaced by a demo.
    if (info.exists() || info.isSymLink())
        return fail(QStringLiteral("Die Datei „%1“ gibt es schon. Die Demo-Datenbank wird nur als neue "
                                   "Datei angelegt; eine vorhandene Datei wird nicht ersetzt.")
                        .arg(shown));
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return fail(QStringLiteral("Der SQLite-Treiber von Qt ist nicht installiert."));

    static std::atomic<int> connections{0};
    const QString connection = QStringLiteral("qvl32-demo-%1").arg(++connections);
    QString problem;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(file);
        if (!db.open()) {
            problem = db.lastError().text();
        } else {
            problem = fill(db, options);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    if (problem.isEmpty())
        return true;
    QFile::remove(file);
    return fail(QStringLiteral("Die Demo-Datenbank „%1“ kann nicht angelegt werden: %2")
                    .arg(shown, problem));
}

} // namespace qvl
