#include "gui/GuiApplication.h"

#include "app/FrmDTA.h"
#include "base/InternalError.h"

#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
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

bool GuiApplication::pressFocusedButton(QObject *receiver, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    auto *button = qobject_cast<QPushButton *>(receiver);
    if (!button || !button->hasFocus() || !button->isEnabled() || !button->isVisible())
        return false;
    // A held key presses once: a second run or deletion needs a second press.
    if (!key->isAutoRepeat())
        button->click();
    return true;
}

bool GuiApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        if (pressFocusedButton(receiver, event))
            return true;
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
