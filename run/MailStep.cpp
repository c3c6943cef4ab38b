#include "run/MailStep.h"

#include "app/RunInputs.h"

#include "app/FrmDTA.h"
#include "app/MailSettingsFile.h"
#include "einvoice/EInvoiceWriter.h"
#include "mail/MailAddress.h"
#include "mail/MimeMessage.h"
#include "mail/Outbox.h"
#include "models/MailModels.h"
#include "text/Conversions.h"
#include "files/NewFileWriters.h"
#include "files/RunOutputs.h"
#include "os/Paths.h"
#include "params/InvoiceFromForm.h"
#include "params/MailRecipients.h"
#include "print/Report.h"
#include "run/MailLetters.h"
#include "core/RunError.h"
#include "core/ErrorLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace qvl {

namespace {

constexpr int kNamedInMessage = 10;

QString reportsFolder(const FrmDTA &f)
{
    return f.strBerichtsPfad.isEmpty() ? f.strExportPfad : f.strBerichtsPfad;
}

QString namedList(const QString &head, const QStringList &owners)
{
    QString text = head;
    for (int i = 0; i < owners.size() && i < kNamedInMessage; ++i)
        text += u"\n"_qs + owners.at(i);
    if (owners.size() > kNamedInMessage)
        text += u"\n…"_qs;
    return text;
}

struct MailWriting {
    FrmDTA &f;
    const Buchungen &aBuchungen;
    NewFileWriters &writers;
    QString folder;
    QString sender;
    QString senderName;
    QString subjectModel;
    QString bodyModel;
    QString dueDate;
    QDateTime now;
    MailIssue issue; // the run's: the same for every mail but the owner's row
    QList<std::pair<int, QString>> added; // the rows whose mail went to the writers, with the path meant

    bool add(int row, QByteArray pdf, const QString &attachmentName)
    {
        const Buchung &b = aBuchungen[size_t(row)];
        const MailPlaceholders values{mailOwnerName(b), b.RechNr,
                                      b.SummeCent.german() + u' ' + f.strWaehrung,
                                      dueDate, senderName};
        OutgoingMail m;
        m.messageId = newMessageId(sender, now);
        m.date = now;
        m.senderName = senderName;
        m.sender = sender;
        m.replyTo = f.mail.replyTo;
        m.to = mailAddresses(b.Email);
        m.subject = filledMailSubject(subjectModel, values);
        m.body = filledMailText(bodyModel, values);
        m.attachmentName = attachmentName;
        m.attachment = std::move(pdf);
        m.owner = b.Nummer;
        m.ownerName = mailOwnerName(b);
        m.issue = issue;
        m.issue.personal = b.Id_Personal;
        m.issue.number = b.RechNr;
        const QString path = joinPath(folder, outboxFileName(b.RechNr, b.Nummer));
        added.append({row, path});
        return writers.add(path, mimeMessage(m));
    }
};

// A path as one text however it was written: the mails' paths are native (backslashes on
// Windows), a run's list names its files by their absolute form (forward slashes).
QString pathKey(const QString &path)
{
    return QDir::cleanPath(QFileInfo(nativePath(path)).absoluteFilePath());
}

// The rows whose mail has its name. The writers list the names taken in the order the
// mails were added, a taken name replaced by "…_2.eml": a mail that failed is missing.
QSet<int> writtenRows(const MailWriting &writing, const QStringList &outputs)
{
    QSet<QString> taken;
    for (const QString &output : outputs)
        taken.insert(pathKey(output));
    QSet<int> rows;
    for (const auto &[row, path] : writing.added) {
        const QString key = pathKey(path);
        bool found = taken.contains(key);
        for (int n = 2; !found && n <= 999; ++n)
            found = taken.contains(NewFileWriters::alternativeName(key, n));
        if (found)
            rows.insert(row);
    }
    return rows;
}

} // namespace

namespace {

// The letters of these rows, sorted as the run's records are; the whole report for all.
std::optional<Report> lettersOf(const Report &letters, QList<int> rows, qsizetype all)
{
    if (rows.isEmpty())
        return std::nullopt;
    if (rows.size() == all)
        return letters;
    std::sort(rows.begin(), rows.end());
    return letters.rowsReport(rows);
}

} // namespace

std::optional<Report> MailStep(FrmDTA &f, const RunInputs &run, RunOutputs *outputs, const Buchungen &aBuchungen,
                               const Report &letters, const EInvoiceOutcome &eInvoices, RunReport &report)
{
    const MailChoice choice = chooseMailRecipients(f, aBuchungen);
    const qsizetype all = qsizetype(aBuchungen.size());
    if (!choice.badAddress.isEmpty()) {
        QStringList lines;
        for (const QString &owner : choice.badAddress)
            lines << u"Keine E-Mail, Brief auf Papier – E-Mail-Adresse ungültig: Waldbesitzer "_qs + owner;
        WriteLogLines(outputs, f.context().programDir, f.clock(), lines);
        f.ui().message(namedList(u"Die E-Mail-Adresse von "_qs + QString::number(choice.badAddress.size())
                                     + u" Waldbesitzern ist ungültig; sie erhalten ihren Brief auf Papier:"_qs,
                                 choice.badAddress),
                       {}, MsgIcon::Exclamation);
    }
    if (choice.mail.isEmpty()) {
        report.paperLetters = int(choice.paper.size());
        return lettersOf(letters, choice.paper, all);
    }

    NewFileWriters writers(outputs);
    const QString subjectModel = mailSubjectModel(f.LoadModell(QString::fromUtf16(kMailSubjectModel)));
    const QString bodyModel = mailBodyModel(f.LoadModell(QString::fromUtf16(kMailBodyModel)));
    MailWriting writing{f, aBuchungen, writers, outboxFolder(reportsFolder(f)), mailSender(f), {}, subjectModel,
                        bodyModel, {}, f.clock().now(), {}, {}};
    // A run names its mails: of each owner's document the sending takes the latest issue,
    // and a deleted run's mails are withdrawn.
    writing.issue.run = outputs ? outputs->runId() : RunOutputs::newRunId();
    writing.issue.issued = writing.now;
    writing.issue.kind = f.LaoderRe[0].Value ? u"Beitragsbescheid"_qs : u"Rechnung"_qs;
    writing.issue.year = f.txtWirtschaftsjahr.Text.trimmed();
    writing.issue.feeType = f.strBeitragsText;
    bool collected = false;
    const auto collect = [&] {
        collected = true;
        NewFileWriters::Result written = writers.finish();
        report.outputs.append(written.names);
        report.mailed = int(written.names.size());
        report.outbox = writing.folder;
        return written;
    };
    try {
        if (!isValidMailAddress(writing.sender))
            throw RunError(RunError::Kind::Output,
                           u"Ohne gültige E-Mail-Adresse des Vereins (Feld „E-Mail“ oder EMailAbsender) werden keine "
                           "E-Mails erstellt; diese Briefe gehen auf Papier."_qs);
        writing.senderName = invoiceSenderName(f);
        if (!QDir().mkpath(nativePath(writing.folder)))
            throw WriteError(writing.folder, u"Der Ordner für die E-Mails „"_qs
                                                 + QDir::toNativeSeparators(writing.folder)
                                                 + u"“ kann nicht angelegt werden."_qs);
        writing.dueDate = dueDateText(run);

        // Owners with an e-invoice get that file: the letter with its data inside.
        // During a run the e-invoices are still hidden: read the file that gets the name.
        QHash<QString, QString> hiddenOf;
        if (outputs)
            for (const RunOutput &o : outputs->entries())
                hiddenOf.insert(QDir::cleanPath(candidateName(o, o.first)), o.hidden);
        QHash<int, QString> eInvoiceOf;
        for (qsizetype i = 0; i < eInvoices.files.size() && i < eInvoices.rows.size(); ++i)
            eInvoiceOf.insert(eInvoices.rows.at(i), eInvoices.files.at(i));
        QList<int> plain;
        bool going = true;
        for (int row : choice.mail) {
            const QString file = eInvoiceOf.value(row);
            if (file.isEmpty()) {
                plain.append(row);
                continue;
            }
            QFile pdf(hiddenOf.value(QDir::cleanPath(file), file));
            if (!pdf.open(QIODevice::ReadOnly))
                throw WriteError(file,
                                 u"Die E-Rechnung „"_qs + QDir::toNativeSeparators(file) + u"“ kann nicht gelesen werden."_qs,
                                 aBuchungen[size_t(row)].Nummer);
            if (!(going = writing.add(row, pdf.readAll(), QFileInfo(file).fileName())))
                break;
        }
        if (going)
            eachLetterPdf(letters, plain, writing.folder, [&](int row, QByteArray pdf) {
                return writing.add(row, std::move(pdf), u"Rechnung_"_qs + aBuchungen[size_t(row)].RechNr + u".pdf"_qs);
            });
        if (const NewFileWriters::Result written = collect(); !written.error.isEmpty())
            throw WriteError(written.failedFile, written.error);
    } catch (const RunError &e) {
        if (!collected)
            collect();
        f.ui().message(e.message(), e.title(), MsgIcon::Critical);
        report.outcome = RunOutcome::Failed;
    } catch (const DbError &e) {
        if (!collected)
            collect();
        f.ui().message(e.message(), {}, MsgIcon::Critical);
        report.outcome = RunOutcome::Failed;
    }

    // An owner whose mail was not written gets his letter on paper: nobody goes without.
    QList<int> paper = choice.paper;
    const QSet<int> mailed = writtenRows(writing, report.outputs);
    for (int row : choice.mail)
        if (!mailed.contains(row) && !paper.contains(row))
            paper.append(row);
    report.paperLetters = int(paper.size());
    return lettersOf(letters, paper, all);
}

} // namespace qvl
