#include "os/RunSignals.h"

#include <QtGlobal>

#include <atomic>
#include <csignal>
#include <mutex>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace qvl {

namespace {

std::atomic<int> g_runDepth{0};
std::atomic<int> g_pending{0};

extern "C" void onStopSignal(int signal)
{
    if (g_runDepth.load() > 0) {
        int none = 0;
        g_pending.compare_exchange_strong(none, signal);
        return;
    }
    // Outside a run: end as the signal would have without a handler.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

#ifdef Q_OS_WIN
// Ctrl+C and Ctrl+Break are recorded like SIGINT. Closing the console window, logging off or
// shutting down end the process as soon as this handler returns (after at most five
// seconds): the handler, on a thread of its own, records SIGTERM and waits for the run to
// stop at its next check and clean up its files.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    if (g_runDepth.load() == 0)
        return FALSE; // the default: end the program
    int none = 0;
    g_pending.compare_exchange_strong(none, interrupt ? SIGINT : SIGTERM);
    if (!interrupt)
        for (int waited = 0; waited < 4500 && g_runDepth.load() > 0; waited += 50)
            ::Sleep(50);
    return TRUE;
}
#endif

} // namespace

void installRunSignalHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
#ifdef Q_OS_UNIX
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // a write or a wait goes on; the run checks the flag
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
#else
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
#endif
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#endif
    });
}

RunSignalScope::RunSignalScope()
{
    g_runDepth.fetch_add(1);
}

RunSignalScope::~RunSignalScope()
{
    g_runDepth.fetch_sub(1);
}

int pendingRunSignal()
{
    return g_pending.load();
}

void clearRunSignal()
{
    g_pending.store(0);
}

int exitCodeForSignal(int signal)
{
    return 128 + signal;
}

const char *signalName(int signal)
{
    return signal == SIGINT ? "Strg+C" : "SIGTERM";
}

} // namespace qvl
