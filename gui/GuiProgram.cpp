#include "gui/GuiProgram.h"

#include "gui/FormView.h"
#include "gui/ScreenFit.h"
#include "os/Paths.h"
#include "os/SingleInstance.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStyle>

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
    m_restorePlacement = start.restorePlacement;
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
    // Qt's own record of the geometry also puts a window saved on a screen that is gone
    // back onto a visible one.
    const QByteArray saved = QSettings().value(FrmDTAWindow::kGeometryKey).toByteArray();
    if (m_restorePlacement && !saved.isEmpty() && m_window->restoreGeometry(saved)) {
        m_window->show();
        return;
    }
    const QScreen *screen = m_window->screen();
    const QRect room = screen ? screen->availableGeometry() : QRect(QPoint(), m_window->sizeHint());
    const QSize fits = screenRoom(m_window.get());
    const QSize frame = room.size() - fits;
    const auto place = [&](QSize size) {
        QRect placed(QPoint(), size + frame);
        placed.moveCenter(room.center());
        m_window->resize(size);
        m_window->move(placed.topLeft());
    };
    QSize wanted = m_window->sizeHint();
    if (wanted.width() > fits.width() || wanted.height() > fits.height()) {
        m_window->showMaximized();
        return;
    }
    place(wanted);
    m_window->show();
    // Some layouts know their final size only once their widgets are shown; the window
    // follows before it is first painted.
    wanted = m_window->sizeHint();
    if (wanted.width() > fits.width() || wanted.height() > fits.height())
        m_window->showMaximized();
    else if (wanted.width() > m_window->width() || wanted.height() > m_window->height())
        place(wanted.expandedTo(m_window->size()));
}

} // namespace qvl
