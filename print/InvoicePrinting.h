#pragma once
// Invoices and fee notices: one letter per owner with letterhead, sender line and address
// for a window envelope, the fee breakdown, sum, VAT and, in direct-debit runs, the note
// which account will be debited.

#include "core/Creditor.h"
#include "print/FeeLines.h"
#include "print/Report.h"
#include "core/Buchung.h"

#include <QSet>
#include <array>
#include <functional>
#include <optional>

namespace qvl {

// The letters' values of a run (see params/InvoiceFromForm). The sender's texts are printed
// as typed.
struct InvoiceParams {
    // The invoice design the letters fill; the run places its controls, and what it changes
    // stays for later runs of the same design.
    ReportDesign *design = nullptr;
    // The fee slots, their names and rates, the currency and whether VAT comes on top.
    FeeLineSettings fees;
    std::array<bool, 5> feePrinted{}; // the ticked fee slots
    // The title above each letter; none: no title.
    std::optional<QString> title;
    QString senderName;  // heads the letter: the association's or the firm's name
    // The sender line (the Orvelde head names the creditor "Im Auftrag für:"), the head's
    // address, phone, fax, e-mail, creditor id and tax number, the account at the foot.
    Creditor creditor;
    bool letterhead = false;      // the head printed on the letter, with the logo
    QString logoPath;             // empty: none
    bool omitSenderLine = false;  // no sender line above the address
    QString date;                 // the letters' date as printed
    // Fee notices of a direct-debit run: the debit note or, for an owner left out of the
    // bank file, the transfer request comes before the free text.
    bool directDebitNote = false;
    QString dueDate;              // as the letters print it
    bool bankLine = false;        // the account printed at the foot of each letter
    QString fixText;
    // The window positions as typed (twips); a text that is no number is refused.
    QString senderTop, senderLeft, addressTop, addressLeft;
    // Called after each letter with the letters done and their total; may be empty.
    std::function<void(int done, int total)> progress;
};

// The letters of the run's records, to be shown. Places the design's controls after the
// printed fees and from the window positions. In a direct-debit run, an owner of
// `notCollected` (Id_Personal: his debit is not in the bank file) is asked to transfer the
// amount instead of being told it is debited. Throws RunError (a value that does not fit
// its column, a position that is not a number).
Report PrintRechnungen(const InvoiceParams &params, const Buchungen &aBuchungen, const QSet<long> &notCollected = {});

// The letters' payment sentences, which the e-invoices repeat word for word: the debit
// note of an owner whose debit is in the bank file (the fee notice is the SEPA
// pre-notification, so it names the day), and the transfer request of one left out of it.
QString debitNoteSentence(const QString &dueDate);
QString transferRequestSentence(Money amount, const QString &currency, const QString &dueDate);

} // namespace qvl
