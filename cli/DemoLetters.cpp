#include "cli/DemoLetters.h"

#include "app/RunInputs.h"

#include "app/FrmDTA.h"
#include "fees/FeeCalculation.h"

namespace qvl::demo {

namespace {

struct Association {
    QString name, street, town, phone, fax, email, taxNumber, bank, iban, bic;
};

// `fees` the names of the ticked fees (an empty name: not ticked), `vat` their rates.
void setUpRun(FrmDTA &f, const Association &a, const QStringList &fees, const QStringList &vat, bool vatOnTop,
              const QString &freeText)
{
    f.bFBGVersion = false;
    f.txtFirmenName.Text = a.name;
    f.txtAdresse.Text = a.street;
    const qsizetype blank = a.town.indexOf(u' ');
    f.txtPLZ.Text = a.town.left(blank);
    f.txtOrt.Text = a.town.mid(blank + 1);
    f.txtTelefon.Text = a.phone;
    f.txtTelefax.Text = a.fax;
    f.txtEmail.Text = a.email;
    f.txtSteuernummer.Text = a.taxNumber;
    f.txtGlaubigerID.Text = u"DE69ZZZ00000483921"_qs;
    f.txtBank.Text = a.bank;
    f.txtKontonummer.Text = a.iban;
    f.txtBankleitzahl.Text = a.bic;
    f.chkKopf.Value = 1;
    f.chkBank.Value = 1;
    f.chkUeberschrift.Value = 1;
    f.txtWirtschaftsjahr.Text = u"2026"_qs;
    f.txtRechNr.Text = u"2026001"_qs;
    f.txtRechDat.Text = u"07.12.2026"_qs;
    f.txtFaellDat.Text = u"15.01.2027"_qs;
    f.txtVerwendungszweck.Text = u"Jahresbeitrag 2026"_qs;
    f.LaoderRe[0].Value = true;
    f.LaoderRe[1].Value = false;
    f.chkRechnung.Value = 1;
    f.rbEinstellung_Click(0); // every owner's own parameters
    f.strWaehrung = u"EUR"_qs;
    f.bBeitraegeNetto = vatOnTop;
    f.txtFixtext.Text = freeText;
    for (int k = 0; k < kFeeSlots; ++k) {
        f.chkBeitrag[k].Value = fees.value(k).isEmpty() ? 0 : 1;
        f.aBeitragsNamen[k] = fees.value(k);
        f.txtMwst[k].Text = vat.value(k);
    }
}

Buchung owner(long nummer, const QString &anrede, const QString &vorname, const QString &name)
{
    Buchung b;
    b.Id_Personal = nummer;
    b.Nummer = nummer;
    b.Lastschrift = u"1"_qs;
    b.Mandatsnummer = u"MR-"_qs + QString::number(nummer);
    b.AnredeOrig = b.Anrede = anrede;
    b.VornameOrig = b.Vorname = vorname;
    b.NameOrig = b.Name = name;
    b.Unternehmer = u"1"_qs;
    return b;
}

Buchungen computed(FrmDTA &f, Buchungen owners)
{
    CalcBeitraege(readRunInputs(f), owners, f.bRundeBeitrag);
    return owners;
}

} // namespace

Buchungen ordinaryLetter(FrmDTA &f)
{
    setUpRun(f,
             {u"Waldbesitzervereinigung Oberland w.V."_qs, u"Am Holzplatz 1"_qs, u"82362 Weilheim i. OB"_qs,
              u"0881 92716-0"_qs, u"0881 92716-9"_qs, u"kontakt@wbv-oberland.de"_qs, u"123/456/78901"_qs,
              u"Münchner Bank"_qs, u"DE81701900000007654321"_qs, u"GENODEF1M01"_qs},
             {u"Mitgliedsbeitrag"_qs, u"Waldbrandversicherung"_qs}, {QString(), u"19"_qs}, true,
             u"Wir danken für Ihre Mitgliedschaft in unserer Forstbetriebsgemeinschaft.\r\n"
             "Der Beitrag wird zum Fälligkeitsdatum von Ihrem Konto abgebucht."_qs);
    Buchung b = owner(1002, u"Frau"_qs, u"Renate"_qs, u"Rieß"_qs);
    b.StrasseOrig = b.Strasse = u"Bergstr. 112"_qs;
    b.PLZ = u"6330"_qs;
    b.OrtOrig = b.Ort = u"Kufstein"_qs;
    b.NationOrig = b.Nation = u"A"_qs;
    b.BankOrig = b.Bank = u"Sparkasse Kufstein"_qs;
    b.BIC = u"SPKUAT22XXX"_qs;
    b.IBAN = u"AT532050650984655921"_qs;
    b.Hektar = 15;
    b.Mindestbeitrag[0] = 10;
    b.Flachenbertrag[1] = 1.2;
    b.Ha[1] = 15; // the price for the whole area
    return computed(f, {b});
}

QString longFreeText()
{
    return u"Sehr geehrte Waldbesitzerinnen und Waldbesitzer,\r\n"
           u"anbei erhalten Sie Ihre Beitragsabrechnung 2026.\r\n"
           u"Der Mitgliedsbeitrag richtet sich nach der Fläche.\r\n"
           u"Die Versicherungen gelten für das Kalenderjahr.\r\n"
           u"Die Sonderumlage Wegebau beschloss die Versammlung.\r\n"
           u"Bitte prüfen Sie die angegebene Waldfläche genau.\r\n"
           u"Verkaufte Flächen tragen wir gern für Sie aus.\r\n"
           u"Die Geschäftsstelle ist Mo. bis Do. besetzt,\r\n"
           u"von 8 bis 12 Uhr und von 13 bis 16 Uhr.\r\n"
           u"Am Freitag erreichen Sie uns von 8 bis 12 Uhr.\r\n"
           u"Die Mitgliederversammlung ist am 20. März 2027.\r\n"
           u"Die Einladung mit Tagesordnung folgt gesondert.\r\n"
           u"Förderanträge nehmen wir bis zum 30. Juni an.\r\n"
           u"Unsere Förster beraten Sie zu Pflanzung und Pflege.\r\n"
           u"Ihr Holz vermarkten wir gemeinsam zu guten Preisen.\r\n"
           u"Vielen Dank für Ihre Treue und Ihr Vertrauen.\r\n"
           u"Mit freundlichen Grüßen, Ihre Geschäftsstelle"_qs;
}

Buchungen hardestLetter(FrmDTA &f, bool vatOnTop)
{
    setUpRun(f,
             {u"Forstbetriebsgemeinschaft Oberes Ammertal, Peißenberg und Hohenpeißenberg w. V."_qs,
              u"Hauptstraße 123a, Rückgebäude"_qs, u"82380 Peißenberg in Oberbayern"_qs, u"08803 4471-0"_qs,
              u"08803 4471-99"_qs, u"geschaeftsstelle@fbg-oberes-ammertal-peissenberg.de"_qs, u"168/123/45678"_qs,
              u"Raiffeisenbank Westallgäu-Oberstaufen-Immenstadt eG"_qs, u"DE81701900000007654321"_qs,
              u"GENODEF1M01"_qs},
             {u"Mitgliedsbeitrag"_qs, u"Waldbrandversicherung"_qs, u"Haftpflichtversicherung"_qs,
              u"Sturmschadenversicherung"_qs, u"Sonderumlage Wegebau 2026"_qs},
             {u"19"_qs, u"19"_qs, u"19"_qs, u"19"_qs, u"7"_qs}, vatOnTop, longFreeText());
    Buchung b = owner(40815, u"Herrn und Frau"_qs, u"Maximilian"_qs, u"\"Wald\" Łódź-Čermák Ωmega"_qs);
    b.Bezeichnung = u"Forstbetrieb und Jagdgenossenschaft"_qs;
    b.StrasseOrig = b.Strasse = u"Obere Hauptstraße 117 1/2"_qs;
    b.Postfach = u"Postfach 12 34 56"_qs;
    b.PLZ = u"82380"_qs;
    b.OrtOrig = b.Ort = u"Peißenberg"_qs;
    b.NationOrig = b.Nation = u"D"_qs;
    b.BankOrig = b.Bank = u"Raiffeisenbank Westallgäu-Oberstaufen-Immenstadt eG"_qs;
    b.BIC = u"GENODEF1OY1"_qs;
    b.IBAN = u"MT84MALT011000012345MTLCAST001S123"_qs;
    b.Hektar = 1234.5678;
    // Near the largest amount a run takes: with its VAT the total stays below 999.999.999,99.
    b.Fixbeitrag[0] = vatOnTop ? 840334000 : 999997000;
    b.Flachenbertrag[1] = 1.25;
    b.Ha[1] = 100;
    b.Weitere[1] = 0.75;
    b.Fixbeitrag[2] = 25;
    b.Flachenbertrag[3] = 0.5;
    b.Ha[3] = b.Hektar;
    b.Fixbeitrag[4] = 12.5;
    b.Mindestbeitrag[4] = 15;
    return computed(f, {b});
}

} // namespace qvl::demo
