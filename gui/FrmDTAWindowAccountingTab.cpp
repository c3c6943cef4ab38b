// The accounting tab: the folder of the transfer files and the accounts of the fees.

#include "gui/FrmDTAWindow.h"

#include "app/FrmDTA.h"
#include "gui/FormFieldLayout.h"
#include "gui/FormView.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace qvl {

using namespace formfields;

QWidget *FrmDTAWindow::buildAccountingTab()
{
    FrmDTA &f = m_form;
    FormView &v = *m_view;
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);

    layout->addWidget(new QLabel(u"Geben Sie das Zielverzeichnis der Übergabedateien an:"_qs));
    auto *folderRow = new QHBoxLayout;
    // The folder list of old: the folder is typed or chosen; it is what the run tests and
    // what the settings file keeps as "FibuZiel".
    auto *folder = new QLineEdit;
    folder->setObjectName(u"Dir1"_qs);
    connect(folder, &QLineEdit::textEdited, this, [this](const QString &text) { m_view->edit(u"Dir1"_qs, text); });
    m_view->onRefresh([folder, &f] {
        if (folder->text() != f.Dir1.Path)
            folder->setText(f.Dir1.Path);
    });
    auto *choose = button(u"cmdDir1"_qs, u"…"_qs);
    choose->setToolTip(u"Ordner wählen"_qs);
    connect(choose, &QPushButton::clicked, this, &FrmDTAWindow::chooseAccountingFolder);
    folderRow->addWidget(folder, 1);
    folderRow->addWidget(choose);
    layout->addLayout(folderRow);

    auto *bank = formLayout();
    auto *bankLabel = v.label(u"lblBankKonto"_qs, f.lblBankKonto);
    bank->addRow(bankLabel, narrow(v.lineEdit(u"txtBankKonto"_qs, f.txtBankKonto), 12));
    layout->addLayout(bank);

    auto *accounts = v.frame(u"fraBeitragskonten"_qs, f.fraBeitragskonten);
    auto *af = formLayout();
    TextBox *boxes[kFeeSlots] = {&f.txtMBTKonto, &f.txtWBVKonto, &f.txtHaftpflichtkonto, &f.txtSturmkonto,
                                 &f.txtKonto5};
    const QStringList names{u"txtMBTKonto"_qs, u"txtWBVKonto"_qs, u"txtHaftpflichtkonto"_qs, u"txtSturmkonto"_qs,
                            u"txtKonto5"_qs};
    for (int k = 0; k < kFeeSlots; ++k)
        af->addRow(v.label(indexed(u"lblBeitr"_qs, k), f.lblBeitr[k]), narrow(v.lineEdit(names[k], *boxes[k]), 12));
    accounts->setLayout(af);
    layout->addWidget(accounts);
    layout->addStretch(1);

    auto *outer = new QWidget;
    auto *ol = new QHBoxLayout(outer);
    ol->addWidget(page, 2);
    ol->addStretch(1);
    return outer;
}

} // namespace qvl
