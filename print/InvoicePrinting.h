#pragma once
// Invoices and fee notices: one letter per owner with letterhead, sender line and address
// for a window envelope, the fee breakdown, sum, VAT and, in direct-debit runs, the note
// which account will be debited.

#include "print/Report.h"
#include "core/Buchung.h"

#include <QSet>

namespace qvl {

class FrmDTA;

// The letters of the run's records, to be shown. Places the design's controls after the
// printed fees and from the settings. In a direct-debit run, an owner of `notCollected`
// (Id_Personal: his debit is not in the bank file) is asked to transfer the amount instead
// of being told it is debited. Throws RunError (a value that does not fit its column, a
// position that is not a number) or DbError (the association's row).
Report PrintRechnungen(FrmDTA &form, const Buchungen &aBuchungen, const QSet<long> &notCollected = {});

// The letters' payment sentences, which the e-invoices repeat word for word: the debit
// note of an owner whose debit is in the bank file (the fee notice is the SEPA
// pre-notification, so it names the day), and the transfer request of one left out of it.
QString debitNoteSentence(const QString &dueDate);
QString transferRequestSentence(qint64 amountCents, const QString &currency, const QString &dueDate);
// The due date as the letters print it: dd.mm.yyyy, or the box's text when it is no date.
QString dueDateText(const FrmDTA &form);

// The sender's name the letterhead prints: in association mode the association's name
// from the database (DbError when it cannot be read), else the firm's name.
QString invoiceSenderName(const FrmDTA &form);

} // namespace qvl
