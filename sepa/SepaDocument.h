#pragma once
// The text of a SEPA direct-debit initiation file (ISO 20022 pain.008), block by block,
// in the line layout the banks' import programs have always received from this program:
// fixed indentation, CR LF, an empty line after every block. Two versions:
// pain.008.001.02 and the 2019 version pain.008.001.08 that German banks require since
// November 2026.

#include "core/SepaFormat.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace qvl {

struct SepaHeader {
    QString messageId;       // also the payment information id after "LS00"
    QDateTime created;       // CreDtTm
    qint64 numberOfTransactions = 0;
    QString controlSum;      // amount text, see sepaAmountText
    QString creditorName;    // free text: reduced to the bank character set, cut to 70
    QString dueDate;         // ReqdColltnDt, "yyyy-mm-dd"
    QString creditorIban;
    QString creditorBic;
};

struct SepaTransaction {
    QString mandateId;       // EndToEndId and MndtId (identifier: escaped only)
    QString amount;          // amount text
    QString signatureDate;   // DtOfSgntr, "yyyy-mm-dd"
    QString creditorId;      // identifier
    QString debtorBic;       // "NOTPROVIDED" when the debtor has none
    QString debtorName;      // free text, cut to 70 after reduction
    QString debtorIban;      // identifier, as stored
    QString remittance;      // free text, cut to 140 after reduction
    // For pain.008.001.08 debtors whose IBAN country lies outside the EEA: the postal
    // address (free texts, cut to the schema's lengths).
    QString street;
    QString postcode;
    QString town;
};

// The blocks as the file's bytes (UTF-8); each ends with CR LF and one empty line.
QByteArray sepaHeaderBlock(SepaFormat format, const SepaHeader &header);
QByteArray sepaTransactionBlock(SepaFormat format, const SepaTransaction &transaction);
QByteArray sepaFooterBlock(SepaFormat format);

// The text as an XML 1.0 element value: characters XML forbids or that a parser would
// change (see withoutXmlForbidden) left out, &, <, >, " and ' as entities. Every value of
// the file passes through it.
QString xmlEscape(const QString &text);

// The text without the characters XML 1.0 forbids (controls, lone surrogates, U+FFFE,
// U+FFFF), without the ones it allows but a parser would rewrite (tab, CR, LF) and without
// the C1 controls and DEL, which no bank accepts.
QString withoutXmlForbidden(const QString &text);

// The first maxLength characters, never splitting a character outside the BMP.
QString leftCharacters(const QString &text, int maxLength);

// What the schema of the format accepts as debtor IBAN (upper case, no blanks:
// two letters, two digits, 1 to 30 letters or digits) and as BIC.
bool isSchemaIban(const QString &iban);
bool isSchemaBic(SepaFormat format, const QString &bic);

// The SEPA identifier character set of mandate references: A-Z a-z 0-9 ' : ? , - ( + . ) /,
// neither starting nor ending with "/" and without "//".
bool isSepaIdentifier(const QString &text);

// The character set German banks accept in free texts: a-z A-Z 0-9 blank ' : ? , - ( + . ) / & * $ %.
// A letter with a diacritic loses it (È -> E, ç -> c, ł -> l); any other character becomes a blank.
QString bankCharset(const QString &text);
// The characters of the text that bankCharset can only turn into a blank (neither kept
// nor written without their diacritic), each once; empty when the bank file carries the
// text. Blanks, line breaks and other controls do not count.
QString bankCharsetLosses(const QString &text);


} // namespace qvl
