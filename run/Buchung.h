#pragma once
// One owner's booking record of a fee run. The member query fills the owner's data, the
// fee calculation the amounts and texts, the transliteration rewrites the marked text
// fields (TR) for bank files; every writer reads it. The "Orig" copies keep the texts as
// read, for printing.

#include <QDate>
#include <QString>
#include <array>
#include <vector>

namespace qvl {

// Per fee slot: slots 0..4 are used, element 5 never.
template <typename T>
using SlotArray = std::array<T, 6>;

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
    double Hektar = 0;
    SlotArray<double> HaBerechnet{};
    SlotArray<double> Fixbeitrag{};
    SlotArray<double> Flachenbertrag{};
    SlotArray<double> Ha{};
    SlotArray<double> Weitere{};
    SlotArray<bool> Angefangene{};
    SlotArray<double> Mindestbeitrag{};
    SlotArray<double> Steuer{};
    SlotArray<double> Betrag{};
    double Summe = 0; // whole cents once the fees are computed
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
