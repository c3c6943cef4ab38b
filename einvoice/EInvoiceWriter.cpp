#include "einvoice/EInvoiceWriter.h"

#include "einvoice/CiiSchema.h"
#include "einvoice/CiiXml.h"
#include "einvoice/EInvoiceData.h"
#include "einvoice/HybridPdf.h"
#include "base/ChunkQueue.h"
#include "base/FaultPoints.h"
#include "base/InternalError.h"
#include "base/Clock.h"
#include "files/NewFileWriters.h"
#include "os/Paths.h"
#include "base/UserInterface.h"
#include "print/Report.h"
#include "core/RunError.h"
#include "core/ErrorLog.h"

#include <QDir>

#include <thread>

namespace qvl {

namespace {

// Letters are painted together into one document and then taken apart: the fonts are
// subset once per batch instead of once per letter, which costs more than painting a
// page. A batch's subsets hold the characters of its letters only, so a file stays small.
constexpr qsizetype kBatch = 200;

QString ownerText(const Buchung &b)
{
    return QString::number(b.Nummer) + u' ' + (b.NameOrig.trimmed() + u' ' + b.VornameOrig.trimmed()).trimmed();
}

// A batch of letters painted as one PDF/A document, with what each owner's file needs.
struct PaintedBatch {
    QByteArray pdf;
    QList<QList<int>> pages; // per owner: his pages in the document
    QList<QByteArray> xmls;
    QList<QString> paths;
    QList<HybridPdfInfo> infos;
};

// Takes painted batches apart into hybrid invoices on a thread of its own (qpdf only, no
// painting), while the next batch is painted; the files go to the writers.
class Splitter {
public:
    explicit Splitter(NewFileWriters &writers)
        : m_writers(writers), m_thread([this] {
              m_failure.guard([this] { run(); });
              if (m_failure.failed())
                  m_queue.giveUp();
          })
    {
    }
    ~Splitter()
    {
        if (m_thread.joinable()) {
            m_queue.giveUp();
            m_thread.join();
        }
    }
    // False once the splitter stopped (its failure, or a file that failed).
    bool push(PaintedBatch batch) { return m_queue.push(std::move(batch)); }
    // Waits for the batches pushed; throws what ended the thread (a WriteError naming the
    // e-invoice qpdf refused).
    void finish()
    {
        m_queue.close();
        m_thread.join();
        m_failure.rethrow();
    }

private:
    void run()
    {
        while (std::optional<PaintedBatch> batch = m_queue.pop()) {
            faultPoint("e-rechnungen-zerlegen");
            HybridPdfSource source(std::move(batch->pdf));
            for (int j = 0; j < batch->paths.size(); ++j) {
                QByteArray pdf = source.hybrid(batch->pages.at(j), batch->xmls.at(j), batch->infos.at(j),
                                               batch->paths.at(j));
                if (!m_writers.add(batch->paths.at(j), std::move(pdf))) {
                    m_queue.giveUp(); // the writers tell why
                    return;
                }
            }
        }
    }

    NewFileWriters &m_writers;
    BoundedQueue<PaintedBatch> m_queue{2};
    ThreadFailure m_failure;
    std::thread m_thread;
};

struct Writing {
    const EInvoiceSettings &settings;
    const Buchungen &aBuchungen;
    const Report &letters;
    const EInvoiceRun &run;
    QDateTime now;
    EInvoiceOutcome &outcome;
    int total = 0;
    int done = 0;

    void advance() { settings.ui->setProgress(++done, total); }

    void refuse(const Buchung &b, const QString &problem)
    {
        outcome.refused.append(ownerText(b) + u": "_qs + problem);
        // The log is a help, not an output: one that cannot be written stops nothing.
        WriteLogLines(settings.outputs, settings.programDir, *settings.clock,
                      {u"Keine E-Rechnung für Waldbesitzer "_qs + ownerText(b) + u" (Rechnung "_qs + b.RechNr
                       + u"): "_qs + problem});
        advance();
    }

    // The checked XML of an owner, or nothing when he gets no e-invoice.
    std::optional<QByteArray> invoiceXml(const Buchung &b)
    {
        const EInvoiceBuild build = buildEInvoiceData(run, b);
        if (!build.data) {
            refuse(b, build.problem);
            return std::nullopt;
        }
        QByteArray xml = ciiXml(*build.data);
        if (const std::optional<QString> invalid = ciiSchemaError(xml)) {
            refuse(b, u"Die Rechnungsdaten entsprechen nicht dem CII-Schema ("_qs + *invalid + u")."_qs);
            return std::nullopt;
        }
        return xml;
    }

    // The XML of every owner of the batch, then the letters of those that have one.
    // Nothing when no owner of the batch gets an e-invoice.
    std::optional<PaintedBatch> paint(const QList<int> &owners)
    {
        PaintedBatch batch;
        QList<int> rows;
        for (int i : owners) {
            const Buchung &b = aBuchungen[size_t(i)];
            if (std::optional<QByteArray> xml = invoiceXml(b)) {
                rows.append(i);
                outcome.rows.append(i);
                batch.xmls.append(*xml);
                batch.paths.append(joinPath(outcome.folder, eInvoiceFileName(b)));
                batch.infos.append(HybridPdfInfo{u"Rechnung "_qs + b.RechNr, run.seller.name, now});
            }
        }
        if (rows.isEmpty())
            return std::nullopt;
        const Report letter = letters.rowsReport(rows);
        batch.pdf = pdfaLetters(letter, outcome.folder);
        for (int j = 0; j < rows.size(); ++j) {
            batch.pages.append(letter.pagesOfRow(j));
            advance();
        }
        return batch;
    }
};

} // namespace

QString eInvoiceFileName(const Buchung &b)
{
    return b.RechNr + u'_' + QString::number(b.Nummer) + u".pdf"_qs;
}

void MakeERechnungen(const EInvoiceSettings &settings, const Buchungen &aBuchungen, const Report &letters,
                     EInvoiceOutcome &outcome)
{
    const ERechnungMode mode = settings.mode;
    QList<int> owners;
    for (int i = 0; i < int(aBuchungen.size()); ++i)
        if (getsEInvoice(mode, aBuchungen[size_t(i)]))
            owners.append(i);
    if (owners.isEmpty())
        return;

    outcome.folder = settings.folder;
    if (!QDir().mkpath(nativePath(outcome.folder)))
        throw WriteError(outcome.folder, u"Der Ordner für die E-Rechnungen „"_qs
                                             + QDir::toNativeSeparators(outcome.folder)
                                             + u"“ kann nicht angelegt werden."_qs);
    const EInvoiceRun run = settings.invoiceValues();

    // Each file is written whole and then named, never over another one.
    NewFileWriters writers(settings.outputs);
    const auto written = [&writers, &outcome] {
        NewFileWriters::Result result = writers.finish();
        outcome.files.append(result.names);
        return result;
    };
    try {
        Splitter splitter(writers);
        Writing writing{settings, aBuchungen, letters, run, settings.clock->now(), outcome, int(owners.size())};
        for (qsizetype first = 0; first < owners.size(); first += kBatch) {
            std::optional<PaintedBatch> batch = writing.paint(owners.mid(first, kBatch));
            if (batch && !splitter.push(std::move(*batch)))
                break;
        }
        splitter.finish();
    } catch (...) {
        written();
        throw;
    }
    // A file the writers could not write is the first failure: qpdf and the painting threw above.
    if (const NewFileWriters::Result result = written(); !result.error.isEmpty())
        throw WriteError(result.failedFile, result.error);
}

} // namespace qvl
