// The stop request on POSIX systems: SIGINT and SIGTERM end the serving loops.
#include <signal.h>

#include "Servers.h"

namespace kl7700emu {
namespace {

std::atomic<bool>* g_stop = nullptr;

extern "C" void onStopSignal(int)
{
    if (g_stop != nullptr) g_stop->store(true);
}

} // namespace

void installStopHandler(std::atomic<bool>& stop)
{
    g_stop = &stop;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN); // a vanished client must not end the tool
}

} // namespace kl7700emu
