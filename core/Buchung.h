#pragma once
// One owner's booking record of a fee run. The member query fills the owner's data, the
// fee calculation the amounts and texts, the transliteration rewrites the marked text
// fields (TR) for bank files; every writer reads it. The "Orig" copies keep the texts as
// read, for printing.

#include "core/Money.h"

#include <QDate>
#include <QString>
#include <array>
#include <vector>

namespace qvl {

// The fee slots 0..4 of a run.
inline constexpr int kFeeSlots = 5;

// Per fee slot: slots 0..4 are used, element 5 never.
template <typename T>
using SlotArray = std::array<T, 6>;

// The VAT of one rate on one owner's bill: computed once from the rate's net total.
struct MwstSatz {
    double satz = 0;       // percent
    QString text;          // the rate as typed, trimmed ("19", "5,5")
    Money nettoCent;       // the net total of the rate's fees
    Money mwstCent;        // nettoCent × satz, rounded commercially
    Money bruttoCent;      // the rate's fees with their VAT, as billed
    // bruttoCent − nettoCent − mwstCent: one cent at most, where fees printed with VAT
    // included reach a gross that no net plus its VAT makes exactly.
    Money rundungCent() const { return bruttoCent - nettoCent - mwstCent; }
};

// What took fee 1's formula amount off the formula's sum, so that its letter can say so.
struct FormulaTerms {
    bool capped = false;      // held to the maximum fee
    int months = 0;           // pro rata: the months billed of twelve; 0 for the whole year
    bool wholeEuros = false;  // rounded to whole euros, and that changed the amount
};

struct Buchung {
    QString Anrede;      // TR
    QString Strasse;     // TR
    QString PLZ;
    QString Ort;         // TR
    QString Nation;      // TR
    QString Postfach;
    QString Bezeichnung; // TR
    QString AnredeOrig;
    QString StrasseOrig;
    QString OrtOrig;
    QString NationOrig;
    QString NameOrig;
    QString VornameOrig;
    QString BankOrig;
    long Id_Personal = 0;
    long Nummer = 0;
    QString Name;        // TR
    QString Vorname;     // TR
    QString BLZ;         // blanks removed
    QString Bank;        // TR
    QString Konto;       // blanks removed
    QString IBAN;        // blanks removed
    QString BIC;         // "NOTPROVIDED" when the owner has none
    QString Mandatsnummer; // TR, blanks removed
    QString FibuKonto;
    QString USTID;
    QString Steuernummer;
    QString Lastschrift;  // "1" direct debit, else "0"
    QString Unternehmer;  // "2" business, else "1"
    QString NameUnternehmen; // TR
    QString BankLaenderKZ;
    QString KennzifferHauptbankverbindung1;
    QString Email;        // as the suite keeps it: one address or several, ";" or "," between
    // The fee calculation's inputs and intermediate euros: prices per hectare, hectares and
    // amounts of the owner's parameters that may carry more than two decimals. They become
    // whole cents once, in BetragCent (see core/FeeAmounts).
    double Hektar = 0;
    SlotArray<double> HaBerechnet{};
    FormulaTerms Formel;
    SlotArray<double> Fixbeitrag{};
    SlotArray<double> Flachenbertrag{};
    SlotArray<double> Ha{};
    SlotArray<double> Weitere{};
    SlotArray<bool> Angefangene{};
    SlotArray<double> Mindestbeitrag{};
    SlotArray<double> Betrag{};
    // The amounts every document names, fixed by the fee calculation in whole cents; the
    // writers take them and never recompute them from the euro amounts above.
    SlotArray<Money> BetragCent{};  // fee k as its line prints it (net, or gross with VAT included)
    SlotArray<Money> NettoCent{};   // fee k without VAT (the e-invoice's line net amount)
    SlotArray<Money> SteuerCent{};  // fee k's share of its rate's VAT (the shares add up to it)
    SlotArray<Money> BruttoCent{};  // fee k with its VAT share, as booked in accounting
    std::vector<MwstSatz> MwstSaetze; // VAT per rate, in the order of the fees
    Money NettoSummeCent;           // all fees without VAT
    Money MwstSummeCent;            // the VAT of all rates
    Money SummeCent;                // the amount due: the sum of what the letter prints
    SlotArray<QString> SteuerText;
    QString Verwendungszweck; // 27 characters
    QDate Beitrittsdatum;
    QString RechNr;
    QString Zusatz1;
    QString Zusatz2;
    QString Zusatz3;
    QString Zusatz4;
    QString Zusatz5;
};

// The records of one run, in order. Every reader sees exactly the run's records (the
// spare element of the original array design is not needed with a vector).
using Buchungen = std::vector<Buchung>;

} // namespace qvl
