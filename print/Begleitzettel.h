#pragma once
// The accompanying slip of a direct-debit run: what was handed to the bank — count and
// total of the SEPA file, the sender's bank data, the volume label — with a line for the
// signature.

#include "core/Creditor.h"
#include "core/Money.h"
#include "print/Report.h"

#include <QDateTime>
#include <QString>

namespace qvl {

// The slip's values of a run (see params/ListReports).
struct SlipParams {
    const ReportDesign *design = nullptr;
    QString volume;
    QDateTime printed;      // when the slip is made
    Creditor sender;        // its name, bank, IBAN and BIC, as typed (the bank receives the file)
    QString reference;
};

// The slip, to be shown. Throws RunError ("Fehler beim Schreiben der Exportdatei." and
// the reason) when a value does not fit its column of 200 characters.
Report PrintBegleitzettel(const SlipParams &params, qint64 numberOfTransactions, Money controlSum);

} // namespace qvl
