// Test doubles for the camera session: a virtual clock, an observer that records
// every notice, and a scripted device that answers commands from a table and
// records every call it receives.
#pragma once

#include "kl7700/SessionPorts.h"
#include "kl7700emu_testing/VirtualClock.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kl7700::test {

// Every wait of the session advances the virtual time and is recorded.
using FakeClock = kl7700emu::testing::VirtualClock<Clock>;

class RecordingObserver final : public SessionObserver {
public:
    void OnSerialLog(LogKind kind, std::string_view bytes) override { log.emplace_back(kind, std::string(bytes)); }
    void OnStatusText(std::string_view text) override { status = text; }
    void OnHeaderChanged() override { ++headerRefreshes; }
    void OnPagesChanged() override { ++pageRefreshes; }
    void OnVariantText(std::string_view text) override { variant = text; }
    void OnWriteBackTimer(bool running) override { timer.push_back(running); }

    std::vector<std::string> sent() const
    {
        std::vector<std::string> commands;
        for (const auto& [kind, bytes] : log) {
            if (kind == LogKind::Sent) commands.push_back(bytes);
        }
        return commands;
    }

    std::vector<std::pair<LogKind, std::string>> log;
    std::string status;
    std::string variant;
    int headerRefreshes = 0;
    int pageRefreshes = 0;
    std::vector<bool> timer; // true = started, false = stopped
};

// Answers each written text through `respond` (default: the table `replies`)
// and each CR written by WriteChar with `promptReply`. Reads hand out at most
// `chunk` bytes at a time.
class ScriptedDevice final : public CommDevice {
public:
    int Lock(const void*, unsigned long timeoutMs) override
    {
        ops.push_back("Lock " + std::to_string(timeoutMs));
        return lockResult;
    }
    void Unlock(const void*) override { ops.push_back("Unlock"); }
    int GetState() override { return 1; }
    int WriteChar(const char* c, unsigned long* count) override
    {
        ops.push_back("Char");
        if (*c == '\r') pending += promptReply;
        *count = 1;
        return 0;
    }
    int ReadData(void* buffer, unsigned long size, unsigned long* count) override
    {
        ops.push_back("Read");
        const size_t n = std::min<size_t>({pending.size(), size, chunk});
        std::memcpy(buffer, pending.data(), n);
        pending.erase(0, n);
        *count = static_cast<unsigned long>(n);
        return 0;
    }
    int WriteText(const char* text, unsigned long* count) override
    {
        ops.push_back(std::string("Write ") + text);
        written.emplace_back(text);
        pending += respond ? respond(text) : lookup(text);
        *count = static_cast<unsigned long>(std::strlen(text));
        return 0;
    }
    int Purge(unsigned long flags) override
    {
        ops.push_back("Purge " + std::to_string(flags));
        if (flags & 1) pending.clear();
        return 0;
    }

    std::string lookup(const std::string& command) const
    {
        auto it = replies.find(command);
        return it == replies.end() ? std::string() : it->second;
    }

    int lockResult = 0;
    size_t chunk = SIZE_MAX;
    std::string promptReply = "\r\n>";
    std::map<std::string, std::string> replies;
    std::function<std::string(const std::string&)> respond;
    std::string pending;
    std::vector<std::string> ops;
    std::vector<std::string> written;
};

// The camera's echo of a set command: the command, CR, LF and the prompt.
inline std::string echoOf(const std::string& command) { return command + "\r\n>"; }

// The camera's answer to a query: echo, LF "=" and the value.
inline std::string valueReply(const std::string& query, const std::string& hex) { return query + "\n=" + hex + "\r\n>"; }

} // namespace kl7700::test
