// Speed of the frame conversions, each path against the direct formula, memcpy
// of the same output and libyuv's nearest conversions (speed peers only: libyuv
// rounds differently and writes other byte orders). Prints Google Benchmark's
// table, then one line per kernel, size and data with the ratios.
#include "grabber_pixel/conversions.h"
#include "reference.h"

#include <benchmark/benchmark.h>
#include <libyuv.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace grabber_pixel;

struct Size {
    int width, height;
};
constexpr Size kSizes[] = {{1920, 1200}, {640, 480}};
constexpr const char* kData[] = {"random", "smooth"};

struct Kernel {
    const char* name;
    ConversionRoutine routine;
    ConversionRoutine direct;
    ConversionRoutine KernelSet::*member;
};
const Kernel kKernels[] = {
    {"Unpack12Packed", Unpack12Packed, reference::Unpack12Packed, &KernelSet::unpack12Packed},
    {"Yuv444ToRgb", Yuv444ToRgb, reference::Yuv444ToRgb, &KernelSet::yuv444ToRgb},
    {"Yuv422ToRgb", Yuv422ToRgb, reference::Yuv422ToRgb, &KernelSet::yuv422ToRgb},
    {"Yuv411ToRgb", Yuv411ToRgb, reference::Yuv411ToRgb, &KernelSet::yuv411ToRgb},
};

// Random bytes, or a smooth picture: slow ramps across and down, as a camera
// sees a lit scene.
std::vector<std::uint8_t> Frame(std::size_t bytes, int width, bool smooth)
{
    std::vector<std::uint8_t> frame(bytes);
    std::mt19937 random(7);
    for (std::size_t i = 0; i < bytes; ++i) {
        std::size_t x = i % (std::size_t(width) * 2), y = i / (std::size_t(width) * 2);
        frame[i] = smooth ? std::uint8_t(64 + 32 * std::sin(x * 0.01) + 32 * std::cos(y * 0.013) + (i % 4) * 16) : std::uint8_t(random());
    }
    return frame;
}

std::string Name(const char* what, const char* path, Size size, const char* data)
{
    return std::string(what) + "/" + path + "/" + std::to_string(size.width) + "x" + std::to_string(size.height) + "/" + data;
}

// Runs fn once per iteration over a frame, counting pixels and output bytes.
template <class F>
void Register(const std::string& name, std::size_t pixels, std::size_t outBytes, F fn)
{
    benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
        for (auto _ : state) {
            fn();
            benchmark::ClobberMemory();
        }
        state.SetItemsProcessed(state.iterations() * pixels);
        state.SetBytesProcessed(state.iterations() * outBytes);
    })->Unit(benchmark::kMicrosecond);
}

// Keeps every run's pixels per second for the ratio lines.
class Collector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> rate;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            // With repetitions the median stands for the benchmark.
            std::string name = run.benchmark_name();
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name != "median") continue;
                name.resize(name.size() - std::string("_median").size());
            }
            auto it = run.counters.find("items_per_second");
            if (it != run.counters.end()) rate[name] = it->second;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

// Buffers that live for the whole run, one set per kernel, size and data.
struct Buffers {
    std::vector<std::uint8_t> source, destination, copySource, argb, planes;
};
std::vector<Buffers*> gBuffers;

void RegisterAll()
{
    for (Size size : kSizes) {
        std::size_t n = std::size_t(size.width) * size.height;
        for (const char* data : kData) {
            bool smooth = std::strcmp(data, "smooth") == 0;
            for (const Kernel& k : kKernels) {
                auto* b = new Buffers;
                gBuffers.push_back(b);
                b->source = Frame(SourceBytes(k.routine, n), size.width, smooth);
                b->destination.resize(DestinationBytes(k.routine, n));
                b->copySource.resize(b->destination.size(), 1);
                const std::uint8_t* s = b->source.data();
                std::uint8_t* d = b->destination.data();
                for (KernelPath path : kAllPaths) {
                    if (!PathSupported(path)) continue;
                    ConversionRoutine fn = KernelsFor(path)->*k.member;
                    Register(Name(k.name, PathName(path), size, data), n, b->destination.size(), [=] { fn(s, d, n); });
                }
                Register(Name(k.name, "direct", size, data), n, b->destination.size(), [=] { k.direct(s, d, n); });
                const std::uint8_t* c = b->copySource.data();
                std::size_t out = b->destination.size();
                Register(Name(k.name, "memcpy", size, data), n, out, [=] { std::memcpy(d, c, out); });
                if (k.routine == Yuv422ToRgb) {
                    b->argb.resize(n * 4);
                    std::uint8_t* argb = b->argb.data();
                    int w = size.width, h = size.height;
                    Register(Name(k.name, "libyuv-UYVYToARGB", size, data), n, n * 4, [=] { libyuv::UYVYToARGB(s, w * 2, argb, w * 4, w, h); });
                    // libyuv has no one-step UYVY to RGB24; row by row through a cached ARGB row.
                    Register(Name(k.name, "libyuv-UYVYToRGB24", size, data), n, out, [=] {
                        for (int y = 0; y < h; ++y) {
                            libyuv::UYVYToARGB(s + std::size_t(y) * w * 2, w * 2, argb, w * 4, w, 1);
                            libyuv::ARGBToRGB24(argb, w * 4, d + std::size_t(y) * w * 3, w * 3, w, 1);
                        }
                    });
                }
                if (k.routine == Yuv444ToRgb) {
                    // libyuv takes 4:4:4 as three planes.
                    b->planes = Frame(n * 3, size.width, smooth);
                    const std::uint8_t* p = b->planes.data();
                    int w = size.width, h = size.height;
                    Register(Name(k.name, "libyuv-I444ToRGB24", size, data), n, out, [=] { libyuv::I444ToRGB24(p, w, p + n, w, p + 2 * n, w, d, w * 3, w, h); });
                }
            }
        }
    }
}

void PrintRatios(const std::map<std::string, double>& rate)
{
    auto get = [&](const std::string& name) { auto it = rate.find(name); return it == rate.end() ? 0.0 : it->second; };
    const char* best = PathName(ActivePath());
    std::printf("\nRatios of the chosen path (%s), Mpixel/s:\n", best);
    std::printf("%-16s %-10s %-7s %9s %9s %9s %9s %12s\n", "kernel", "size", "data", "path", "direct", "xdirect", "xmemcpy", "x libyuv");
    for (Size size : kSizes) {
        for (const char* data : kData) {
            for (const Kernel& k : kKernels) {
                double path = get(Name(k.name, best, size, data)), direct = get(Name(k.name, "direct", size, data));
                double copy = get(Name(k.name, "memcpy", size, data)), peer = get(Name(k.name, "libyuv-UYVYToRGB24", size, data));
                double peerArgb = get(Name(k.name, "libyuv-UYVYToARGB", size, data));
                std::string sizeText = std::to_string(size.width) + "x" + std::to_string(size.height);
                std::printf("%-16s %-10s %-7s %9.0f %9.0f %9.1f %9.2f", k.name, sizeText.c_str(), data, path / 1e6, direct / 1e6, path / direct, path / copy);
                if (peer > 0) std::printf("  %.2f (RGB24), %.2f (ARGB)", path / peer, path / peerArgb);
                std::printf("\n");
            }
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RegisterAll();
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    PrintRatios(collector.rate);
    for (Buffers* b : gBuffers) delete b;
    return 0;
}
