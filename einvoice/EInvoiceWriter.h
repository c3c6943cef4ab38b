#pragma once
// The e-invoices of a run: for every owner the setting "ERechnung" names, his letter as a
// hybrid PDF/A-3 with the invoice data embedded, checked against the CII schema before it
// gets its name "{RechNr}_{Nummer}.pdf" in the folder "E-Rechnungen" beside the reports.
// An owner whose data make no valid e-invoice gets none and is named in the log file;
// the others go on.

#include "core/Buchung.h"
#include "core/ERechnungSetting.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

namespace qvl {

class Clock;
class Report;
class RunOutputs;
class UserInterface;
struct EInvoiceRun;

struct EInvoiceOutcome {
    QStringList files;   // the e-invoices written, in the owners' order
    QStringList refused; // per owner without one: "Nummer Name: reason"
    QList<int> rows;     // the record of each file given to the writers, in that order
    QString folder;
};

// What the run's e-invoices take besides its records and letters (params/EInvoiceFromForm
// reads it from the main form).
struct EInvoiceSettings {
    ERechnungMode mode = ERechnungMode::Keine; // who gets one
    QString folder;                            // where they go
    QString programDir;                        // the log file naming the owners refused
    const Clock *clock = nullptr;              // never null: the files' time, the log's
    UserInterface *ui = nullptr;               // never null: the progress shown
    // The values every e-invoice of the run shares, with the owners whose debit was left
    // out of the bank file (asked to transfer). Asked for only when an owner gets an
    // e-invoice: the association's name may have to be read from the database.
    std::function<EInvoiceRun()> invoiceValues;
    // The run's list the files go to, hidden until its commit names them (the log's lines
    // wait there too); nullptr outside a run: each file is named at once.
    RunOutputs *outputs = nullptr;
};

// letters: the run's printed letters, one row per record of aBuchungen. Throws WriteError
// when a file cannot be written or DbError (the association's name); the files written
// before stay and are in `outcome`.
void MakeERechnungen(const EInvoiceSettings &settings, const Buchungen &aBuchungen, const Report &letters,
                     EInvoiceOutcome &outcome);

// "{RechNr}_{Nummer}.pdf"; a name that is taken becomes "{RechNr}_{Nummer}_2.pdf" …
QString eInvoiceFileName(const Buchung &b);

} // namespace qvl
