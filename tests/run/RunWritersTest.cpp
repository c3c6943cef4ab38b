// The writers of a run are handed the run's list: within a run each file is written whole
// under a hidden name and gets its name only when the list names it, and a run that stops
// leaves nothing. And every writer fails the same way: a WriteError naming its file.

#include "support/FileBytes.h"
#include "core/ErrorLog.h"
#include "core/RunError.h"
#include "einvoice/EInvoiceFixture.h"
#include "fibu/FibuExport.h"
#include "files/AnsiTextFile.h"
#include "files/RunOutputs.h"
#include "params/FibuFromForm.h"
#include "params/ListReports.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

QStringList everyFileUnder(const QString &root)
{
    QStringList files;
    const QDir dir(root);
    for (const QFileInfo &info : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot,
                                                   QDir::Name)) {
        if (info.isDir())
            files += everyFileUnder(info.filePath());
        else
            files.append(info.filePath());
    }
    return files;
}

class RunWriters : public ::testing::Test {
protected:
    EInvoiceBench bench;
    Buchungen records;

    void SetUp() override
    {
        FrmDTA &f = *bench.form;
        f.txtRechNr.Text = u"900"_qs;
        // The fees and letters as a run computes them (the e-invoices it wrote go again).
        bench.run({businessOwner(31), businessOwner(32)}, {{0, 10.00, u"19"_qs}}, true, true);
        QDir(root() + u"/E-Rechnungen"_qs).removeRecursively();
        records = bench.records;
        f.strFibu = u"DATEV-FIBU"_qs;
        f.Dir1.Path = root() + u"/fibu"_qs;
        QDir().mkpath(f.Dir1.Path);
    }

    QString root() const { return bench.ws.root(); }
    QString logFile() const { return logFilePath(bench.ws.programDir()); }

    // The writers of a run, each once, handed `outputs` (nullptr: outside a run). Returns
    // the names their files get.
    using Writer = std::function<QStringList(RunOutputs *)>;
    std::vector<std::pair<const char *, Writer>> writers()
    {
        FrmDTA &f = *bench.form;
        return {
            {"CSV list", [&f, this](RunOutputs *outputs) {
                 return QStringList{WriteCSVList(f, readRunInputs(f), outputs, records).file};
             }},
            {"report", [&f, this](RunOutputs *outputs) {
                 const QString pdf = root() + u"/Rechnung.pdf"_qs;
                 PrintRechnungen(f, records).writePdf(pdf, outputs);
                 return QStringList{pdf};
             }},
            {"e-invoices", [&f, this](RunOutputs *outputs) {
                 EInvoiceOutcome outcome;
                 MakeERechnungen(f, readRunInputs(f), outputs, records, PrintRechnungen(f, records), {}, outcome);
                 return outcome.files;
             }},
            {"accounting", [&f, this](RunOutputs *outputs) {
                 fibu::FibuSettings settings = fibuSettings(f, readRunInputs(f));
                 settings.outputs = outputs;
                 QStringList written;
                 ExportFibu(settings, records, written);
                 return written;
             }},
        };
    }
};

} // namespace

TEST_F(RunWriters, WithinARunEveryFileStaysHiddenUntilTheListNamesIt)
{
    const QString csv = QDir::toNativeSeparators(root() + u"/Dtaus0.csv"_qs);
    const QString pdf = root() + u"/Rechnung.pdf"_qs;
    putFile(csv, "alt");
    putFile(pdf, "alt");
    const QStringList before = everyFileUnder(root());

    // A run that stops before its commit: its list goes, and with it every hidden file.
    {
        RunOutputs outputs(u"0123456789ab"_qs, RunOutputs::newRunId());
        for (const auto &[name, write] : writers())
            EXPECT_FALSE(write(&outputs).isEmpty()) << name;
        ASSERT_TRUE(WriteLogLines(&outputs, bench.ws.programDir(), bench.form->clock(), {u"Probe"_qs}));
        EXPECT_EQ(fileBytes(csv), "alt");
        EXPECT_EQ(fileBytes(pdf), "alt");
        EXPECT_FALSE(QFileInfo::exists(logFile()));
    }
    EXPECT_EQ(everyFileUnder(root()), before);

    RunOutputs outputs(u"0123456789ab"_qs, RunOutputs::newRunId());
    QStringList named;
    for (const auto &[name, write] : writers()) {
        const QStringList files = write(&outputs);
        for (const QString &file : files) // new, or the old file as it was
            EXPECT_TRUE(!QFileInfo::exists(file) || fileBytes(file) == "alt")
                << name << ": " << file.toStdString() << " has its name already";
        named += files;
    }
    ASSERT_TRUE(WriteLogLines(&outputs, bench.ws.programDir(), bench.form->clock(), {u"Probe"_qs}));
    ASSERT_EQ(outputs.entries().size(), named.size()); // every file is the list's, none besides
    EXPECT_TRUE(outputs.nameAll().problems.isEmpty());
    for (const QString &file : named)
        EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_TRUE(fileBytes(csv).startsWith("RechnungsNr;"));
    EXPECT_TRUE(fileBytes(pdf).startsWith("%PDF"));
    EXPECT_FALSE(QFileInfo::exists(logFile()));
    ASSERT_TRUE(outputs.writeDeferredLog(nullptr));
    EXPECT_TRUE(fileBytes(logFile()).contains("Probe"));
}

#ifdef Q_OS_UNIX
TEST_F(RunWriters, EachFailsWithAWriteErrorNamingItsFile)
{
    RunOutputs run(u"0123456789ab"_qs, RunOutputs::newRunId());
    for (RunOutputs *outputs : {static_cast<RunOutputs *>(nullptr), &run}) {
        SCOPED_TRACE(outputs ? "within a run" : "outside a run");
        const QStringList before = everyFileUnder(root());
        for (const auto &[name, write] : writers()) {
            SCOPED_TRACE(name);
            const FileSizeLimit full(64);
            ASSERT_TRUE(full.active());
            try {
                write(outputs);
                ADD_FAILURE() << "written on a full disk";
            } catch (const WriteError &e) {
                EXPECT_TRUE(QFileInfo(e.file()).absoluteFilePath().startsWith(QFileInfo(root()).absoluteFilePath()))
                    << e.file().toStdString();
                EXPECT_TRUE(e.message().contains(QFileInfo(e.file()).fileName())) << e.message().toStdString();
            }
        }
        if (outputs)
            outputs->discard();
        EXPECT_EQ(everyFileUnder(root()), before) << everyFileUnder(root()).join(u' ').toStdString();
    }
}
#endif
