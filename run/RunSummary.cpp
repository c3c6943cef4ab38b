#include "run/RunSummary.h"

#include "text/Conversions.h"

#include <QDir>
#include <QFileInfo>

namespace qvl {

namespace {

QString euros(Money amount)
{
    return amount.german() + u" €"_qs;
}

} // namespace

std::optional<RunSummary> summarizeRun(const RunReport &report)
{
    const bool bankFileOut = report.directDebit && !report.bankFile.isEmpty();
    const bool invoicesDone = !report.directDebit && report.outcome == RunOutcome::Completed && report.billed > 0;
    if (!bankFileOut && !invoicesDone)
        return std::nullopt;

    RunSummary s;
    s.directDebit = report.directDebit;
    s.unfinished = report.outcome != RunOutcome::Completed;
    if (bankFileOut) {
        const QFileInfo file(report.bankFile);
        s.bankFile = file.fileName();
        s.bankFolder = QDir::toNativeSeparators(file.absolutePath());
    }
    s.dueDate = report.dueDate;
    s.debits = report.debits;
    s.controlSumCent = report.controlSumCent;
    s.billed = report.billed;
    s.totalCent = report.totalCent;
    s.leftOut = report.leftOut;
    s.eInvoicesRefused = report.eInvoicesRefused;
    s.logFile = report.logFile.isEmpty() ? QString() : QDir::toNativeSeparators(report.logFile);
    for (const QString &file : report.accountingFiles())
        s.accountingFiles.append(QDir::toNativeSeparators(file));
    s.mailed = report.mailed;
    s.paperLetters = report.paperLetters;
    s.outbox = report.outbox.isEmpty() ? QString() : QDir::toNativeSeparators(report.outbox);
    return s;
}

QString runSummaryText(const RunSummary &s)
{
    QStringList lines;
    if (s.directDebit) {
        lines << (s.unfinished ? u"Der Lastschriftlauf ist nicht vollständig: die SEPA-Datei ist erstellt und die "
                                 "Beiträge sind gespeichert, ein späterer Schritt ist fehlgeschlagen. Wiederholen "
                                 "Sie den Lauf nicht."_qs
                               : u"Der Lastschriftlauf ist abgeschlossen."_qs)
              << QString()
              << u"SEPA-Datei: "_qs + s.bankFile
              << u"Ordner: "_qs + s.bankFolder;
        if (!s.dueDate.isEmpty())
            lines << u"Fälligkeit: "_qs + s.dueDate;
        lines << u"Lastschriften: "_qs + QString::number(s.debits) << u"Kontrollsumme: "_qs + euros(s.controlSumCent);
        if (s.leftOut > 0)
            lines << u"Nicht in der SEPA-Datei: "_qs + QString::number(s.leftOut) + u" Waldbesitzer (die Gründe stehen in der Log-Datei)"_qs;
        else
            lines << u"Nicht in der SEPA-Datei: keine Waldbesitzer"_qs;
    } else {
        lines << u"Der Rechnungslauf ist abgeschlossen."_qs
              << QString()
              << u"Rechnungen: "_qs + QString::number(s.billed)
              << u"Gesamtsumme: "_qs + euros(s.totalCent);
    }
    if (s.eInvoicesRefused > 0)
        lines << u"Ohne E-Rechnung: "_qs + QString::number(s.eInvoicesRefused)
                     + u" Waldbesitzer (die Gründe stehen in der Log-Datei)"_qs;
    if (s.mailed > 0) {
        lines << u"Briefe per E-Mail: "_qs + QString::number(s.mailed) + u" (im Postausgang "_qs + s.outbox
                     + u", noch nicht versendet)"_qs
              << u"Briefe auf Papier: "_qs + QString::number(std::max(0, s.paperLetters));
    }
    if (!s.logFile.isEmpty())
        lines << u"Log-Datei: "_qs + s.logFile;
    if (s.accountingFiles.isEmpty()) {
        lines << u"FIBU-Dateien: keine"_qs;
    } else {
        lines << u"FIBU-Dateien:"_qs;
        for (const QString &file : s.accountingFiles)
            lines << u"  "_qs + file;
    }
    return lines.join(u'\n');
}

} // namespace qvl
