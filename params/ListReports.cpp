#include "params/ListReports.h"

#include "app/FrmDTA.h"
#include "app/RunInputs.h"
#include "params/CreditorFromForm.h"
#include "app/FormDesigns.h"
#include "sepa/BookingSelection.h"

namespace qvl {

CsvListParams csvListParams(FrmDTA &f, const RunInputs &run, const Buchungen &aBuchungen)
{
    CsvListParams p;
    p.firstInvoiceNumber = run.firstInvoiceNumber;
    p.directDebit = run.directDebit();
    if (p.directDebit) {
        const SepaFormat format = sepaFormatFromText(f.cmbSEPAFormat.Text());
        p.notInBankFile.reserve(aBuchungen.size());
        for (const Buchung &b : aBuchungen)
            p.notInBankFile.push_back(leftOutReason(format, b));
    }
    p.design = &designs(f).Beitrag;
    p.exportDir = f.strExportPfad;
    p.programDir = f.context().programDir;
    p.clock = &f.clock();
    return p;
}

CsvList WriteCSVList(FrmDTA &f, const RunInputs &run, RunOutputs *outputs, const Buchungen &aBuchungen)
{
    CsvListParams params = csvListParams(f, run, aBuchungen);
    params.outputs = outputs;
    return WriteCSVList(params, aBuchungen);
}

CsvListParams csvListParams(FrmDTA &f, const Buchungen &aBuchungen)
{
    return csvListParams(f, readRunInputs(f), aBuchungen);
}

CsvList WriteCSVList(FrmDTA &f, const Buchungen &aBuchungen)
{
    return WriteCSVList(f, readRunInputs(f), nullptr, aBuchungen);
}

SlipParams slipParams(const FrmDTA &f)
{
    SlipParams p;
    p.design = &designs(f).Begleitzettel;
    p.volume = f.strVolume;
    p.printed = f.clock().now();
    p.sender = creditorOf(f);
    p.reference = f.txtReferenznummer.Text;
    return p;
}

Report PrintBegleitzettel(const FrmDTA &f, qint64 numberOfTransactions, Money controlSumCent)
{
    return PrintBegleitzettel(slipParams(f), numberOfTransactions, controlSumCent);
}

} // namespace qvl
