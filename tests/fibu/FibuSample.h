#pragma once
// The accounting exports' sample run, shared by the tests through the form and the tests
// of the settings alone: three owners as the fee calculation leaves them (A with fees 1,
// 2 and 5; C with a negative total, booked nowhere but counted; B with a hostile name and
// fees 2 and 3), and the DATEV files a direct-debit run of 6 December 2026 makes of them
// with the first invoice number 1000 and the fee accounts 8401, 8400, 8402, 8403, 8404.

#include "core/Buchung.h"

#include <QString>
#include <array>

namespace qvl::test {

inline Buchung fibuSampleOwner(long nummer, const QString &name, const QString &vorname, const QString &konto,
                               std::array<double, 5> betrag, qint64 summe)
{
    Buchung b;
    b.Nummer = nummer;
    b.Name = name;
    b.Vorname = vorname;
    b.FibuKonto = konto;
    for (int k = 0; k < 5; ++k)
        b.Betrag[k] = betrag[k];
    b.SummeCent = Money(summe);
    b.Lastschrift = u"1"_qs;
    b.Unternehmer = u"1"_qs;
    b.BankLaenderKZ = u"DE"_qs;
    return b;
}

// Without cents: withCents() fills them as the run's VAT mode has it.
inline Buchungen fibuSampleRecords()
{
    Buchung a = fibuSampleOwner(12345678, u"Mueller"_qs, u"Anna"_qs, u"10001"_qs, {40, 10, 0, 0, 5}, 6260);
    a.SteuerCent[0] = Money(760);
    a.Anrede = u"Frau"_qs;
    a.Strasse = u"Hauptstr. 1"_qs;
    a.PLZ = u"83700"_qs;
    a.Ort = u"Rottach"_qs;
    a.BLZ = u"700 500-00"_qs;
    a.Bank = u"Sparkasse"_qs;
    a.Konto = u"123.456_7"_qs;
    a.KennzifferHauptbankverbindung1 = u"1"_qs;
    Buchung c = fibuSampleOwner(12, u"Zeller"_qs, u"Zoe"_qs, u"10003"_qs, {-5, 0, 0, 0, 0}, -500);
    Buchung b = fibuSampleOwner(4711, u"Schmidt; Söhne, \"GbR\""_qs, u"Bernd\r\nX"_qs, u"10002"_qs,
                                {0, 2.5, 12.5, 0, 0}, 1500);
    b.Anrede = u"Herr"_qs;
    b.Ort = u"München"_qs;
    b.Bank = u"VR;Bank"_qs;
    b.KennzifferHauptbankverbindung1 = u"0"_qs;
    return {a, c, b};
}

// The debtor file: its header, then one line per fee booked (A three times, B twice).
inline QString fibuSampleDatevDebtors()
{
    const QString a = u"10001;Mueller;Anna;Mueller;;Hauptstr. 1;;83700;Rottach;;;Frau;;;12345678;;;;;;;;;;;70050000;Sparkasse;1234567;1;1;;;DE;1\n"_qs;
    const QString b = u"10002;Schmidt  Söhne,  GbR ;Bernd  X;Schmidt  Söhne,  GbR ;;;;;München;;;Herr;;;4711;;;;;;;;;;;;VR Bank;;1;1;;;DE;0\n"_qs;
    return u"NUMMER;Name1;Name2;Kurzbezeichnung;USTID;Strasse;Postfach;PLZ;Ort;NAtKZ;AnredSchl;AnredeInd;Titel;"
           "Zustellzusatz;Kundennr;Sprache;Telefon;Telefax;Mobil;Email;Internet;Ansprechpartner;Vertreter;"
           "Briefanrede;Grussformel;BLZ;Bank;Konto;Lastschrift;Unternehmer;Steuernummer;NameUnternehmen;"
           "BankLaenderKZ;KennzifferHauptbankverbindung1\n"_qs
           + a + a + a + b + b;
}

// The bookings file: fee 1 books to the MBT account (8401), fee 2 to the WBV account (8400).
inline QString fibuSampleDatevBookings()
{
    const QString header = u"Währungskennung;Soll/Haben;Umsatz;BU-Schlüssel;Gegenkonto;Belegfeld1;Belegfeld2;Datum;"
                           "Konto;Kostfeld1;Kostfeld2;Kostmenge;Skonto;Buchungstext;EU-Land;EU-Steuersatz;"
                           "Basiswährungskennung;Basiswährungsbetrag;Kurs;ZusatzinformationArt;"
                           "ZusatzinformationInhalt\n"_qs;
    return header + uR"(;H;40,00;;8401;Beitrag  2026;L;0612;10001;;;;;1000;;;;;;;
;H;10,00;;8400;Beitrag  2026;L;0612;10001;;;;;1000;;;;;;;
;H;5,00;;8404;Beitrag  2026;L;0612;10001;;;;;1000;;;;;;;
;H;2,50;;8400;Beitrag  2026;L;0612;10002;;;;;1002;;;;;;;
;H;12,50;;8402;Beitrag  2026;L;0612;10002;;;;;1002;;;;;;;
)"_qs;
}

} // namespace qvl::test
