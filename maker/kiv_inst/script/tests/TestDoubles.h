// Simulated clock, camera port and file tree for the script processor's tests.
#pragma once

#include "kiv_script/Device.h"
#include "kl7700emu_testing/VirtualClock.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kivscript::testing {

// Time moves only when the interpreter sleeps; it starts far from zero, so
// time limits computed from it never begin at the origin.
class FakeClock final : public kl7700emu::testing::VirtualClock<Clock> {
public:
    FakeClock() : VirtualClock(1000000) {}
};

// A camera on the other end of the port: every CR-terminated command written is
// answered, after a delay on the fake clock, by its echo and the scripted reply.
class FakeCamera final : public Port {
public:
    explicit FakeCamera(Clock& clock) : m_clock(clock) {}

    // Reply to a command (without its CR); delivered delayMs after the write.
    void answer(std::string command, std::string reply, uint32_t delayMs = 20)
    {
        m_answers[std::move(command)] = {std::move(reply), delayMs};
    }
    // Bytes that arrive at the given time whatever was written.
    void arriveAt(uint64_t time, std::string bytes) { m_pending.push_back({time, std::move(bytes)}); }

    bool Lock() override
    {
        ++locks;
        if (refuseLock)
            return false;
        held = true;
        return true;
    }
    void Unlock() override
    {
        ++unlocks;
        held = false;
    }
    bool Write(std::string_view bytes) override
    {
        if (failWrites)
            return false;
        written.append(bytes);
        m_line.append(bytes);
        std::size_t cr;
        while ((cr = m_line.find('\r')) != std::string::npos) {
            std::string command = m_line.substr(0, cr);
            m_line.erase(0, cr + 1);
            auto it = m_answers.find(command);
            if (it != m_answers.end())
                arriveAt(m_clock.NowMs() + it->second.second, command + "\r" + it->second.first);
        }
        return true;
    }
    bool Read(std::string& received) override
    {
        ++reads;
        if (failReads)
            return false;
        while (!m_pending.empty() && m_pending.front().first <= m_clock.NowMs()) {
            received += m_pending.front().second;
            m_pending.pop_front();
        }
        return true;
    }

    std::string written;
    int locks = 0;
    int unlocks = 0;
    int reads = 0;
    bool held = false;
    bool refuseLock = false;
    bool failWrites = false;
    bool failReads = false;

private:
    Clock& m_clock;
    std::string m_line;
    std::map<std::string, std::pair<std::string, uint32_t>> m_answers;
    std::deque<std::pair<uint64_t, std::string>> m_pending;
};

// Files by exact path; every other path is missing.
class MemoryFiles final : public FileSource {
public:
    void add(std::string path, std::string content) { m_files[std::move(path)] = {ReadStatus::Ok, std::move(content)}; }
    void addBroken(std::string path, ReadStatus status) { m_files[std::move(path)] = {status, {}}; }

    ReadStatus ReadFile(const std::string& path, std::string& content) override
    {
        requested.push_back(path);
        auto it = m_files.find(path);
        if (it == m_files.end())
            return ReadStatus::Missing;
        content = it->second.second;
        return it->second.first;
    }

    std::vector<std::string> requested;

private:
    std::map<std::string, std::pair<ReadStatus, std::string>> m_files;
};

} // namespace kivscript::testing
