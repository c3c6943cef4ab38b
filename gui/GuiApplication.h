#pragma once
// The desktop program's application: an exception that reaches Qt's event loop (a slot, an
// event handler, a thread's failure thrown on by the one that waited for it) is told as
// "Interner Fehler" and the program goes on; Qt would otherwise end it without a word. A run
// never gets here: its guard tells its failures after the run's clean-up.
// Return and Enter press the push button that has the focus, in the main window as in
// every dialog, as the Windows programs clerks know do (Qt leaves that to Space).

#include <QApplication>
#include <QString>
#include <functional>

namespace qvl {

class GuiApplication : public QApplication {
public:
    GuiApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // Whether `event` is Return or Enter for a focused, enabled push button, which it then
    // presses.
    static bool pressFocusedButton(QObject *receiver, QEvent *event);

    // How an exception that reached the event loop is told; unset: a message box.
    static void setInternalErrorHandler(std::function<void(const QString &text)> handler);
    // Tells the exception being handled as "Interner Fehler".
    static void tellInternalError();
};

} // namespace qvl
