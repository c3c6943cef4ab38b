#pragma once
// The start button: checks the inputs of the chosen payment type, then runs the fee run
// (member query, fee calculation, transliteration) and hands the records to the writers.

#include <QString>
#include <QStringList>

namespace qvl {

class FrmDTA;

enum class RunOutcome {
    Completed, // the run went through its steps (also when it found nothing to bill)
    Stopped,   // a check or a declined question stopped it before anything was written
    Failed     // a step failed (database, file); the user has been told what failed
};

struct RunReport {
    RunOutcome outcome = RunOutcome::Completed;
    QStringList outputs; // the files the run wrote, in order
};

// The captions of the ticked fee boxes, joined, with characters unfit for file names
// replaced by "_"; stored in strBeitragsText.
void BuildBeitragsText(FrmDTA &form);

RunReport cmdStart_Click(FrmDTA &form);

} // namespace qvl
