// Times the phases of a fee run on a demo database: creating the database, the member
// query, the fee calculation and the transliteration; reports the peak memory.
// Usage: qvl32-bench-run [OWNERS]   (default 100000)
#include "app/FrmDTA.h"
#include "app/Startup.h"
#include "cli/DemoDatabase.h"
#include "platform/AnsiTextFile.h"
#include "run/FeeCalculation.h"
#include "run/MemberQuery.h"
#include "sepa/RecordTransliteration.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

using namespace qvl;

namespace {

class SilentUi final : public UserInterface {
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
};

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int owners = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(u"program"_qs);
    const QString db = dir.filePath(u"suite.sqlite"_qs);

    QElapsedTimer t;
    t.start();
    QString error;
    if (!createDemoDatabase(db, {owners, 1}, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const qint64 demoMs = t.elapsed();

    appendAnsiLines(dir.filePath(u"quarvel.Ini"_qs), {u"SQLServer=SQLite"_qs, u"DatabaseName=suite.sqlite"_qs});
    appendAnsiLines(dir.filePath(u"program/QVL32-SEPA-Beitragseinzug.ini"_qs),
                    {u"ExportPfad="_qs + dir.path() + u'/', u"FBGVersion=Falsch"_qs, u"BERECHNUNG=QVL"_qs,
                     u"RundeBeitrag1=Wahr"_qs, u"Verwendungszweck=Jahresbeitrag 2026"_qs});
    SilentUi ui;
    SystemClock clock;
    AppContext context;
    context.programDir = dir.filePath(u"program"_qs);
    context.ui = &ui;
    context.clock = &clock;
    FrmDTA form(context);
    if (Form_Load(form, {}) != StartupResult::Ready)
        return 1;
    for (int k = 0; k < kFeeSlots; ++k) {
        form.chkBeitrag[k].Value = 1;
        form.txtMwst[k].Text = k == 1 ? u"19"_qs : QString();
    }
    form.txtMindestbeitrag[0].Text = u"15"_qs;

    Buchungen records;
    t.restart();
    RunMemberQuery(form, records);
    const qint64 queryMs = t.elapsed();
    const size_t read = records.size();
    t.restart();
    CalcBeitraege(form, records, form.bRundeBeitrag);
    const qint64 calcMs = t.elapsed();
    t.restart();
    ReplaceUmlaute(records);
    const qint64 translitMs = t.elapsed();

    std::printf("owners in database      %d\n", owners);
    std::printf("demo database created   %lld ms\n", static_cast<long long>(demoMs));
    std::printf("member query            %lld ms (%zu records)\n", static_cast<long long>(queryMs), read);
    std::printf("fee calculation         %lld ms (%zu records kept)\n", static_cast<long long>(calcMs), records.size());
    std::printf("transliteration         %lld ms\n", static_cast<long long>(translitMs));
    std::printf("query+calc+translit     %lld ms\n", static_cast<long long>(queryMs + calcMs + translitMs));
    std::printf("peak memory             %.1f MB\n", peakMegabytes());
    Form_Unload(form);
    return 0;
}
