#pragma once
// A form that bills like an association's office (its own address, tax number, creditor
// id and account) and owners whose fees go through the real fee calculation and the real
// letters, so that an e-invoice is made exactly as a run makes it.

#include "app/RunInputs.h"
#include "app/FrmDTA.h"
#include "einvoice/EInvoiceWriter.h"
#include "params/EInvoiceFromForm.h"
#include "params/InvoiceFromForm.h"
#include "fees/FeeCalculation.h"
#include "support/BookedAmounts.h"
#include "support/Workspace.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>

namespace qvl::test {

struct Fee {
    int slot = 0;
    double amount = 0;
    QString rate; // as typed in txtMwst, empty: no VAT
};

// A business owner in Germany with a full address.
inline Buchung businessOwner(long nummer)
{
    Buchung b = sampleBooking(nummer);
    b.Id_Personal = nummer;
    b.Unternehmer = u"2"_qs;
    b.AnredeOrig = u"Firma"_qs;
    b.NameOrig = u"Sägewerk Tanner GmbH"_qs;
    b.NameUnternehmen = u"Saegewerk Tanner GmbH"_qs;
    b.Bezeichnung = u"Forstbetrieb"_qs;
    b.NationOrig = u"D"_qs;
    b.USTID = u"DE123456789"_qs;
    return b;
}

struct EInvoiceBench {
    Workspace ws{1};
    std::unique_ptr<FrmDTA> form = ws.form();

    EInvoiceBench()
    {
        FrmDTA &f = *form;
        f.strExportPfad = ws.root() + u'/';
        f.txtFirmenName.Text = u"FBG Hochwald e.V."_qs;
        f.txtAdresse.Text = u"Am Forst 2"_qs;
        f.txtPLZ.Text = u"54321"_qs;
        f.txtOrt.Text = u"Tannenau"_qs;
        f.txtTelefon.Text = u"0881 1234"_qs;
        f.txtEmail.Text = u"info@fbg-hochwald.de"_qs;
        f.txtSteuernummer.Text = u"123/456/78901"_qs;
        f.txtGlaubigerID.Text = u"DE98ZZZ09999999999"_qs;
        f.txtBank.Text = u"Forstbank"_qs;
        f.txtKontonummer.Text = u"DE89 3704 0044 0532 0130 00"_qs;
        f.txtBankleitzahl.Text = u"COBADEFFXXX"_qs;
        f.txtFaellDat.Text = u"15.01.2027"_qs;
        f.txtWirtschaftsjahr.Text = u"2026"_qs;
        f.txtFixtext.Text = u"Vielen Dank."_qs;
        f.strWaehrung = u"EUR"_qs;
        f.aBeitragsNamen = {u"Mitgliedsbeitrag"_qs, u"Waldbrand"_qs, u"Haftpflicht"_qs,
                            u"Sturm"_qs,            u"Beratung"_qs,  {}};
        f.rbEinstellung_Click(0); // the owners' own parameters
        f.chkERechnung.Value = 1;
    }

    // A run of these owners with these fees: fee calculation, letters, e-invoices.
    EInvoiceOutcome run(Buchungen owners, const QList<Fee> &fees, bool directDebit, bool vatOnTop,
                        const QSet<long> &notCollected = {})
    {
        FrmDTA &f = *form;
        f.LaoderRe[0].Value = directDebit;
        f.LaoderRe[1].Value = !directDebit;
        f.chkRechnung.Value = 1;
        f.bBeitraegeNetto = vatOnTop;
        for (int k = 0; k < kFeeSlots; ++k) {
            f.chkBeitrag[size_t(k)].Value = 0;
            f.txtMwst[size_t(k)].Text.clear();
        }
        for (Buchung &b : owners)
            for (const Fee &fee : fees)
                b.Fixbeitrag[fee.slot] = fee.amount;
        for (const Fee &fee : fees) {
            f.chkBeitrag[size_t(fee.slot)].Value = 1;
            f.txtMwst[size_t(fee.slot)].Text = fee.rate;
        }
        CalcBeitraege(readRunInputs(f), owners, f.bRundeBeitrag);
        records = owners;
        const Report letters = PrintRechnungen(f, owners);
        EInvoiceOutcome outcome;
        MakeERechnungen(f, readRunInputs(f), nullptr, owners, letters, notCollected, outcome);
        return outcome;
    }

    Buchungen records; // of the last run, as computed
};

inline QString runTool(const QString &program, const QStringList &arguments, int *exitCode = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    p.waitForFinished(300000);
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAll());
}

// The XML embedded in a hybrid PDF.
inline QString embeddedXml(const QString &pdf)
{
    QTemporaryDir dir;
    const QString xml = dir.filePath(u"factur-x.xml"_qs);
    runTool(u"pdfdetach"_qs, {u"-savefile"_qs, u"factur-x.xml"_qs, u"-o"_qs, xml, pdf});
    QFile file(xml);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The text of an element that occurs once ("ram:DuePayableAmount").
inline QString element(const QString &xml, const QString &tag)
{
    const QRegularExpression re(u"<"_qs + tag + u"(?: [^>]*)?>([^<]*)</"_qs + tag + u">"_qs);
    return re.match(xml).captured(1);
}

} // namespace qvl::test
