#pragma once
// The check before a run, between "Starte SEPA" and the first file: what the run will
// bill, and its findings grouped by grade, each with its owners. "Lauf starten" starts the
// second half, "Abbrechen" ends the run with nothing written, "Liste speichern …" saves
// the list as CSV or PDF; with a due date the banks cannot meet, a button takes the next
// possible one. A list with an error leaves only "Abbrechen".

#include "check/RunScreens.h"
#include "check/RunCheck.h"

#include <QDialog>
#include <functional>

class QTreeWidget;

namespace qvl {

class RunCheckDialog : public QDialog {
    Q_OBJECT
public:
    RunCheckDialog(const RunCheck &check, QWidget *parent);

    // The user's choice once the dialog is closed (closing it cancels).
    RunCheckChoice choice() const { return m_choice; }

    // Asks where to save the list; empty when the user cancels. Tests replace it.
    std::function<QString()> chooseFile;

private:
    void choose(RunCheckChoice choice);
    void saveList();

    RunCheck m_check;
    RunCheckChoice m_choice = RunCheckChoice::Cancel;
};

} // namespace qvl
