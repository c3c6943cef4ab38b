// The main form's drop-down of stored runs and the button that deletes one.

#include "app/FrmDTA.h"
#include "run/RunDriver.h"
#include "core/RunError.h"
#include "ledger/BankFiles.h"
#include "run/MailSendStep.h"
#include "stored/FeeSlotRecord.h"
#include "stored/RunLock.h"
#include "stored/StoredFees.h"

namespace qvl {

namespace {

const QString kDeleteTitle = QStringLiteral("Beiträge löschen");

// In association mode the stored runs are those of the selected association's owners.
std::optional<long> runScope(const FrmDTA &f)
{
    return f.bFBGVersion ? std::optional<long>(f.GetFBGNr()) : std::nullopt;
}

// A count only when the server reported one: SQL Server under SET NOCOUNT ON reports
// none, and a trigger on the table may report its own statement's count, 0 included.
QString deletedText(std::optional<int> rows)
{
    if (!rows || *rows <= 0)
        return u"Löschen erfolgreich."_qs;
    return u"Löschen erfolgreich\r"_qs
           + (*rows == 1 ? u"Es wurde 1 gespeicherter Beitrag gelöscht."_qs
                         : u"Es wurden "_qs + QString::number(*rows) + u" gespeicherte Beiträge gelöscht."_qs);
}

} // namespace

bool FrmDTA::cmbBeitraege_GotFocus()
{
    cmbBeitraege.Clear();
    if (!SQLConn)
        return false;
    try {
        for (const QString &key : listStoredRuns(*SQLConn, runScope(*this)))
            cmbBeitraege.AddItem(key);
        return true;
    } catch (const DbError &e) {
        // A failing list must not end the program; the list simply stays empty.
        cmbBeitraege.Clear();
        ui().message(u"Die Liste der hinterlegten Beiträge konnte nicht gelesen werden.\n"_qs + e.message(), {},
                     MsgIcon::Critical);
        return false;
    }
}

FrmDTA::DeleteRunResult FrmDTA::btnBeitraegeLoeschen_Click()
{
    const QString key = cmbBeitraege.Text();
    const auto notFound = [&] {
        ui().message(u"Es gibt keinen gespeicherten Lauf „"_qs + key + u"“."_qs, kDeleteTitle);
        return DeleteRunResult::NotFound;
    };
    const auto failed = [&](const QString &text) {
        ui().message(u"Fehler beim Löschen der hinterlegten Beiträge\r"_qs + text, kDeleteTitle);
        return DeleteRunResult::Failed;
    };
    const auto refused = [&](const QString &text) {
        ui().message(text, kDeleteTitle, MsgIcon::Exclamation);
        return DeleteRunResult::Refused;
    };
    // A typed text that names no listed run deletes nothing; no need to ask.
    if (key.isEmpty() || !cmbBeitraege.List.contains(key))
        return notFound();
    int fees = 0;
    StoredRunMails mails;
    try {
        if (!SQLConn)
            throw DbError(u"Es besteht keine Verbindung zur Datenbank."_qs);
        // A bank file whose fees are stored but that has no name yet is finished first: its
        // fees must not vanish while the file still goes to the bank.
        finishInterruptedRuns(*this, true);
        if (bank_files::hasPending(*SQLConn))
            return refused(bank_files::pendingRefusal());
        fees = countStoredRun(*SQLConn, key, runScope(*this));
        mails = mailsOfStoredRun(*this, *SQLConn, key, runScope(*this));
    } catch (const RunError &e) {
        return refused(e.message());
    } catch (const DbError &e) {
        return failed(e.message());
    }
    QString question = deleteRunQuestion(key, fees);
    if (const QString mailText = storedRunMailsText(mails); !mailText.isEmpty())
        question += u"\n\n"_qs + mailText;
    if (!ui().askYesNo(question, kDeleteTitle, MsgIcon::Exclamation))
        return DeleteRunResult::Declined;
    std::optional<int> deleted;
    try {
        // Under the run lock: no run commits, and no bank file becomes pending, meanwhile.
        RunLock lock(*SQLConn);
        if (bank_files::hasPending(*SQLConn))
            return refused(bank_files::pendingRefusal());
        // Whether the run is still there is asked of the list, not of the delete's row
        // count, which the server may not report truly.
        if (!listStoredRuns(*SQLConn, runScope(*this)).contains(key)) // deleted elsewhere meanwhile
            return notFound();
        deleted = deleteStoredRun(*SQLConn, key, runScope(*this));
        fee_slots::forgetDeleted(*SQLConn);
        lock.commit();
    } catch (const RunError &e) {
        return refused(e.message());
    } catch (const DbError &e) {
        return failed(e.message());
    }
    QString done = deletedText(deleted);
    if (const QString withdrawn = withdrawStoredRunMails(*this, mails); !withdrawn.isEmpty())
        done += u"\r"_qs + withdrawn;
    ui().message(done, kDeleteTitle);
    return DeleteRunResult::Deleted;
}

} // namespace qvl
