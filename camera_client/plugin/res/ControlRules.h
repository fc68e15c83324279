// The one table from the control dialog's controls to the rule each of them runs
// after it changed; every other control runs none.
#pragma once

#include "resource.h"

#include "kl7700/ParameterRules.h"

namespace kl7700plugin {

struct ControlRule {
    int controlId;
    kl7700::Rule rule;
};

// The edit field, its spin button and its slider run the rule of their parameter.
inline constexpr ControlRule kControlRules[] = {
    {IDC_EXPOSURE_EDIT, kl7700::Rule::Exposure},
    {IDC_EXPOSURE_SPIN, kl7700::Rule::Exposure},
    {IDC_EXPOSURE_SLIDER, kl7700::Rule::Exposure},
    {IDC_FRAME_DURATION_EDIT, kl7700::Rule::FrameDuration},
    {IDC_FRAME_DURATION_SPIN, kl7700::Rule::FrameDuration},
    {IDC_FRAME_DURATION_SLIDER, kl7700::Rule::FrameDuration},
    {IDC_FRAME_RATE_EDIT, kl7700::Rule::FrameDuration},
    {IDC_FRAME_RATE_SPIN, kl7700::Rule::FrameDuration},
    {IDC_FRAME_RATE_SLIDER, kl7700::Rule::FrameDuration},
    {IDC_PRESCALER_EDIT, kl7700::Rule::Prescaler},
    {IDC_PRESCALER_SPIN, kl7700::Rule::Prescaler},
    {IDC_PRESCALER_SLIDER, kl7700::Rule::Prescaler},
    {IDC_TIME_BASE_EDIT, kl7700::Rule::Prescaler},
    {IDC_TIME_BASE_SPIN, kl7700::Rule::Prescaler},
    {IDC_TIME_BASE_SLIDER, kl7700::Rule::Prescaler},
    {IDC_FIRST_LINE_A_EDIT, kl7700::Rule::FirstLineA},
    {IDC_FIRST_LINE_A_SPIN, kl7700::Rule::FirstLineA},
    {IDC_FIRST_LINE_A_SLIDER, kl7700::Rule::FirstLineA},
    {IDC_FIRST_LINE_B_EDIT, kl7700::Rule::FirstLineB},
    {IDC_FIRST_LINE_B_SPIN, kl7700::Rule::FirstLineB},
    {IDC_FIRST_LINE_B_SLIDER, kl7700::Rule::FirstLineB},
    {IDC_LINES_EDIT, kl7700::Rule::Lines},
    {IDC_LINES_SPIN, kl7700::Rule::Lines},
    {IDC_LINES_SLIDER, kl7700::Rule::Lines},
    {IDC_LINE_INCREMENT_EDIT, kl7700::Rule::LineIncrement},
    {IDC_LINE_INCREMENT_SPIN, kl7700::Rule::LineIncrement},
    {IDC_LINE_INCREMENT_SLIDER, kl7700::Rule::LineIncrement},
    {IDC_SECOND_REGION, kl7700::Rule::SecondRegion},
    {IDC_CAMERA_LINK_MODE, kl7700::Rule::CameraLinkMode},
    {IDC_SWAP_HALVES, kl7700::Rule::CameraLinkMode},
    {IDC_TIMING_MODE, kl7700::Rule::TimingMode},
    {IDC_GAIN, kl7700::Rule::Gain},
    {IDC_DARK_VALUE_EDIT, kl7700::Rule::DarkValue},
    {IDC_DARK_VALUE_SPIN, kl7700::Rule::DarkValue},
    {IDC_DARK_VALUE_SLIDER, kl7700::Rule::DarkValue},
    {IDC_TRIGGER_SOURCE, kl7700::Rule::TriggerSource},
    {IDC_SYNC_OUTPUT, kl7700::Rule::SyncOutput},
    {IDC_BAUD_RATE, kl7700::Rule::BaudRate},
};

constexpr kl7700::Rule RuleForControl(int controlId)
{
    for (const ControlRule& entry : kControlRules) {
        if (entry.controlId == controlId) return entry.rule;
    }
    return kl7700::Rule::None;
}

} // namespace kl7700plugin
