// The public routines: each calls the kernel of the path chosen once for this
// processor, so a frame costs one indirect call and no feature test.
#include "grabber_pixel/conversions.h"
#include "kernel_table.h"

#include <atomic>
#include <cstdint>

namespace grabber_pixel {
namespace {

bool ProcessorHas(KernelPath path)
{
    __builtin_cpu_init();
    switch (path) {
    case KernelPath::Baseline: return true;
    case KernelPath::Ssse3: return __builtin_cpu_supports("ssse3");
    // The builtin also checks that the system saves the AVX registers.
    case KernelPath::Avx2: return __builtin_cpu_supports("avx2");
    case KernelPath::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vnni");
    }
    return false;
}

const KernelSet* BestKernels()
{
    for (auto it = std::end(kAllPaths); it != std::begin(kAllPaths);) {
        if (const KernelSet* set = KernelsFor(*--it)) return set;
    }
    return &detail::kBaselineKernels;
}

std::atomic<const KernelSet*>& Active()
{
    static std::atomic<const KernelSet*> active{BestKernels()};
    return active;
}

} // namespace

const char* PathName(KernelPath path)
{
    switch (path) {
    case KernelPath::Baseline: return "baseline";
    case KernelPath::Ssse3: return "ssse3";
    case KernelPath::Avx2: return "avx2";
    case KernelPath::Avx512: return "avx512";
    }
    return "unknown";
}

bool PathSupported(KernelPath path) { return KernelsFor(path) != nullptr; }

const KernelSet* KernelsFor(KernelPath path)
{
    if (!ProcessorHas(path)) return nullptr;
    switch (path) {
    case KernelPath::Baseline: return &detail::kBaselineKernels;
    case KernelPath::Ssse3: return &detail::kSsse3Kernels;
    case KernelPath::Avx2: return &detail::kAvx2Kernels;
    case KernelPath::Avx512: return &detail::kAvx512Kernels;
    }
    return nullptr;
}

KernelPath ActivePath()
{
    const KernelSet* active = Active().load(std::memory_order_relaxed);
    for (KernelPath path : kAllPaths) {
        if (KernelsFor(path) == active) return path;
    }
    return KernelPath::Baseline;
}

bool ForcePathForTesting(KernelPath path)
{
    const KernelSet* set = KernelsFor(path);
    if (!set) return false;
    Active().store(set, std::memory_order_relaxed);
    return true;
}

void Unpack12Packed(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount)
{
    Active().load(std::memory_order_relaxed)->unpack12Packed(source, destination, pixelCount);
}

void Yuv444ToRgb(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount)
{
    Active().load(std::memory_order_relaxed)->yuv444ToRgb(source, destination, pixelCount);
}

void Yuv422ToRgb(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount)
{
    Active().load(std::memory_order_relaxed)->yuv422ToRgb(source, destination, pixelCount);
}

void Yuv411ToRgb(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount)
{
    Active().load(std::memory_order_relaxed)->yuv411ToRgb(source, destination, pixelCount);
}

// Counts so large that the byte count would wrap give SIZE_MAX, which no buffer
// satisfies.
constexpr std::size_t kCountLimit = SIZE_MAX / 3;

std::size_t SourceBytes(ConversionRoutine routine, std::size_t n)
{
    if (n > kCountLimit) return routine && DestinationBytes(routine, 1) ? SIZE_MAX : 0;
    if (routine == Unpack12Packed) return n / 2 * 3 + (n & 1) * 2;
    if (routine == Yuv444ToRgb) return n * 3;
    // The odd pixel reads U, Y0 and V of a group of 4.
    if (routine == Yuv422ToRgb) return n / 2 * 4 + (n & 1) * 3;
    // 1, 2 or 3 last pixels read up to V (byte 3), Y1 (byte 2) or Y2 (byte 4).
    if (routine == Yuv411ToRgb) {
        static constexpr std::size_t kPartial[4] = {0, 4, 4, 5};
        return n / 4 * 6 + kPartial[n % 4];
    }
    return 0;
}

std::size_t DestinationBytes(ConversionRoutine routine, std::size_t n)
{
    if (n > kCountLimit) return routine && DestinationBytes(routine, 1) ? SIZE_MAX : 0;
    if (routine == Unpack12Packed) return n * 2;
    if (routine == Yuv444ToRgb || routine == Yuv422ToRgb || routine == Yuv411ToRgb) return n * 3;
    return 0;
}

} // namespace grabber_pixel
