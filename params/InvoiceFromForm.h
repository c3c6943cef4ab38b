#pragma once
// The invoices and fee notices read from the main form: builds the values the letters
// (print/InvoicePrinting) take and makes them with the form's invoice design.

#include "core/Buchung.h"
#include "print/InvoicePrinting.h"

#include <QSet>

namespace qvl {

class FrmDTA;
struct RunInputs;

// The fee lines' values: the calculation mode, its boxes, the rates, the fee names, the
// customer layout, the currency and whether VAT comes on top.
FeeLineSettings feeLineSettings(const FrmDTA &form);

// The due date as the letters print it: dd.mm.yyyy, empty when the run has none.
QString dueDateText(const RunInputs &run);

// The sender's name the letterhead prints: in association mode the association's name
// from the database (DbError when it cannot be read), else the firm's name.
QString invoiceSenderName(const FrmDTA &form);

// For the second half of a run: the sender's name read now, before the run's write
// transaction, and taken by every letter of the run.
class SenderNameForRun {
public:
    explicit SenderNameForRun(FrmDTA &form);
    ~SenderNameForRun();
    SenderNameForRun(const SenderNameForRun &) = delete;
    SenderNameForRun &operator=(const SenderNameForRun &) = delete;
};

// The letters' values, filling the form's own invoice design (see designs()), with the
// form's progress bar. Throws DbError (the association's row).
InvoiceParams invoiceParams(FrmDTA &form, const RunInputs &run);

// The letters of the run's records with the form's values (see print/InvoicePrinting).
Report PrintRechnungen(FrmDTA &form, const RunInputs &run, const Buchungen &aBuchungen,
                       const QSet<long> &notCollected = {});
// The same outside a run (the letters of a demonstration or a test): the form read as a run
// reads it, refused the same way (RunError).
Report PrintRechnungen(FrmDTA &form, const Buchungen &aBuchungen, const QSet<long> &notCollected = {});

} // namespace qvl
