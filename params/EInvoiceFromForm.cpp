#include "params/EInvoiceFromForm.h"

#include "app/ERechnungForm.h"
#include "app/FrmDTA.h"
#include "app/RunInputs.h"
#include "params/CreditorFromForm.h"
#include "einvoice/EInvoiceData.h"
#include "core/Iban.h"
#include "text/Conversions.h"
#include "os/Paths.h"
#include "params/InvoiceFromForm.h"

namespace qvl {

EInvoiceRun eInvoiceRun(const FrmDTA &f, const RunInputs &inputs, const QString &sellerName, const QSet<long> &notCollected)
{
    EInvoiceRun run;
    EInvoiceParty &s = run.seller;
    s.name = sellerName.trimmed();
    const Creditor creditor = creditorOf(f);
    s.address.lineOne = creditor.street.trimmed();
    s.address.postcode = creditor.postcode.trimmed();
    s.address.city = creditor.town.trimmed();
    s.address.country = u"DE"_qs;
    s.taxNumber = creditor.taxNumber.trimmed();
    s.phone = creditor.phone.trimmed();
    s.email = creditor.email.trimmed();
    s.vatId = f.strUStIdNr.trimmed().toUpper().remove(u' ');
    run.creditorId = normalisedIban(creditor.creditorId);
    // The creditor id names the association uniquely; the tax number does so too.
    s.id = run.creditorId.isEmpty() ? s.taxNumber : run.creditorId;

    run.issueDate = inputs.invoiceDate;
    run.currencyText = f.strWaehrung;
    run.directDebit = inputs.directDebit();
    run.vatOnTop = inputs.netFees;
    run.note = f.txtFixtext.Text.trimmed();
    run.payeeIban = normalisedIban(creditor.iban);
    run.payeeBic = normalisedIban(creditor.bic);
    if (inputs.dueDate.isValid())
        run.dueDate = inputs.dueDate;
    run.dueDateText = dueDateText(inputs);
    run.businessYear = inputs.businessYear;
    for (int k = 0; k < kFeeSlots; ++k) {
        const FeeSlotInputs &fee = inputs.fees[size_t(k)];
        if (fee.ticked)
            run.feeSlots.append(k);
        run.feeNames[k] = fee.name;
        run.exemptionReasons[k] = f.aSteuerbefreiung[size_t(k)];
        if (fee.vat.applies)
            run.rates[k] = fee.vat.rate;
    }
    run.notCollected = notCollected;
    return run;
}

QString eInvoiceFolder(const FrmDTA &f)
{
    const QString reports = f.strBerichtsPfad.isEmpty() ? f.strExportPfad : f.strBerichtsPfad;
    return joinPath(reports, u"E-Rechnungen"_qs);
}

EInvoiceSettings eInvoiceSettings(const FrmDTA &f, const RunInputs &run, const QSet<long> &notCollected)
{
    EInvoiceSettings s;
    s.mode = eRechnungMode(f);
    s.folder = eInvoiceFolder(f);
    s.programDir = f.context().programDir;
    s.clock = &f.clock();
    s.ui = &f.ui();
    s.invoiceValues = [&f, run, notCollected] { return eInvoiceRun(f, run, invoiceSenderName(f), notCollected); };
    return s;
}

void MakeERechnungen(const FrmDTA &f, const RunInputs &run, RunOutputs *outputs, const Buchungen &aBuchungen,
                     const Report &letters, const QSet<long> &notCollected, EInvoiceOutcome &outcome)
{
    EInvoiceSettings settings = eInvoiceSettings(f, run, notCollected);
    settings.outputs = outputs;
    MakeERechnungen(settings, aBuchungen, letters, outcome);
}

} // namespace qvl
