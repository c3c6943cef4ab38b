#include "gui/OwnerDialog.h"
#include "gui/HelpWindow.h"

#include "app/FrmDTA.h"
#include "gui/DialogButton.h"
#include "gui/ScreenFit.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace qvl {

OwnerDialog::OwnerDialog(FrmDTA &form, QWidget *parent)
    : QDialog(parent)
    , m_selection(form)
{
    setObjectName(u"frmWBS"_qs);
    installHelpKey(this, u"waldbesitzer-auswählen"_qs);
    setWindowTitle(u"Waldbesitzer Selektion"_qs);

    m_list = new QListWidget;
    m_list->setObjectName(u"lbWB"_qs);
    // A click adds or removes one line, so a long selection is never lost by one click.
    m_list->setSelectionMode(QAbstractItemView::MultiSelection);
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
        for (int i = 0; i < m_list->count(); ++i)
            if (m_list->item(i)->isSelected() != m_selection.selected().value(i))
                m_selection.setSelected(i, m_list->item(i)->isSelected());
    });

    auto *sort = new QGroupBox(u"Sortierung"_qs);
    auto *sl = new QVBoxLayout(sort);
    m_byName = new QRadioButton(u"Name"_qs);
    m_byName->setObjectName(u"optName"_qs);
    m_byNumber = new QRadioButton(u"Nummer"_qs);
    m_byNumber->setObjectName(u"optNummer"_qs);
    m_byNumber->setChecked(true);
    sl->addWidget(m_byName);
    sl->addWidget(m_byNumber);
    auto sortBy = [this](bool byName) {
        if (byName == m_selection.sortedByName())
            return;
        m_selection.setSortByName(byName);
        refresh();
    };
    connect(m_byName, &QRadioButton::clicked, this, [sortBy] { sortBy(true); });
    connect(m_byNumber, &QRadioButton::clicked, this, [sortBy] { sortBy(false); });

    auto *all = dialogButton(u"btnAlle"_qs, u"&Alle Selektieren"_qs, this, [this] {
        m_selection.btnAlle_Click();
        refresh();
    });
    auto *none = dialogButton(u"btnKeinen"_qs, u"&Keinen Selektieren"_qs, this, [this] {
        m_selection.btnKeinen_Click();
        refresh();
    });
    auto *close = dialogButton(u"btnSchliessen"_qs, u"&Schließen"_qs, this, [this] { accept(); });
    // Return in the list closes with the selection shown; Escape leaves it as it was.
    close->setDefault(true);

    auto *side = new QVBoxLayout;
    side->addWidget(sort);
    side->addWidget(all);
    side->addWidget(none);
    side->addStretch(1);
    side->addWidget(close);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(side);
    fitToScreen(this, QSize(fontMetrics().horizontalAdvance(QString(70, u'x')), fontMetrics().height() * 28));
    refresh();
}

void OwnerDialog::refresh()
{
    const QSignalBlocker block(m_list);
    m_list->clear();
    for (int i = 0; i < m_selection.lines().size(); ++i) {
        auto *item = new QListWidgetItem(m_selection.lines()[i].text, m_list);
        item->setSelected(m_selection.selected()[i]);
    }
    if (m_selection.currentLine() >= 0)
        m_list->setCurrentRow(m_selection.currentLine(), QItemSelectionModel::NoUpdate);
}

void OwnerDialog::done(int result)
{
    // Only "Schließen" takes the selection; Escape and the close box leave the form's
    // restriction as it was.
    if (!m_closed && result == QDialog::Accepted) {
        m_closed = true;
        m_selection.close();
    }
    QDialog::done(result);
}

void OwnerDialog::choose(FrmDTA &form, QWidget *parent)
{
    try {
        OwnerDialog dialog(form, parent);
        dialog.exec();
    } catch (const DbError &e) {
        form.ui().message(u"Die Waldbesitzer konnten nicht gelesen werden.\n"_qs + e.message(), {},
                          MsgIcon::Critical);
    }
}

} // namespace qvl
