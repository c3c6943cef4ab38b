#include "gui/FrmDTAWindow.h"

#include "app/FrmDTA.h"
#include "app/InputRules.h"
#include "app/Startup.h"
#include "gui/FormTabWidget.h"
#include "gui/FormView.h"
#include "gui/GuiUserInterface.h"
#include "gui/MailSendDialog.h"
#include "gui/ModelDialog.h"
#include "gui/OwnerDialog.h"
#include "gui/PaymentsDialog.h"
#include "gui/RunSummaryBox.h"
#include "platform/Paths.h"
#include "run/RunDriver.h"
#include "run/RunSummary.h"
#include "select/OwnerSelection.h"
#include "sepa/StoredRunCaption.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSettings>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qvl {

namespace {

QString indexed(const QString &name, int i)
{
    return name + u'(' + QString::number(i) + u')';
}

QPushButton *button(const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption);
    b->setObjectName(name);
    // Clicking a button leaves a formatted box through the button's own check, so the
    // box's message never interrupts a half-done click.
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

QFormLayout *formLayout()
{
    auto *f = new QFormLayout;
    f->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    f->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    return f;
}

// A field of numbers sized for its content, not stretched across the column.
template <typename W>
W *narrow(W *w, int characters)
{
    w->setFixedWidth(w->fontMetrics().horizontalAdvance(QString(characters, u'0')) + 16);
    return w;
}

// A tab's page scrolls instead of cutting off its content on a small screen, but asks for
// the room its page needs, so the window opens large enough to need no scroll bar.
class PageArea : public QScrollArea {
public:
    QSize sizeHint() const override
    {
        const int frame = 2 * frameWidth();
        return widget() ? widget()->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
    }
};

QWidget *scrolled(QWidget *page)
{
    auto *area = new PageArea;
    area->setWidget(page);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

} // namespace

FrmDTAWindow::FrmDTAWindow(FrmDTA &form, GuiUserInterface &ui, QWidget *parent)
    : QWidget(parent)
    , m_form(form)
    , m_view(new FormView(form, this))
{
    setObjectName(u"frmDTA"_qs);
    ui.setWindow(this);

    // A page change first leaves the box being typed in; a refused box keeps its page.
    m_tabs = new FormTabWidget([this] { return m_view->commitPendingEdit(); });
    m_tabs->setObjectName(u"SSTab1"_qs);
    m_tabs->addTab(scrolled(buildGeneralTab()), form.SSTab1.TabCaption.value(0));
    m_tabs->addTab(scrolled(buildAccountingTab()), form.SSTab1.TabCaption.value(1));
    m_tabs->addTab(scrolled(buildBasisTab()), form.SSTab1.TabCaption.value(2));
    m_view->tabs(m_tabs, form.SSTab1);

    m_progress = new QProgressBar;
    m_progress->setObjectName(u"pgBar"_qs);
    m_progress->setTextVisible(false);
    m_progress->setMaximum(1);
    m_progress->setValue(0);
    ui.setProgressBar(m_progress);

    auto *start = button(u"cmdStart"_qs, u"&Starte SEPA"_qs);
    auto *quit = button(u"cmdBeenden"_qs, u"&Beenden"_qs);
    start->setDefault(false);
    connect(start, &QPushButton::clicked, this, &FrmDTAWindow::cmdStart_Click);
    connect(quit, &QPushButton::clicked, this, &QWidget::close);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_progress, 1);
    bottom->addSpacing(12);
    bottom->addWidget(start);
    bottom->addWidget(quit);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(bottom);

    m_view->onRefresh([this] { setWindowTitle(m_form.Caption); });
    m_view->refresh();
}

FrmDTAWindow::~FrmDTAWindow() = default;

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
    for (int i = 0; i < lowerNames.size(); ++i)
        cf->addRow(QString::fromUtf16(lower[i].first), v.lineEdit(lowerNames[i], *lower[i].second));
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

void FrmDTAWindow::activate()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void FrmDTAWindow::cmdStart_Click()
{
    if (!m_view->commitAll())
        return;
    const RunReport report = qvl::cmdStart_Click(m_form);
    if (report.ownTablesMissing)
        offerOwnTables(m_form);
    m_view->refresh();
    if (const std::optional<RunSummary> summary = summarizeRun(report)) {
        // The last run's summary stays beside the form until the next run replaces it.
        delete m_summary;
        m_summary = new RunSummaryBox(*summary, this, [this] { sendMailsWithProgress(m_form, m_summary); });
        m_summary->show();
    }
    // Ctrl-C or SIGTERM came during the run: the program ends as it would have, now that
    // the run is done or undone.
    if (report.signal)
        close();
}

void FrmDTAWindow::cmdLogo_Click()
{
    if (!m_view->commitPendingEdit())
        return;
    QFileDialog dialog(this, u"Logo"_qs, nativePath(m_form.txtLogo.Text));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(qtFileFilters(kLogoFilter));
    dialog.setOption(QFileDialog::ReadOnly, false);
    // Cancelling removes a logo chosen before.
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    m_view->edit(u"txtLogo"_qs, chosen ? QDir::toNativeSeparators(dialog.selectedFiles().first()) : QString());
}

void FrmDTAWindow::chooseAccountingFolder()
{
    if (!m_view->commitPendingEdit())
        return;
    const QString folder = QFileDialog::getExistingDirectory(this, u"Zielverzeichnis der Übergabedateien"_qs,
                                                             nativePath(m_form.Dir1.Path));
    if (!folder.isEmpty())
        m_view->edit(u"Dir1"_qs, QDir::toNativeSeparators(folder));
}

void FrmDTAWindow::btnWB_Click()
{
    if (!m_view->commitPendingEdit())
        return;
    OwnerDialog::choose(m_form, this);
    m_view->refresh();
}

void FrmDTAWindow::cmdLoadModel_Click()
{
    if (!m_view->commitPendingEdit())
        return;
    ModelDialog dialog(m_form, this);
    dialog.exec();
    m_view->refresh();
}

void FrmDTAWindow::btnBeitraegeLoeschen_Click()
{
    if (!m_view->commitPendingEdit())
        return;
    m_form.btnBeitraegeLoeschen_Click();
    m_form.cmbBeitraege_GotFocus();
    m_view->refresh();
}

bool FrmDTAWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The stored runs are read again whenever their list receives the focus.
    if (event->type() == QEvent::FocusIn && watched->objectName() == u"cmbBeitraege"_qs) {
        m_form.cmbBeitraege_GotFocus();
        m_view->refresh();
    }
    return QWidget::eventFilter(watched, event);
}

void FrmDTAWindow::closeEvent(QCloseEvent *event)
{
    // The box being typed in counts as typed, as it does for the run; a value the form
    // refuses is neither kept nor saved: the window stays open with the focus in its box.
    if (!m_unloaded && !m_view->commitAll()) {
        event->ignore();
        return;
    }
    QSettings().setValue(kGeometryKey, saveGeometry());
    if (m_summary)
        m_summary->close();
    if (!m_unloaded) {
        m_unloaded = true;
        Form_Unload(m_form);
    }
    event->accept();
}

} // namespace qvl
