// Frames through the whole library on one core: the simulated camera fills queued
// buffers, the library completes them and runs the caller's callback, which queues the
// buffer again, as the grabber does in continuous mode. Virtual time, so only the work counts.
#include "gige_sim/Network.h"
#include "mk_api/MkApi.h"
#include "mk_api_core/Exports.h"
#include "mk_api_dll/Composition.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

namespace {

class BenchTime : public mkapi::TimeSource {
public:
    uint64_t nowUs() const override { return now_; }
    void waitUntil(std::unique_lock<std::mutex>&, std::condition_variable&, uint64_t) const override {}
    void advance(uint64_t us) { now_ += us; }

private:
    std::atomic<uint64_t> now_{1000000};
};

MkHandle g_handle = nullptr;
uint64_t g_bytes = 0, g_frames = 0;

void MKAPI_CALL requeue(MkFrame* frame)
{
    if (frame->status == 0) {
        g_bytes += frame->imageSize;
        ++g_frames;
    }
    MkCaptureQueueFrame(g_handle, frame, requeue);
}

void throughLibrary(benchmark::State& state, uint32_t id, const char* format, uint32_t width, uint32_t height)
{
    BenchTime time;
    mkapi::setLibraryMaker([&] {
        mkapi::Composition composition;
        return mkapi::composeLibraryFromText(gigesim::defaultNetworkDescription(), "(built-in)", time, false,
                                             composition);
    });
    MkInitialize();
    MkCameraOpen(id, MK_ACCESS_MASTER, &g_handle);
    MkAttrEnumSet(g_handle, "PixelFormat", format);
    MkAttrUint32Set(g_handle, "Width", width);
    MkAttrUint32Set(g_handle, "Height", height);
    MkAttrFloat32Set(g_handle, "AcquisitionFrameRate", 10000.0f);
    uint32_t bytes = 0;
    MkAttrUint32Get(g_handle, "TotalBytesPerFrame", &bytes);
    std::vector<std::vector<uint8_t>> data(4, std::vector<uint8_t>(bytes));
    std::vector<MkFrame> frames(4);
    MkCaptureStart(g_handle);
    for (size_t i = 0; i < frames.size(); ++i) {
        std::memset(&frames[i], 0, sizeof frames[i]);
        frames[i].imageBuffer = data[i].data();
        frames[i].imageBufferSize = bytes;
        MkCaptureQueueFrame(g_handle, &frames[i], requeue);
    }
    MkCommandRun(g_handle, "AcquisitionStart");
    g_bytes = g_frames = 0;
    const std::shared_ptr<mkapi::Library> library = mkapi::currentLibrary();
    for (auto _ : state) {
        time.advance(100); // one frame period at 10000 frames per second
        library->pump();
    }
    state.counters["fps"] = benchmark::Counter(double(g_frames), benchmark::Counter::kIsRate);
    state.counters["bytes_per_second"] = benchmark::Counter(double(g_bytes), benchmark::Counter::kIsRate);
    MkCommandRun(g_handle, "AcquisitionStop");
    MkCaptureEnd(g_handle);
    MkCameraClose(g_handle);
    MkUnInitialize();
}

void Library_Mono8_640x480(benchmark::State& state) { throughLibrary(state, 100001, "Mono8", 640, 480); }
void Library_Yuv422_1920x1200(benchmark::State& state) { throughLibrary(state, 100002, "Yuv422", 1920, 1200); }

BENCHMARK(Library_Mono8_640x480);
BENCHMARK(Library_Yuv422_1920x1200);

} // namespace

BENCHMARK_MAIN();
