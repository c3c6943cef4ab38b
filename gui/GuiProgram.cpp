#include "gui/GuiProgram.h"

#include "gui/FormView.h"
#include "platform/Paths.h"
#include "platform/SingleInstance.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>

namespace qvl {

GuiProgram::GuiProgram() = default;

GuiProgram::~GuiProgram()
{
    // The window refers to the form, the form to the guard.
    m_window.reset();
    m_form.reset();
}

StartupResult GuiProgram::start(const GuiStart &start)
{
    AppContext context;
    context.programDir = QDir(nativePath(start.programDir)).absolutePath();
    context.ui = &m_ui;
    context.clock = &m_clock;
    context.dbOptions.odbcDriver = start.odbcDriver;
    if (start.singleInstance) {
        // One instance per user: the key names the user.
        QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
        m_instance = std::make_unique<SingleInstance>(u"qvl32-sepa-"_qs + user);
        context.instance = m_instance.get();
    }
    m_form = std::make_unique<FrmDTA>(context);
    m_window = std::make_unique<FrmDTAWindow>(*m_form, m_ui);
    if (m_instance)
        QObject::connect(m_instance.get(), &SingleInstance::activationRequested, m_window.get(),
                         &FrmDTAWindow::activate);
    const StartupResult result = Form_Load(*m_form, start.commandLine);
    m_window->view().refresh();
    return result;
}

void GuiProgram::show()
{
    const QSize wanted = m_window->sizeHint();
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableSize() : wanted;
    if (wanted.width() > room.width() || wanted.height() > room.height()) {
        m_window->showMaximized();
    } else {
        m_window->resize(wanted);
        m_window->show();
    }
}

} // namespace qvl
