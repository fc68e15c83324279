// Serves the camera over one byte link (a TCP client or a pseudo-terminal) in real time.
#include "Session.h"

#include <algorithm>
#include <cstdio>

namespace kl7700emu {
namespace {

// The longest a read waits, so a stop request is seen promptly.
constexpr uint64_t kPollMs = 50;

void flushLog(Camera& camera, std::ostream* log)
{
    if (log == nullptr) return;
    for (const TranscriptEntry& entry : camera.transcript()) *log << formatTranscriptEntry(entry) << '\n';
    log->flush();
    camera.clearTranscript();
}

} // namespace

std::string formatTranscriptEntry(const TranscriptEntry& entry)
{
    char head[48];
    std::snprintf(head, sizeof head, "%10llu ms %s ", static_cast<unsigned long long>(entry.atMs),
                  entry.fromHost ? "host>" : "<cam ");
    std::string line = head;
    for (unsigned char c : entry.bytes) {
        if (c == '\r')
            line += "\\r";
        else if (c == '\n')
            line += "\\n";
        else if (c == '\\')
            line += "\\\\";
        else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            line += hex;
        } else {
            line += static_cast<char>(c);
        }
    }
    return line;
}

void serveLink(Link& link, Camera& camera, const MillisecondClock& clock, std::ostream* log,
               const std::atomic<bool>& stop)
{
    char buffer[4096];
    while (!stop.load()) {
        uint64_t waitMs = kPollMs;
        if (const auto due = camera.nextOutputAtMs()) {
            const uint64_t now = clock();
            waitMs = *due > now ? std::min(kPollMs, *due - now) : 0;
        }
        const int count = link.read(buffer, sizeof buffer, static_cast<int>(waitMs));
        if (count < 0) break;
        const uint64_t now = clock();
        camera.receive(std::string_view(buffer, static_cast<size_t>(count)), now);
        const std::string output = camera.takeOutput(now);
        flushLog(camera, log);
        if (!output.empty() && !link.write(output)) break;
    }
    flushLog(camera, log);
}

} // namespace kl7700emu
