#pragma once
// A user interface for tests: records every message and answers questions from a script.

#include "platform/UserInterface.h"
#include "print/Report.h"

#include <QList>
#include <QStringList>

namespace qvl::test {

class FakeUi final : public UserInterface {
public:
    QList<Message> messages;
    QList<MsgResult> answers; // taken in order for questions; No when exhausted
    QStringList inputs; // taken in order for input boxes; cancelled when exhausted
    QStringList openedFiles;
    int busyDepth = 0;
    QList<Report> reports; // every report shown, in order

    MsgResult showMessage(const Message &message) override
    {
        messages.append(message);
        if (message.buttons == MsgButtons::Ok)
            return MsgResult::Ok;
        return answers.isEmpty() ? MsgResult::No : answers.takeFirst();
    }
    std::optional<QString> inputBox(const QString &, const QString &, const QString &) override
    {
        if (inputs.isEmpty())
            return std::nullopt;
        return inputs.takeFirst();
    }
    void openFile(const QString &path) override { openedFiles.append(path); }
    void setBusy(bool busy) override { busyDepth += busy ? 1 : -1; }
    void setProgress(int, int) override {}
    bool showReport(const Report &report) override
    {
        reports.append(report);
        return true;
    }

    QStringList texts() const
    {
        QStringList out;
        for (const Message &m : messages)
            out.append(m.text);
        return out;
    }
};

} // namespace qvl::test
