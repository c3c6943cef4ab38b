#include "check/EInvoiceCheck.h"

#include "app/FrmDTA.h"
#include "app/RunInputs.h"
#include "einvoice/EInvoiceData.h"
#include "app/ERechnungForm.h"
#include "params/EInvoiceFromForm.h"
#include "core/BusinessYear.h"

#include <QHash>

namespace qvl {

namespace {

CheckOwner owner(const Buchung &b, const QString &detail = {})
{
    return {b.Nummer, (b.NameOrig.trimmed() + u' ' + b.VornameOrig.trimmed()).trimmed(), detail};
}

// Items of one kind and text, their owners gathered.
void addTo(QList<CheckItem> &items, CheckKind kind, const QString &text, const CheckOwner &who)
{
    for (CheckItem &item : items)
        if (item.kind == kind && item.text == text) {
            item.owners.append(who);
            return;
        }
    items.append({kind, text, {who}});
}

void checkBusinessYear(const FrmDTA &f, const RunInputs &run, RunCheck &check)
{
    if (run.businessYear)
        return;
    const QString text = run.businessYearText.trimmed();
    check.add({CheckKind::BusinessYearUnclear,
               u"Das Wirtschaftsjahr „"_qs + text + u"“ passt nicht zum Beginn des Wirtschaftsjahres (Monat "_qs
                   + QString::number(f.lWirtschaftsjahrBeginn)
                   + u", Einstellung WirtschaftsjahrBeginn): die Rechnungen nennen keinen Leistungszeitraum, die "
                     "E-Rechnungen keinen Abrechnungszeitraum"_qs,
               {}});
}

} // namespace

void addEInvoiceFindings(const FrmDTA &f, const RunInputs &inputs, const Buchungen &records, const QString &sellerName, RunCheck &check)
{
    checkBusinessYear(f, inputs, check);
    const ERechnungMode mode = eRechnungMode(f);
    if (mode == ERechnungMode::Keine)
        return;
    const bool letters = !inputs.directDebit() || f.chkRechnung.Value == 1;
    QList<CheckItem> items;
    if (!letters) {
        for (const Buchung &b : records)
            if (getsEInvoice(mode, b))
                addTo(items, CheckKind::EInvoiceNotMade,
                      u"Ohne „mit Rechnung“ werden keine Beitragsbescheide gedruckt und daher keine E-Rechnungen "
                      "erstellt, auch nicht für diese Unternehmer"_qs,
                      owner(b));
    } else {
        const EInvoiceRun run = eInvoiceRun(f, inputs, sellerName, {});
        for (const Buchung &b : records) {
            if (!getsEInvoice(mode, b))
                continue;
            const EInvoiceBuild build = buildEInvoiceData(run, b);
            if (!build.problem.isEmpty())
                addTo(items, CheckKind::EInvoiceRefused,
                      u"Keine E-Rechnung möglich; der Brief wird gedruckt, die E-Rechnung fehlt"_qs,
                      owner(b, build.problem));
            for (const QString &field : build.leftOut)
                addTo(items, CheckKind::EInvoiceFieldLeftOut,
                      u"Angabe, die die E-Rechnung nicht tragen kann; sie wird dort weggelassen"_qs, owner(b, field));
        }
    }
    for (CheckItem &item : items)
        check.add(std::move(item));
}

} // namespace qvl
