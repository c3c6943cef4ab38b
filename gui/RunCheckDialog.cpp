#include "gui/RunCheckDialog.h"
#include "gui/HelpWindow.h"

#include "gui/DialogButton.h"
#include "gui/ScreenFit.h"
#include "text/Conversions.h"
#include "check/RunCheckFiles.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qvl {

namespace {

// A finding with more owners starts folded, so the list stays readable.
constexpr qsizetype kOwnersUnfolded = 10;

QIcon gradeIcon(const QWidget *w, CheckGrade grade)
{
    switch (grade) {
    case CheckGrade::Error:
        return w->style()->standardIcon(QStyle::SP_MessageBoxCritical);
    case CheckGrade::Warning:
        return w->style()->standardIcon(QStyle::SP_MessageBoxWarning);
    case CheckGrade::Hint:
        break;
    }
    return w->style()->standardIcon(QStyle::SP_MessageBoxInformation);
}

QTreeWidget *findingsTree(const QWidget *dialog, const RunCheck &check)
{
    auto *tree = new QTreeWidget;
    tree->setObjectName(u"tvFindings"_qs);
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setUniformRowHeights(true);
    // A long finding is shown whole, with a scroll bar, never cut with "…".
    tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree->header()->setStretchLastSection(false);
    tree->setTextElideMode(Qt::ElideNone);
    for (const CheckGrade grade : {CheckGrade::Error, CheckGrade::Warning, CheckGrade::Hint}) {
        const QList<CheckItem> items = check.itemsOf(grade);
        auto *gradeItem = new QTreeWidgetItem(tree, {gradeTitle(grade) + u" ("_qs + countText(items.size()) + u')'});
        gradeItem->setIcon(0, gradeIcon(dialog, grade));
        QFont bold = gradeItem->font(0);
        bold.setBold(true);
        gradeItem->setFont(0, bold);
        for (const CheckItem &item : items) {
            auto *finding = new QTreeWidgetItem(gradeItem, {itemHeadline(item)});
            finding->setToolTip(0, item.text);
            for (const CheckOwner &o : item.owners)
                new QTreeWidgetItem(finding, {ownerLine(o)});
            finding->setExpanded(item.owners.size() <= kOwnersUnfolded);
        }
        gradeItem->setExpanded(!items.isEmpty());
    }
    return tree;
}

} // namespace

RunCheckDialog::RunCheckDialog(const RunCheck &check, QWidget *parent) : QDialog(parent), m_check(check)
{
    setObjectName(u"frmRunCheck"_qs);
    installHelpKey(this, u"prüfung-vor-dem-lauf"_qs);
    setWindowTitle(u"Prüfung vor dem Lauf"_qs);
    setModal(true);
    chooseFile = [this] {
        return QFileDialog::getSaveFileName(this, u"Liste speichern"_qs, u"Pruefung-vor-dem-Lauf.pdf"_qs,
                                            u"PDF-Datei (*.pdf);;CSV-Datei (*.csv)"_qs);
    };

    auto *figures = new QLabel(figuresLines(check).join(u'\n'));
    figures->setObjectName(u"lblFigures"_qs);
    figures->setTextFormat(Qt::PlainText);
    figures->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    QTreeWidget *tree = findingsTree(this, check);

    auto *buttons = new QDialogButtonBox;
    const bool errors = check.hasErrors();
    if (!errors) {
        // An action, not the dialog's accept button: the box would make that the default.
        buttons->addButton(dialogButton(u"cmdRunStart"_qs, u"&Lauf starten"_qs, this,
                                        [this] { choose(RunCheckChoice::Start); }),
                           QDialogButtonBox::ActionRole);
    }
    // A due date the banks cannot meet is an error the proposed date clears.
    if (check.proposedDueDate && (!errors || check.onlyDueDateError()))
        buttons->addButton(dialogButton(u"cmdTakeDueDate"_qs,
                                        u"&Fälligkeit "_qs + formatDate(*check.proposedDueDate, u"dd.mm.yyyy"_qs)
                                            + u" übernehmen"_qs,
                                        this, [this] { choose(RunCheckChoice::TakeDueDate); }),
                           QDialogButtonBox::ActionRole);
    if (!errors)
        buttons->addButton(dialogButton(u"cmdSaveList"_qs, u"Liste &speichern …"_qs, this, [this] { saveList(); }),
                           QDialogButtonBox::ActionRole);
    QPushButton *cancel = dialogButton(u"cmdCancel"_qs, u"Abbrechen"_qs, this, [this] { choose(RunCheckChoice::Cancel); });
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    auto *layout = new QVBoxLayout(this);
    // The figures scroll on a small screen; the findings share the height with them.
    layout->addWidget(scrollingArea(figures));
    layout->addWidget(tree, 1);
    layout->addWidget(buttons);
    // Nothing that moves money is a default: Return presses the focused button, and
    // "Abbrechen" anywhere else, as Escape does; the dialog opens with the focus on it.
    // (Only a button inside the dialog can be its default: else the dialog would make the
    // first button its default when shown.)
    for (QAbstractButton *b : buttons->buttons())
        if (auto *push = qobject_cast<QPushButton *>(b))
            push->setAutoDefault(true);
    cancel->setDefault(true);
    cancel->setFocus();
    // As large as a laptop screen allows, never larger than the screen: the buttons stay on it.
    fitToScreen(this, QSize(980, 580).expandedTo(sizeHint()));
}

void RunCheckDialog::choose(RunCheckChoice choice)
{
    m_choice = choice;
    if (choice == RunCheckChoice::Cancel)
        reject();
    else
        accept();
}

void RunCheckDialog::saveList()
{
    const QString path = chooseFile();
    if (path.isEmpty())
        return;
    QString error;
    if (!saveRunCheck(m_check, path, &error))
        QMessageBox::warning(this, windowTitle(), error);
}

} // namespace qvl
