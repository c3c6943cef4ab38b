#pragma once
// What the bank file makes of each booking: whether its IBAN can be written at all, a BIC
// it must replace by NOTPROVIDED, a mandate reference it must replace or cannot mend. The
// SEPA writer decides its transactions by these rules, and the check before a run tells
// the clerk by the same rules what the writer will do.

#include "core/Buchung.h"
#include "sepa/SepaDocument.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace qvl {

struct BookingCheck {
    enum class Iban {
        Valid,
        Invalid,   // its length or check digits are wrong: the bank would reject the debit, so it is left out
        Unwritable // the schema cannot take it (empty, or not an IBAN's form): left out of the file
    };
    Iban iban = Iban::Valid;
    QString ibanProblem;            // the log line's reason for an IBAN that is not Valid
    bool bicReplaced = false;       // a BIC was given, but the schema takes none like it: NOTPROVIDED
    bool mandateBlank = false;      // nothing the file can carry: the owner's number stands for it
    bool mandateCharacters = false; // outside the SEPA identifier set; written as it is
    bool mandateCut = false;        // longer than the 35 characters the file takes
};

BookingCheck checkBooking(SepaFormat format, const Buchung &b);

// Whether the bank file debits the booking at all: its IBAN passes checkBooking (the IBAN's
// part of it alone, for a quick look at many owners).
bool debitable(const Buchung &b);

// Why the bank file leaves a booking out ("keine IBAN", or the IBAN's problem as the export
// error log names it); empty when the file carries it. The one rule of the file's
// selection and of the lists that tell which owners it debits.
QString leftOutReason(const BookingCheck &c, const Buchung &b);
QString leftOutReason(SepaFormat format, const Buchung &b);

// The mandate reference the file carries: the owner's number for a blank one.
QString mandateOf(const Buchung &b);
// The BIC the file carries: NOTPROVIDED for none, or for one the schema cannot take.
QString bicOf(SepaFormat format, const Buchung &b);

// "1007 Schmidt Bernd", as the export error log names an owner.
QString logLabel(const Buchung &b);

// Which bookings go into the file, their count and control sum, the numbers of the
// message id, and the export error log's lines.
struct BookingSelection {
    std::vector<std::uint32_t> written; // indexes into the run's records, in order
    QSet<long> leftOut;                 // owners whose debit cannot be written
    Money controlSumCent;               // the written bookings' amounts, added up
    int errors = 0;
    QStringList logLines;
    QString firstNumber, lastNumber;
};

// `checks`, when given, receives each booking's check, in the records' order.
BookingSelection selectBookings(SepaFormat format, const Buchungen &aBuchungen,
                                std::vector<BookingCheck> *checks = nullptr);

} // namespace qvl
