#include "gui/FrmDTAWindow.h"
#include "gui/HelpWindow.h"

#include "app/FrmDTA.h"
#include "app/InputRules.h"
#include "app/Startup.h"
#include "gui/FormFieldLayout.h"
#include "gui/FormTabWidget.h"
#include "gui/FormView.h"
#include "gui/GuiUserInterface.h"
#include "gui/MailSendDialog.h"
#include "gui/ModelDialog.h"
#include "gui/OwnerDialog.h"
#include "gui/RunSummaryBox.h"
#include "gui/SettingsDialog.h"
#include "os/Paths.h"
#include "run/RunDriver.h"
#include "run/RunSummary.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qvl {

using namespace formfields;

namespace {

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
    // The page's boxes take the focus: the area would be a Tab stop nobody sees.
    area->setFocusPolicy(Qt::NoFocus);
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

    // The settings that have no box on the form, apart from the run's buttons.
    auto *settings = button(u"cmdEinstellungen"_qs, u"Einstellun&gen …"_qs);
    connect(settings, &QPushButton::clicked, this, [this] {
        if (!m_view->commitPendingEdit())
            return;
        SettingsDialog dialog(m_form, this);
        dialog.exec();
        m_view->refresh();
    });

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(settings);
    bottom->addSpacing(12);
    bottom->addWidget(m_progress, 1);
    bottom->addSpacing(12);
    bottom->addWidget(start);
    bottom->addWidget(quit);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(bottom);
    // F1 opens the section of the tab in front.
    addHelpMenu(this, bottom, ui, [this] {
        static const QStringList tabTopics{u"registerkarte-allgemein"_qs, u"registerkarte-fibu"_qs,
                                           u"registerkarte-berechnungsbasis"_qs};
        return tabTopics.value(m_tabs->currentIndex(), u"das-hauptfenster"_qs);
    });

    m_view->onRefresh([this] { setWindowTitle(m_form.Caption); });
    m_view->refresh();
    // The focus is visible from the start: in the first box of the first page.
    if (auto *first = findChild<QWidget *>(u"lbPersons"_qs))
        first->setFocus(Qt::OtherFocusReason);
}

FrmDTAWindow::~FrmDTAWindow() = default;

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
