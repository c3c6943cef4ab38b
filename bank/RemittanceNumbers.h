#pragma once
// The references a transfer's remittance text gives. A number counts only as a reference:
// an RF creditor reference with valid check digits, a number behind a marker ("RE",
// "Re.-Nr.", "Rechnung", "Rechnungsnummer", "Beleg", "Nr.", "Beitragsbescheid", "RG" of
// the debits' own text, the association's remittance prefix) and the numbers listed after
// it ("RE 1001, 1002 und 1003"), or the whole text. A number that is part of a date, an
// amount, a hectare figure, an IBAN or a postcode never is one.

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace qvl {

struct RemittanceReferences {
    QList<qint64> creditorReferences; // the invoice numbers of valid RF references
    QList<qint64> numbers;            // behind a marker, or the whole text, in the text's order
    // A marked number at the end of a line whose digits go on at the next line's start
    // ("Rechnung Nr 8" / "0 Woerle"): the joined number and its parts.
    struct Broken {
        qint64 joined = 0;
        QList<qint64> parts;
    };
    QList<Broken> broken;
    bool wholeText = false; // the text is the number alone
};

// markers: further words that stand before a reference (the association's remittance prefix).
RemittanceReferences referencesInRemittance(const QString &text, const QStringList &markers = {});

// The same, with the markers' pattern made once for many texts.
class RemittanceReader {
public:
    explicit RemittanceReader(const QStringList &markers = {});
    RemittanceReferences read(const QString &text) const;

private:
    QRegularExpression m_marked;
};

} // namespace qvl
