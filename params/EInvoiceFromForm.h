#pragma once
// The e-invoices' values, read from the main form: what every e-invoice of the run shares,
// where they go, and the writer driven with them.

#include "einvoice/EInvoiceWriter.h"

#include <QSet>

namespace qvl {

class FrmDTA;
class RunOutputs;
struct RunInputs;
class Report;
struct EInvoiceRun;

// sellerName: the association's name as the letterhead prints it.
EInvoiceRun eInvoiceRun(const FrmDTA &form, const RunInputs &run, const QString &sellerName, const QSet<long> &notCollected);

// The folder "E-Rechnungen" beside the reports (the export folder unless the reports go
// elsewhere).
QString eInvoiceFolder(const FrmDTA &form);

// The writer's settings; the run's values are read (with the association's name, from the
// database in association mode) only when an owner gets an e-invoice.
EInvoiceSettings eInvoiceSettings(const FrmDTA &form, const RunInputs &run, const QSet<long> &notCollected);

// The run's e-invoices with the form's settings (see the writer's MakeERechnungen).
// `outputs`: the run's list the files go to; nullptr outside a run.
void MakeERechnungen(const FrmDTA &form, const RunInputs &run, RunOutputs *outputs, const Buchungen &aBuchungen,
                     const Report &letters, const QSet<long> &notCollected, EInvoiceOutcome &outcome);

} // namespace qvl
