#include "run/RegisterStep.h"

#include "app/RunInputs.h"

#include "app/FrmDTA.h"
#include "app/InputRules.h"
#include "text/Conversions.h"
#include "db/Database.h"
#include "check/RunCheck.h"
#include "run/RunDriver.h"
#include "sepa/BookingSelection.h"
#include "core/Iban.h"
#include "sepa/SepaWriter.h"

#include <QMap>
#include <algorithm>

namespace qvl {

namespace {

// "19=1234;7=56": the VAT of each rate, in cents, as the fee calculation computed it.
QString vatByRate(const Buchung &b, qint64 *total)
{
    QMap<QString, Money> byRate;
    Money sum;
    for (const MwstSatz &rate : b.MwstSaetze) {
        if (rate.mwstCent.isZero())
            continue;
        byRate[rate.text] += rate.mwstCent;
        sum += rate.mwstCent;
    }
    *total += sum.cents(); // the register keeps cents
    QStringList parts;
    for (auto it = byRate.cbegin(); it != byRate.cend(); ++it)
        parts << it.key() + u'=' + QString::number(it.value().cents());
    return parts.join(u';');
}

QString runName(const FrmDTA &f)
{
    return f.txtWirtschaftsjahr.Text + u' ' + f.strBeitragsText + u", "_qs
           + formatDate(f.clock().now(), u"dd.mm.yyyy"_qs) + u' ' + f.clock().now().time().toString(u"HH:mm"_qs);
}

} // namespace

constexpr qsizetype kRunFilesLength = 1000; // QVL32_LAEUFE.dateien

QList<RegisteredDocument> runDocuments(const FrmDTA &f, const RunInputs &inputs, const Buchungen &records,
                                       bool directDebit,
                                       const QSet<long> &notCollected, const QString &batchId,
                                       const QStringList &files)
{
    const QDate date = inputs.invoiceDate;
    const QDate due = inputs.dueDate;
    const QString run = runName(f);
    // The column holds 1,000 characters on SQL Server, which refuses a longer text and with
    // it the run: an invoice run's letters, e-invoices and mails, one file per owner, are
    // named as far as they fit.
    QString filesText = files.join(u"; "_qs);
    if (filesText.size() > kRunFilesLength)
        filesText = filesText.left(kRunFilesLength - 1) + u'…';
    QList<RegisteredDocument> documents;
    documents.reserve(qsizetype(records.size()));
    for (const Buchung &b : records) {
        RegisteredDocument d;
        d.number = b.RechNr.toLongLong();
        d.kind = directDebit ? DocumentKind::FeeNotice : DocumentKind::Invoice;
        d.idPersonal = b.Id_Personal;
        d.nummer = b.Nummer;
        d.name = (b.NameOrig + u' ' + b.VornameOrig).trimmed();
        d.date = date;
        d.due = due;
        if (directDebit && !notCollected.contains(b.Id_Personal)) {
            d.way = PaymentWay::DirectDebit;
            d.mandate = mandateOf(b);
            d.batchId = batchId;
        }
        d.iban = normalisedIban(b.IBAN); // a transfer from this account names its payer
        d.grossCents = b.SummeCent.cents(); // the amount due, as the letter prints it
        d.vatByRate = vatByRate(b, &d.vatCents);
        d.run = run;
        d.year = f.txtWirtschaftsjahr.Text;
        d.feeType = f.strBeitragsText;
        d.files = filesText;
        documents.append(std::move(d));
    }
    return documents;
}

void registerRun(const FrmDTA &f, const RunInputs &inputs, const Buchungen &records, Database &db, bool directDebit, const SepaExport &sepa,
                 const RunReport &report, const QString &runId)
{
    QList<RegisteredDocument> documents;
    if (directDebit) {
        documents = runDocuments(f, inputs, records, true, sepa.notCollected, sepa.messageId, {sepa.file});
    } else {
        // The letters and e-invoices; the accounting files name no document.
        const QStringList files = report.outputs.mid(0, report.firstAccountingFile);
        documents = runDocuments(f, inputs, records, false, {}, {}, files);
    }
    // The sending asks the register whether a mail's run is still stored.
    for (RegisteredDocument &d : documents)
        d.runId = runId;
    registerDocuments(db, documents);
}

void checkInvoiceNumbers(const FrmDTA &f, const Buchungen &records, RunCheck &check)
{
    if (records.empty())
        return;
    qint64 first = kMaxInvoiceNumber, last = 0;
    for (const Buchung &b : records) {
        const qint64 n = b.RechNr.toLongLong();
        first = std::min(first, n);
        last = std::max(last, n);
    }
    const std::unique_ptr<Database> db = Database::open(f.strConnectionString, f.connectionOptions);
    const NumberClash clash = numbersTaken(*db, first, last);
    if (clash.count == 0)
        return;
    const qint64 next = highestNumber(*db).value_or(0) + 1;
    check.add({CheckKind::InvoiceNumberTaken,
               u"Die Rechnungsnummern dieses Laufs ("_qs + QString::number(first) + u" bis "_qs + QString::number(last)
                   + u") sind schon vergeben: "_qs + countText(clash.count) + u" Nummer(n), die erste "_qs
                   + QString::number(clash.first)
                   + u". Eine Rechnungsnummer darf nur einmal vergeben werden. Nächste freie Rechnungsnummer: "_qs
                   + QString::number(next) + u'.',
               {}});
}

void proposeNextInvoiceNumber(FrmDTA &f)
{
    std::unique_ptr<Database> own;
    if (!f.SQLConn)
        own = Database::open(f.strConnectionString, f.connectionOptions);
    const std::optional<qint64> highest = highestNumber(f.SQLConn ? *f.SQLConn : *own);
    if (!highest || *highest >= kMaxInvoiceNumber)
        return;
    const std::optional<qint64> typed = invoiceNumber(f.txtRechNr.Text);
    if (!typed || *typed <= *highest)
        f.txtRechNr.Text = QString::number(*highest + 1);
}

} // namespace qvl
