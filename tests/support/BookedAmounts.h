#pragma once
// Records built by hand as the fee calculation would leave them. sampleBooking is the owner
// the letter, list and e-invoice tests start from; withCents fills the cents fields every
// writer reads from the euro fees a test sets (Betrag) and the VAT shares it sets
// (SteuerCent); the total a test sets in SummeCent itself.

#include "core/Buchung.h"

#include <QString>

namespace qvl::test {

// An owner in Germany with a full address, a valid IBAN and BIC and a mandate "M-<nummer>",
// paying by direct debit; no name and no fees.
inline Buchung sampleBooking(long nummer)
{
    Buchung b;
    b.Nummer = nummer;
    b.Lastschrift = QStringLiteral("1");
    b.Mandatsnummer = QStringLiteral("M-") + QString::number(nummer);
    b.StrasseOrig = QStringLiteral("Waldweg 1");
    b.PLZ = QStringLiteral("12345");
    b.OrtOrig = QStringLiteral("Holzhausen");
    b.BankOrig = QStringLiteral("Waldbank");
    b.BIC = QStringLiteral("GENODEF1XYZ");
    b.IBAN = QStringLiteral("DE02120300000000202051");
    return b;
}

// The sample's fees on 3 ha: 20,00 € fixed for fee 1, 3,3333 € per hectare for fee 2
// (10,00 €), invoice number 500 + nummer; 30,00 € due without VAT.
inline Buchung &withSampleFees(Buchung &b)
{
    b.RechNr = QString::number(500 + b.Nummer);
    b.Hektar = 3;
    b.HaBerechnet = {3, 3, 0, 0, 0, 0};
    b.Fixbeitrag = {20, 0, 0, 0, 0, 0};
    b.Flachenbertrag = {0, 3.3333, 0, 0, 0, 0};
    b.Betrag = {20, 10, 0, 0, 0, 0};
    b.SummeCent = Money(3000);
    return b;
}

inline Buchung &withCents(Buchung &b, bool vatOnTop = false)
{
    b.NettoSummeCent = b.MwstSummeCent = Money();
    for (std::size_t k = 0; k < 5; ++k) {
        b.BetragCent[k] = Money::fromEuros(b.Betrag[k]);
        b.NettoCent[k] = vatOnTop ? b.BetragCent[k] : b.BetragCent[k] - b.SteuerCent[k];
        b.BruttoCent[k] = vatOnTop ? b.BetragCent[k] + b.SteuerCent[k] : b.BetragCent[k];
        b.NettoSummeCent += b.NettoCent[k];
        b.MwstSummeCent += b.SteuerCent[k];
    }
    return b;
}

inline Buchungen &withCents(Buchungen &records, bool vatOnTop = false)
{
    for (Buchung &b : records)
        withCents(b, vatOnTop);
    return records;
}

inline Buchungen withCents(Buchungen &&records, bool vatOnTop = false)
{
    withCents(records, vatOnTop);
    return std::move(records);
}

} // namespace qvl::test
