#pragma once
// A user interface for tests: records every message and answers questions from a script.

#include "check/RunScreens.h"
#include "print/Report.h"
#include "check/RunCheck.h"

#include <QList>
#include <QStringList>

namespace qvl::test {

// What a scripted user sees and answers: every message recorded, questions and input boxes
// answered in order from the lists.
struct ScriptedAnswers {
    QList<Message> messages;
    QList<MsgResult> answers; // taken in order for questions; No when exhausted
    QStringList inputs; // taken in order for input boxes; cancelled when exhausted
    QList<RunCheck> runChecks; // every check before a run shown, in order
    // Taken in order for the checks; when exhausted a run starts unless its check holds an error.
    QList<RunCheckChoice> checkChoices;

    MsgResult answer(const Message &message)
    {
        messages.append(message);
        if (message.buttons == MsgButtons::Ok)
            return MsgResult::Ok;
        return answers.isEmpty() ? MsgResult::No : answers.takeFirst();
    }
    std::optional<QString> input()
    {
        if (inputs.isEmpty())
            return std::nullopt;
        return inputs.takeFirst();
    }
    RunCheckChoice choose(const RunCheck &check)
    {
        runChecks.append(check);
        if (!checkChoices.isEmpty())
            return checkChoices.takeFirst();
        return check.hasErrors() ? RunCheckChoice::Cancel : RunCheckChoice::Start;
    }
    QStringList texts() const
    {
        QStringList out;
        for (const Message &m : messages)
            out.append(m.text);
        return out;
    }
};

class FakeUi final : public UserInterface, public RunScreens, public ScriptedAnswers {
public:
    QStringList openedFiles;
    int busyDepth = 0;
    QList<Report> reports; // every report shown, in order

    MsgResult showMessage(const Message &message) override { return answer(message); }
    std::optional<QString> inputBox(const QString &, const QString &, const QString &) override { return input(); }
    void openFile(const QString &path) override { openedFiles.append(path); }
    void setBusy(bool busy) override { busyDepth += busy ? 1 : -1; }
    void setProgress(int, int) override {}
    bool showReport(const Report &report) override
    {
        reports.append(report);
        return true;
    }
    RunCheckChoice showRunCheck(const RunCheck &check) override { return choose(check); }
};

} // namespace qvl::test
