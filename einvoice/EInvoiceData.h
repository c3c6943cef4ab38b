#pragma once
// What an electronic invoice says, in whole cents: seller, buyer, one line per printed
// fee, the VAT breakdown, the totals and how it is paid. Built from a booking record and
// the run's values read once from the main form; the XML is written from it alone.

#include "core/Buchung.h"
#include "core/BusinessYear.h"

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <optional>

namespace qvl {

// VAT categories of EN 16931 that fees can take.
enum class VatCategory {
    Standard,     // "S": the fee carries VAT at its rate
    NotSubject,   // "O": the whole invoice is outside VAT (no fee carries any)
    Exempt        // "E": a fee without VAT beside fees with VAT, with the fee's reason
};

struct EInvoiceAddress {
    QString lineOne, lineTwo, lineThree; // street, post-office box, designation
    QString postcode, city;
    QString country; // ISO 3166-1 alpha-2
};

struct EInvoiceParty {
    QString id;          // seller: the creditor id or the tax number; buyer: the member number
    QString name;
    QString tradingName; // the business name of a buyer that is a business
    EInvoiceAddress address;
    QString taxNumber;   // seller: the tax office's number (scheme FC)
    QString vatId;       // the VAT identifier (scheme VA; seller BT-31, buyer BT-48)
    QString phone, email;
};

struct EInvoiceLine {
    QString name;      // the fee's name
    Money netCents;
    VatCategory category = VatCategory::NotSubject;
    double ratePercent = 0; // Standard only
    QString exemptionReason; // the fee's reason when it carries no VAT
};

struct EInvoiceVatGroup {
    VatCategory category = VatCategory::NotSubject;
    double ratePercent = 0;
    Money basisCents;
    Money taxCents;           // Standard: the rate's net total × rate, as the letter prints it
    QString exemptionReason;  // Exempt and NotSubject: the reasons of its fees
};

enum class PaymentKind {
    None,          // the association gave no account: no payment instructions
    CreditTransfer, // 58: the member transfers to the association's account
    DirectDebit    // 59: collected from the member's account under the mandate
};

struct EInvoicePayment {
    PaymentKind kind = PaymentKind::None;
    QString payeeIban, payeeBic;    // credit transfer
    QString mandate, creditorId, debitedIban; // direct debit
    std::optional<QDate> dueDate;
    QString reference; // remittance information, as the letter names the invoice
    QString terms;     // the payment terms: what the letter says about paying
};

struct EInvoiceData {
    QString number;
    QDate issueDate;
    QString currency;
    QString note; // the letter's free text
    std::optional<QDate> periodStart, periodEnd; // the business year billed
    EInvoiceParty seller, buyer;
    QList<EInvoiceLine> lines;
    QList<EInvoiceVatGroup> vat; // one per category and rate, in the order of the lines
    Money lineTotalCents;
    Money taxTotalCents;
    Money grandTotalCents;        // lines + VAT
    Money roundingCents;          // the owner's total rounded to whole euros (formula mode)
    Money duePayableCents;        // the owner's total, as debited or asked for
    EInvoicePayment payment;
};

// The run's values every e-invoice shares, read once from the form (params/EInvoiceFromForm).
struct EInvoiceRun {
    EInvoiceParty seller;
    QDate issueDate;
    QString currencyText; // as typed
    bool directDebit = false;
    bool vatOnTop = false; // bBeitraegeNetto
    QString note;
    QString creditorId, payeeIban, payeeBic;
    std::optional<QDate> dueDate;
    QString dueDateText; // as the letters print it
    std::optional<BusinessYear> businessYear;
    QList<int> feeSlots;             // the printed fee slots, in order
    SlotArray<QString> feeNames;
    SlotArray<QString> exemptionReasons; // per fee: why it carries no VAT (settings)
    SlotArray<std::optional<double>> rates; // the typed VAT rates that are numbers
    QSet<long> notCollected;         // owners (Id_Personal) left out of the bank file: asked to transfer
};

// The invoice of one owner, or the reason why none can be made (a German text). An
// optional field that would make it invalid is left out and named in `leftOut`.
struct EInvoiceBuild {
    std::optional<EInvoiceData> data;
    QString problem;
    QStringList leftOut;
};
EInvoiceBuild buildEInvoiceData(const EInvoiceRun &run, const Buchung &b);

// A VAT identifier: the country of issue ("DE", Greece "EL") and 2 to 13 characters.
bool isVatId(const QString &id);

// ISO 4217 code of the run's currency text ("EUR", "€", "Euro"), empty when unknown.
QString isoCurrency(const QString &text);

} // namespace qvl
