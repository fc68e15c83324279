// kl7700-emu: serves an emulated KL-7700 camera over TCP or a pseudo-terminal.
#include <atomic>
#include <chrono>
#include <iostream>

#include "Options.h"
#include "Servers.h"

int main(int argc, char** argv)
{
    using namespace kl7700emu;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const bool pty = ptyAvailable();
    const ParsedOptions parsed = parseToolOptions(args, pty);
    if (!parsed.options) {
        std::cerr << "kl7700-emu: " << parsed.error << "\n"
                  << toolUsage(pty);
        return 2;
    }
    const ToolOptions& options = *parsed.options;
    if (options.help) {
        std::cout << toolUsage(pty);
        return 0;
    }

    static std::atomic<bool> stop{false};
    installStopHandler(stop);
    const auto start = std::chrono::steady_clock::now();
    const MillisecondClock clock = [start] {
        return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - start)
                                         .count());
    };
    Camera camera(options.camera);
    std::ostream* log = options.log ? &std::cerr : nullptr;
    std::string error;
    const bool served = options.mode == ServeMode::Pty
        ? servePty(camera, clock, log, stop, std::cout, error)
        : serveTcp(options.tcpPort, camera, clock, log, stop, std::cout, error);
    if (!served) {
        std::cerr << "kl7700-emu: " << error << "\n";
        return 1;
    }
    return 0;
}
