#pragma once
// The printed outputs of the payments: the list "Offene Posten" and the letters for
// returned debits and payment reminders, each a Report of the program's report engine
// (PDF, print preview) with its row table (CSV). The designs are built in code; the
// letters' texts are text models with fields in braces ("{Betrag}"), the built-in ones
// unless the association keeps its own.

#include "core/Creditor.h"
#include "bank/OpenItems.h"
#include "print/Report.h"

#include <QHash>

namespace qvl {

class Database;


struct OwnerAddress {
    QString salutation, name, street, postcodeCity;
    QString lastName; // for the letter's salutation; empty: "Sehr geehrte Damen und Herren"
};

// The letter's first line from the address: "Sehr geehrte Frau Adler," for "Frau",
// "Sehr geehrter Herr Zeller," for "Herr" or "Herrn", else "Sehr geehrte Damen und Herren,"
// (a family, a firm, a community of heirs, an owner without a salutation).
QString letterSalutation(const OwnerAddress &address);

enum class LetterKind { Returns, Reminders };

struct LetterOptions {
    LetterKind kind = LetterKind::Returns;
    QDate today;
    int payWithinDays = 14;     // the new date to pay by
    qint64 returnFeeCents = 0;  // the association's own fee for a returned debit
    QString model;              // the text model; empty: the built-in one
    Creditor sender; // the association as the letters name it, and the account a transfer goes to
};

// The owners' addresses from the suite's table of persons.
QHash<long, OwnerAddress> ownerAddresses(Database &db);

Report openItemsReport(const QList<OpenItem> &items, const QDate &today, const QString &association);

// One letter per item; a reminder's level is the document's level + 1.
Report paymentLetters(const QList<OpenItem> &items, const QHash<long, OwnerAddress> &addresses,
                      const LetterOptions &options);

// The built-in text models.
QString defaultLetterModel(LetterKind kind);
// The model with its fields filled in; an unknown field stays as written.
QString fillModel(QString model, const QHash<QString, QString> &fields);

// Records the letters handed out: a reminder raises its document's level, and either
// letter's day is the document's last request to pay (the next reminder comes no sooner
// than the reminder interval after it).
void recordReminders(Database &db, const QList<OpenItem> &items, const QDate &today,
                     LetterKind kind = LetterKind::Reminders);

// "1.234,50 €"
QString euroCents(qint64 cents);

} // namespace qvl
