#include "gui/GuiUserInterface.h"
#include "gui/HelpWindow.h"
#include "app/Handbook.h"

#include "app/FrmDTA.h"
#include "gui/ReportPreview.h"
#include "gui/RunCheckDialog.h"
#include "base/InternalError.h"
#include "os/Paths.h"

#include <QApplication>
#include <QDesktopServices>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressBar>
#include <QProgressDialog>
#include <QUrl>

#include <memory>

namespace qvl {

GuiUserInterface::~GuiUserInterface()
{
    for (QThread *thread : std::as_const(m_abandoned)) {
        thread->wait();
        delete thread;
    }
}

// A box belongs to the main window only once that is shown: over a window not yet shown
// it would be placed where that window would be, half off the screen.
QWidget *GuiUserInterface::shownWindow() const
{
    return m_window && m_window->isVisible() ? m_window.data() : nullptr;
}

bool GuiUserInterface::waitCancellable(const QString &text, const std::function<void()> &work)
{
    // What ends the work by an exception is thrown here once it has ended; the work of a
    // cancelled wait has no one left to tell it.
    auto failure = std::make_shared<ThreadFailure>();
    QThread *thread = QThread::create([work, failure] { failure->guard(work); });
    QProgressDialog dialog(text, u"Abbrechen"_qs, 0, 0, shownWindow());
    installHelpKey(&dialog, u"anmeldung-am-sql-server"_qs);
    dialog.setWindowTitle(kProgramCaption);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumDuration(0);
    QObject::connect(thread, &QThread::finished, &dialog, &QDialog::accept);
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, &QDialog::reject);
    thread->start();
    const bool busy = m_busyDepth > 0;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    dialog.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    if (thread->isFinished()) {
        thread->wait();
        delete thread;
        failure->rethrow();
        return true;
    }
    m_abandoned.append(thread);
    return false;
}

MsgResult GuiUserInterface::showMessage(const Message &m)
{
    QMessageBox box(shownWindow());
    // F1 opens the section of "Wenn etwas schiefgeht" that explains this message.
    installHelpKey(&box, Handbook::builtIn().topicQuoting(m.text));
    box.setWindowTitle(m.title.isEmpty() ? kProgramCaption : m.title);
    box.setText(QString(m.text).replace(u"\r\n"_qs, u"\n"_qs).replace(u'\r', u'\n'));
    switch (m.icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    // A question's default and its Escape are the safe answer: a question here leads to a
    // bank file, a stored fee or a deletion, and Return must never say yes to it by itself.
    // Return on a focused button presses that button.
    QMessageBox::StandardButton safe = QMessageBox::Ok;
    switch (m.buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        safe = QMessageBox::Cancel;
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        safe = QMessageBox::No;
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        safe = QMessageBox::Cancel;
        break;
    }
    box.setDefaultButton(safe);
    box.setEscapeButton(safe);
    // A question shown while the wait cursor is on must still be answerable.
    const bool busy = m_busyDepth > 0;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    switch (answer) {
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Cancel: return MsgResult::Cancel;
    default: break;
    }
    // Closing a question with the window's close box is no "Yes".
    if (m.buttons == MsgButtons::YesNo)
        return MsgResult::No;
    return m.buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel;
}

std::optional<QString> GuiUserInterface::inputBox(const QString &prompt, const QString &title,
                                                  const QString &defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(m_window, title.isEmpty() ? kProgramCaption : title, prompt,
                                               QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

RunCheckChoice GuiUserInterface::showRunCheck(const RunCheck &check)
{
    RunCheckDialog dialog(check, m_window);
    dialog.exec();
    return dialog.choice();
}

void GuiUserInterface::openFile(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(nativePath(path)));
}

void GuiUserInterface::setBusy(bool busy)
{
    if (busy) {
        if (m_busyDepth++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busyDepth > 0 && --m_busyDepth == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void GuiUserInterface::setProgress(int value, int maximum)
{
    if (!m_bar)
        return;
    if (maximum <= 0) {
        m_bar->setMaximum(1);
        m_bar->setValue(0);
        m_shownPercent = -1;
        m_bar->repaint();
        return;
    }
    // The run works on this thread, so the bar is painted right away; at most once per
    // percent, so a big run is not slowed down by painting.
    const int percent = int(qint64(value) * 100 / maximum);
    if (percent == m_shownPercent && m_bar->maximum() == maximum)
        return;
    m_shownPercent = percent;
    m_bar->setMaximum(maximum);
    m_bar->setValue(std::clamp(value, 0, maximum));
    m_bar->repaint();
}

bool GuiUserInterface::showReport(const Report &report)
{
    // The preview is used while the run waits: the normal pointer, as for a message.
    const bool busy = m_busyDepth > 0;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool shown = showReportPreview(report, *this, m_window);
    if (busy)
        QApplication::restoreOverrideCursor();
    return shown;
}

} // namespace qvl
