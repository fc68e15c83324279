// How fast a simulated camera produces frames: frames and bytes per second on one core,
// for 640x480 Mono8 and 1920x1200 Yuv422, through the camera's whole frame path.
#include "gige_sim/SimCamera.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// Hands the same buffer out for every frame, as a consumer that keeps up would.
class OneBufferSink : public mkapi::StreamSink {
public:
    explicit OneBufferSink(uint32_t size) : buffer_(size) {}
    std::optional<mkapi::FrameSlot> takeBuffer() override
    {
        return mkapi::FrameSlot{0, buffer_.data(), uint32_t(buffer_.size())};
    }
    void frameDone(const mkapi::FrameSlot&, const mkapi::FrameResult& result) override
    {
        bytes += result.bytes;
        benchmark::DoNotOptimize(buffer_.data());
    }
    void cameraEvent(uint32_t, uint64_t) override {}
    uint64_t bytes = 0;

private:
    std::vector<uint8_t> buffer_;
};

void produce(benchmark::State& state, const char* format, uint32_t width, uint32_t height, bool colour)
{
    gigesim::CameraSetup setup;
    setup.uniqueId = 1;
    setup.colour = colour;
    setup.sensorWidth = width, setup.sensorHeight = height;
    setup.serialPorts = 0;
    setup.initialValues = {{"PixelFormat", format}, {"AcquisitionFrameRate", "10000"}};
    gigesim::SimCamera camera(setup);
    OneBufferSink sink(camera.frameBytes());
    camera.setSink(&sink);
    uint64_t now = 0;
    camera.run("AcquisitionStart", now);
    for (auto _ : state) {
        now += 100; // one frame period at 10000 frames per second
        camera.advance(now);
    }
    state.counters["fps"] = benchmark::Counter(double(camera.framesCompleted()), benchmark::Counter::kIsRate);
    state.counters["bytes_per_second"] = benchmark::Counter(double(sink.bytes), benchmark::Counter::kIsRate);
}

void Mono8_640x480(benchmark::State& state) { produce(state, "Mono8", 640, 480, false); }
void Yuv422_1920x1200(benchmark::State& state) { produce(state, "Yuv422", 1920, 1200, true); }

BENCHMARK(Mono8_640x480);
BENCHMARK(Yuv422_1920x1200);

} // namespace

BENCHMARK_MAIN();
