#include "einvoice/EInvoiceWriter.h"

#include "app/FrmDTA.h"
#include "einvoice/CiiSchema.h"
#include "einvoice/CiiXml.h"
#include "einvoice/EInvoiceData.h"
#include "einvoice/ERechnungSetting.h"
#include "einvoice/HybridPdf.h"
#include "platform/AnsiTextFile.h"
#include "platform/Paths.h"
#include "print/InvoicePrinting.h"
#include "print/Report.h"
#include "run/RunError.h"
#include "sepa/ErrorLog.h"

#include <QDir>
#include <QFileInfo>

namespace qvl {

namespace {

QString ownerText(const Buchung &b)
{
    return QString::number(b.Nummer) + u' ' + (b.NameOrig.trimmed() + u' ' + b.VornameOrig.trimmed()).trimmed();
}

} // namespace

QString eInvoiceFolder(const FrmDTA &f)
{
    const QString reports = f.strBerichtsPfad.isEmpty() ? f.strExportPfad : f.strBerichtsPfad;
    return joinPath(reports, u"E-Rechnungen"_qs);
}

QString eInvoiceFileName(const Buchung &b)
{
    return b.RechNr + u'_' + QString::number(b.Nummer) + u".pdf"_qs;
}

QString writeNewEInvoiceFile(const QString &path, const QByteArray &bytes, QString *error)
{
    CheckedNewFile file(path);
    QString taken;
    if (file.openForWriting()) {
        file.write(bytes);
        const QString stem = path.chopped(4); // ".pdf"
        taken = file.commitAsNew([&stem](int n) { return stem + u'_' + QString::number(n) + u".pdf"_qs; });
    }
    if (taken.isEmpty() && error)
        *error = file.errorText();
    return taken;
}

void MakeERechnungen(FrmDTA &f, const Buchungen &aBuchungen, const Report &letters, const QSet<long> &notCollected,
                     EInvoiceOutcome &outcome)
{
    const ERechnungMode mode = eRechnungMode(f);
    QList<int> owners;
    for (int i = 0; i < int(aBuchungen.size()); ++i)
        if (getsEInvoice(mode, aBuchungen[size_t(i)]))
            owners.append(i);
    if (owners.isEmpty())
        return;

    outcome.folder = eInvoiceFolder(f);
    if (!QDir().mkpath(nativePath(outcome.folder)))
        throw RunError(RunError::Kind::Output, u"Der Ordner für die E-Rechnungen „"_qs
                                                   + QDir::toNativeSeparators(outcome.folder)
                                                   + u"“ kann nicht angelegt werden."_qs);
    const QString seller = invoiceSenderName(f);
    const EInvoiceRun run = eInvoiceRun(f, seller, notCollected);
    const QDateTime now = f.clock().now();

    int done = 0;
    for (int i : owners) {
        const Buchung &b = aBuchungen[size_t(i)];
        const auto refuse = [&](const QString &problem) {
            outcome.refused.append(ownerText(b) + u": "_qs + problem);
            // The log is a help, not an output: a log that cannot be written does not stop the run.
            WriteLog(f.context().programDir, f.clock(),
                     u"Keine E-Rechnung für Waldbesitzer "_qs + ownerText(b) + u" (Rechnung "_qs + b.RechNr
                         + u"): "_qs + problem);
        };
        f.ui().setProgress(++done, int(owners.size()));

        const EInvoiceBuild build = buildEInvoiceData(run, b);
        if (!build.data) {
            refuse(build.problem);
            continue;
        }
        const QByteArray xml = ciiXml(*build.data);
        if (const std::optional<QString> invalid = ciiSchemaError(xml)) {
            refuse(u"Die Rechnungsdaten entsprechen nicht dem CII-Schema ("_qs + *invalid + u")."_qs);
            continue;
        }
        const HybridPdfInfo info{u"Rechnung "_qs + b.RechNr, seller.trimmed(), now};
        QString error;
        const QByteArray letter = pdfaLetter(letters.rowReport(i), info.title, &error);
        const QByteArray pdf = letter.isEmpty() ? QByteArray() : hybridPdf(letter, xml, info, &error);
        if (pdf.isEmpty())
            throw RunError(RunError::Kind::Output, error);
        const QString path = writeNewEInvoiceFile(joinPath(outcome.folder, eInvoiceFileName(b)), pdf, &error);
        if (path.isEmpty())
            throw RunError(RunError::Kind::Output, error);
        outcome.files.append(path);
    }
}

} // namespace qvl
