#include "cmd/Interruption.h"

#include "compare/CCompare.h"

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace {

// Only lock-free atomics: the handler reads and writes them.
std::atomic<CCompare*> g_compare{nullptr};
std::atomic<bool> g_happened{false};
std::atomic<bool> g_writingOutput{false};
std::atomic<bool> g_reported{false};
bool g_stderrIsTerminal = false;

constexpr char Cancelled[] = "Comparison cancelled\n";
constexpr char WipeProgressLine[] = "\r\033[K";
constexpr int ExitTrouble = 2;

void WriteCancelled()
{
    if (g_reported.exchange(true))
        return;
    // write(2) alone: this runs in the signal handler too. Nothing can be done about a failed write here.
    if (g_stderrIsTerminal && ::write(STDERR_FILENO, WipeProgressLine, sizeof WipeProgressLine - 1) < 0)
        return;
    if (::write(STDERR_FILENO, Cancelled, sizeof Cancelled - 1) < 0)
        return;
}

extern "C" void OnSignal(int)
{
    const bool again = g_happened.exchange(true);
    if (CCompare* compare = g_compare.load())
        compare->SetCompareCancelled(true);
    if (again || g_writingOutput.load()) {
        WriteCancelled();
        ::_exit(ExitTrouble);
    }
}

void SetHandler(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Restarted system calls: a scan or a content read interrupted by the signal is not a read failure.
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

} // namespace

namespace Interruption {

void Install(CCompare& compare)
{
    static_assert(std::atomic<CCompare*>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);
    g_stderrIsTerminal = ::isatty(STDERR_FILENO) != 0;
    g_compare.store(&compare);
    SetHandler(OnSignal);
}

void Uninstall()
{
    SetHandler(SIG_DFL);
    g_compare.store(nullptr);
}

bool Happened() { return g_happened.load(); }

void EnterOutput() { g_writingOutput.store(true); }

void Report() { WriteCancelled(); }

} // namespace Interruption
