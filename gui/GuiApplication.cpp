#include "gui/GuiApplication.h"

#include "app/FrmDTA.h"
#include "platform/InternalError.h"

#include <QMessageBox>
#include <cstdio>

namespace qvl {

namespace {

std::function<void(const QString &)> &internalErrorHandler()
{
    static std::function<void(const QString &)> handler;
    return handler;
}

} // namespace

GuiApplication::GuiApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool GuiApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        tellInternalError();
        return false;
    }
}

void GuiApplication::setInternalErrorHandler(std::function<void(const QString &)> handler)
{
    internalErrorHandler() = std::move(handler);
}

void GuiApplication::tellInternalError()
{
    const QString text = internalErrorText(std::current_exception());
    std::fputs((text + u'\n').toUtf8().constData(), stderr);
    if (internalErrorHandler()) {
        internalErrorHandler()(text);
        return;
    }
    // Whatever failed may have left a busy pointer on.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    QMessageBox::critical(QApplication::activeWindow(), kProgramCaption,
                          text + u"\n\nDie letzte Aktion wurde nicht zu Ende geführt."_qs);
}

} // namespace qvl
