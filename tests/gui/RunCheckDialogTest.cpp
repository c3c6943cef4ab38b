// The check before a run in its dialog: which buttons each kind of list offers, what each
// button answers, the findings grouped by grade, the list saved as CSV and as PDF.
#include "gui/GuiUserInterface.h"
#include "gui/RunCheckDialog.h"
#include "check/RunCheck.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace qvl;

namespace {

RunCheck checkWith(std::initializer_list<CheckKind> kinds, std::optional<QDate> proposal = std::nullopt)
{
    RunCheck check;
    check.figures.directDebit = true;
    check.figures.year = u"2026"_qs;
    check.figures.feeText = u"Mitgliedsbeitrag"_qs;
    for (const CheckKind kind : kinds)
        check.add({kind, u"Befund "_qs + QString::number(int(kind)), {{1007, u"Schmidt Bernd"_qs, u"IBAN „“"_qs}}});
    check.proposedDueDate = proposal;
    return check;
}

QStringList buttonNames(const QDialog &dialog)
{
    QStringList names;
    for (const QPushButton *b : dialog.findChildren<QPushButton *>())
        if (b->isVisibleTo(&dialog) && b->isEnabled())
            names.append(b->objectName());
    names.sort();
    return names;
}

} // namespace

TEST(RunCheckDialog, ButtonsPerGradeAndWhatEachAnswers)
{
    const QDate proposal(2026, 12, 28);
    const struct {
        const char *name;
        RunCheck check;
        QStringList buttons;
    } cases[] = {
        {"nothing found", checkWith({}), {u"cmdCancel"_qs, u"cmdRunStart"_qs, u"cmdSaveList"_qs}},
        {"hints", checkWith({CheckKind::ComparisonChanged}), {u"cmdCancel"_qs, u"cmdRunStart"_qs, u"cmdSaveList"_qs}},
        {"warnings and hints", checkWith({CheckKind::LeftOut, CheckKind::ComparisonNew}),
         {u"cmdCancel"_qs, u"cmdRunStart"_qs, u"cmdSaveList"_qs}},
        // A due date the banks cannot meet is an error the proposed date alone clears.
        {"a due date the banks cannot meet", checkWith({CheckKind::DueDate, CheckKind::LeftOut}, proposal),
         {u"cmdCancel"_qs, u"cmdTakeDueDate"_qs}},
        // An error leaves only "Abbrechen", whatever else the list holds.
        {"an error", checkWith({CheckKind::CalculationRefused, CheckKind::LeftOut, CheckKind::DueDate}, proposal),
         {u"cmdCancel"_qs}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RunCheckDialog dialog(c.check, nullptr);
        EXPECT_EQ(buttonNames(dialog), c.buttons);
        const auto answer = [&](const QString &button) {
            RunCheckDialog d(c.check, nullptr);
            d.show();
            d.findChild<QPushButton *>(button)->click();
            EXPECT_FALSE(d.isVisible());
            return d.choice();
        };
        EXPECT_EQ(answer(u"cmdCancel"_qs), RunCheckChoice::Cancel);
        if (c.buttons.contains(u"cmdRunStart"_qs))
            EXPECT_EQ(answer(u"cmdRunStart"_qs), RunCheckChoice::Start);
        if (c.buttons.contains(u"cmdTakeDueDate"_qs)) {
            EXPECT_EQ(dialog.findChild<QPushButton *>(u"cmdTakeDueDate"_qs)->text(),
                      u"&Fälligkeit 28.12.2026 übernehmen"_qs);
            EXPECT_EQ(answer(u"cmdTakeDueDate"_qs), RunCheckChoice::TakeDueDate);
        }
        // Closing the window is no start.
        RunCheckDialog closed(c.check, nullptr);
        closed.show();
        closed.close();
        EXPECT_EQ(closed.choice(), RunCheckChoice::Cancel);
    }
}

TEST(RunCheckDialog, FindingsGroupedByGradeWithTheirOwners)
{
    RunCheck check = checkWith({CheckKind::LeftOut, CheckKind::BicReplaced, CheckKind::ComparisonNew});
    check.items[0].owners.append({1008, u"Huber Anna"_qs, {}});
    RunCheckDialog dialog(check, nullptr);
    const auto *tree = dialog.findChild<QTreeWidget *>(u"tvFindings"_qs);
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), u"Fehler (0)"_qs);
    EXPECT_EQ(tree->topLevelItem(1)->text(0), u"Warnungen (2)"_qs);
    EXPECT_EQ(tree->topLevelItem(2)->text(0), u"Hinweise (1)"_qs);
    const QTreeWidgetItem *leftOut = tree->topLevelItem(1)->child(0);
    EXPECT_EQ(leftOut->text(0), itemHeadline(check.items[0]));
    ASSERT_EQ(leftOut->childCount(), 2);
    EXPECT_EQ(leftOut->child(0)->text(0), u"1007 Schmidt Bernd: IBAN „“"_qs);
    EXPECT_EQ(leftOut->child(1)->text(0), u"1008 Huber Anna"_qs);
    EXPECT_TRUE(dialog.findChild<QLabel *>(u"lblFigures"_qs)->text().startsWith(u"Lastschriftlauf 2026 „Mitgliedsbeitrag“"_qs));
}

TEST(RunCheckDialog, SavesTheListAsCsvOrPdfAndStaysOpen)
{
    QTemporaryDir dir;
    const RunCheck check = checkWith({CheckKind::LeftOut, CheckKind::ComparisonGone});
    RunCheckDialog dialog(check, nullptr);
    dialog.show();
    for (const QString &name : {u"Liste.csv"_qs, u"Liste.PDF"_qs}) {
        const QString path = dir.filePath(name);
        dialog.chooseFile = [&] { return path; };
        dialog.findChild<QPushButton *>(u"cmdSaveList"_qs)->click();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = file.readAll();
        if (name.endsWith(u".csv"_qs))
            EXPECT_TRUE(bytes.startsWith("Stufe;Meldung;Nummer;Name;Angabe\r\nWarnungen;Befund "));
        else
            EXPECT_TRUE(bytes.startsWith("%PDF-"));
    }
    // Cancelling the file dialog saves nothing; the check stays open for the choice.
    dialog.chooseFile = [] { return QString(); };
    dialog.findChild<QPushButton *>(u"cmdSaveList"_qs)->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

// The desktop program's user interface shows the dialog over the window and answers what
// the clerk clicked.
TEST(RunCheckDialog, TheDesktopProgramAsksThroughIt)
{
    GuiUserInterface ui;
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<RunCheckDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), u"Prüfung vor dem Lauf"_qs);
        shown = true;
        dialog->findChild<QPushButton *>(u"cmdRunStart"_qs)->click();
    });
    EXPECT_EQ(ui.showRunCheck(checkWith({CheckKind::NoAccount})), RunCheckChoice::Start);
    EXPECT_TRUE(shown);
}

// Nothing that moves money is a default: Return anywhere but on a focused button, and
// Escape everywhere, cancel; Return on a focused button presses that button. The dialog
// opens with the focus on "Abbrechen".
TEST(RunCheckDialog, ReturnAndEscapeNeverStartARun)
{
    const QDate proposal(2026, 12, 28);
    const struct {
        const char *name;
        RunCheck check;
        const char16_t *focus; // null: as the dialog opens
        Qt::Key key;
        RunCheckChoice answer;
    } cases[] = {
        {"Return as it opens", checkWith({CheckKind::LeftOut}), nullptr, Qt::Key_Return, RunCheckChoice::Cancel},
        {"Enter as it opens", checkWith({}), nullptr, Qt::Key_Enter, RunCheckChoice::Cancel},
        {"Escape as it opens", checkWith({}), nullptr, Qt::Key_Escape, RunCheckChoice::Cancel},
        {"Return in the findings", checkWith({CheckKind::LeftOut}), u"tvFindings", Qt::Key_Return,
         RunCheckChoice::Cancel},
        {"Return on Abbrechen", checkWith({}), u"cmdCancel", Qt::Key_Return, RunCheckChoice::Cancel},
        {"Escape on Lauf starten", checkWith({}), u"cmdRunStart", Qt::Key_Escape, RunCheckChoice::Cancel},
        {"Return on Lauf starten", checkWith({}), u"cmdRunStart", Qt::Key_Return, RunCheckChoice::Start},
        {"Return with a wrong due date", checkWith({CheckKind::DueDate}, proposal), nullptr, Qt::Key_Return,
         RunCheckChoice::Cancel},
        {"Return on the proposed date", checkWith({CheckKind::DueDate}, proposal), u"cmdTakeDueDate", Qt::Key_Return,
         RunCheckChoice::TakeDueDate},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RunCheckDialog dialog(c.check, nullptr);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        ASSERT_NE(dialog.focusWidget(), nullptr);
        EXPECT_EQ(dialog.focusWidget()->objectName(), u"cmdCancel"_qs);
        if (c.focus)
            dialog.findChild<QWidget *>(QString::fromUtf16(c.focus))->setFocus();
        QTest::keyClick(dialog.focusWidget(), c.key);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.choice(), c.answer);
        const auto *start = dialog.findChild<QPushButton *>(u"cmdRunStart"_qs);
        EXPECT_TRUE(!start || !start->isDefault());
    }
}
