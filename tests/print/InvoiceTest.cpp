#include "support/BookedAmounts.h"
#include "app/FrmDTA.h"
#include "core/CreditorReference.h"
#include "app/FormDesigns.h"
#include "params/InvoiceFromForm.h"
#include "print/ReportText.h"
#include "core/RunError.h"
#include "support/PdfText.h"
#include "support/QrReader.h"
#include "support/Workspace.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

Buchung owner(long nummer, const QString &lastschrift)
{
    Buchung b = sampleBooking(nummer);
    withSampleFees(b);
    b.Lastschrift = lastschrift;
    b.AnredeOrig = u"Herr"_qs;
    b.VornameOrig = u"Jörg"_qs;
    b.NameOrig = u"Müller"_qs;
    b.Bezeichnung = u"Forstbetrieb"_qs;
    b.NationOrig = u"D"_qs;
    b.SteuerCent[0] = Money(380);
    b.SteuerText = {u"19% MwSt 3,8€ auf 20,00€"_qs, {}, {}, {}, {}, {}};
    b.SummeCent = Money(3380);
    return b;
}

struct Invoices {
    Workspace ws{1};
    std::unique_ptr<FrmDTA> form = ws.form();

    Invoices()
    {
        FrmDTA &f = *form;
        f.txtFirmenName.Text = u"FBG Hochwald"_qs;
        f.txtAdresse.Text = u"Am Forst 2"_qs;
        f.txtPLZ.Text = u"54321"_qs;
        f.txtOrt.Text = u"Tannenau"_qs;
        f.txtWirtschaftsjahr.Text = u"2026"_qs;
        f.chkBeitrag[0].Value = 1;
        f.chkBeitrag[1].Value = 1;
        f.aBeitragsNamen = {u"Mitgliedsbeitrag"_qs, u"Haftpflicht"_qs, {}, {}, {}, {}};
        f.txtMwst[0].Text = u"19"_qs;
        f.bBeitraegeNetto = true;
        f.strWaehrung = u"EUR"_qs;
        f.txtFixtext.Text = u"Vielen Dank."_qs;
    }
    QStringList pages(const Report &report)
    {
        const QString pdf = ws.root() + u"/Rechnung.pdf"_qs;
        EXPECT_NO_THROW(report.writePdf(pdf, nullptr));
        return pdfPages(pdf);
    }
};

bool inOrder(const QString &text, const QStringList &parts)
{
    qsizetype at = 0;
    for (const QString &p : parts) {
        at = text.indexOf(p, at);
        if (at < 0)
            return false;
        at += p.size();
    }
    return true;
}

} // namespace

TEST(Invoices, OneLetterPerOwnerWithAddressFeesSumAndVat)
{
    Invoices inv;
    inv.form->LaoderRe[0].Value = true;
    inv.form->chkRechnung.Value = 1;
    const Report report = PrintRechnungen(*inv.form, withCents({owner(1, u"1"_qs), owner(2, u"0"_qs)}, (*inv.form).bBeitraegeNetto));
    const QStringList pages = inv.pages(report);
    ASSERT_EQ(pages.size(), 2);
    const QString &p = pages[0];
    EXPECT_TRUE(p.contains(u"FBG Hochwald Am Forst 2 54321 Tannenau"_qs)) << p.toStdString();
    EXPECT_TRUE(inOrder(p, {u"Herr"_qs, u"Jörg Müller"_qs, u"Forstbetrieb"_qs, u"Waldweg 1"_qs, u"D-12345 Holzhausen"_qs}));
    EXPECT_TRUE(p.contains(u"Beitragsabrechnung für das Jahr 2026"_qs));
    EXPECT_TRUE(p.contains(QRegularExpression(u"Rechnung Nr. +501 +vom +06.12.2026"_qs)));
    // Each letter carries the caption of its own owner's number.
    EXPECT_TRUE(p.contains(QRegularExpression(u"MandatsNr.: +M-1"_qs)));
    EXPECT_TRUE(pages[1].contains(QRegularExpression(u"Mitgl. Nr.: +2"_qs))) << pages[1].toStdString();

    // The two fee lines: the amounts stand in one column.
    QStringList feeLines;
    for (const QString &line : p.split(u'\n'))
        if (line.contains(u" EUR"_qs) && (line.contains(u"Mitgliedsbeitrag"_qs) || line.contains(u"Haftpflicht"_qs)))
            feeLines << line;
    ASSERT_EQ(feeLines.size(), 2) << p.toStdString();
    EXPECT_EQ(feeLines[0].indexOf(u"20,00 EUR"_qs), feeLines[1].indexOf(u"10,00 EUR"_qs));
    // No threshold and no further price: the hectares are billed by the base amount alone.
    EXPECT_TRUE(p.contains(QRegularExpression(u"\\(Fläche 3,0000 ha\\)\\s+\\(nicht vers. 3,0000 ha\\) +\\+19% MwSt"_qs)))
        << p.toStdString();

    EXPECT_TRUE(p.contains(QRegularExpression(u"Zwischensumme: +30,00 EUR"_qs)));
    EXPECT_TRUE(p.contains(QRegularExpression(u"19% MwSt 3,8€ auf 20,00€ *\n"_qs))) << p.toStdString();
    EXPECT_TRUE(p.contains(QRegularExpression(u"Gesamt: +33,80 EUR"_qs)));
    EXPECT_TRUE(p.contains(QRegularExpression(u"Bitte nicht selbst überweisen!.*\n.*Waldbank\n.*GENODEF1XYZ\n"
                                              ".*DE02120300000000202051\n(.*\n)*.*Vielen Dank."_qs)));

    // The sum block follows the second fee.
    const ReportDesign &d = designs(*inv.form).Rechnung;
    EXPECT_EQ(d.find(u"Linie1"_qs)->Top, d.find(u"Text23"_qs)->Top + 450);
}

TEST(Invoices, LayoutChangesDoNotAddUpOverRuns)
{
    Invoices inv;
    inv.form->strWaehrung = u"CHF"_qs;
    inv.form->txtAnschriftLinks.Text = u"6500"_qs;
    for (int run = 0; run < 2; ++run)
        PrintRechnungen(*inv.form, withCents({owner(1, u"0"_qs)}, (*inv.form).bBeitraegeNetto));
    const ReportControl &vat = *designs(*inv.form).Rechnung.find(u"Text2"_qs);
    EXPECT_EQ(vat.Left, vat.DesignLeft + 5350);
    EXPECT_EQ(designs(*inv.form).Rechnung.find(u"Text1"_qs)->Left, 6500);
    EXPECT_FALSE(designs(*inv.form).Rechnung.find(u"Text7"_qs)->Visible);
}

TEST(Invoices, BadDataStopsThePrintingWithAMessage)
{
    Invoices inv;
    Buchung b = owner(3, u"0"_qs);
    b.Bezeichnung = QString(250, u'x'); // the address block has 200 characters: cut visibly
    const Report letters = PrintRechnungen(*inv.form, withCents({owner(1, u"0"_qs), b}, (*inv.form).bBeitraegeNetto));
    const QString address = letters.rows().value(1, u"Anrede"_qs).toString();
    EXPECT_EQ(address.size(), 200) << address.toStdString();
    EXPECT_TRUE(address.endsWith(u'…')) << address.toStdString();
    // A position is whole twips as its box takes them: "1.500" is not read as 1500 nor 1,5,
    // a sign or a decimal comma places nothing. (--set reaches the box without its rule.)
    for (const QString &position : {u"oben"_qs, u"1.500"_qs, u"-5"_qs, u"945,5"_qs}) {
        inv.form->txtAbsenderOben.Text = position;
        try {
            PrintRechnungen(*inv.form, withCents({owner(1, u"0"_qs)}, (*inv.form).bBeitraegeNetto));
            ADD_FAILURE() << "no error for " << position.toStdString();
        } catch (const RunError &e) {
            EXPECT_TRUE(e.message().contains(u"(„"_qs + position + u"“) ist keine Zahl"_qs)) << e.message().toStdString();
        }
    }
}

TEST(Invoices, LetterheadWithAndWithoutItAndTheLogo)
{
    Invoices inv;
    FrmDTA &f = *inv.form;
    f.txtTelefon.Text = u"0881 1"_qs;
    f.txtEmail.Text = u"post@fbg.de"_qs;
    const QString logo = inv.ws.root() + u"/logo.png"_qs;
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(logo));

    // Without the letterhead the sender block lies in Header1 … Header7.
    Report report = PrintRechnungen(f, withCents({owner(1, u"1"_qs)}, f.bBeitraegeNetto));
    const RecordSet &rows = report.rows();
    EXPECT_EQ(rows.value(0, u"Header1"_qs).toString(), u"FBG Hochwald"_qs);
    EXPECT_EQ(rows.value(0, u"Header4"_qs).toString(), u"Tel.: 0881 1"_qs);
    EXPECT_EQ(rows.value(0, u"Header5"_qs).toString(), QString()); // no fax: no line
    EXPECT_TRUE(rows.value(0, u"Kopf1"_qs).isNull());
    EXPECT_FALSE(report.design().find(u"Linie2"_qs)->Visible);

    // With it: the letterhead lines, the creditor id for a debit owner, the logo.
    f.chkKopf.Value = 1;
    f.txtGlaubigerID.Text = u"DE98ZZZ09999999999"_qs;
    f.txtLogo.Text = inv.ws.root() + u"/fehlt.png"_qs; // cannot be loaded: left out
    report = PrintRechnungen(f, withCents({owner(1, u"1"_qs)}, f.bBeitraegeNetto));
    EXPECT_TRUE(report.design().find(u"Symbol1"_qs)->Picture.isNull());
    f.txtLogo.Text = logo;
    report = PrintRechnungen(f, withCents({owner(1, u"1"_qs), owner(2, u"0"_qs)}, f.bBeitraegeNetto));
    EXPECT_EQ(report.rows().value(0, u"Kopf4"_qs).toString(), u"Tel.: 0881 1"_qs);
    EXPECT_EQ(report.rows().value(0, u"Header1"_qs).toString(), u"Email:  post@fbg.de"_qs);
    EXPECT_EQ(report.rows().value(0, u"Header2"_qs).toString(), u"Gläubiger ID: DE98ZZZ09999999999"_qs);
    EXPECT_EQ(report.rows().value(1, u"Header2"_qs).toString(), QString());
    EXPECT_TRUE(report.rows().value(0, u"Header4"_qs).toString().isEmpty());
    EXPECT_EQ(report.design().find(u"Symbol1"_qs)->Picture.size(), QSize(40, 20));
    EXPECT_TRUE(report.design().find(u"Linie2"_qs)->Visible);
    EXPECT_EQ(inv.pages(report).size(), 2);
}

// An owner whose debit was left out of the bank file pays himself: no debit note with an
// empty IBAN, but the amount, the due date and the association's account.
TEST(Invoices, AnOwnerWhoIsNotDebitedIsAskedToTransfer)
{
    Invoices inv;
    FrmDTA &f = *inv.form;
    f.LaoderRe[0].Value = true;
    f.chkRechnung.Value = 1;
    f.txtFaellDat.Text = u"5.1.27"_qs;
    f.txtBank.Text = u"Münchner Bank"_qs;
    f.txtKontonummer.Text = u"DE81701900000007654321"_qs;
    f.txtBankleitzahl.Text = u"GENODEF1M01"_qs;
    Buchung unusable = owner(1, u"1"_qs);
    unusable.Id_Personal = 71;
    unusable.IBAN.clear();
    Buchung debited = owner(2, u"1"_qs);
    debited.Id_Personal = 72;
    const Report report = PrintRechnungen(f, withCents({unusable, debited}, f.bBeitraegeNetto), {71});
    EXPECT_EQ(report.rows().value(0, u"FixText"_qs).toString(),
              u"Ihre Bankverbindung ist bei uns nicht vollständig hinterlegt. Bitte überweisen Sie den Betrag von "
              "33,80 EUR bis zum 05.01.2027 auf folgendes Konto:\r\nBank:     Münchner Bank\r\n"
              "IBAN:     DE81701900000007654321\r\nBIC:      GENODEF1M01\r\nVerwendungszweck: RF57 501 Rechnung Nr. 501\r\n"
              "\r\n\r\nVielen Dank."_qs);
    // The fee notice is the SEPA pre-notification: the debit note names the day of the debit.
    EXPECT_EQ(report.rows().value(1, u"FixText"_qs).toString(),
              u"Bitte nicht selbst überweisen! - Betrag wird am 05.01.2027 von folgendem Konto abgebucht:\r\n"
              "Bank:     Waldbank \r\nBIC:      GENODEF1XYZ \r\nIBAN:     DE02120300000000202051\r\n\r\n\r\n"
              "Vielen Dank."_qs);
    const QStringList pages = inv.pages(report);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_FALSE(pages[0].contains(u"abgebucht"_qs)) << pages[0].toStdString();
    EXPECT_TRUE(pages[1].contains(u"Betrag wird am 05.01.2027 von folgendem Konto abgebucht:"_qs))
        << pages[1].toStdString();
    EXPECT_TRUE(pages[0].simplified().contains(u"Bitte überweisen Sie den Betrag von 33,80 EUR"_qs))
        << pages[0].toStdString();
    EXPECT_TRUE(pages[0].contains(u"GiroCode: mit der"_qs)) << pages[0].toStdString();
    EXPECT_FALSE(pages[1].contains(u"GiroCode"_qs)) << pages[1].toStdString();
}

// Every letter that asks for a transfer carries a GiroCode a banking app reads: the invoice
// of an invoice run and the notice of an owner left out of the bank file; a notice whose
// amount is debited carries none.
TEST(Invoices, EveryTransferRequestCarriesAGiroCode)
{
    Invoices inv;
    FrmDTA &f = *inv.form;
    f.txtFaellDat.Text = u"5.1.27"_qs;
    f.txtBank.Text = u"Münchner Bank"_qs;
    f.txtKontonummer.Text = u"DE81701900000007654321"_qs;
    f.txtBankleitzahl.Text = u"GENODEF1M01"_qs;
    Buchung unusable = owner(1, u"1"_qs);
    unusable.Id_Personal = 71;
    unusable.IBAN.clear();
    Buchung debited = owner(2, u"1"_qs);
    debited.Id_Personal = 72;
    const Buchungen both = withCents(Buchungen{unusable, debited}, f.bBeitraegeNetto);

    f.LaoderRe[0].Value = true;
    f.chkRechnung.Value = 1;
    const Report notices = PrintRechnungen(f, both, {71});
    const QString code = notices.rows().value(0, u"GiroCode"_qs).toString();
    EXPECT_TRUE(code.endsWith(u"\nDE81701900000007654321\nEUR33.80\n\n"_qs + creditorReference(501))) << code.toStdString();
    EXPECT_TRUE(notices.rows().value(0, u"GiroCodeText"_qs).toString().contains(u"Banking-App"_qs));
    EXPECT_TRUE(notices.rows().value(1, u"GiroCode"_qs).toString().isEmpty());
    for (const ReportItem &item : notices.pageItems(1))
        EXPECT_NE(item.control->Kind, ControlKind::QrCode);

    // An invoice run: every letter asks for a transfer.
    f.LaoderRe[0].Value = false;
    f.LaoderRe[1].Value = true;
    const Report invoices = PrintRechnungen(f, both);
    for (int row = 0; row < 2; ++row)
        EXPECT_TRUE(invoices.rows().value(row, u"GiroCode"_qs).toString().contains(u"\nEUR33.80\n"_qs)) << row;
    // The code does not cover the free text or the sum, and lies on the letter's page.
    const std::vector<ReportItem> items = invoices.pageItems(0);
    const auto qr = std::find_if(items.begin(), items.end(),
                                 [](const ReportItem &i) { return i.control->Kind == ControlKind::QrCode; });
    ASSERT_NE(qr, items.end());
    for (const ReportItem &item : items)
        if (item.control->Kind == ControlKind::TextBox && !item.text.isEmpty() && item.control->Name != u"GiroCodeText"_qs)
            EXPECT_FALSE(item.rect.intersects(qr->rect)) << item.control->Name.toStdString();

    if (!haveQrReader())
        GTEST_SKIP() << "zbarimg (zbar-tools) fehlt";
    const QString read = decodeQr(paintedPage([&](QImage &image) {
        QPainter painter(&image);
        invoices.paintPage(painter, 1);
    }));
    const QStringList fields = read.trimmed().split(u'\n');
    ASSERT_EQ(fields.size(), 10) << read.toStdString();
    EXPECT_EQ(fields[4], u"GENODEF1M01"_qs);
    EXPECT_EQ(fields[6], u"DE81701900000007654321"_qs);
    EXPECT_EQ(fields[7], u"EUR33.80"_qs);
    EXPECT_EQ(fields[9], creditorReference(502));
    EXPECT_FALSE(fields[5].trimmed().isEmpty());
}

// Returned mail must come back: the sender line shortens the name first, then the street,
// and always keeps postcode and town; a line break typed into a name or address field is a
// blank, so the address keeps its lines.
TEST(Invoices, SenderLineKeepsTheTownAndAddressFieldsKeepTheirLines)
{
    const struct {
        const char *what;
        const char16_t *name;
        const char16_t *street;
        const char16_t *start; // what the line begins with
    } cases[] = {
        {"short", u"FBG Hochwald e.V.", u"Am Forst 2", u"FBG Hochwald e.V. Am Forst 2"},
        {"a name of 100 characters",
         u"Forstbetriebsgemeinschaft Oberes Ammertal, Peißenberg, Hohenpeißenberg, Böbing und Rottenbuch w. V.",
         u"Hauptstraße 123a, Rückgebäude", u"Forstbetriebsgemeinschaft"},
        {"name and street far too long",
         u"Forstbetriebsgemeinschaft Oberes Ammertal Peißenberg Hohenpeißenberg Böbing Rottenbuch Wildsteig",
         u"Hauptstraße 123a, Rückgebäude, Eingang über den Hof hinter der Scheune, zweiter Stock links",
         u"Forstbetriebsgemeinschaft"},
        {"a line break in the name", u"FBG\r\nHochwald", u"Am Forst 2", u"FBG Hochwald Am Forst 2"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Invoices inv;
        FrmDTA &f = *inv.form;
        f.txtFirmenName.Text = QString::fromUtf16(c.name);
        f.txtAdresse.Text = QString::fromUtf16(c.street);
        Buchung b = owner(1, u"0"_qs);
        b.NameOrig = u"Huber\r\nSenior"_qs;
        b.StrasseOrig = u"Waldweg 1\nHinterhaus"_qs;
        const Report report = PrintRechnungen(f, withCents(Buchungen{b}, f.bBeitraegeNetto));
        const QString sender = report.rows().value(0, u"Absender"_qs).toString();
        EXPECT_TRUE(sender.startsWith(QString::fromUtf16(c.start))) << sender.toStdString();
        EXPECT_TRUE(sender.endsWith(u"54321 Tannenau"_qs)) << sender.toStdString();
        const ReportControl &box = designs(f).Rechnung.control(u"Text35"_qs);
        EXPECT_LE(textWidth(textFont(box.FontName, box.MinFontSize, box.FontBold), sender), box.Width);

        const QStringList address = report.rows().value(0, u"Anrede"_qs).toString().split(u'\r', Qt::SkipEmptyParts);
        EXPECT_TRUE(address.contains(u"Jörg Huber Senior"_qs)) << address.join(u'|').toStdString();
        EXPECT_TRUE(address.contains(u"Waldweg 1 Hinterhaus"_qs)) << address.join(u'|').toStdString();
    }
}

// The fee notice is the pre-notification: whatever the customer layout, a letter with VAT on
// top names the net subtotal, the VAT and the amount debited, on the page as in its row.
// Nothing meant for the program alone reaches the paper.
TEST(Invoices, EveryLayoutNamesTheAmountDebitedWithItsVat)
{
    for (const char16_t *firma : {u"", u"Orvelde", u"FARNWINKEL", u"Kranstede", u"Mosselwang"}) {
        SCOPED_TRACE(QString::fromUtf16(firma).toStdString());
        Invoices inv;
        FrmDTA &f = *inv.form;
        f.strFirma = QString::fromUtf16(firma);
        f.LaoderRe[0].Value = true;
        f.chkRechnung.Value = 1;
        const Report report = PrintRechnungen(f, withCents({owner(1, u"1"_qs), owner(2, u"1"_qs)}, f.bBeitraegeNetto));
        EXPECT_EQ(report.rows().value(0, u"Gesamt"_qs).toString(), u"33,80 EUR"_qs);
        const QStringList pages = inv.pages(report);
        ASSERT_EQ(pages.size(), 2);
        for (const QString &p : pages) {
            EXPECT_TRUE(p.contains(QRegularExpression(u"Zwischensumme: +30,00 EUR"_qs))) << p.toStdString();
            EXPECT_TRUE(p.contains(u"19% MwSt 3,8€ auf 20,00€"_qs)) << p.toStdString();
            EXPECT_TRUE(p.contains(QRegularExpression(u"Gesamt: +33,80 EUR"_qs))) << p.toStdString();
            EXPECT_FALSE(p.contains(u"[["_qs)) << p.toStdString();
        }
    }
}
