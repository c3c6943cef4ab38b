// Times the phases of a fee run on a demo database: creating the database, the member
// query, the fee calculation and the transliteration; reports the peak memory.
// Usage: qvl32-bench-run [OWNERS]   (default 100000)
#include "bench/BenchSupport.h"
#include "run/FeeCalculation.h"
#include "run/MemberQuery.h"
#include "sepa/RecordTransliteration.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace qvl;


int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int owners = argc > 1 ? std::atoi(argv[1]) : 100000;
    const QString exportDir = QDir::tempPath() + u'/';
    bench::BenchProgram program(owners, {u"ExportPfad="_qs + exportDir, u"FBGVersion=Falsch"_qs, u"BERECHNUNG=QVL"_qs,
                                         u"RundeBeitrag1=Wahr"_qs, u"Verwendungszweck=Jahresbeitrag 2026"_qs});
    if (!program.form)
        return 1;
    FrmDTA &form = *program.form;
    const qint64 demoMs = program.demoMilliseconds;
    QElapsedTimer t;
    for (int k = 0; k < kFeeSlots; ++k) {
        form.chkBeitrag[k].Value = 1;
        form.txtMwst[k].Text = k == 1 ? u"19"_qs : QString();
    }
    form.txtMindestbeitrag[0].Text = u"15"_qs;

    Buchungen records;
    t.start();
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
    std::printf("peak memory             %.1f MB\n", bench::peakMegabytes());
    return 0;
}
