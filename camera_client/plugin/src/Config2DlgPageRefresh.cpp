// Page "Timer & Hardware Parameters": showing the working record, with the
// units, labels and enabling that follow the timing mode, the camera
// generation and the Camera Link outputs.
#include "Config2DlgPage.h"

#include "Config2Controls.h"
#include "KIV_KL7700CtrlDlg.h"

#include "kl7700/PageConversions.h"

using kl7700plugin::NumericRow;
using namespace kl7700plugin::page2;

double CConfig2DlgPage::FrameRateFactor() const
{
    const kl7700::ParameterRecord& working = m_owner->Session().WorkingRecord();
    return kl7700::frameRateUnit(working.K.value, working.F.min).factor;
}

void CConfig2DlgPage::LoadTimers()
{
    using kl7700plugin::FormatText;
    const kl7700::ParameterRecord& w = m_owner->Session().WorkingRecord();
    const int32_t k = w.K.value;
    auto showTicks = [&](const NumericRow& row, const kl7700::Parameter& p) {
        kl7700plugin::RowDisplay d;
        d.value = FormatText("%.4f", kl7700::ticksToMilliseconds(p.value, k));
        d.number = kl7700::ticksToMilliseconds(p.value, k);
        d.numberMax = kl7700::ticksToMilliseconds(p.max, k);
        d.minText = FormatText("%.4f ", kl7700::ticksToMilliseconds(p.min, k));
        d.maxText = FormatText(" %.4f", kl7700::ticksToMilliseconds(p.max, k));
        d.spinMin = d.sliderMin = p.min;
        d.spinMax = d.sliderMax = p.max;
        d.sliderPos = p.value;
        kl7700plugin::ShowRow(*this, row, d);
    };
    showTicks(kRowE, w.E);
    showTicks(kRowF, w.F);
    SetDlgItemText(IDC_EXPOSURE_LABEL, "Exposure Time [ms]:");
    SetDlgItemText(IDC_FRAME_DURATION_LABEL, "Frame Duration [ms]:");

    const kl7700::FrameRateUnit unit = kl7700::frameRateUnit(k, w.F.min);
    const double shownMax = kl7700::frameDurationToShownRate(w.F.min, k, unit.factor);
    const double shownMin = kl7700::frameDurationToShownRate(w.F.max, k, unit.factor);
    const double shown = kl7700::frameDurationToShownRate(w.F.value, k, unit.factor);
    SetDlgItemText(IDC_FRAME_RATE_LABEL, std::string(unit.label));
    kl7700plugin::RowDisplay rate;
    rate.value = FormatText("%.3f", shown);
    rate.number = shown;
    rate.numberMax = shownMax;
    rate.minText = FormatText("%.3f ", shownMin);
    rate.maxText = FormatText(" %.3f", shownMax);
    rate.spinMin = Truncated(shownMin);
    rate.spinMax = Truncated(shownMax);
    rate.sliderMin = Truncated(shownMin * 10);
    rate.sliderMax = Truncated(shownMax * 10);
    rate.sliderPos = Truncated(shown * 10);
    kl7700plugin::ShowRow(*this, kRowRate, rate);

    kl7700plugin::ShowIntegerRow(*this, kRowK, k, w.K.min, w.K.max);
    kl7700plugin::RowDisplay base;
    base.value = FormatText("%.3f", kl7700::prescalerToTimeBaseNs(k));
    base.number = kl7700::prescalerToTimeBaseNs(k);
    base.numberMax = kl7700::prescalerToTimeBaseNs(w.K.max);
    base.minText = FormatText("%.3f ", kl7700::prescalerToTimeBaseNs(w.K.min));
    base.maxText = FormatText(" %.2f", kl7700::prescalerToTimeBaseNs(w.K.max));
    base.spinMin = base.sliderMin = w.K.min;
    base.spinMax = base.sliderMax = w.K.max;
    base.sliderPos = k;
    kl7700plugin::ShowRow(*this, kRowTimeBase, base);
}

void CConfig2DlgPage::EnableAll(bool enable)
{
    for (const NumericRow* row : kRows) kl7700plugin::EnableRow(*this, *row, enable);
    for (int id : kComboAndChecks) kl7700plugin::EnableControl(*this, id, enable);
}

void CConfig2DlgPage::Load()
{
    kl7700::CameraSession& session = m_owner->Session();
    kl7700::ParameterRecord& w = session.WorkingRecord();
    LoadTimers();
    CheckDlgButton(IDC_CHANNEL_CONTROL, BST_CHECKED);
    CheckDlgButton(IDC_CHANNEL_O2, (w.s.value & kChannelO2Bit) != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_CHANNEL_O4, (w.s.value & kChannelO4Bit) != 0 ? BST_CHECKED : BST_UNCHECKED);
    SetComboSel(*this, IDC_BAUD_RATE, std::clamp(w.s.value & 0x0F, 0, 10));
    SetComboSel(*this, IDC_TIMING_MODE, kl7700::timingMode(w));
    for (int i = 0; i < 3; ++i) {
        if (w.T.value == kTriggerValues[i]) SetComboSel(*this, IDC_TRIGGER_SOURCE, i);
    }
    SetComboSel(*this, IDC_FEATURE_MODE, std::clamp((w.M.value & kFeatureMask) >> kFeatureShift, 0, 2));
    CheckDlgButton(IDC_PIV_MODE, (w.M.value & kPivBit) != 0 ? BST_CHECKED : BST_UNCHECKED);
    SetComboSel(*this, IDC_SYNC_OUTPUT, w.J.value & 3);
    CheckDlgButton(IDC_SYNC_INVERT, (w.J.value & kSyncInvertBit) != 0 ? BST_CHECKED : BST_UNCHECKED);

    const bool dual = session.CameraRecord().dualOutput == 1;
    if (!dual) w.S.value &= ~7;
    FillCombo(*this, IDC_CAMERA_LINK_MODE, kCameraLinkModes, dual ? 3 : 1);
    SetComboSel(*this, IDC_CAMERA_LINK_MODE, ModeEntry(kl7700::cameraLinkMode(w)));
    CheckDlgButton(IDC_SWAP_HALVES, ModeSwapped(kl7700::cameraLinkMode(w)) ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(IDC_CHANNEL_O2, w.dualOutput == 1 ? "O2" : "CL1");
    SetDlgItemText(IDC_CHANNEL_O4, w.dualOutput == 1 ? "O4" : "CL2");

    if (!session.CameraRecognised() || session.CommunicationError()) {
        EnableAll(false);
        kl7700plugin::EnableControl(*this, IDC_BAUD_RATE, true);
        kl7700plugin::EnableControl(*this, IDC_CHANNEL_O2, true);
        kl7700plugin::EnableControl(*this, IDC_CHANNEL_O4, true);
        kl7700plugin::EnableControl(*this, IDC_CONFIGURE, true);
        RecolourLimitLabels();
        return;
    }
    EnableAll(true);
    kl7700plugin::EnableControl(*this, IDC_SWAP_HALVES, ModeEntry(kl7700::cameraLinkMode(w)) != 0);
    const bool newCamera = kl7700::isNewFirmware(w);
    const bool standardFeature = (w.M.value & kFeatureMask) == 0;
    const bool piv = (w.M.value & kPivBit) != 0;
    for (int id : {IDC_SYNC_OUTPUT_LABEL, IDC_SYNC_OUTPUT, IDC_SYNC_INVERT}) kl7700plugin::EnableControl(*this, id, newCamera);
    kl7700plugin::EnableControl(*this, IDC_FEATURE_MODE_LABEL, newCamera && !piv);
    kl7700plugin::EnableControl(*this, IDC_FEATURE_MODE, newCamera && !piv);
    kl7700plugin::EnableControl(*this, IDC_PIV_MODE, newCamera && standardFeature);

    const int mode = kl7700::timingMode(w);
    SetDlgItemText(IDC_TRIGGER_SOURCE_LABEL, mode == 1 ? "Exp. Control Source:" : mode == 3 ? "Sync. Source:"
                                                                                            : "Trigger Source:");
    const bool exposureTimers = mode >= 2;
    const bool frameTimers = mode == 3;
    for (const NumericRow* row : {&kRowE, &kRowK, &kRowTimeBase}) kl7700plugin::EnableRow(*this, *row, exposureTimers);
    for (const NumericRow* row : {&kRowF, &kRowRate}) kl7700plugin::EnableRow(*this, *row, frameTimers);

    kl7700plugin::EnableControl(*this, IDC_CHANNEL_O2, true);
    kl7700plugin::EnableControl(*this, IDC_CHANNEL_O4, w.dualOutput == 1);
    for (int id : {IDC_BAUD_RATE, IDC_CAMERA_LINK_MODE, IDC_TRIGGER_SOURCE, IDC_TIMING_MODE}) {
        kl7700plugin::EnableControl(*this, id, true);
    }
    RecolourLimitLabels();
}
