#pragma once
// Everything the program shows to the user goes through this interface: the GUI shows
// Qt dialogs, the batch front end writes to stderr and answers from its options, the
// tests record what was shown. What a run shows besides (its reports, the check before
// it) a front end adds with check/RunScreens.

#include <QString>
#include <functional>
#include <optional>

namespace qvl {


enum class MsgIcon { None, Information, Exclamation, Critical, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

struct Message {
    QString text;
    QString title; // empty: the program's default title, printed without brackets
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
};

class UserInterface {
public:
    virtual ~UserInterface() = default;

    virtual MsgResult showMessage(const Message &message) = 0;
    // An input box; std::nullopt when the user cancels.
    virtual std::optional<QString> inputBox(const QString &prompt, const QString &title,
                                            const QString &defaultText) = 0;
    // Opens a file with the desktop's default program (the log file, for example).
    virtual void openFile(const QString &path) = 0;
    // The hourglass pointer during long work.
    virtual void setBusy(bool busy) = 0;
    // Progress of a long step; maximum 0 hides the bar.
    virtual void setProgress(int value, int maximum) = 0;
    // Whether waitCancellable shows a window the user can cancel the wait in.
    virtual bool canCancelWaiting() const { return false; }
    // Runs work on another thread while a busy window shows text with "Abbrechen". False
    // when the user cancelled: the work then ends by itself, unseen, so it must own what it
    // uses. Without such a window the work runs here.
    virtual bool waitCancellable(const QString &text, const std::function<void()> &work)
    {
        Q_UNUSED(text);
        work();
        return true;
    }

    // Conveniences for the common message kinds.
    void message(const QString &text, const QString &title = {}, MsgIcon icon = MsgIcon::None)
    {
        showMessage({text, title, icon, MsgButtons::Ok});
    }
    bool askYesNo(const QString &text, const QString &title = {}, MsgIcon icon = MsgIcon::Question)
    {
        return showMessage({text, title, icon, MsgButtons::YesNo}) == MsgResult::Yes;
    }
};

// Restores the normal pointer however a block is left.
class BusyPointer {
public:
    explicit BusyPointer(UserInterface &ui) : m_ui(ui) { m_ui.setBusy(true); }
    ~BusyPointer() { m_ui.setBusy(false); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;

private:
    UserInterface &m_ui;
};

} // namespace qvl
