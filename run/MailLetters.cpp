#include "run/MailLetters.h"

#include "einvoice/HybridPdf.h"
#include "base/ChunkQueue.h"
#include "base/FaultPoints.h"
#include "base/InternalError.h"
#include "print/PdfPageSplit.h"
#include "print/Report.h"
#include "core/RunError.h"

// qpdf 11: its smart pointers are the standard ones.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>
#include <optional>
#include <thread>

namespace qvl {

namespace {

constexpr qsizetype kBatch = 200;

struct PaintedLetters {
    QByteArray pdf;
    QList<int> rows;
    QList<QList<int>> pages; // per row: its pages in the document
};

QByteArray pagesAsPdf(QPDF &source, const QList<int> &pages)
{
    QPDF pdf;
    pdf.emptyPDF();
    pdf.setSuppressWarnings(true);
    const std::vector<QPDFObjectHandle> &all = source.getAllPages();
    for (int p : pages)
        pdf.addPage(pdf.copyForeignObject(all.at(size_t(p))), false);
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    writer.setDecodeLevel(qpdf_dl_none); // the letter's streams are compressed already
    writer.setDeterministicID(true);
    writer.write();
    const std::shared_ptr<Buffer> out = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char *>(out->getBuffer()), qsizetype(out->getSize()));
}

} // namespace

void eachLetterPdf(const Report &letters, const QList<int> &rows, const QString &target,
                   const std::function<bool(int row, QByteArray pdf)> &take)
{
    // The next batch is painted while a thread of its own takes the last one apart.
    BoundedQueue<PaintedLetters> queue(2);
    ThreadFailure splitFailure; // what ended the thread, thrown on after the join
    const auto takeApart = [&] {
        while (std::optional<PaintedLetters> batch = queue.pop()) {
            faultPoint("briefe-zerlegen");
            try {
                // Qt's documents are cut by bytes; anything else goes through qpdf's object model.
                PdfPageSplit split;
                std::optional<QPDF> source;
                if (!split.load(batch->pdf)) {
                    source.emplace();
                    source->setSuppressWarnings(true);
                    source->processMemoryFile("letters.pdf", batch->pdf.constData(), size_t(batch->pdf.size()));
                }
                for (int j = 0; j < batch->rows.size(); ++j) {
                    QByteArray pdf = source ? pagesAsPdf(*source, batch->pages.at(j)) : split.pages(batch->pages.at(j));
                    if (!take(batch->rows.at(j), std::move(pdf))) {
                        queue.giveUp();
                        return;
                    }
                }
            } catch (const WriteError &) {
                throw;
            } catch (const std::exception &e) {
                throw WriteError(target, u"Die Briefe der E-Mails können nicht erstellt werden: "_qs
                                             + QString::fromUtf8(e.what()));
            }
        }
    };
    std::thread splitter([&] {
        splitFailure.guard(takeApart);
        if (splitFailure.failed())
            queue.giveUp();
    });
    // The thread is joined however the painting ends: a thread never joined ends the program.
    struct Joined {
        BoundedQueue<PaintedLetters> &queue;
        std::thread &thread;
        ~Joined()
        {
            if (thread.joinable()) {
                queue.giveUp();
                thread.join();
            }
        }
    } joined{queue, splitter};
    // A letter's pages are painted as the run laid them out: nothing is broken into pages anew.
    const QList<QList<int>> pagesOf = letters.pagesByRow();
    for (qsizetype first = 0; first < rows.size(); first += kBatch) {
        PaintedLetters batch;
        batch.rows = rows.mid(first, kBatch);
        QList<int> pages;
        for (int row : batch.rows) {
            QList<int> own;
            for (int page : pagesOf.value(row)) {
                own.append(int(pages.size()));
                pages.append(page);
            }
            batch.pages.append(own);
        }
        faultPoint("briefe-malen");
        batch.pdf = pdfaPages(letters, pages, target);
        if (!queue.push(std::move(batch)))
            break;
    }
    queue.close();
    splitter.join();
    splitFailure.rethrow();
}

} // namespace qvl
