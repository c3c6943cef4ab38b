#include "run/RunCommit.h"

#include "platform/Database.h"
#include "platform/FaultPoints.h"
#include "run/RunManifest.h"
#include "sepa/RunLock.h"

namespace qvl {

NamingResult commitRun(Database &db, RunLock &lock, RunOutputs &outputs)
{
    run_manifest::record(db, outputs);
    try {
        lock.commitAndHold();
        // The tests' stand-in for a connection lost while the server committed.
        if (faultFails("commit-antwort"))
            throw UncertainCommit{u"Die Verbindung zum Server wurde während des Speicherns unterbrochen."_qs};
    } catch (const UncertainCommit &) {
        outputs.keep();
        throw;
    } catch (const DbError &e) {
        if (lock.failedCommitIsCertain())
            throw;
        outputs.keep();
        throw UncertainCommit{e.message()};
    }
    outputs.keep();
    faultPoint("beitraege-gespeichert");
    NamingResult naming = outputs.nameAll();
    if (naming.problems.isEmpty()) {
        try {
            run_manifest::forget(db, outputs.runId());
            lock.commit();
        } catch (const DbError &) {
            // Every file has its name; the next start finds them so and forgets the manifest.
        }
    }
    return naming;
}

QString uncertainCommitMessage(const UncertainCommit &uncertain)
{
    return u"Beim Speichern der Beiträge brach die Verbindung zur Datenbank ab; ob sie gespeichert wurden, ist nicht "
           "sicher.\n"_qs
           + uncertain.reason
           + u"\nEs wurde nichts gelöscht. Beim nächsten Start des Programms werden die Dateien des Laufs benannt, wenn "
             "seine Beiträge gespeichert sind, sonst entfernt. Wiederholen Sie den Lauf erst danach."_qs;
}

} // namespace qvl
