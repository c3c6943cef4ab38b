#include "ledger/BankFiles.h"

#include "db/Database.h"
#include "files/RunOutputs.h"
#include "os/TemporaryFiles.h"
#include "ledger/RunManifest.h"
#include "stored/BankFileSql.h"
#include "stored/RunLock.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace qvl::bank_files {

namespace {

// The hidden files in the folders of these identities, by file name (a name holds the
// run's tag and six random letters: unique wherever the folder is reached from).
QHash<QString, QString> ownHiddenFiles(const QStringList &folders, const QStringList &databaseIds)
{
    QHash<QString, QString> found;
    for (const QString &folder : folders) {
        const QDir dir(folder);
        if (folder.isEmpty() || !dir.exists())
            continue;
        for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            const std::optional<HiddenTag> tag = hiddenTagOf(name);
            if (tag && databaseIds.contains(tag->database) && !found.contains(name))
                found.insert(name, dir.absoluteFilePath(name));
        }
    }
    return found;
}

// Whether a file of the output is under one of the names it may have got.
bool namedBefore(const RunOutput &o)
{
    for (int k = o.first; k < o.first + 20; ++k) {
        const QString name = candidateName(o, k);
        if (name.isEmpty())
            break;
        if (QFileInfo::exists(name))
            return true;
    }
    return false;
}

QString unreachable(const run_manifest::Manifest &m, const RunOutput &o)
{
    return u"Ein unterbrochener Beitragslauf (Rechner „"_qs + m.machine + u"“) ist gespeichert, aber seine Datei „"_qs
           + QDir::toNativeSeparators(o.hidden)
           + u"“ ist von diesem Rechner aus nicht zu finden. Sie wurde nicht angerührt; sie erhält ihren Namen beim "
             "nächsten Start auf einem Rechner, der den Ordner erreicht."_qs;
}

// Names what the manifest's run could not; true when every file has its name. A file is
// named only in the folder it was written in, and never over another file: a report whose
// name a later run's report has taken gets the run's day in its name.
bool finishManifest(run_manifest::Manifest &m, const QHash<QString, QString> &found, Recovery &done)
{
    QList<bool> waiting;
    const QDate day = m.day.isValid() ? m.day : QDate::currentDate();
    for (RunOutput &o : m.outputs) {
        if (!QFileInfo::exists(o.hidden)) {
            const QString elsewhere = found.value(QFileInfo(o.hidden).fileName());
            if (!elsewhere.isEmpty()) { // the same folder, reached by another path
                o.hidden = elsewhere;
            } else if (!QFileInfo(QFileInfo(o.hidden).absolutePath()).isDir()) {
                done.problems.append(unreachable(m, o));
                return false;
            }
        }
        o.target = QFileInfo(o.hidden).absolutePath() + u'/' + QFileInfo(o.target).fileName();
        if (o.naming == Naming::Replace) {
            o.naming = Naming::Dated;
            o.day = day;
        }
        if (QFileInfo::exists(o.hidden) && inUse(o.hidden))
            return false; // its run is naming it right now
        waiting.append(QFileInfo::exists(o.hidden));
        if (!waiting.last() && !namedBefore(o))
            done.missing.append(QDir::toNativeSeparators(candidateName(o, o.first)));
    }
    const NamingResult naming = nameOutputs(m.outputs);
    for (qsizetype i = 0; i < m.outputs.size(); ++i) {
        const RunOutput &o = m.outputs[i];
        if (!waiting[i] || o.named.isEmpty())
            continue;
        done.named.append(QDir::toNativeSeparators(o.named));
        if (o.naming == Naming::Dated && o.named != o.target)
            done.besideLater.append(QDir::toNativeSeparators(o.named));
    }
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
    QStringList stored; // each row's file as the table holds it: the row is forgotten by that
    {
        QSqlQuery rows = db.run(db.sql(bank_file_sql::kLegacyPending));
        while (rows.next()) {
            stored.append(rows.value(0).toString());
            files.append({QDir::fromNativeSeparators(rows.value(0).toString()),
                          QDir::fromNativeSeparators(rows.value(1).toString()), Naming::NextFree, 0, 1, {}, {}});
        }
    }
    for (qsizetype i = 0; i < files.size(); ++i) {
        RunOutput &file = files[i];
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
        db.run(db.sql(bank_file_sql::kLegacyForget), {stored[i]});
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
    if (!run_manifest::databaseId(db) && !legacyTableExists(db))
        return done; // no run ever wrote a file for this database
    // Before the lock's transaction: a copy of the database takes an identity of its own.
    const run_manifest::Identity identity = run_manifest::settleIdentity(db);
    const std::unique_ptr<RunLock> lock =
        waitMilliseconds > 0 ? std::make_unique<RunLock>(db, waitMilliseconds) : RunLock::tryTake(db);
    if (!lock) {
        done.busy = true;
        return done;
    }
    finishLegacyFiles(db, done);
    if (identity.id.isEmpty()) {
        lock->commit();
        return done;
    }
    const QHash<QString, QString> found = ownHiddenFiles(folders, QStringList{identity.id} + identity.copiedFrom);
    QSet<QString> committed;
    for (run_manifest::Manifest &m : run_manifest::pending(db)) {
        committed.insert(m.run);
        if (finishManifest(m, found, done))
            run_manifest::forget(db, m.run);
    }
    // Under the run lock no run of this database writes: a hidden file of a run that this
    // database began and whose manifest is not here was never committed. A file of a run
    // it never began belongs to another database that shares the identity (a copy, a
    // restored backup): it is left alone.
    const QSet<QString> started = run_manifest::startedRuns(db, identity.id);
    QSet<QString> cleared;
    for (auto it = found.cbegin(); it != found.cend(); ++it) {
        const std::optional<HiddenTag> tag = hiddenTagOf(it.key());
        if (!tag || committed.contains(tag->run) || inUse(it.value()))
            continue;
        if (tag->database != identity.id || !started.contains(tag->run)) {
            done.foreign.append(QDir::toNativeSeparators(it.value()));
            continue;
        }
        if (QFile::remove(it.value())) {
            done.deleted.append(QDir::toNativeSeparators(it.value()));
            cleared.insert(tag->run);
        }
    }
    for (const QString &run : std::as_const(cleared))
        run_manifest::forgetStart(db, run);
    lock->commit();
    return done;
}

QString pendingNotice(Database &db, const QStringList &folders)
{
    if (hasPending(db))
        return u"Ein unterbrochener Beitragslauf ist gespeichert, seine Dateien haben aber noch nicht alle ihren "
               "Namen. Der nächste Lauf oder Start des Programms benennt sie; diese Prüfung ändert nichts."_qs;
    const std::optional<QString> databaseId = run_manifest::databaseId(db);
    if (databaseId && !ownHiddenFiles(folders, {*databaseId}).isEmpty())
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
    if (!recovery.besideLater.isEmpty())
        out.append(u"Die Berichte des unterbrochenen Laufs tragen seinen Tag im Namen, weil ein späterer Lauf ihre "
                   "Namen schon trägt; dessen Berichte blieben unverändert:\n"_qs
                   + recovery.besideLater.join(u'\n'));
    if (!recovery.missing.isEmpty())
        out.append(u"Ein gespeicherter Beitragslauf hat Dateien, die weder unfertig noch unter ihrem Namen zu finden "
                   "sind (gelöscht oder verschoben?). Seine Beiträge sind gespeichert:\n"_qs
                   + recovery.missing.join(u'\n'));
    if (!recovery.foreign.isEmpty())
        out.append(u"Diese unfertigen Dateien gehören zu einem Lauf einer anderen Datenbank oder Kopie: nicht "
                   "angefasst. Sie erhalten ihren Namen beim nächsten Start auf der Datenbank, die sie geschrieben "
                   "hat:\n"_qs
                   + recovery.foreign.join(u'\n'));
    out += recovery.problems;
    return out;
}

} // namespace qvl::bank_files
