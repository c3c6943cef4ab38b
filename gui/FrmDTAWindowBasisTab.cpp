// The tab of the fee basis: the scale by area or the formula, and how areas count.

#include "gui/FrmDTAWindow.h"

#include "app/FrmDTA.h"
#include "gui/FormFieldLayout.h"
#include "gui/FormView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qvl {

using namespace formfields;

QWidget *FrmDTAWindow::buildBasisTab()
{
    FrmDTA &f = m_form;
    FormView &v = *m_view;
    auto *page = new QWidget;
    auto *layout = new QGridLayout(page);

    auto *top = formLayout();
    top->addRow(u"Bezeichnung:"_qs, v.lineEdit(u"txtBezeichnung"_qs, f.txtBezeichnung));
    layout->addLayout(top, 0, 0, 1, 2);

    // Scale table.
    auto *left = new QVBoxLayout;
    left->addWidget(v.option(u"rbEinstellung"_qs, 1, f.rbEinstellung[1]));
    left->addWidget(v.option(u"rbEinstellung"_qs, 3, f.rbEinstellung[3]));
    auto *scale = v.frame(indexed(u"grpEinstellung"_qs, 1), f.grpEinstellung[1]);
    auto *sg = new QGridLayout(scale);
    sg->addWidget(new QLabel(u"Beitrag in €"_qs), 0, 2);
    auto addPair = [&](int row, const QString &caption, int ha) {
        sg->addWidget(new QLabel(caption), row, 0, Qt::AlignRight);
        sg->addWidget(narrow(v.lineEdit(indexed(u"txtStaffel"_qs, ha), f.txtStaffel[ha]), 10), row, 1);
        sg->addWidget(narrow(v.lineEdit(indexed(u"txtStaffel"_qs, ha + 1), f.txtStaffel[ha + 1]), 10), row, 2);
    };
    addPair(1, u"0ha fix:"_qs, 20);
    addPair(2, u"> 0ha bis"_qs, 0);
    for (int pair = 1; pair < 10; ++pair)
        addPair(pair + 2, u"über"_qs, 2 * pair);
    sg->addWidget(v.checkBox(u"chkRundeHAauf"_qs, f.chkRundeHAauf), 12, 0, 1, 3);
    sg->setColumnStretch(3, 1);
    left->addWidget(scale);
    left->addStretch(1);
    layout->addLayout(left, 1, 0);

    // Formula and Quarvel's own settings.
    auto *right = new QVBoxLayout;
    right->addWidget(v.option(u"rbEinstellung"_qs, 0, f.rbEinstellung[0]));
    right->addSpacing(12);
    right->addWidget(v.option(u"rbEinstellung"_qs, 2, f.rbEinstellung[2]));
    auto *formula = v.frame(indexed(u"grpEinstellung"_qs, 2), f.grpEinstellung[2]);
    auto *fg = new QGridLayout(formula);
    auto box = [&](const QString &name, TextBox &b) { return narrow(v.lineEdit(name, b), 10); };
    fg->addWidget(new QLabel(u"Mindestbetrag"_qs), 0, 0, Qt::AlignRight);
    fg->addWidget(box(u"txtPreisMindestbetrag"_qs, f.txtPreisMindestbetrag), 0, 1);
    fg->addWidget(new QLabel(u"€"_qs), 0, 2);
    fg->addWidget(new QLabel(u"bis:"_qs), 0, 3, Qt::AlignRight);
    fg->addWidget(box(u"txtHaMindestbetrag"_qs, f.txtHaMindestbetrag), 0, 4);
    fg->addWidget(new QLabel(u"ha"_qs), 0, 5);
    fg->addWidget(new QLabel(u"Zuschlag alle"_qs), 1, 0, Qt::AlignRight);
    fg->addWidget(box(u"txtHaZuschlag"_qs, f.txtHaZuschlag), 1, 1);
    fg->addWidget(new QLabel(u"ha"_qs), 1, 2);
    fg->addWidget(box(u"txtPreisZuschlag"_qs, f.txtPreisZuschlag), 1, 4);
    fg->addWidget(new QLabel(u"€"_qs), 1, 5);
    fg->addWidget(new QLabel(u"Höchstbeitrag in €"_qs), 2, 0, Qt::AlignRight);
    fg->addWidget(box(u"txtHoechstbeitrag"_qs, f.txtHoechstbeitrag), 2, 1);
    fg->addWidget(v.checkBox(u"chkKomma"_qs, f.chkKomma), 3, 0, 1, 6);
    fg->setColumnStretch(6, 1);
    right->addWidget(formula);
    right->addStretch(1);
    layout->addLayout(right, 1, 1);

    layout->addWidget(v.wrappedCheckBox(u"chkAnteiligeBerechnung"_qs, f.chkAnteiligeBerechnung), 2, 0, 1, 2);
    layout->addWidget(v.checkBox(u"chkSonderbeitrag"_qs, f.chkSonderbeitrag), 3, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(4, 1);
    return page;
}

} // namespace qvl
