#pragma once
// The register of every invoice and fee notice a run issued, and of what the bank said
// about each (collected, paid by transfer, returned). Invoice numbers are its key: a
// number once registered is never issued again.

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

namespace qvl {

class Database;
struct OwnTable;

enum class DocumentKind { Invoice, FeeNotice };    // "Rechnung", "Beitragsbescheid"
enum class PaymentWay { DirectDebit, Transfer };  // "Lastschrift", "Überweisung"

struct RegisteredDocument {
    qint64 number = 0; // the invoice number
    DocumentKind kind = DocumentKind::Invoice;
    long idPersonal = 0;
    long nummer = 0;   // the owner's number
    QString name;      // "Schmidt Bernd"
    QDate date;        // invoice date
    QDate due;
    PaymentWay way = PaymentWay::Transfer;
    QString mandate;   // direct debit: the mandate reference (the debit's end-to-end id)
    QString iban;      // the owner's account (direct debit: the debited one)
    qint64 grossCents = 0;
    qint64 vatCents = 0;
    QString vatByRate; // "19=1234;7=56": rate = VAT in cents
    QString run;       // "2026 Mitgliedsbeitrag, 06.12.2026 10:00"
    QString runId;     // the run's id, as its files and mails carry it
    QString year, feeType;
    QString batchId;   // direct debit: the bank file's message id
    QString files;     // the run's files, "; "-separated
    int reminderLevel = 0;
    QDate lastReminder; // the day of the last letter asking for it (a reminder or a return letter)
};

// "Lastschrift", "Überweisung", "Rücklastschrift", "Storno" (a payment the bank reversed)
enum class PaymentKind { Collected, Transfer, Returned, Reversed };

struct RecordedPayment {
    qint64 number = 0;    // the document
    PaymentKind kind = PaymentKind::Transfer;
    qint64 cents = 0;     // booked for the document (a return: the amount returned)
    qint64 chargeCents = 0; // the bank's return charge
    QString reason;       // a return's reason code
    QDate booked;
};

} // namespace qvl

// Texts, dates and numbers only: moved in memory as they are when a list grows.
Q_DECLARE_TYPEINFO(qvl::RegisteredDocument, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(qvl::RecordedPayment, Q_RELOCATABLE_TYPE);

namespace qvl {

QString documentKindText(DocumentKind kind);
QString paymentWayText(PaymentWay way);
QString paymentKindText(PaymentKind kind);

namespace register_tables {
// The register's tables, for the list of the program's own tables.
QList<OwnTable> ownTables();
} // namespace register_tables

// Creates the register's tables (and their indexes) where they are missing, as the list of
// the program's own tables creates them. Throws DbError.
void ensureRegisterTables(Database &db);

// Inserts the documents; runs in the caller's transaction. A number already registered
// fails the insert (the key), so a run can never issue one twice. Throws DbError.
void registerDocuments(Database &db, const QList<RegisteredDocument> &documents);

// The highest registered number; std::nullopt when none (or no register yet).
std::optional<qint64> highestNumber(Database &db);

struct NumberClash {
    int count = 0;      // registered numbers within the range
    qint64 first = 0;   // the lowest of them
};
// Registered numbers between first and last (both included).
NumberClash numbersTaken(Database &db, qint64 first, qint64 last);

// The whole register (empty without tables), in number order.
QList<RegisteredDocument> readDocuments(Database &db);
QList<RecordedPayment> readPayments(Database &db);

// A registered document as the outbox's sending asks after it: whose it is and which run
// issued it.
struct IssuedDocument {
    qint64 number = 0;
    DocumentKind kind = DocumentKind::Invoice;
    long idPersonal = 0;
    PaymentWay way = PaymentWay::Transfer;
    qint64 run = 0;    // the register's number of the run
    QString runId;     // the run's id; empty for a run registered before runs had one
    QString year, feeType; // the run's
};
// The documents numbered from first to last, by number (empty without a register).
// Throws DbError.
QHash<qint64, IssuedDocument> issuedDocuments(Database &db, qint64 first, qint64 last);
// The debits the register's run collected. Throws DbError.
QList<IssuedDocument> debitsOfRun(Database &db, qint64 run);

} // namespace qvl
