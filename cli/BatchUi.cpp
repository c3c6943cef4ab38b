#include "cli/BatchUi.h"

#include "files/AnsiTextFile.h"
#include "os/Paths.h"
#include "print/Report.h"
#include "check/RunCheck.h"
#include "core/RunError.h"

#include <QDir>

#include <cstdio>

namespace qvl {

namespace {

void printBlock(const QString &title, const QString &text, const QString &answer = {})
{
    QString block;
    if (!title.isEmpty())
        block += u'[' + title + u"]\n"_qs;
    block += QString(text).replace(u"\r\n"_qs, u"\n"_qs).replace(u'\r', u'\n') + u'\n';
    if (!answer.isEmpty())
        block += u"-> "_qs + answer + u'\n';
    block += u'\n';
    std::fputs(block.toUtf8().constData(), stderr);
    std::fflush(stderr);
}

} // namespace

MsgResult BatchUi::showMessage(const Message &message)
{
    switch (message.buttons) {
    case MsgButtons::Ok:
        printBlock(message.title, message.text);
        return MsgResult::Ok;
    case MsgButtons::OkCancel:
        printBlock(message.title, message.text, m_answerYes ? u"OK"_qs : u"Abbrechen"_qs);
        return m_answerYes ? MsgResult::Ok : MsgResult::Cancel;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        printBlock(message.title, message.text, m_answerYes ? u"Ja"_qs : u"Nein"_qs);
        return m_answerYes ? MsgResult::Yes : MsgResult::No;
    }
    return MsgResult::Cancel;
}

std::optional<QString> BatchUi::inputBox(const QString &prompt, const QString &title, const QString &)
{
    printBlock(title, prompt, u"Abbrechen"_qs);
    return std::nullopt;
}

void BatchUi::openFile(const QString &path)
{
    printBlock({}, u"Datei: "_qs + path);
}

RunCheckChoice BatchUi::showRunCheck(const RunCheck &check)
{
    // A script sees the findings and goes on; the command "check" prints them all.
    constexpr int kOwnersShown = 10;
    const QString findings = findingsText(check, kOwnersShown, true);
    if (check.hasErrors()) {
        printBlock(u"Prüfung vor dem Lauf"_qs, findings, u"Abbrechen"_qs);
        return RunCheckChoice::Cancel;
    }
    if (!findings.isEmpty())
        printBlock(u"Prüfung vor dem Lauf"_qs, findings, u"Lauf starten"_qs);
    return RunCheckChoice::Start;
}

void BatchUi::writeReport(const Report &report, RunOutputs &run)
{
    writeReportFiles(report, &run);
}

QStringList BatchUi::writeReportFiles(const Report &report, RunOutputs *run)
{
    // "Rechnung.pdf" and "Rechnung.csv", replacing files of the same names; within a run
    // hidden until its commit.
    const QString base = QDir(nativePath(m_reportsDir)).filePath(report.name());
    if (!QDir(nativePath(m_reportsDir)).exists())
        throw WriteError(base + u".pdf"_qs,
                         u"Der Ordner für die Berichte „"_qs + m_reportsDir + u"“ existiert nicht."_qs);
    report.writePdf(base + u".pdf"_qs, run);
    QString problem;
    if (!writeAnsiFileAtomically(run, base + u".csv"_qs, report.csvLines(), &problem))
        throw WriteError(base + u".csv"_qs, problem);
    const QStringList files{base + u".pdf"_qs, base + u".csv"_qs};
    if (run)
        m_madeInRun.insert(report.name(), files);
    return files;
}

bool BatchUi::showReport(const Report &report)
{
    if (const auto made = m_madeInRun.constFind(report.name()); made != m_madeInRun.cend()) {
        m_written += *made;
        m_madeInRun.erase(made);
        return true;
    }
    try {
        m_written += writeReportFiles(report, nullptr);
        return true;
    } catch (const WriteError &e) {
        printBlock(u"Bericht "_qs + report.title(), e.message());
        return false;
    }
}

} // namespace qvl
