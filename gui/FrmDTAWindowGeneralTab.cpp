// The first tab: the creditor, the fees, the invoice's text and positions, the run's
// inputs, the stored runs and the owner selection.

#include "gui/FrmDTAWindow.h"

#include "app/FrmDTA.h"
#include "gui/FormFieldLayout.h"
#include "gui/FormView.h"
#include "gui/MailSendDialog.h"
#include "gui/PaymentsDialog.h"
#include "select/OwnerSelection.h"
#include "stored/StoredRunCaption.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qvl {

using namespace formfields;

QWidget *FrmDTAWindow::buildGeneralTab()
{
    FrmDTA &f = m_form;
    FormView &v = *m_view;
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);

    // Creditor.
    auto *creditor = new QGroupBox;
    auto *cf = formLayout();
    auto *persons = v.listBox(u"lbPersons"_qs, f.lbPersons);
    persons->setMaximumHeight(persons->fontMetrics().height() * 5);
    // The list spans the frame, so long names of associations stay readable.
    auto *personsLabel = v.label(u"Label8"_qs, f.Label8);
    personsLabel->setBuddy(persons);
    cf->addRow(u"Firmenname:"_qs, v.lineEdit(u"txtFirmenName"_qs, f.txtFirmenName));
    cf->addRow(u"Adresse:"_qs, v.lineEdit(u"txtAdresse"_qs, f.txtAdresse));
    auto *place = new QHBoxLayout;
    place->addWidget(narrow(v.lineEdit(u"txtPLZ"_qs, f.txtPLZ), 6));
    place->addWidget(v.lineEdit(u"txtOrt"_qs, f.txtOrt), 1);
    cf->addRow(u"Ort:"_qs, place);
    const std::pair<const char16_t *, TextBox *> lower[] = {
        {u"Telefon:", &f.txtTelefon},          {u"Telefax:", &f.txtTelefax},
        {u"Email:", &f.txtEmail},              {u"Bank:", &f.txtBank},
        {u"BIC:", &f.txtBankleitzahl},         {u"IBAN:", &f.txtKontonummer},
        {u"Gläubiger ID:", &f.txtGlaubigerID}, {u"Referenznummer:", &f.txtReferenznummer}};
    const QStringList lowerNames{u"txtTelefon"_qs,      u"txtTelefax"_qs,     u"txtEmail"_qs,
                                 u"txtBank"_qs,         u"txtBankleitzahl"_qs, u"txtKontonummer"_qs,
                                 u"txtGlaubigerID"_qs, u"txtReferenznummer"_qs};
    for (int i = 0; i < lowerNames.size(); ++i) {
        QLineEdit *box = v.lineEdit(lowerNames[i], *lower[i].second);
        cf->addRow(QString::fromUtf16(lower[i].first), box);
    }
    auto *purpose = v.textArea(u"txtVerwendungszweck"_qs, f.txtVerwendungszweck);
    purpose->setMaximumHeight(purpose->fontMetrics().height() * 3 + 12);
    // As wide as the boxes above it ask for, not a text area's usual width.
    purpose->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    cf->addRow(u"Verwendungszweck:"_qs, purpose);
    cf->addRow(u"Steuernummer:"_qs, v.lineEdit(u"txtSteuernummer"_qs, f.txtSteuernummer));
    auto *creditorLayout = new QVBoxLayout(creditor);
    creditorLayout->addWidget(personsLabel);
    creditorLayout->addWidget(persons);
    creditorLayout->addLayout(cf);
    creditorLayout->addStretch(1);

    // Widgets are created in reading order (left column, then the right two row by row):
    // that is the tab order.

    // Fees.
    auto *fees = new QGroupBox(u"Beitrag berechnen für:"_qs);
    auto *fg = new QGridLayout(fees);
    // The columns' captions once above them, so the frame fits a small screen.
    fg->addWidget(new QLabel(u"Mind. Beitrag"_qs), 0, 1);
    fg->addWidget(new QLabel(u"MwSt."_qs), 0, 2, 1, 2);
    for (int k = 0; k < kFeeSlots; ++k) {
        fg->addWidget(v.checkBox(indexed(u"chkBeitrag"_qs, k), f.chkBeitrag[k]), k + 1, 0);
        fg->addWidget(narrow(v.lineEdit(u"txtMindestbeitrag"_qs + QString::number(k + 1), f.txtMindestbeitrag[k]), 6),
                      k + 1, 1);
        fg->addWidget(narrow(v.lineEdit(indexed(u"txtMwst"_qs, k), f.txtMwst[k]), 4), k + 1, 2);
        fg->addWidget(new QLabel(u"%"_qs), k + 1, 3);
    }
    fg->setColumnStretch(0, 1);

    // Fixed text of the invoice and its models.
    auto *fixed = new QGroupBox(u"Fixtext für Beitragsrechnung"_qs);
    auto *xl = new QGridLayout(fixed);
    auto *fixtext = v.textArea(u"txtFixtext"_qs, f.txtFixtext);
    // It takes the height the fees beside it need, so the tab fits a laptop screen.
    fixtext->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    xl->addWidget(fixtext, 0, 0, 2, 1);
    xl->addWidget(v.comboBox(u"cmbModell"_qs, f.cmbModell), 0, 1);
    auto *models = button(u"cmdLoadModel"_qs, u"M&odelle"_qs);
    connect(models, &QPushButton::clicked, this, &FrmDTAWindow::cmdLoadModel_Click);
    xl->addWidget(models, 1, 1, Qt::AlignTop);
    xl->setColumnStretch(0, 1);

    // The run's inputs and print options (one frame, two columns).
    auto *run = new QGroupBox;
    auto *rl = new QHBoxLayout(run);
    auto *rf = formLayout();
    rf->addRow(u"Fälligkeitsdatum:"_qs, narrow(v.lineEdit(u"txtFaellDat"_qs, f.txtFaellDat), 10));
    rf->addRow(u"Rechnungsdatum:"_qs, narrow(v.lineEdit(u"txtRechDat"_qs, f.txtRechDat), 10));
    rf->addRow(u"Rechnungs Nr.:"_qs, narrow(v.lineEdit(u"txtRechNr"_qs, f.txtRechNr), 10));
    rf->addRow(u"Wirtschaftsjahr:"_qs, narrow(v.lineEdit(u"txtWirtschaftsjahr"_qs, f.txtWirtschaftsjahr), 10));
    rf->addRow(u"Währung:"_qs, narrow(v.lineEdit(u"txtWaehrung"_qs, f.txtWaehrung), 10));
    auto *format = v.comboBox(u"cmbSEPAFormat"_qs, f.cmbSEPAFormat);
    // Its two entries never change: sized for them already before the window is first
    // shown, so the window opens wide enough for it.
    format->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    rf->addRow(u"SEPA-Format:"_qs, format);
    auto *payment = new QHBoxLayout;
    payment->addWidget(v.option(u"LaoderRe"_qs, 0, f.LaoderRe[0]));
    payment->addWidget(v.option(u"LaoderRe"_qs, 1, f.LaoderRe[1]));
    payment->addStretch(1);
    rf->addRow(payment);
    rf->addRow(v.checkBox(u"chkRechnung"_qs, f.chkRechnung));
    rl->addLayout(rf, 1);
    auto *options = new QVBoxLayout;
    options->addWidget(v.checkBox(u"chkEinzelbuchungen"_qs, f.chkEinzelbuchungen));
    options->addWidget(v.checkBox(u"chkUeberschrift"_qs, f.chkUeberschrift));
    options->addSpacing(6);
    for (int i = 0; i < 3; ++i)
        options->addWidget(v.option(u"Sort"_qs, i, f.Sort[i]));
    options->addSpacing(6);
    options->addWidget(v.wrappedCheckBox(u"chkVerwendungszweck"_qs, f.chkVerwendungszweck));
    options->addWidget(v.checkBox(u"chkKopf"_qs, f.chkKopf));
    options->addWidget(v.checkBox(u"chkBank"_qs, f.chkBank));
    options->addWidget(v.wrappedCheckBox(u"chkERechnung"_qs, f.chkERechnung));
    options->addWidget(v.wrappedCheckBox(u"chkEMail"_qs, f.chkEMail));
    auto *logo = new QHBoxLayout;
    auto *logoCaption = new QLabel(u"Logo:"_qs);
    auto *logoBox = v.lineEdit(u"txtLogo"_qs, f.txtLogo);
    logoCaption->setBuddy(logoBox);
    auto *logoButton = button(u"cmdLogo"_qs, u"..."_qs);
    logoButton->setMaximumWidth(logoButton->fontMetrics().horizontalAdvance(u"....."_qs) + 16);
    connect(logoButton, &QPushButton::clicked, this, &FrmDTAWindow::cmdLogo_Click);
    logo->addWidget(logoCaption);
    logo->addWidget(logoBox, 1);
    logo->addWidget(logoButton);
    options->addLayout(logo);
    options->addStretch(1);
    rl->addLayout(options, 1);

    // Position of sender and address on the invoice.
    auto *position = new QGroupBox(u"Absender und Anschrift positionieren (in Pixel)"_qs);
    auto *pg = new QGridLayout(position);
    const std::pair<const char16_t *, TextBox *> positions[] = {
        {u"Absender von links:", &f.txtAbsenderLinks}, {u"Absender von oben:", &f.txtAbsenderOben},
        {u"Anschrift von links:", &f.txtAnschriftLinks}, {u"Anschrift von oben:", &f.txtAnschriftOben}};
    const QStringList positionNames{u"txtAbsenderLinks"_qs, u"txtAbsenderOben"_qs, u"txtAnschriftLinks"_qs,
                                    u"txtAnschriftOben"_qs};
    for (int i = 0; i < 4; ++i) {
        auto *caption = new QLabel(QString::fromUtf16(positions[i].first));
        auto *box = narrow(v.lineEdit(positionNames[i], *positions[i].second), 6);
        caption->setBuddy(box);
        pg->addWidget(caption, i / 2, (i % 2) * 2, Qt::AlignRight);
        pg->addWidget(box, i / 2, (i % 2) * 2 + 1);
    }

    // Stored runs.
    auto *stored = new QGroupBox(u"gespeicherte Beiträge löschen"_qs);
    auto *sl = new QHBoxLayout(stored);
    // The runs are listed with their day in the German form; the key stays the entry.
    auto *runs = v.comboBox(u"cmbBeitraege"_qs, f.cmbBeitraege, storedRunCaption);
    // Wide enough for a run of one fee type where there is room, narrower on a small
    // screen (the drop-down shows every run whole).
    runs->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    runs->setMinimumContentsLength(12);
    runs->installEventFilter(this);
    auto *remove = button(u"btnBeitraegeLoeschen"_qs, u"Löschen"_qs);
    connect(remove, &QPushButton::clicked, this, &FrmDTAWindow::btnBeitraegeLoeschen_Click);
    sl->addWidget(runs, 1);
    sl->addWidget(remove);

    auto *owners = button(u"btnWB"_qs, u"&Waldbesitzer Selektion"_qs);
    connect(owners, &QPushButton::clicked, this, &FrmDTAWindow::btnWB_Click);
    auto *payments = button(u"btnZahlungen"_qs, u"&Zahlungen …"_qs);
    connect(payments, &QPushButton::clicked, this, [this] {
        if (!m_view->commitPendingEdit())
            return;
        PaymentsDialog dialog(m_form, this);
        dialog.exec();
    });
    // The outbox of an earlier run, sent now or resumed after an interruption.
    auto *mails = button(u"btnEMails"_qs, u"E-Ma&ils …"_qs);
    connect(mails, &QPushButton::clicked, this, [this] {
        if (m_view->commitPendingEdit())
            sendMailsWithProgress(m_form, this);
    });
    // An active selection stays in sight: the next run bills only the chosen owners.
    auto *selection = new QLabel;
    selection->setObjectName(u"lblAuswahl"_qs);
    auto *clearSelection = button(u"btnAuswahlAufheben"_qs, u"Auswahl auf&heben"_qs);
    connect(clearSelection, &QPushButton::clicked, this, [this] {
        if (!m_view->commitPendingEdit())
            return;
        m_view->edit(u"strWBIN"_qs, QString());
    });
    // Always in place, so the window's size does not change with it.
    m_view->onRefresh([this, selection, clearSelection] {
        const QString caption = selectionCaption(m_form.strWBIN);
        selection->setText(caption.isEmpty() ? u"Auswahl: alle Waldbesitzer"_qs : caption);
        QFont font = selection->font();
        font.setBold(!caption.isEmpty());
        selection->setFont(font);
        clearSelection->setEnabled(!caption.isEmpty());
    });
    auto *selectionRow = new QHBoxLayout;
    selectionRow->addStretch(1);
    selectionRow->addWidget(selection);
    selectionRow->addSpacing(12);
    selectionRow->addWidget(clearSelection);
    selectionRow->addWidget(payments);
    selectionRow->addWidget(mails);
    selectionRow->addWidget(owners);

    grid->addWidget(creditor, 0, 0, 3, 1);
    grid->addWidget(fees, 0, 1);
    grid->addWidget(fixed, 0, 2);
    grid->addWidget(run, 1, 1, 1, 2);
    grid->addWidget(position, 2, 1);
    grid->addWidget(stored, 2, 2);
    grid->addLayout(selectionRow, 3, 1, 1, 2);
    grid->setColumnStretch(0, 6);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(2, 4);
    grid->setRowStretch(4, 1);
    return page;
}

} // namespace qvl
