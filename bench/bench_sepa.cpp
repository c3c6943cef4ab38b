// Times the SEPA export of a big direct-debit run: the whole export (file and stored fees
// in one transaction) on the embedded database, and the file writing alone against the
// raw speed of writing the same bytes.
// Usage: qvl32-bench-sepa [BOOKINGS]   (default 100000)
#include "bench/BenchSupport.h"
#include "sepa/Iban.h"
#include "sepa/SepaDocument.h"
#include "sepa/SepaWriter.h"

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
        b.Summe = 2380 + i % 1000;
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
    QElapsedTimer t;
    t.start();
    const SepaExport result = CreateSEPAFile(form, form.strExportPfad, records);
    const qint64 exportMs = t.elapsed();
    const QString exportName = QFileInfo(result.file).fileName();
    QFile::remove(result.file);
    settle();

    // The file writing alone: building every block and writing it, against writing the
    // finished bytes in one go.
    t.restart();
    QFile blocks(dir.filePath(u"blocks.xml"_qs));
    blocks.open(QIODevice::WriteOnly);
    qint64 bytes = 0;
    SepaTransaction tx;
    tx.mandateId = u"MR-1000"_qs;
    tx.amount = u"23.8"_qs;
    tx.signatureDate = u"2026-12-06"_qs;
    tx.creditorId = form.txtGlaubigerID.Text;
    tx.debtorBic = u"GENODEF1M01"_qs;
    tx.debtorIban = records.front().IBAN;
    QByteArray all;
    for (const Buchung &b : records) {
        tx.debtorName = b.Name + u' ' + b.Vorname + u", "_qs + b.PLZ + u' ' + b.Ort;
        tx.remittance = u"Jahresbeitrag Jahr 2026 12,5ha  MandatNr.: "_qs + b.Mandatsnummer;
        const QByteArray block = sepaTransactionBlock(SepaFormat::Pain00800108, tx);
        bytes += blocks.write(block);
        all += block;
    }
    blocks.close();
    const qint64 blocksMs = t.elapsed();
    blocks.remove();
    settle();
    t.restart();
    QFile raw(dir.filePath(u"raw.xml"_qs));
    raw.open(QIODevice::WriteOnly);
    raw.write(all);
    raw.close();
    const qint64 rawMs = t.elapsed();

    std::printf("bookings                       %d\n", count);
    std::printf("SEPA file + stored fees        %lld ms (%lld transactions, %s)\n", static_cast<long long>(exportMs),
                static_cast<long long>(result.numberOfTransactions), qPrintable(exportName));
    std::printf("transaction blocks built+written %lld ms (%lld MB)\n", static_cast<long long>(blocksMs),
                static_cast<long long>(bytes >> 20));
    std::printf("same bytes written raw         %lld ms\n", static_cast<long long>(rawMs));
    std::printf("peak memory                    %.1f MB\n", bench::peakMegabytes());
    return 0;
}
