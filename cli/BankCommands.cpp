#include "cli/BankCommands.h"

#include "app/FrmDTA.h"
#include "bank/MatchingText.h"
#include "cli/BatchUi.h"
#include "db/Database.h"
#include "commands/PaymentsStep.h"

#include <cstdio>

namespace qvl {

namespace {

void printOut(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stdout);
}

void printError(const QString &title, const QString &text)
{
    std::fputs((u'[' + title + u"]\n"_qs + text + u'\n').toUtf8().constData(), stderr);
}

int showReport(BatchUi &ui, const Report &report)
{
    const qsizetype before = ui.writtenFiles().size();
    if (!ui.showReport(report))
        return 1;
    for (const QString &file : ui.writtenFiles().mid(before))
        printOut(file + u'\n');
    return 0;
}

} // namespace

int bankImportCommand(FrmDTA &f, const BatchOptions &o, BatchUi &)
{
    try {
        // A statement of any size: each part of the matching printed (and applied) as it is
        // made, within one transaction that is committed only when all went well.
        StatementImportRequest request;
        request.paths = o.arguments;
        request.apply = o.yes;
        for (const auto &[entry, number] : o.assignments)
            request.assignments.insert(entry, number);
        const StatementImport read = streamBankFiles(f, request, [](Matching &part) {
            printOut(matchingLines(part));
            std::fflush(stdout);
        });
        for (const QString &refused : read.refused)
            printError(u"Kontoauszug"_qs, refused);
        for (const QString &skipped : read.skipped)
            printOut(skipped + u'\n');
        printOut(u"\n"_qs + matchingSummary(read.counts));
        for (const QString &error : read.assignErrors)
            printError(u"Zuordnung"_qs, error);
        if (!read.assignErrors.isEmpty())
            return 3;
        if (!read.refused.isEmpty()) {
            printError(u"Kontoauszug"_qs, u"Es wurde nichts übernommen: erst wenn jede Datei gelesen werden kann."_qs);
            return 3;
        }
        if (!read.applied) {
            printOut(u"Nichts übernommen (mit --yes übernehmen).\n"_qs);
            return 0;
        }
        printOut(u"Übernommen: "_qs + QString::number(read.applied->entries) + u" Umsätze, "_qs
                 + QString::number(read.applied->payments) + u" Zahlungen und Rücklastschriften.\n"_qs);
        return 0;
    } catch (const DbError &e) {
        printError(u"Datenbank"_qs, e.message());
        return 1;
    }
}

int openItemsCommand(FrmDTA &f, BatchUi &ui)
{
    try {
        const QList<OpenItem> items = currentOpenItems(f, true);
        return showReport(ui, openItemsReport(items, f.clock().now().date(), f.txtFirmenName.Text));
    } catch (const DbError &e) {
        printError(u"Datenbank"_qs, e.message());
        return 1;
    }
}

int lettersCommand(FrmDTA &f, const BatchOptions &o, BatchUi &ui)
{
    const QString which = o.arguments.value(0);
    if (which != u"returns"_qs && which != u"reminders"_qs) {
        printError(u"Briefe"_qs, u"letters erwartet returns oder reminders, nicht „"_qs + which + u"“."_qs);
        return 2;
    }
    LetterRequest request;
    request.kind = which == u"returns"_qs ? LetterKind::Returns : LetterKind::Reminders;
    request.reminderDays = o.reminderDays;
    request.returnFeeCents = o.returnFeeCents;
    try {
        const Letters letters = makeLetters(f, request);
        if (!letters.report) {
            printOut(u"Keine Briefe: kein Beleg ist betroffen.\n"_qs);
            return 0;
        }
        if (const int failed = showReport(ui, *letters.report))
            return failed;
        recordLettersSent(f, letters);
        return 0;
    } catch (const DbError &e) {
        printError(u"Datenbank"_qs, e.message());
        return 1;
    }
}

} // namespace qvl
