#pragma once
// The e-invoices of a run: for every owner the setting "ERechnung" names, his letter as a
// hybrid PDF/A-3 with the invoice data embedded, checked against the CII schema before it
// gets its name "{RechNr}_{Nummer}.pdf" in the folder "E-Rechnungen" beside the reports.
// An owner whose data make no valid e-invoice gets none and is named in the log file;
// the others go on.

#include "core/Buchung.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace qvl {

class FrmDTA;
class Report;

struct EInvoiceOutcome {
    QStringList files;   // the e-invoices written, in the owners' order
    QStringList refused; // per owner without one: "Nummer Name: reason"
    QList<int> rows;     // the record of each file given to the writers, in that order
    QString folder;
};

// letters: the run's printed letters, one row per record of aBuchungen. notCollected: the
// owners (Id_Personal) whose debit was left out of the bank file (they are asked to
// transfer). Throws RunError when a file cannot be written or DbError (the association's
// name); the files written before stay and are in `outcome`.
void MakeERechnungen(FrmDTA &form, const Buchungen &aBuchungen, const Report &letters,
                     const QSet<long> &notCollected, EInvoiceOutcome &outcome);

// The folder "E-Rechnungen" beside the reports (the export folder unless the reports go
// elsewhere).
QString eInvoiceFolder(const FrmDTA &form);

// "{RechNr}_{Nummer}.pdf"; a name that is taken becomes "{RechNr}_{Nummer}_2.pdf" …
QString eInvoiceFileName(const Buchung &b);

} // namespace qvl
