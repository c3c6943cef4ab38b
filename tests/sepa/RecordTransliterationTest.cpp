#include "sepa/RecordTransliteration.h"

#include <gtest/gtest.h>

using namespace qvl;

TEST(RecordTransliteration, RewritesTheTenTextFieldsAndKeepsTheRest)
{
    Buchung b;
    b.Name = b.NameOrig = u"Öko GbR"_qs;
    b.NameUnternehmen = u"Gärtnerei Müller"_qs;
    b.Strasse = b.StrasseOrig = u"Große Straße 1"_qs;
    b.Anrede = u"Herrn Dr. José"_qs;
    b.Ort = u"Fürth"_qs;
    b.Nation = u"Österreich"_qs;
    b.Vorname = u"Jürgen"_qs;
    b.Bank = b.BankOrig = u"Bäckerbank"_qs;
    b.Bezeichnung = u"Forstgut Höhe\r\nzweite Zeile"_qs;
    b.Mandatsnummer = u"MÄ-1"_qs;
    b.IBAN = u"DEÄ"_qs; // never touched, whatever it holds
    b.PLZ = u"Ö"_qs;
    b.FibuKonto = u"ü"_qs;
    Buchungen records{b, Buchung{}};
    ReplaceUmlaute(records);
    const Buchung &r = records[0];
    EXPECT_EQ(r.Name, u"OEko GbR"_qs);
    EXPECT_EQ(r.NameUnternehmen, u"Gaertnerei Mueller"_qs);
    EXPECT_EQ(r.Strasse, u"Grosse Strasse 1"_qs);
    EXPECT_EQ(r.Anrede, u"Herrn Dr. Jose"_qs);
    EXPECT_EQ(r.Ort, u"Fuerth"_qs);
    EXPECT_EQ(r.Nation, u"OEsterreich"_qs);
    EXPECT_EQ(r.Vorname, u"Juergen"_qs);
    EXPECT_EQ(r.Bank, u"Baeckerbank"_qs);
    EXPECT_EQ(r.Bezeichnung, u"Forstgut Hoehe\r\nzweite Zeile"_qs);
    EXPECT_EQ(r.Mandatsnummer, u"MAE-1"_qs);
    EXPECT_EQ(r.NameOrig, u"Öko GbR"_qs);
    EXPECT_EQ(r.StrasseOrig, u"Große Straße 1"_qs);
    EXPECT_EQ(r.BankOrig, u"Bäckerbank"_qs);
    EXPECT_EQ(r.IBAN, u"DEÄ"_qs);
    EXPECT_EQ(r.PLZ, u"Ö"_qs);
    EXPECT_EQ(r.FibuKonto, u"ü"_qs);
    EXPECT_TRUE(records[1].Name.isEmpty());

    Buchungen none;
    ReplaceUmlaute(none);
    EXPECT_TRUE(none.empty());
}
