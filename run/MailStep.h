#pragma once
// The run's side of the e-mail: who gets his letter by mail (EMailVersand, an address the
// suite holds that is valid), the paper letters that are left for Rechnung.pdf, and the
// outbox — one message per owner in "E-Mails" beside the reports, made whole during the run
// and never sent by it. Sending is a step of its own (run/MailSendStep).

#include "core/Buchung.h"
#include "params/MailRecipients.h"
#include "run/RunDriver.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace qvl {

class FrmDTA;
struct RunInputs;
class Report;
class RunOutputs;
struct EInvoiceOutcome;

// Writes the outbox from the run's letters (an owner with an e-invoice gets that file) and
// returns the letters left for paper: those of owners without mail (all with "paper
// too") and of owners whose mail could not be written; std::nullopt when none is left.
// Failures are told and fail the run; the mails written before stay and are counted.
// `outputs`: the run's list the mails go to, hidden until its commit (nullptr outside a run).
std::optional<Report> MailStep(FrmDTA &form, const RunInputs &run, RunOutputs *outputs, const Buchungen &aBuchungen,
                               const Report &letters, const EInvoiceOutcome &eInvoices, RunReport &report);

} // namespace qvl
