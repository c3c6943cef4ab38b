#include "run/SepaStep.h"

#include "app/FrmDTA.h"
#include "app/RunInputs.h"
#include "params/CreditorFromForm.h"
#include "core/RunError.h"
#include "db/Database.h"
#include "ledger/OwnTables.h"
#include "ledger/RunCommit.h"
#include "ledger/RunManifest.h"
#include "stored/RunLock.h"

namespace qvl {

fee_slots::SlotMask tickedSlots(const FrmDTA &f)
{
    fee_slots::SlotMask mask = 0;
    for (int k = 0; k < kFeeSlots; ++k)
        if (f.chkBeitrag[std::size_t(k)].Value == 1)
            mask |= fee_slots::SlotMask(1) << k;
    return mask;
}

SepaParams sepaParams(const FrmDTA &f, const RunInputs &run, const QString &exportDir)
{
    SepaParams p;
    p.now = f.clock().now();
    p.invoiceDate = run.invoiceDate;
    p.format = sepaFormatFromText(f.cmbSEPAFormat.Text());
    p.exportDir = exportDir;
    p.feeText = f.strBeitragsText;
    p.businessYear = f.txtWirtschaftsjahr.Text;
    p.dueDate = run.dueDate;
    p.creditor = creditorOf(f);
    p.remittance = f.txtVerwendungszweck.Text;
    p.accountingRemittance = f.chkVerwendungszweck.Value == 1;
    p.tickedSlots = tickedSlots(f);
    p.programDir = f.context().programDir;
    p.clock = &f.clock();
    return p;
}

SepaExport CreateSEPAFile(FrmDTA &f, const RunInputs &run, const QString &exportDir, const Buchungen &aBuchungen,
                          Database &db, RunOutputs &outputs)
{
    return writeSepaFile(sepaParams(f, run, exportDir), aBuchungen, db, outputs);
}

SepaExport CreateSEPAFile(FrmDTA &f, const QString &exportDir, const Buchungen &aBuchungen)
{
    const RunInputs inputs = readRunInputs(f);
    const std::unique_ptr<Database> db = Database::open(f.strConnectionString, f.connectionOptions);
    ensureOwnTables(*db);
    const QString databaseId = run_manifest::ensureDatabaseId(*db);
    RunOutputs outputs(databaseId, RunOutputs::newRunId());
    run_manifest::recordStart(*db, outputs.runId(), databaseId, exportDir);
    RunLock lock(*db);
    const SepaParams params = sepaParams(f, inputs, exportDir);
    SepaExport result = writeSepaFile(params, aBuchungen, *db, outputs);
    const NamingResult naming =
        commitRun(*db, lock, outputs, [&f] { return Database::open(f.strConnectionString, f.connectionOptions); });
    if (!naming.problems.isEmpty())
        throw CommittedRunError(result.file, naming.problems.join(u'\n'));
    result.file = naming.named.value(0, result.file);
    writeSepaLog(nullptr, params, result.logLines);
    return result;
}

} // namespace qvl
