// What the simulator's tests share: a clock moved by hand, and a sink and an event
// receiver that record what the simulator hands them.
#pragma once

#include "mk_api_core/Backend.h"

#include <cstdint>
#include <cstring>
#include <deque>
#include <utility>
#include <vector>

namespace gigesim::testing {

class ManualClock : public mkapi::Clock {
public:
    uint64_t nowUs() const override { return now_; }
    void set(uint64_t us) { now_ = us; }
    void advance(uint64_t us) { now_ += us; }

private:
    uint64_t now_ = 1000000;
};

// Buffers queued by the test go out oldest first; every finished frame is recorded.
class RecordingSink : public mkapi::StreamSink {
public:
    struct Done {
        uint64_t token;
        mkapi::FrameResult result;
        uint32_t stamp; // the first four bytes of the data
    };

    void queue(uint32_t size)
    {
        buffers_.emplace_back(size);
        free_.push_back(buffers_.size() - 1);
    }
    void requeue(size_t index) { free_.push_back(index); }
    std::optional<mkapi::FrameSlot> takeBuffer() override
    {
        if (free_.empty())
            return std::nullopt;
        const size_t i = free_.front();
        free_.pop_front();
        return mkapi::FrameSlot{i, buffers_[i].data(), uint32_t(buffers_[i].size())};
    }
    void frameDone(const mkapi::FrameSlot& slot, const mkapi::FrameResult& result) override
    {
        uint32_t stamp = 0;
        if (result.bytes >= 4)
            std::memcpy(&stamp, slot.data, 4);
        done.push_back({slot.token, result, stamp});
    }
    void cameraEvent(uint32_t event, uint64_t) override { events.push_back(event); }
    const std::vector<uint8_t>& buffer(size_t i) const { return buffers_[i]; }

    std::vector<Done> done;
    std::vector<uint32_t> events;

private:
    std::deque<std::vector<uint8_t>> buffers_;
    std::deque<size_t> free_;
};

class RecordingEvents : public mkapi::BackendEvents {
public:
    void linkEvent(uint32_t event, uint32_t uniqueId) override { links.push_back({event, uniqueId}); }
    void wake() override { ++wakes; }

    std::vector<std::pair<uint32_t, uint32_t>> links;
    int wakes = 0;
};

} // namespace gigesim::testing
