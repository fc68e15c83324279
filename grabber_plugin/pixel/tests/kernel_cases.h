// The four kernels as table rows for the tests: public routine, reference and the
// member of a path's kernel set.
#pragma once

#include "grabber_pixel/conversions.h"
#include "reference.h"

#include <vector>

namespace grabber_pixel::testing {

struct KernelCase {
    const char* name;
    ConversionRoutine routine;
    ConversionRoutine reference;
    ConversionRoutine KernelSet::*member;
};

inline const KernelCase kKernels[] = {
    {"Unpack12Packed", Unpack12Packed, reference::Unpack12Packed, &KernelSet::unpack12Packed},
    {"Yuv444ToRgb", Yuv444ToRgb, reference::Yuv444ToRgb, &KernelSet::yuv444ToRgb},
    {"Yuv422ToRgb", Yuv422ToRgb, reference::Yuv422ToRgb, &KernelSet::yuv422ToRgb},
    {"Yuv411ToRgb", Yuv411ToRgb, reference::Yuv411ToRgb, &KernelSet::yuv411ToRgb},
};

inline std::vector<KernelPath> SupportedPaths()
{
    std::vector<KernelPath> paths;
    for (KernelPath path : kAllPaths) {
        if (PathSupported(path)) paths.push_back(path);
    }
    return paths;
}

} // namespace grabber_pixel::testing
