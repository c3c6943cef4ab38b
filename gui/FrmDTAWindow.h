#pragma once
// The main form "frmDTA": every input of a fee run on three tabs, the start and close
// buttons, the progress bar. A view of the core's FrmDTA; its buttons call the form's
// operations, and closing it writes the settings back.

#include <QPointer>
#include <QWidget>

class QProgressBar;
class QTabWidget;

namespace qvl {

class FormView;
class FrmDTA;
class GuiUserInterface;
class RunSummaryBox;

class FrmDTAWindow : public QWidget {
    Q_OBJECT
public:
    // ui: the form's user interface; its boxes belong to this window and its progress is
    // shown in pgBar.
    FrmDTAWindow(FrmDTA &form, GuiUserInterface &ui, QWidget *parent = nullptr);
    ~FrmDTAWindow() override;

    // Where the window's size, position and maximised state are kept between starts (in
    // the user's settings, not in the program's settings file).
    static inline const QString kGeometryKey = QStringLiteral("Hauptfenster/Geometrie");

    FrmDTA &form() { return m_form; }
    FormView &view() { return *m_view; }
    // Brings the window to the front (a second start of the program asks for it).
    void activate();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildGeneralTab();
    QWidget *buildAccountingTab();
    QWidget *buildBasisTab();

    void cmdStart_Click();
    void cmdLogo_Click();
    void chooseAccountingFolder();
    void btnWB_Click();
    void cmdLoadModel_Click();
    void btnBeitraegeLoeschen_Click();

    FrmDTA &m_form;
    FormView *m_view;
    QTabWidget *m_tabs = nullptr;
    QProgressBar *m_progress = nullptr;
    QPointer<RunSummaryBox> m_summary;
    bool m_unloaded = false;
};

} // namespace qvl
