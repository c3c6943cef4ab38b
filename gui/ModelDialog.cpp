#include "gui/ModelDialog.h"
#include "gui/HelpWindow.h"

#include "gui/DialogButton.h"
#include "gui/ScreenFit.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qvl {

ModelDialog::ModelDialog(FrmDTA &form, QWidget *parent)
    : QDialog(parent)
    , m_editor(form)
{
    setObjectName(u"frmModel"_qs);
    installHelpKey(this, u"textmodelle"_qs);
    setWindowTitle(u"Modelle"_qs);

    m_list = new QTreeWidget;
    m_list->setObjectName(u"lvModels"_qs);
    m_list->setHeaderLabels({u"Modelle"_qs});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item) {
            m_editor.lvModels_Click(m_list->indexOfTopLevelItem(item));
            refresh();
        }
    });
    auto *listFrame = new QGroupBox(u"Modelle"_qs);
    (new QVBoxLayout(listFrame))->addWidget(m_list);

    m_text = new QPlainTextEdit;
    m_text->setObjectName(u"txtFixtext"_qs);
    m_text->setTabChangesFocus(true);
    connect(m_text, &QPlainTextEdit::textChanged, this, [this] {
        m_editor.txtFixtext.Text = m_text->toPlainText().replace(u'\n', u"\r\n"_qs);
    });
    auto *textFrame = new QGroupBox(u"Fixtext für Beitragsrechnung"_qs);
    (new QVBoxLayout(textFrame))->addWidget(m_text);

    auto *add = dialogButton(u"cmdNewModel"_qs, u"Modell &neu"_qs, this, [this] {
        const bool added = m_editor.cmdNewModel_Click();
        refresh();
        if (added)
            m_text->setFocus();
    });
    auto *save = dialogButton(u"cmdSaveModel"_qs, u"Modell &speichern"_qs, this, [this] {
        m_editor.cmdSaveModel_Click();
        refresh();
    });
    auto *remove = dialogButton(u"cmdDeleteModel"_qs, u"Modell &löschen"_qs, this, [this] {
        m_editor.cmdDeleteModel_Click();
        refresh();
    });
    auto *close = dialogButton(u"cmdClose"_qs, u"S&chließen"_qs, this, [this] { accept(); });
    close->setDefault(true);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {add, save, remove})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(listFrame, 2);
    layout->addWidget(textFrame, 3);
    layout->addLayout(buttons);
    fitToScreen(this, sizeHint().expandedTo(QSize(fontMetrics().horizontalAdvance(QString(80, u'x')),
                                                  fontMetrics().height() * 20)));
    refresh();
}

void ModelDialog::refresh()
{
    const QSignalBlocker blockList(m_list);
    const QSignalBlocker blockText(m_text);
    const QStringList &names = m_editor.lvModels.List;
    bool same = m_list->topLevelItemCount() == names.size();
    for (int i = 0; same && i < names.size(); ++i)
        same = m_list->topLevelItem(i)->text(0) == names[i];
    if (!same) {
        m_list->clear();
        for (const QString &name : names)
            m_list->addTopLevelItem(new QTreeWidgetItem(QStringList{name}));
    }
    if (QTreeWidgetItem *item = m_list->topLevelItem(m_editor.lvModels.ListIndex))
        m_list->setCurrentItem(item);
    const QString text = QString(m_editor.txtFixtext.Text).replace(u"\r\n"_qs, u"\n"_qs);
    if (m_text->toPlainText() != text)
        m_text->setPlainText(text);
}

void ModelDialog::done(int result)
{
    if (!m_closed) {
        m_closed = true;
        m_editor.close();
    }
    QDialog::done(result);
}

} // namespace qvl
