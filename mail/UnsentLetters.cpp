#include "mail/UnsentLetters.h"

#include "mail/MimeMessage.h"
#include "mail/Outbox.h"
#include "mail/SendJournal.h"
#include "mail/SentMails.h"
#include "files/AnsiTextFile.h"
#include "db/Database.h"
#include "os/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// qpdf 11: its smart pointers are the standard ones.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <list>
#include <stdexcept>

namespace qvl {

namespace {

[[noreturn]] void fail(const QString &text)
{
    throw std::runtime_error(text.toStdString());
}

QByteArray mergedPdf(const QList<QByteArray> &pdfs)
{
    try {
        std::list<QPDF> sources; // read by the merged document until it is written
        QPDF merged;
        merged.emptyPDF();
        merged.setSuppressWarnings(true);
        for (const QByteArray &pdf : pdfs) {
            QPDF &source = sources.emplace_back();
            source.setSuppressWarnings(true);
            source.processMemoryFile("letter.pdf", pdf.constData(), size_t(pdf.size()));
            for (const QPDFObjectHandle &page : source.getAllPages())
                merged.addPage(merged.copyForeignObject(page), false);
        }
        QPDFWriter writer(merged);
        writer.setOutputMemory();
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setDeterministicID(true);
        writer.write();
        const std::shared_ptr<Buffer> out = writer.getBufferSharedPointer();
        return QByteArray(reinterpret_cast<const char *>(out->getBuffer()), qsizetype(out->getSize()));
    } catch (const std::exception &e) {
        fail(u"Die Briefe der nicht zugestellten E-Mails können nicht zusammengestellt werden: "_qs
             + QString::fromUtf8(e.what()));
    }
}

} // namespace

UnsentLetters writeUnsentLetters(const QString &outbox, Database &db)
{
    ensureMailTables(db);
    QHash<QString, MailRecord> recorded = recordedMails(db);
    // A send stopped before its answers became rows has them in the outbox's journal only:
    // a refusal there is as much a letter for paper as one in the table.
    for (const JournalEntry &e : SendJournal(outbox).lastAnswers()) {
        const auto known = recorded.constFind(e.messageId);
        if (known == recorded.cend() || known->status == MailStatus::Uncertain)
            recorded.insert(e.messageId, MailRecord{e.status, e.answer, e.owner, e.file});
    }
    UnsentLetters result;
    QList<QByteArray> pdfs;
    for (const QString &path : outboxFiles(outbox)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            fail(u"Die E-Mail „"_qs + QDir::toNativeSeparators(path) + u"“ kann nicht gelesen werden."_qs);
        const std::optional<OutboxMessage> m = readOutboxMessage(file.readAll(), true);
        if (!m || !recorded.contains(m->messageId) || recorded.value(m->messageId).status != MailStatus::Refused)
            continue;
        if (m->attachment.isEmpty())
            fail(u"Die E-Mail „"_qs + QDir::toNativeSeparators(path) + u"“ enthält keinen Brief."_qs);
        pdfs.append(m->attachment);
        result.owners.append((QString::number(m->owner) + u' ' + m->ownerName).trimmed());
    }
    if (pdfs.isEmpty())
        return result;
    const QByteArray pdf = mergedPdf(pdfs);
    const QString target = joinPath(QFileInfo(nativePath(outbox)).absolutePath(), u"Rechnung-Papier.pdf"_qs);
    CheckedSaveFile out(target);
    if (!out.openForWriting() || out.write(pdf) != pdf.size() || !out.commitWhole())
        fail(out.errorText());
    result.file = target;
    return result;
}

} // namespace qvl
