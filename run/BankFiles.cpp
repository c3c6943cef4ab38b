#include "run/BankFiles.h"

#include "platform/Database.h"
#include "platform/RunOutputs.h"
#include "platform/TemporaryFiles.h"
#include "run/RunManifest.h"
#include "sepa/BankFileSql.h"
#include "sepa/RunLock.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace qvl::bank_files {

namespace {

// This database's hidden files in the folders, by file name (a name holds the run's tag and
// six random letters: unique wherever the folder is reached from).
QHash<QString, QString> ownHiddenFiles(const QStringList &folders, const QString &databaseId)
{
    QHash<QString, QString> found;
    for (const QString &folder : folders) {
        const QDir dir(folder);
        if (folder.isEmpty() || !dir.exists())
            continue;
        for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            const std::optional<HiddenTag> tag = hiddenTagOf(name);
            if (tag && tag->database == databaseId && !found.contains(name))
                found.insert(name, dir.absoluteFilePath(name));
        }
    }
    return found;
}

QString unreachable(const run_manifest::Manifest &m, const RunOutput &o)
{
    return u"Ein unterbrochener Beitragslauf (Rechner „"_qs + m.machine + u"“) ist gespeichert, aber seine Datei „"_qs
           + QDir::toNativeSeparators(o.hidden)
           + u"“ ist von diesem Rechner aus nicht zu finden. Sie wurde nicht angerührt; sie erhält ihren Namen beim "
             "nächsten Start auf einem Rechner, der den Ordner erreicht."_qs;
}

// Names what the manifest's run could not; true when every file has its name.
bool finishManifest(run_manifest::Manifest &m, const QHash<QString, QString> &found, Recovery &done)
{
    QList<bool> waiting;
    for (RunOutput &o : m.outputs) {
        if (!QFileInfo::exists(o.hidden)) {
            const QString elsewhere = found.value(QFileInfo(o.hidden).fileName());
            if (!elsewhere.isEmpty()) { // the same folder, reached by another path
                o.target = QFileInfo(elsewhere).absolutePath() + u'/' + QFileInfo(o.target).fileName();
                o.hidden = elsewhere;
            } else if (!QFileInfo::exists(candidateName(o, o.first))
                       && !QFileInfo(QFileInfo(o.hidden).absolutePath()).isDir()) {
                done.problems.append(unreachable(m, o));
                return false;
            }
        }
        if (QFileInfo::exists(o.hidden) && inUse(o.hidden))
            return false; // its run is naming it right now
        waiting.append(QFileInfo::exists(o.hidden));
    }
    const NamingResult naming = nameOutputs(m.outputs);
    for (qsizetype i = 0; i < m.outputs.size(); ++i)
        if (waiting[i] && !m.outputs[i].named.isEmpty())
            done.named.append(QDir::toNativeSeparators(m.outputs[i].named));
    done.problems += naming.problems;
    return naming.problems.isEmpty();
}

bool legacyTableExists(Database &db)
{
    QSqlQuery rows = db.run(db.sql(bank_file_sql::kLegacyExists));
    return rows.next() && rows.value(0).toInt() > 0;
}

bool legacyPending(Database &db)
{
    if (!legacyTableExists(db))
        return false;
    QSqlQuery rows = db.run(db.sql(bank_file_sql::kLegacyPending));
    return rows.next();
}

// Bank files an older version committed and did not name: named as that version would.
void finishLegacyFiles(Database &db, Recovery &done)
{
    if (!legacyTableExists(db))
        return;
    QList<RunOutput> files;
    {
        QSqlQuery rows = db.run(db.sql(bank_file_sql::kLegacyPending));
        while (rows.next())
            files.append({QDir::fromNativeSeparators(rows.value(0).toString()),
                          QDir::fromNativeSeparators(rows.value(1).toString()), Naming::NextFree, 0, 1, {}});
    }
    for (RunOutput &file : files) {
        const bool waiting = QFileInfo::exists(file.hidden);
        if (!waiting && !QFileInfo(QFileInfo(file.hidden).absolutePath()).isDir())
            continue; // a folder this desk does not reach
        if (waiting && inUse(file.hidden))
            continue;
        QList<RunOutput> one{file};
        const NamingResult naming = nameOutputs(one);
        done.problems += naming.problems;
        if (!naming.problems.isEmpty())
            continue;
        if (waiting)
            done.named.append(QDir::toNativeSeparators(one.first().named));
        db.run(db.sql(bank_file_sql::kLegacyForget), {QDir::toNativeSeparators(file.hidden)});
    }
}

} // namespace

bool hasPending(Database &db)
{
    return run_manifest::hasPending(db) || legacyPending(db);
}

Recovery finishInterruptedRuns(Database &db, const QStringList &folders, int waitMilliseconds)
{
    Recovery done;
    const std::optional<QString> databaseId = run_manifest::databaseId(db);
    if (!databaseId && !legacyTableExists(db))
        return done; // no run ever wrote a file for this database
    const std::unique_ptr<RunLock> lock =
        waitMilliseconds > 0 ? std::make_unique<RunLock>(db, waitMilliseconds) : RunLock::tryTake(db);
    if (!lock) {
        done.busy = true;
        return done;
    }
    finishLegacyFiles(db, done);
    if (!databaseId) {
        lock->commit();
        return done;
    }
    const QHash<QString, QString> found = ownHiddenFiles(folders, *databaseId);
    QSet<QString> committed;
    for (run_manifest::Manifest &m : run_manifest::pending(db)) {
        committed.insert(m.run);
        if (finishManifest(m, found, done))
            run_manifest::forget(db, m.run);
    }
    // Under the run lock no run writes: a file of this database whose run has no manifest
    // belongs to a run that never committed.
    for (auto it = found.cbegin(); it != found.cend(); ++it) {
        const std::optional<HiddenTag> tag = hiddenTagOf(it.key());
        if (tag && !committed.contains(tag->run) && !inUse(it.value()) && QFile::remove(it.value()))
            done.deleted.append(QDir::toNativeSeparators(it.value()));
    }
    lock->commit();
    return done;
}

QString pendingNotice(Database &db, const QStringList &folders)
{
    if (hasPending(db))
        return u"Ein unterbrochener Beitragslauf ist gespeichert, seine Dateien haben aber noch nicht alle ihren "
               "Namen. Der nächste Lauf oder Start des Programms benennt sie; diese Prüfung ändert nichts."_qs;
    const std::optional<QString> databaseId = run_manifest::databaseId(db);
    if (databaseId && !ownHiddenFiles(folders, *databaseId).isEmpty())
        return u"Ein abgebrochener Beitragslauf hat unfertige Dateien hinterlassen. Der nächste Lauf oder Start des "
               "Programms entfernt sie; diese Prüfung ändert nichts."_qs;
    return {};
}

QString pendingRefusal()
{
    return u"Die Dateien eines früheren Beitragslaufs haben noch nicht ihren Namen erhalten; seine Beiträge sind "
           "gespeichert. Solange sie ausstehen, wird kein Lastschriftlauf gestartet und kein gespeicherter Lauf "
           "gelöscht: sonst könnten dieselben Lastschriften zweimal eingezogen werden. Starten Sie das Programm auf "
           "dem Rechner neu, der die Dateien geschrieben hat (seine Ordner müssen erreichbar sein), und reichen Sie "
           "die dann benannte SEPA-Datei bei der Bank ein."_qs;
}

QStringList messages(const Recovery &recovery)
{
    QStringList out;
    if (!recovery.named.isEmpty())
        out.append(u"Ein unterbrochener Beitragslauf wurde abgeschlossen: Seine Beiträge sind gespeichert, und "
                   "diese Dateien haben ihren Namen erhalten:\n"_qs
                   + recovery.named.join(u'\n')
                   + u"\nReichen Sie eine SEPA-Datei darunter bei der Bank ein und wiederholen Sie den Lauf nicht."_qs);
    if (!recovery.deleted.isEmpty())
        out.append(u"Ein abgebrochener Beitragslauf wurde zurückgenommen: Seine Beiträge waren nicht gespeichert, "
                   "seine unfertigen Dateien wurden gelöscht:\n"_qs
                   + recovery.deleted.join(u'\n') + u"\nEs wurde nichts eingezogen."_qs);
    out += recovery.problems;
    return out;
}

} // namespace qvl::bank_files
