// The library as its callers reach it, on virtual time: the C functions over a library
// built from a description text, with the library's work pumped by the test.
#pragma once

#include "mk_api/MkApi.h"
#include "mk_api_core/Exports.h"
#include "gige_sim/Network.h"
#include "mk_api_dll/Composition.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>

namespace mkapi::testing {

// Virtual time: a wait returns when it is woken (the test pumping the library wakes every
// waiter) or, at the latest, after a millisecond of real time to look at the clock again.
class ManualTime : public TimeSource {
public:
    uint64_t nowUs() const override { return now_.load(); }
    void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, uint64_t) const override
    {
        cv.wait_for(lock, std::chrono::milliseconds(1));
    }
    void advance(uint64_t us) { now_ += us; }

private:
    std::atomic<uint64_t> now_{1000000};
};

constexpr uint32_t kMono = 100001, kColour = 100002, kElsewhere = 100003;

class LibraryTest : public ::testing::Test {
protected:
    void start(const std::string& text, const std::string& file = "test.ini")
    {
        setLibraryMaker([this, text, file] { return composeLibraryFromText(text, file, time, false, composition); });
        ASSERT_EQ(MkInitialize(), 0u);
    }
    void SetUp() override { start(gigesim::defaultNetworkDescription()); }
    void TearDown() override { MkUnInitialize(); }

    // Moves virtual time on and lets the library do what became due, callbacks included.
    void run(uint64_t us)
    {
        time.advance(us);
        currentLibrary()->pump();
    }
    MkHandle open(uint32_t id = kMono)
    {
        MkHandle handle = nullptr;
        EXPECT_EQ(MkCameraOpen(id, MK_ACCESS_MASTER, &handle), 0u);
        return handle;
    }
    std::string control(const std::string& command)
    {
        char reply[512];
        lastControlCode = MkSimControl(command.c_str(), reply, sizeof reply);
        return reply;
    }

    ManualTime time;
    Composition composition;
    uint32_t lastControlCode = 0;
};

} // namespace mkapi::testing
