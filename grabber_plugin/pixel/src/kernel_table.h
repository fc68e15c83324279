// The per-path kernel sets and the scalar routines the vector paths finish with.
#pragma once

#include "grabber_pixel/conversions.h"

namespace grabber_pixel::detail {

extern const KernelSet kBaselineKernels;
extern const KernelSet kSsse3Kernels; // only where the build has the path
extern const KernelSet kAvx2Kernels;
extern const KernelSet kAvx512Kernels;

// Scalar kernels on whole source groups; the vector paths hand them the tail.
void Unpack12PackedScalar(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount);
void Yuv444ToRgbScalar(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount);
void Yuv422ToRgbScalar(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount);
void Yuv411ToRgbScalar(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount);

} // namespace grabber_pixel::detail
