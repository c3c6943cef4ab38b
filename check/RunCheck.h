#pragma once
// The check before a run: what the run will collect or invoice, and what the clerk should
// know before any file exists — errors that keep the run from starting, warnings about
// owners the run will treat otherwise than expected, hints (the comparison with last
// year, the due date). Made by the first half of the run (run/RunPreparation), shown by
// the front ends (UserInterface::showRunCheck), printed by the batch program's "check".

#include "core/Money.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace qvl {

enum class CheckGrade { Error, Warning, Hint };

// What a finding is about; the texts say it to the clerk, the kinds to the program.
enum class CheckKind {
    // Errors: the run cannot start.
    CalculationRefused, // the fee calculation or the amount limits refused the run
    NoWritableIban,     // a direct-debit run whose bank file could carry no debit
    DueDate,            // the due date against the banks' calendar and the pre-notification
    InvoiceNumberTaken, // the run's invoice numbers overlap numbers already issued
    // Warnings.
    LeftOut,           // no IBAN the bank file can carry: not debited
    IbanInvalid,       // written, but the bank will reject it
    BicReplaced,       // NOTPROVIDED in place of an unusable BIC
    MandateBlank,      // the owner's number stands for the reference
    MandateCharacters, // outside the SEPA set
    MandateCut,        // longer than 35 characters
    ZeroFee,           // dropped: the fee is 0 (one finding per reason)
    NoJoiningDate,     // pro rata without a joining date
    NoAccount,         // the accounting export lacks the owner's account
    BankCharacters,    // name or address with characters the bank file turns into blanks
    Cp1252Characters,  // … that a Windows-1252 file writes as "?"
    EInvoiceNotMade,   // businesses in a run that makes no letters, so no e-invoices
    EInvoiceRefused,   // their data make no valid e-invoice
    EInvoiceFieldLeftOut, // an optional field the e-invoice cannot carry is left out
    BusinessYearUnclear,  // the business year box names no business year of the start month
    MailSenderInvalid,    // mails are wanted, but the association has no valid address to send from
    MailAddressInvalid,   // an owner the e-mail setting names has an address that cannot be used
    // Hints (the comparison's totals stand in the summary).
    ComparisonGone,
    ComparisonNew,
    ComparisonChanged,
    ComparisonTransfer // owners who pay by transfer: not stored, so compared apart
};

CheckGrade gradeOf(CheckKind kind);

struct CheckOwner {
    long nummer = 0;
    QString name;   // "Schmidt Bernd"
    QString detail; // what concerns him: "IBAN „DE12 …“", "2025 12,50 €, jetzt 45,00 € (+260,0 %)"
};

struct CheckItem {
    CheckKind kind;
    QString text;             // the finding; its owners are counted apart
    QList<CheckOwner> owners; // empty for a finding about the run as a whole

    CheckGrade grade() const { return gradeOf(kind); }
};

struct FeeTotal {
    QString name;   // the fee's name
    int owners = 0; // owners with this fee other than 0
    Money amountCent;      // as the letters print it: net with VAT on top, gross with VAT included
};

// What the run will bill, before anything is written.
struct RunFigures {
    bool directDebit = false;
    QString year;      // txtWirtschaftsjahr
    QString feeText;   // strBeitragsText
    QString dueDate;   // dd.mm.yyyy, direct debit only
    int leadDays = 0;  // the bank's lead time in TARGET2 business days
    int preNotificationDays = 0; // with fee notices: the pre-notification period, else 0
    QString selection; // the owner selection the run is restricted to; empty: all owners
    int read = 0;      // owners the member query read
    int billed = 0;    // owners the fee calculation kept
    Money totalCent;      // their totals, as debited or asked for (with VAT)
    QList<FeeTotal> fees;
    bool withVat = false;  // some fee carries VAT: the texts say which totals hold it
    bool vatOnTop = false; // the fees are net, their VAT comes on top
    qint64 debits = 0;  // direct debit: the debits the bank file will carry
    Money debitSumCent;      // their control sum
    int leftOut = 0;    // billed but not in the bank file
    int dropped = 0;    // not billed: their fee is 0
};

struct RunCheck {
    RunFigures figures;
    QString comparison; // one line: this run against last year, or why there is none
    QList<CheckItem> items;
    // The next due date that meets the banks' rules, when the one given does not.
    std::optional<QDate> proposedDueDate;

    bool hasErrors() const;
    // Whether the due date is the only error and a proposed date would clear it.
    bool onlyDueDateError() const;
    QList<CheckItem> itemsOf(CheckGrade grade) const;
    // The items of a kind taken out (to be made anew).
    void remove(CheckKind kind);
    // Keeps the items in grade order: errors, warnings, hints.
    void add(CheckItem item);
};

// "Fehler", "Warnungen", "Hinweise".
QString gradeTitle(CheckGrade grade);

// The finding with its count: "… (3 Waldbesitzer)"; the text alone for one without owners.
QString itemHeadline(const CheckItem &item);
// "1007 Schmidt Bernd: IBAN „…“".
QString ownerLine(const CheckOwner &owner);

// The summary, one fact per line.
QStringList figuresLines(const RunCheck &check);

// The findings as text, grade by grade, each with its owners indented below it; at most
// `ownersPerItem` owners per finding (the rest counted), all when negative. A grade without
// findings says "keine", or is left out with `skipEmptyGrades`.
QString findingsText(const RunCheck &check, int ownersPerItem = -1, bool skipEmptyGrades = false);

// The summary, an empty line, and the findings with all their owners.
QString runCheckText(const RunCheck &check);

// German amounts and counts: whole cents as "1.234,56 €", exact at any size; "2.628".
QString euroCentsText(Money amount);
QString countText(qsizetype n);
// A change in percent with its sign, one decimal ("+12,5 %"); a change beyond `threshold`
// that one decimal would show as the threshold itself (or below) gets as many more
// decimals as it needs ("+25,02 %"), so a listed change never reads as the threshold.
QString percentChangeText(double percent, std::optional<int> threshold = std::nullopt);

} // namespace qvl
