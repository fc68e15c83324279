// The stop request on Windows (Ctrl+C, Ctrl+Break, console close); no pseudo-terminals there.
#include "win32/lean_windows.h"

#include "Servers.h"

namespace kl7700emu {
namespace {

std::atomic<bool>* g_stop = nullptr;

BOOL WINAPI onConsoleEvent(DWORD)
{
    if (g_stop != nullptr) g_stop->store(true);
    return TRUE;
}

} // namespace

void installStopHandler(std::atomic<bool>& stop)
{
    g_stop = &stop;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool ptyAvailable() { return false; }

bool servePty(Camera&, const MillisecondClock&, std::ostream*, const std::atomic<bool>&, std::ostream&,
              std::string& error)
{
    error = "pseudo-terminals are not available on Windows";
    return false;
}

} // namespace kl7700emu
