#include "params/InvoiceFromForm.h"

#include "app/RunInputs.h"

#include "app/FrmDTA.h"
#include "params/CreditorFromForm.h"
#include "core/BusinessYear.h"
#include "text/Conversions.h"
#include "app/FormDesigns.h"
#include "params/InvoiceSql.h"

namespace qvl {

namespace {

// The association's name, read once per run.
QString associationName(const FrmDTA &f)
{
    const auto db = Database::open(f.strConnectionString, f.connectionOptions);
    QSqlQuery q = db->run(db->sql(invoice_sql::kAssociation), {qlonglong(f.GetFBGNr())});
    return q.next() ? fieldText(q.record(), u"Name"_qs) : QString();
}

// The sender's name of the run in progress, read before its write transaction began. Set
// and cleared on the run's thread; the letters' threads only read it meanwhile.
struct RunSender {
    const FrmDTA *form = nullptr;
    QString name;
};

RunSender &runSender()
{
    static RunSender sender;
    return sender;
}

} // namespace

FeeLineSettings feeLineSettings(const FrmDTA &f)
{
    FeeLineSettings s;
    s.formula = f.rbEinstellung[2].Value;
    s.fixedByClass = f.rbEinstellung[1].Value;
    s.scale = f.rbEinstellung[3].Value;
    s.haMindestbetrag = f.txtHaMindestbetrag.Text;
    s.haZuschlag = f.txtHaZuschlag.Text;
    s.preisMindestbetrag = f.txtPreisMindestbetrag.Text;
    s.preisZuschlag = f.txtPreisZuschlag.Text;
    s.hoechstbeitrag = f.txtHoechstbeitrag.Text;
    for (size_t k = 0; k < 5; ++k) {
        s.mwst[k] = f.txtMwst[k].Text;
        s.labels[k] = f.aBeitragsNamen[k];
    }
    s.variant = layoutVariant(f.strFirma);
    s.waehrung = f.strWaehrung;
    s.netto = f.bBeitraegeNetto;
    return s;
}

QString dueDateText(const RunInputs &run)
{
    return run.dueDate.isValid() ? formatDate(run.dueDate, u"dd.mm.yyyy"_qs) : QString();
}

QString invoiceSenderName(const FrmDTA &f)
{
    if (runSender().form == &f)
        return runSender().name;
    return f.bFBGVersion ? associationName(f) : f.txtFirmenName.Text;
}

SenderNameForRun::SenderNameForRun(FrmDTA &f)
{
    const QString name = invoiceSenderName(f);
    runSender() = {&f, name};
}

SenderNameForRun::~SenderNameForRun()
{
    runSender() = {};
}

InvoiceParams invoiceParams(FrmDTA &f, const RunInputs &run)
{
    InvoiceParams p;
    p.design = &designs(f).Rechnung;
    p.fees = feeLineSettings(f);
    for (size_t k = 0; k < p.feePrinted.size(); ++k)
        p.feePrinted[k] = f.chkBeitrag[k].Value == 1;
    if (f.chkUeberschrift.Value == 1)
        p.title = billingTitle(f.txtWirtschaftsjahr.Text, f.lWirtschaftsjahrBeginn);
    p.senderName = invoiceSenderName(f);
    p.creditor = creditorOf(f);
    p.letterhead = f.chkKopf.Value == 1;
    p.logoPath = f.txtLogo.Text;
    const QString omit = f.strAbsenderNichtDrucken.toUpper();
    p.omitSenderLine = omit == u"1"_qs || omit == u"WAHR"_qs;
    p.date = formatDate(run.invoiceDate, u"dd.mm.yyyy"_qs);
    p.directDebitNote = f.LaoderRe[0].Value && f.chkRechnung.Value == 1;
    p.dueDate = dueDateText(run);
    p.bankLine = f.chkBank.Value == 1;
    p.fixText = f.txtFixtext.Text;
    p.senderTop = f.txtAbsenderOben.Text;
    p.senderLeft = f.txtAbsenderLinks.Text;
    p.addressTop = f.txtAnschriftOben.Text;
    p.addressLeft = f.txtAnschriftLinks.Text;
    UserInterface &ui = f.ui();
    p.progress = [&ui](int done, int total) { ui.setProgress(done, total); };
    return p;
}

Report PrintRechnungen(FrmDTA &f, const RunInputs &run, const Buchungen &aBuchungen, const QSet<long> &notCollected)
{
    return PrintRechnungen(invoiceParams(f, run), aBuchungen, notCollected);
}

Report PrintRechnungen(FrmDTA &f, const Buchungen &aBuchungen, const QSet<long> &notCollected)
{
    return PrintRechnungen(f, readRunInputs(f), aBuchungen, notCollected);
}

} // namespace qvl
