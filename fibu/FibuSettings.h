#pragma once
// What the accounting exports take from a run: the system, the folder, how the invoices
// are numbered and dated, the accounts and the fees' names. Read once from the main form
// by the run; the exports see nothing else.

#include "core/Buchung.h"

#include <QDate>
#include <QString>
#include <optional>

namespace qvl {

class Clock;
class RunOutputs;

namespace fibu {

struct FibuSettings {
    // "IBM-FIBU", "DATEV-FIBU" or "SYSKA-FIBU" in any letter case, blanks around ignored;
    // anything else writes nothing.
    QString system;
    QString folder;               // the accounting folder, as the form shows it (Dir1)
    QString programDir;           // the cost-centre map above it, the export error log in it
    const Clock *clock = nullptr; // never null: the day in the files' names, the log's time
    bool directDebit = true;      // "BEITLA" and the bank bookings; else an invoice run, "BEITRE"
    qint64 firstInvoiceNumber = 0; // the run's first invoice number, as the fee calculation gave it
    QString invoiceDateText;      // the invoice date as typed (txtRechDat), SYSKA writes it so
    // The same read as a date, the run's day when the box is empty; nullopt when it is no date.
    std::optional<QDate> invoiceDate;
    QString bookingText;          // the remittance text (txtVerwendungszweck)
    QString businessYear;         // as typed (txtWirtschaftsjahr)
    SlotArray<QString> vatRates;  // per fee slot the VAT rate as typed: IBM-FIBU's tax codes
    QString bankAccount;          // the association's bank account in accounting (txtBankKonto)
    // Per fee slot the revenue account (fee 1 the MBT account, fee 2 the WBV account, then
    // liability, storm and fee 5) and the fee's name.
    SlotArray<QString> feeAccounts;
    SlotArray<QString> feeNames;
    // The run's list the files go to, hidden until its commit names them (the log's lines
    // wait there too); nullptr outside a run: the files are named at once.
    RunOutputs *outputs = nullptr;
};

} // namespace fibu
} // namespace qvl
