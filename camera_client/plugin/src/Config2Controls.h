// The controls of page "Timer & Hardware Parameters": rows, list texts and the
// bits of the record they show; shared by the page's handlers and its refresh.
#pragma once

#include "NumericRow.h"
#include "resource.h"

#include "app_framework/afx.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kl7700plugin::page2 {

inline constexpr kl7700plugin::NumericRow kRowE = {IDC_EXPOSURE_LABEL, IDC_EXPOSURE_EDIT, IDC_EXPOSURE_SPIN,
                                                   IDC_EXPOSURE_SLIDER, IDC_EXPOSURE_MIN, IDC_EXPOSURE_MAX};
inline constexpr kl7700plugin::NumericRow kRowF = {IDC_FRAME_DURATION_LABEL, IDC_FRAME_DURATION_EDIT, IDC_FRAME_DURATION_SPIN,
                                                   IDC_FRAME_DURATION_SLIDER, IDC_FRAME_DURATION_MIN, IDC_FRAME_DURATION_MAX};
inline constexpr kl7700plugin::NumericRow kRowRate = {IDC_FRAME_RATE_LABEL, IDC_FRAME_RATE_EDIT, IDC_FRAME_RATE_SPIN,
                                                      IDC_FRAME_RATE_SLIDER, IDC_FRAME_RATE_MIN, IDC_FRAME_RATE_MAX};
inline constexpr kl7700plugin::NumericRow kRowK = {IDC_PRESCALER_LABEL, IDC_PRESCALER_EDIT, IDC_PRESCALER_SPIN,
                                                   IDC_PRESCALER_SLIDER, IDC_PRESCALER_MIN, IDC_PRESCALER_MAX};
inline constexpr kl7700plugin::NumericRow kRowTimeBase = {IDC_TIME_BASE_LABEL, IDC_TIME_BASE_EDIT, IDC_TIME_BASE_SPIN,
                                                          IDC_TIME_BASE_SLIDER, IDC_TIME_BASE_MIN, IDC_TIME_BASE_MAX};
inline constexpr const kl7700plugin::NumericRow* kRows[] = {&kRowE, &kRowF, &kRowRate, &kRowK, &kRowTimeBase};

inline constexpr const char* kTimingModes[] = {"Continuous Mode", "Image On Demand (IOD)",
                                               "Image On Demand (IOD) with Exposure Timer",
                                               "Image On Demand (IOD) with Exposure Timer & FDT"};
inline constexpr const char* kTriggerSources[] = {"No Input", "Optocoupler OK1", "CC1"};
inline constexpr int32_t kTriggerValues[] = {0, 2, 3};
inline constexpr const char* kFeatureModes[] = {"Standard Mode", "Enhanced full well (3T) mode", "Permanent exposure mode"};
inline constexpr const char* kSyncSources[] = {"Effective sensor exposure", "Charge transfer pulse",
                                               "Effective sensor readout", "Exposure phase"};
inline constexpr const char* kBaudRates[] = {"110", "300", "600", "1200", "2400", "4800",
                                             "9600", "19200", "38400", "57600", "115200"};
inline constexpr const char* kCameraLinkModes[] = {"1 x 10-Tap (1 x 2320 col.)", "2 x 10-Tap (2 x 1160 col.)",
                                                   "2 x 10-Tap (2 x 1120 col.)"};

inline constexpr int32_t kPivBit = 0x04;
inline constexpr int32_t kFeatureShift = 4;
inline constexpr int32_t kFeatureMask = 0x30;
inline constexpr int32_t kSyncInvertBit = 0x08;
inline constexpr int32_t kChannelO2Bit = 0x20;
inline constexpr int32_t kChannelO4Bit = 0x40;

inline constexpr int kComboAndChecks[] = {IDC_TIMING_MODE_LABEL, IDC_TIMING_MODE, IDC_TRIGGER_SOURCE_LABEL, IDC_TRIGGER_SOURCE,
                                          IDC_FEATURE_MODE_LABEL, IDC_FEATURE_MODE, IDC_PIV_MODE, IDC_SYNC_OUTPUT_LABEL,
                                          IDC_SYNC_OUTPUT, IDC_SYNC_INVERT, IDC_CAMERA_LINK_MODE, IDC_SWAP_HALVES};

// Camera Link mode bits <-> (list entry, swapped).
inline int ModeEntry(int32_t bits) { return bits == 1 || bits == 5 ? 1 : bits == 3 || bits == 7 ? 2
                                                                                                : 0; }
inline bool ModeSwapped(int32_t bits) { return bits == 5 || bits == 7; }
inline int32_t ModeBits(int entry, bool swapped)
{
    if (entry == 1) return swapped ? 5 : 1;
    if (entry == 2) return swapped ? 7 : 3;
    return 0;
}

inline int ComboSel(const CWnd& page, int id) { return static_cast<int>(::SendDlgItemMessageA(page.m_hWnd, id, CB_GETCURSEL, 0, 0)); }
inline void SetComboSel(CWnd& page, int id, int index) { ::SendDlgItemMessageA(page.m_hWnd, id, CB_SETCURSEL, index, 0); }
template <size_t N>
void FillCombo(CWnd& page, int id, const char* const (&texts)[N], size_t count = N)
{
    ::SendDlgItemMessageA(page.m_hWnd, id, CB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < count && i < N; ++i) {
        ::SendDlgItemMessageA(page.m_hWnd, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts[i]));
    }
}

inline int32_t Truncated(double value)
{
    if (!std::isfinite(value)) return value > 0 ? INT32_MAX : 0;
    return static_cast<int32_t>(std::clamp(std::trunc(value), double{INT32_MIN}, double{INT32_MAX}));
}

} // namespace kl7700plugin::page2
