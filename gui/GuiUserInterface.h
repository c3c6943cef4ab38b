#pragma once
// The user interface of the desktop program: Qt's message and input boxes (with the German
// standard buttons of the installed translation), the desktop's program for opening files,
// the wait cursor and the main form's progress bar.

#include "check/RunScreens.h"

#include <QList>
#include <QPointer>
#include <QProgressBar>
#include <QThread>
#include <QWidget>

namespace qvl {

class GuiUserInterface : public UserInterface, public RunScreens {
public:
    GuiUserInterface() = default;
    // Waits for work whose wait was cancelled: it ends with its own time-out.
    ~GuiUserInterface() override;
    GuiUserInterface(const GuiUserInterface &) = delete;
    GuiUserInterface &operator=(const GuiUserInterface &) = delete;

    // The window the boxes belong to, and the bar that shows a run's progress.
    void setWindow(QWidget *window) { m_window = window; }
    void setProgressBar(QProgressBar *bar) { m_bar = bar; }

    MsgResult showMessage(const Message &message) override;
    std::optional<QString> inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;
    void openFile(const QString &path) override;
    void setBusy(bool busy) override;
    void setProgress(int value, int maximum) override;
    // The print preview of the report, from which the user prints or saves a PDF file.
    bool showReport(const Report &report) override;
    // The check before a run in its dialog, over the main window.
    RunCheckChoice showRunCheck(const RunCheck &check) override;
    bool canCancelWaiting() const override { return true; }
    // A busy window with "Abbrechen" over the main window (or alone while it is not shown).
    bool waitCancellable(const QString &text, const std::function<void()> &work) override;

private:
    QPointer<QWidget> m_window;
    QPointer<QProgressBar> m_bar;
    int m_busyDepth = 0;
    int m_shownPercent = -1;
    QList<QThread *> m_abandoned;

    QWidget *shownWindow() const;
};

} // namespace qvl
