// The serving loop: bytes pass both ways, late replies are awaited, the log shows the line.
#include <gtest/gtest.h>

#include <deque>
#include <sstream>

#include "Session.h"

using namespace kl7700emu;

namespace {

// A scripted link on a virtual clock: each read returns the next scripted
// chunk, or advances the clock by its time-out when none is left.
class ScriptedLink : public Link {
public:
    ScriptedLink(std::deque<std::string> chunks, uint64_t& clock, uint64_t endMs)
        : chunks_(std::move(chunks)), clock_(clock), endMs_(endMs) {}

    int read(char* buffer, int capacity, int timeoutMs) override
    {
        if (!chunks_.empty()) {
            const std::string chunk = chunks_.front();
            chunks_.pop_front();
            const int count = std::min<int>(capacity, static_cast<int>(chunk.size()));
            std::copy_n(chunk.data(), count, buffer);
            return count;
        }
        if (clock_ >= endMs_) return -1;
        waits.push_back(timeoutMs);
        clock_ += static_cast<uint64_t>(timeoutMs);
        return 0;
    }
    bool write(std::string_view bytes) override
    {
        written.append(bytes);
        writeTimes.push_back(clock_);
        return true;
    }

    std::string written;
    std::vector<uint64_t> writeTimes;
    std::vector<int> waits;

private:
    std::deque<std::string> chunks_;
    uint64_t& clock_;
    uint64_t endMs_;
};

TEST(Session, RepliesAndWaitsExactlyForTheCalibration)
{
    uint64_t now = 0;
    ScriptedLink link({"b=?\r", "C=1\r"}, now, 2000);
    Camera camera;
    std::ostringstream log;
    std::atomic<bool> stop{false};
    serveLink(
        link, camera, [&] { return now; }, &log, stop);
    EXPECT_EQ(link.written, "b=?\r\r\n=4000\r\n>C=1\r\r\n>"); // whole: the calibration reply came
    ASSERT_EQ(link.writeTimes.size(), 3u);
    EXPECT_EQ(link.writeTimes[2], 950u) << "the loop wakes when the late reply is due, not later";
    EXPECT_NE(log.str().find("host> C=1\\r"), std::string::npos) << log.str();
    EXPECT_NE(log.str().find("<cam  b=?\\r\\r\\n=4000\\r\\n>"), std::string::npos) << log.str();
    EXPECT_TRUE(camera.transcript().empty()) << "logged entries are not kept";
}

TEST(Session, LogEscapesControlAndHighBytes)
{
    const TranscriptEntry entry{false, std::string("A\x01\xFF\\", 4), 42};
    EXPECT_EQ(formatTranscriptEntry(entry), "        42 ms <cam  A\\x01\\xFF\\\\");
}

} // namespace
