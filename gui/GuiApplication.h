#pragma once
// The desktop program's application: an exception that reaches Qt's event loop (a slot, an
// event handler, a thread's failure thrown on by the one that waited for it) is told as
// "Interner Fehler" and the program goes on; Qt would otherwise end it without a word. A run
// never gets here: its guard tells its failures after the run's clean-up.

#include <QApplication>
#include <QString>
#include <functional>

namespace qvl {

class GuiApplication : public QApplication {
public:
    GuiApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // How an exception that reached the event loop is told; unset: a message box.
    static void setInternalErrorHandler(std::function<void(const QString &text)> handler);
    // Tells the exception being handled as "Interner Fehler".
    static void tellInternalError();
};

} // namespace qvl
