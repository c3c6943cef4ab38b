#include "sepa/BookingSelection.h"

#include "text/Conversions.h"
#include "core/Iban.h"

#include <cmath>

namespace qvl {

namespace {

const QString notProvided = u"NOTPROVIDED"_qs;

// The length test of the German, Austrian and Swiss IBANs, then the full ISO 13616 check.
// Empty when the IBAN passes, else the reason as the log gives it.
QString ibanProblem(const Buchung &b, const QString &iban)
{
    const QStringView country = QStringView(b.IBAN).left(2);
    const auto is = [&](QStringView code) { return country.compare(code, Qt::CaseInsensitive) == 0; };
    const bool wrongLength = (is(u"DE") && iban.size() != 22) || (is(u"AT") && iban.size() != 20)
                             || (is(u"CH") && iban.size() != 21) || iban.isEmpty();
    if (wrongLength)
        return u"IBAN hat nicht die erforderliche Länge. "_qs + b.IBAN;
    if (!isValidIban(iban))
        return u"IBAN ist ungültig (Prüfziffer oder Länge). "_qs + b.IBAN;
    return {};
}

QString givenBic(const Buchung &b)
{
    return b.BIC.trimmed().toUpper();
}

} // namespace

QString logLabel(const Buchung &b)
{
    return QString::number(b.Nummer) + u' ' + b.Name + u' ' + b.Vorname;
}

QString mandateOf(const Buchung &b)
{
    // A reference that holds nothing the file can carry counts as missing.
    const QString mandate = withoutXmlForbidden(b.Mandatsnummer);
    return mandate.trimmed().isEmpty() ? QString::number(b.Nummer) : leftCharacters(mandate, 35);
}

QString bicOf(SepaFormat format, const Buchung &b)
{
    const QString bic = givenBic(b);
    if (bic.isEmpty() || bic == notProvided || !isSchemaBic(format, bic))
        return notProvided;
    return bic;
}

bool debitable(const Buchung &b)
{
    const QString iban = normalisedIban(b.IBAN);
    return isSchemaIban(iban) && ibanProblem(b, iban).isEmpty();
}

BookingCheck checkBooking(SepaFormat format, const Buchung &b)
{
    BookingCheck c;
    const QString iban = normalisedIban(b.IBAN);
    c.ibanProblem = ibanProblem(b, iban);
    // A bank refuses a file with one unwritable IBAN as a whole.
    if (!isSchemaIban(iban))
        c.iban = BookingCheck::Iban::Unwritable;
    else if (!c.ibanProblem.isEmpty())
        c.iban = BookingCheck::Iban::Invalid;
    const QString bic = givenBic(b);
    c.bicReplaced = !bic.isEmpty() && bic != notProvided && !isSchemaBic(format, bic);
    const QString mandate = withoutXmlForbidden(b.Mandatsnummer);
    c.mandateBlank = mandate.trimmed().isEmpty();
    // A reference cannot be mended here: it is what the owner signed.
    c.mandateCharacters = !b.Mandatsnummer.trimmed().isEmpty() && !isSepaIdentifier(b.Mandatsnummer);
    c.mandateCut = !c.mandateBlank && leftCharacters(mandate, 35).size() < mandate.size();
    return c;
}

QString leftOutReason(const BookingCheck &c, const Buchung &b)
{
    if (c.iban == BookingCheck::Iban::Valid)
        return {};
    if (b.IBAN.trimmed().isEmpty())
        return u"keine IBAN"_qs;
    const QString problem = c.ibanProblem.trimmed();
    return problem.isEmpty() ? u"IBAN „"_qs + b.IBAN + u"“ ungültig"_qs : problem;
}

QString leftOutReason(SepaFormat format, const Buchung &b)
{
    return leftOutReason(checkBooking(format, b), b);
}

BookingSelection selectBookings(SepaFormat format, const Buchungen &aBuchungen, std::vector<BookingCheck> *checks)
{
    if (checks) {
        checks->clear();
        checks->reserve(aBuchungen.size());
    }
    BookingSelection s;
    s.written.reserve(aBuchungen.size());
    const auto logError = [&](const QString &line) {
        s.logLines.append(line);
        ++s.errors;
    };
    for (std::size_t i = 0; i < aBuchungen.size(); ++i) {
        const Buchung &b = aBuchungen[i];
        const BookingCheck c = checkBooking(format, b);
        if (checks)
            checks->push_back(c);
        // An IBAN that fails its check digits is left out like a missing one: the bank would
        // reject the debit, and the member is asked for a transfer instead.
        if (!leftOutReason(c, b).isEmpty()) {
            const QString problem = logLabel(b) + u' ' + c.ibanProblem;
            logError(problem + (problem.endsWith(u' ') ? u""_qs : u" "_qs)
                     + u"Die Lastschrift wurde nicht in die Datei geschrieben."_qs);
            s.leftOut.insert(b.Id_Personal);
            continue;
        }
        if (c.bicReplaced)
            logError(logLabel(b) + u" BIC ist ungültig und wird nicht übertragen. "_qs + b.BIC);
        if (c.mandateCharacters)
            logError(logLabel(b) + u" Mandatsreferenz enthält unzulässige Zeichen. "_qs + b.Mandatsnummer);
        (s.written.empty() ? s.firstNumber : s.lastNumber) = QString::number(b.Nummer);
        s.written.push_back(std::uint32_t(i));
        s.controlSumCent += b.SummeCent;
    }
    return s;
}

} // namespace qvl
