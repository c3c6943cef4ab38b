#include "run/EInvoiceStep.h"

#include "app/FrmDTA.h"
#include "params/EInvoiceFromForm.h"
#include "core/RunError.h"
#include "core/ErrorLog.h"

namespace qvl {

namespace {

constexpr int kNamedInMessage = 10;

QString refusedMessage(const EInvoiceOutcome &outcome)
{
    QString text = u"Für "_qs + QString::number(outcome.refused.size())
                   + u" Waldbesitzer konnte keine E-Rechnung erstellt werden; die Log-Datei nennt die Gründe:\n"_qs;
    for (int i = 0; i < outcome.refused.size() && i < kNamedInMessage; ++i)
        text += u"\n"_qs + outcome.refused.at(i);
    if (outcome.refused.size() > kNamedInMessage)
        text += u"\n…"_qs;
    return text;
}

} // namespace

EInvoiceOutcome ERechnungStep(FrmDTA &f, const RunInputs &run, RunOutputs *outputs, const Buchungen &aBuchungen,
                              const Report &letters, const QSet<long> &notCollected, RunReport &report)
{
    EInvoiceOutcome outcome;
    MakeERechnungen(f, run, outputs, aBuchungen, letters, notCollected, outcome); // a failure stops the run
    report.outputs.append(outcome.files);
    report.eInvoicesRefused = int(outcome.refused.size());
    if (!outcome.refused.isEmpty()) {
        f.ui().message(refusedMessage(outcome), {}, MsgIcon::Exclamation);
        f.ui().openFile(logFilePath(f.context().programDir));
    }
    return outcome;
}

} // namespace qvl
