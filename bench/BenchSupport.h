#pragma once
// What the benchmarks share: a user interface that only prints messages, and a program
// folder with a demo database, the suite's INI file and a settings file.

#include "app/FrmDTA.h"
#include "check/RunScreens.h"
#include "commands/ProgramStart.h"
#include "cli/DemoDatabase.h"
#include "files/AnsiTextFile.h"
#include "print/Report.h"
#include "core/RunError.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace qvl::bench {

class SilentUi final : public UserInterface, public RunScreens {
public:
    MsgResult showMessage(const Message &m) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(m.text));
        return MsgResult::No;
    }
    std::optional<QString> inputBox(const QString &, const QString &, const QString &) override { return {}; }
    void openFile(const QString &) override {}
    void setBusy(bool) override {}
    void setProgress(int, int) override {}
    bool showReport(const Report &) override { return true; }
    RunCheckChoice showRunCheck(const RunCheck &) override { return RunCheckChoice::Start; }
    // Set: a run's reports are written there as PDF, as the batch program writes them.
    QString reportsDir;
    void writeReport(const Report &report, RunOutputs &run) override
    {
        if (!reportsDir.isEmpty())
            report.writePdf(QDir(reportsDir).filePath(report.name() + u".pdf"_qs), &run);
    }
};

// A started program on a fresh demo database of `owners` owners.
struct BenchProgram {
    QTemporaryDir dir;
    SilentUi ui;
    SystemClock clock;
    std::unique_ptr<FrmDTA> form;
    qint64 demoMilliseconds = 0;

    BenchProgram(int owners, const QStringList &settings)
    {
        QDir(dir.path()).mkdir(QStringLiteral("program"));
        QElapsedTimer t;
        t.start();
        QString error;
        if (!createDemoDatabase(dir.filePath(QStringLiteral("suite.sqlite")), {owners, 1}, &error))
            std::fprintf(stderr, "%s\n", qPrintable(error));
        demoMilliseconds = t.elapsed();
        appendAnsiLines(dir.filePath(QStringLiteral("quarvel.Ini")),
                        {QStringLiteral("SQLServer=SQLite"), QStringLiteral("DatabaseName=suite.sqlite")});
        appendAnsiLines(dir.filePath(QStringLiteral("program/QVL32-SEPA-Beitragseinzug.ini")), settings);
        AppContext context;
        context.programDir = dir.filePath(QStringLiteral("program"));
        context.ui = &ui;
        context.clock = &clock;
        form = std::make_unique<FrmDTA>(context);
        if (Form_Load(*form, {}) != StartupResult::Ready)
            form.reset();
    }
    ~BenchProgram()
    {
        if (form)
            Form_Unload(*form);
    }
};

// A report's PDF outside a run; a failure is printed, the benchmark goes on.
inline void writePdf(const Report &report, const QString &path)
{
    try {
        report.writePdf(path, nullptr);
    } catch (const WriteError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
    }
}

inline double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// CPU seconds used so far by the whole process (all threads) or by the calling thread.
inline double cpuSeconds(int who = RUSAGE_SELF)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace qvl::bench
