#include "ledger/RunCommit.h"

#include "db/Database.h"
#include "base/FaultPoints.h"
#include "ledger/RunManifest.h"
#include "stored/RunLock.h"

namespace qvl {

namespace {

// Gives every file its name; forgets the manifest once all have one.
NamingResult nameAndForget(Database &db, RunOutputs &outputs, const std::function<void()> &commit)
{
    NamingResult naming = outputs.nameAll();
    if (naming.problems.isEmpty()) {
        try {
            run_manifest::forget(db, outputs.runId());
            commit();
        } catch (const DbError &) {
            // Every file has its name; the next start finds them so and forgets the manifest.
        }
    }
    return naming;
}

// After an error from the commit: what the database holds decides.
NamingResult settle(const QString &error, RunLock &lock, RunOutputs &outputs, const Reconnect &reconnect)
{
    outputs.keep();
    lock.abandon();
    std::unique_ptr<Database> fresh;
    bool stored = false;
    try {
        if (faultFails("nachlesen"))
            throw DbError(u"Die Datenbank ist nicht lesbar."_qs);
        fresh = reconnect();
        stored = run_manifest::isRecorded(*fresh, outputs.runId());
    } catch (const DbError &unreadable) {
        throw UncertainCommit(error + u"\nDie Datenbank ließ sich danach nicht lesen: "_qs + unreadable.message());
    }
    if (!stored) {
        outputs.discard();
        try {
            run_manifest::forgetStart(*fresh, outputs.runId());
        } catch (const DbError &) {
            // Without its files the start row is harmless.
        }
        throw DbError(u"Die Beiträge konnten nicht gespeichert werden; die Dateien des Laufs wurden entfernt.\n"_qs
                      + error);
    }
    throw CommitErrorButStored(error, nameAndForget(*fresh, outputs, [] {}));
}

} // namespace

NamingResult commitRun(Database &db, RunLock &lock, RunOutputs &outputs, const Reconnect &reconnect)
{
    run_manifest::record(db, outputs);
    try {
        lock.commitAndHold();
        // The tests' stand-ins for an answer lost while the server committed, and for an
        // I/O error SQLite reports after its commit reached the disk.
        if (faultFails("commit-antwort"))
            throw DbError(u"Die Verbindung zum Server wurde während des Speicherns unterbrochen."_qs);
        if (faultFails("commit-io"))
            throw DbError(u"disk I/O error"_qs);
    } catch (const DbError &e) {
        return settle(e.message(), lock, outputs, reconnect);
    }
    outputs.keep();
    faultPoint("beitraege-gespeichert");
    return nameAndForget(db, outputs, [&lock] { lock.commit(); });
}

QString uncertainCommitMessage(const UncertainCommit &uncertain)
{
    return u"Beim Speichern der Beiträge meldete die Datenbank einen Fehler; ob sie gespeichert wurden, ist nicht "
           "sicher.\n"_qs
           + uncertain.reason
           + u"\nEs wurde nichts gelöscht. Beim nächsten Start des Programms werden die Dateien des Laufs benannt, wenn "
             "seine Beiträge gespeichert sind, sonst entfernt. Wiederholen Sie den Lauf erst danach."_qs;
}

QString storedDespiteErrorMessage(const CommitErrorButStored &stored)
{
    return u"Beim Speichern der Beiträge meldete die Datenbank einen Fehler:\n"_qs + stored.reason
           + u"\nDie Beiträge sind aber gespeichert (nachgelesen), und die Dateien des Laufs haben ihren Namen. "
             "Reichen Sie die SEPA-Datei bei der Bank ein und wiederholen Sie den Lauf nicht. Prüfen Sie den "
             "Datenträger der Datenbank."_qs;
}

} // namespace qvl
