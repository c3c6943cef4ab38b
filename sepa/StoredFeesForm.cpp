// The main form's drop-down of stored runs and the button that deletes one.

#include "app/FrmDTA.h"
#include "sepa/StoredFees.h"

namespace qvl {

namespace {

const QString kDeleteTitle = QStringLiteral("Beiträge löschen");

} // namespace

void FrmDTA::cmbBeitraege_GotFocus()
{
    cmbBeitraege.Clear();
    if (!SQLConn)
        return;
    try {
        for (const QString &key : listStoredRuns(*SQLConn))
            cmbBeitraege.AddItem(key);
    } catch (const DbError &e) {
        // A failing list must not end the program; the list simply stays empty.
        cmbBeitraege.Clear();
        ui().message(u"Die Liste der hinterlegten Beiträge konnte nicht gelesen werden.\n"_qs + e.message(), {},
                     MsgIcon::Critical);
    }
}

FrmDTA::DeleteRunResult FrmDTA::btnBeitraegeLoeschen_Click()
{
    if (!ui().askYesNo(u"Wollen Sie die hinterlegten Beiträge löschen? "_qs, kDeleteTitle))
        return DeleteRunResult::Declined;
    try {
        if (!SQLConn)
            throw DbError(u"Es besteht keine Verbindung zur Datenbank."_qs);
        deleteStoredRun(*SQLConn, cmbBeitraege.Text());
    } catch (const DbError &e) {
        ui().message(u"Fehler beim Löschen der hinterlegten Beiträge\r"_qs + e.message(), kDeleteTitle);
        return DeleteRunResult::Failed;
    }
    ui().message(u"Löschen erfolgreich"_qs, kDeleteTitle);
    return DeleteRunResult::Deleted;
}

} // namespace qvl
