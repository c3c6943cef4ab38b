// Times the SEPA export of a big direct-debit run on the embedded database: the whole
// step (file, stored fees in one transaction, schema validation) against writing the
// same bytes raw and against the validator alone on the same file; and the peak memory
// before and after the export.
// Usage: qvl32-bench-sepa [BOOKINGS]   (default 100000)
#include "bench/BenchSupport.h"
#include "core/Iban.h"
#include "files/BackgroundWriter.h"
#include "sepa/SepaDocument.h"
#include "sepa/SepaSchema.h"
#include "run/SepaStep.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <unistd.h>

using namespace qvl;

namespace {

Buchungen bookings(int count)
{
    Buchungen records(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        Buchung &b = records[std::size_t(i)];
        b.Id_Personal = 5000 + i;
        b.Nummer = 1000 + i;
        b.Name = u"Mueller"_qs;
        b.Vorname = u"Hans-Juergen"_qs;
        b.PLZ = u"82362"_qs;
        b.Ort = u"Weilheim"_qs;
        b.Strasse = u"Am Holzplatz "_qs + QString::number(i % 90 + 1);
        const QString bban = u"70190000"_qs + QString::number(1000000000LL + i);
        b.IBAN = u"DE"_qs + ibanCheckDigits(u"DE"_qs, bban) + bban;
        b.BIC = u"GENODEF1M01"_qs;
        b.Mandatsnummer = u"MR-"_qs + QString::number(b.Nummer);
        b.Hektar = 12.5;
        b.SummeCent = Money(2380 + i % 1000);
        b.RechNr = QString::number(i + 1);
    }
    return records;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir exportDir;
    bench::BenchProgram program(10, {u"ExportPfad="_qs + exportDir.path(), u"FBGVersion=Wahr"_qs,
                                     u"Verwendungszweck=Jahresbeitrag"_qs});
    if (!program.form)
        return 1;
    FrmDTA &form = *program.form;
    QDir dir(exportDir.path());
    form.strBeitragsText = u"Mitgliedsbeitrag"_qs;
    form.txtMwst[0].Text = u"19"_qs;
    const Buchungen records = bookings(count);

    // Dirty pages of an earlier measurement would slow down the next one.
    const auto settle = [] { ::sync(); };
    settle();
    const double peakBefore = bench::peakMegabytes();
    QElapsedTimer t;
    double cpu = bench::cpuSeconds();
    const double mainCpu = bench::cpuSeconds(RUSAGE_THREAD);
    t.start();
    const SepaExport result = CreateSEPAFile(form, form.strExportPfad, records);
    const qint64 exportMs = t.elapsed();
    const double exportCpu = bench::cpuSeconds() - cpu;
    const double exportMainCpu = bench::cpuSeconds(RUSAGE_THREAD) - mainCpu;
    const double peakAfter = bench::peakMegabytes();
    const QString exportName = QFileInfo(result.file).fileName();
    const qint64 bytes = QFileInfo(result.file).size();
    settle();

    // The validator alone on the same file, fed as the export feeds it.
    cpu = bench::cpuSeconds();
    t.restart();
    QFile written(result.file);
    written.open(QIODevice::ReadOnly);
    SepaValidator validator(SepaFormat::Pain00800108);
    while (!written.atEnd())
        validator.feed(written.read(BackgroundWriter::kChunkBytes));
    const bool valid = !validator.finish().has_value();
    const qint64 validatorMs = t.elapsed();
    const double validatorCpu = bench::cpuSeconds() - cpu;

    // The same bytes written raw, in one go, and on the disk as the export's are.
    written.seek(0);
    const QByteArray all = written.readAll();
    written.close();
    QFile::remove(result.file);
    settle();
    t.restart();
    QFile raw(dir.filePath(u"raw.xml"_qs));
    raw.open(QIODevice::WriteOnly);
    raw.write(all);
    raw.flush();
    ::fsync(raw.handle());
    raw.close();
    const qint64 rawMs = t.elapsed();
    raw.remove();

    const auto ratio = [](qint64 a, qint64 b) { return b > 0 ? double(a) / double(b) : 0.0; };
    std::printf("bookings                              %d (%lld MB file)\n", count,
                static_cast<long long>(bytes >> 20));
    std::printf("SEPA file + stored fees + validation  %lld ms (%lld transactions, %s)\n",
                static_cast<long long>(exportMs), static_cast<long long>(result.numberOfTransactions),
                qPrintable(exportName));
    std::printf("  CPU: %.2f s in all, %.2f s on the calling thread\n", exportCpu, exportMainCpu);
    std::printf("same bytes written raw                %lld ms (export %.2fx)\n", static_cast<long long>(rawMs),
                ratio(exportMs, rawMs));
    std::printf("validator alone on the same file      %lld ms (export %.2fx, %s)\n",
                static_cast<long long>(validatorMs), ratio(exportMs, validatorMs), valid ? "valid" : "INVALID");
    std::printf("  CPU: %.2f s\n", validatorCpu);
    std::printf("peak memory before / after the export %.1f MB / %.1f MB (+%.1f MB)\n", peakBefore, peakAfter,
                peakAfter - peakBefore);
    return 0;
}
