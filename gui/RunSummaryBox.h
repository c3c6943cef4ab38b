#pragma once
// The summary of a run beside the main form: what went to the bank, what was left out
// and which accounting files were written. Not modal, so the clerk can keep it open while
// checking the files; "Ordner öffnen" shows the bank file's folder (or, after an invoice
// run, the accounting folder) in the desktop's file manager.

#include "run/RunSummary.h"

#include <QDialog>

#include <functional>

namespace qvl {

class RunSummaryBox : public QDialog {
    Q_OBJECT
public:
    // sendMails: "E-Mails versenden", offered when the run wrote mails into the outbox.
    RunSummaryBox(const RunSummary &summary, QWidget *parent, std::function<void()> sendMails = {});

    // The folder "Ordner öffnen" opens; empty when the run wrote into none.
    QString folder() const { return m_folder; }

private:
    QString m_folder;
};

} // namespace qvl
