#pragma once
// Ctrl-C, a shutdown and kill's SIGTERM while a run works. Outside a run they end the
// program as they always did. During a run they are only recorded: before the run's
// commit point it stops at its next check and leaves nothing behind; after it, the run
// finishes naming the bank file, whose debits are stored, and stops at the next file
// boundary. SIGXFSZ is ignored, so a file-size limit fails the write like a full disk
// instead of ending the program without a word. On Windows the console's Ctrl-C and close
// events are handled the same way.

namespace qvl {

// Installs the handlers; once per process, before any run.
void installRunSignalHandlers();

// While alive, SIGINT and SIGTERM are recorded instead of ending the program.
class RunSignalScope {
public:
    RunSignalScope();
    ~RunSignalScope();
    RunSignalScope(const RunSignalScope &) = delete;
    RunSignalScope &operator=(const RunSignalScope &) = delete;
};

// The signal recorded during the current or the last run (SIGINT, SIGTERM), else 0.
int pendingRunSignal();

// Forgets a recorded signal (a new run starts clean).
void clearRunSignal();

// 128 + the signal, the exit code a shell gives a program ended by it (130, 143).
int exitCodeForSignal(int signal);

// "Strg+C" or "SIGTERM", for messages.
const char *signalName(int signal);

} // namespace qvl
