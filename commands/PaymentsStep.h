#pragma once
// The form's side of the payments: the bank's files read and matched against the register
// on the form's connection, the matching applied, the open items and the letters made with
// the association's data and text models. Both front ends call these; the work is done in
// bank/.

#include "bank/ApplyMatches.h"
#include "bank/CamtReader.h"
#include "bank/PaymentReports.h"
#include "bank/StatementImport.h"

#include <optional>

namespace qvl {

class FrmDTA;

// A reading kept whole, for the desktop program's table and the clerk's assignments.
struct BankImport {
    CamtReading reading;            // its refusals (the entries are in the matching)
    Matching matching;
    QStringList skipped;            // statements read before, skipped as a whole
    QList<StatementRead> statements;
};

// What the matching takes from the form: the remittance prefix, the creditor id.
MatchingOptions matchingOptions(const FrmDTA &form);
// Reads the files and matches them; nothing is changed. Throws DbError.
BankImport readBankFiles(FrmDTA &form, const QStringList &paths);
// Throws DbError; nothing is changed then.
ApplyResult applyBankImport(FrmDTA &form, const BankImport &import);
// Reads, matches and (request.apply) applies as a stream: `part` gets each part of the
// matching as it is made. See importStatements. Throws DbError; nothing is changed then.
StatementImport streamBankFiles(FrmDTA &form, StatementImportRequest request,
                                const std::function<void(Matching &)> &part);

// The register's balances as they stand. Throws DbError.
OpenBalances registerBalances(FrmDTA &form);
QList<OpenItem> currentOpenItems(FrmDTA &form, bool openOnly);

struct LetterRequest {
    LetterKind kind = LetterKind::Returns;
    int reminderDays = 14;     // reminders: open this many days after the due date
    qint64 returnFeeCents = 0; // returns: the association's own fee
};

// The letters and the items they are for; the items are empty when nobody gets one.
struct Letters {
    LetterKind kind = LetterKind::Returns;
    QList<OpenItem> items;
    std::optional<Report> report;
};
Letters makeLetters(FrmDTA &form, const LetterRequest &request);
// After the letters were handed out: a reminder raises its document's level; the day of
// either letter is its document's last request to pay.
void recordLettersSent(FrmDTA &form, const Letters &letters);

// The text model of the letters: the model named "Rücklastschrift" or "Mahnung" among the
// invoice text models, else empty (the built-in text).
QString letterModel(const FrmDTA &form, LetterKind kind);

} // namespace qvl
