// The main form's drop-down of stored runs and the button that deletes one.

#include "app/FrmDTA.h"
#include "sepa/StoredFees.h"

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
    // A typed text that names no listed run deletes nothing; no need to ask.
    if (key.isEmpty() || !cmbBeitraege.List.contains(key))
        return notFound();
    if (!ui().askYesNo(u"Wollen Sie die hinterlegten Beiträge löschen? "_qs, kDeleteTitle))
        return DeleteRunResult::Declined;
    std::optional<int> deleted;
    try {
        if (!SQLConn)
            throw DbError(u"Es besteht keine Verbindung zur Datenbank."_qs);
        // Whether the run is still there is asked of the list, not of the delete's row
        // count, which the server may not report truly.
        if (!listStoredRuns(*SQLConn, runScope(*this)).contains(key)) // deleted elsewhere meanwhile
            return notFound();
        deleted = deleteStoredRun(*SQLConn, key, runScope(*this));
    } catch (const DbError &e) {
        ui().message(u"Fehler beim Löschen der hinterlegten Beiträge\r"_qs + e.message(), kDeleteTitle);
        return DeleteRunResult::Failed;
    }
    ui().message(deletedText(deleted), kDeleteTitle);
    return DeleteRunResult::Deleted;
}

} // namespace qvl
