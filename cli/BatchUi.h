#pragma once
// The batch front end's user interface: messages go to stderr as blocks (the title in
// square brackets when there is one, then the text); questions are answered Yes only
// with --yes.

#include "platform/UserInterface.h"

#include <QStringList>

namespace qvl {

class BatchUi final : public UserInterface {
public:
    explicit BatchUi(bool answerYes) : m_answerYes(answerYes) {}

    MsgResult showMessage(const Message &message) override;
    std::optional<QString> inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;
    void openFile(const QString &path) override;
    void setBusy(bool) override {}
    void setProgress(int, int) override {}

private:
    bool m_answerYes;
};

} // namespace qvl
