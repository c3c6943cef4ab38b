#pragma once
// The batch front end's user interface: messages go to stderr as blocks (the title in
// square brackets when there is one, then the text); questions are answered Yes only
// with --yes. Reports are written into the reports folder as PDF, with their row table
// as CSV beside them.

#include "check/RunScreens.h"

#include <QHash>
#include <QStringList>

namespace qvl {

class BatchUi final : public UserInterface, public RunScreens {
public:
    explicit BatchUi(bool answerYes) : m_answerYes(answerYes) {}

    MsgResult showMessage(const Message &message) override;
    std::optional<QString> inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;
    void openFile(const QString &path) override;
    void setBusy(bool) override {}
    void setProgress(int, int) override {}
    bool showReport(const Report &report) override;
    void writeReport(const Report &report, RunOutputs &run) override;
    // The findings on stderr (ten owners each); the run starts unless one is an error.
    RunCheckChoice showRunCheck(const RunCheck &check) override;

    QString reportsFolder() const override { return m_reportsDir; }
    void setReportsDir(const QString &dir) { m_reportsDir = dir; }
    // The files showReport wrote, in order.
    const QStringList &writtenFiles() const { return m_written; }

private:
    // The report's PDF and CSV; within a run (`run` given) kept to be listed by showReport.
    QStringList writeReportFiles(const Report &report, RunOutputs *run);

    bool m_answerYes;
    QString m_reportsDir;
    QStringList m_written;
    QHash<QString, QStringList> m_madeInRun; // per report: its files, named with the run
};

} // namespace qvl
