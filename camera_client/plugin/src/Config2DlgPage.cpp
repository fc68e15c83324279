// Page "Timer & Hardware Parameters".
#include "Config2DlgPage.h"

#include "ControlRules.h"
#include "KIV_KL7700CtrlDlg.h"
#include "PluginShared.h"
#include "resource.h"

#include "Config2Controls.h"
#include "kl7700/PageConversions.h"

#include <algorithm>
#include <cmath>

using kl7700plugin::NumericRow;
using namespace kl7700plugin::page2;

BEGIN_MESSAGE_MAP(CConfig2DlgPage, CDialogPage)
    ON_CBN_SELCHANGE(IDC_TIMING_MODE, OnTimingMode)
    ON_CBN_SELCHANGE(IDC_TRIGGER_SOURCE, OnTriggerSource)
    ON_CBN_SELCHANGE(IDC_FEATURE_MODE, OnFeatureMode)
    ON_BN_CLICKED(IDC_PIV_MODE, OnPivMode)
    ON_CBN_SELCHANGE(IDC_SYNC_OUTPUT, OnSyncOutput)
    ON_BN_CLICKED(IDC_SYNC_INVERT, OnSyncInvert)
    ON_CBN_SELCHANGE(IDC_BAUD_RATE, OnBaudRate)
    ON_BN_CLICKED(IDC_CHANNEL_O2, OnChannelO2)
    ON_BN_CLICKED(IDC_CHANNEL_O4, OnChannelO4)
    ON_CBN_SELCHANGE(IDC_CAMERA_LINK_MODE, OnCameraLinkMode)
    ON_BN_CLICKED(IDC_SWAP_HALVES, OnSwapHalves)
    ON_BN_CLICKED(IDC_CONFIGURE, OnConfigure)
    ON_EN_KILLFOCUS(IDC_EXPOSURE_EDIT, OnKillFocusExposure)
    ON_EN_KILLFOCUS(IDC_FRAME_DURATION_EDIT, OnKillFocusFrameDuration)
    ON_EN_KILLFOCUS(IDC_FRAME_RATE_EDIT, OnKillFocusFrameRate)
    ON_EN_KILLFOCUS(IDC_PRESCALER_EDIT, OnKillFocusPrescaler)
    ON_EN_KILLFOCUS(IDC_TIME_BASE_EDIT, OnKillFocusTimeBase)
    ON_NOTIFY_RANGE(UDN_DELTAPOS, IDC_EXPOSURE_SPIN, IDC_PRESCALER_SPIN, OnSpin)
    ON_NOTIFY(UDN_DELTAPOS, IDC_TIME_BASE_SPIN, OnSpin)
    ON_WM_HSCROLL()
    ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

CConfig2DlgPage::CConfig2DlgPage(CKIV_KL7700CtrlDlg* owner) : CDialogPage(IDD_KL7700_PAGE_TIMER, owner) {}

BOOL CConfig2DlgPage::OnInitDialog()
{
    CDialogPage::OnInitDialog();
    FillCombo(*this, IDC_TIMING_MODE, kTimingModes);
    FillCombo(*this, IDC_TRIGGER_SOURCE, kTriggerSources);
    FillCombo(*this, IDC_FEATURE_MODE, kFeatureModes);
    FillCombo(*this, IDC_SYNC_OUTPUT, kSyncSources);
    FillCombo(*this, IDC_BAUD_RATE, kBaudRates);
    FillCombo(*this, IDC_CAMERA_LINK_MODE, kCameraLinkModes, 1);
    AttachIntegerField(IDC_PRESCALER_EDIT, 5);
    AttachRealField(IDC_EXPOSURE_EDIT, 4, 3);
    AttachRealField(IDC_FRAME_DURATION_EDIT, 4, 3);
    AttachRealField(IDC_FRAME_RATE_EDIT, 3, 1000000);
    AttachRealField(IDC_TIME_BASE_EDIT, 3, 1000000);
    for (const NumericRow* row : kRows) {
        AttachLimitLabel(row->minLabel);
        AttachLimitLabel(row->maxLabel);
    }
    CheckDlgButton(IDC_CHANNEL_CONTROL, BST_CHECKED);
    kl7700plugin::EnableControl(*this, IDC_CHANNEL_CONTROL, false);

    AddTip(IDC_TIMING_MODE_LABEL, "Exposure control mode (M).");
    AddTip(IDC_TIMING_MODE, "Exposure control mode (M).");
    AddTip(IDC_TRIGGER_SOURCE_LABEL, "Trigger source selection (T).");
    AddTip(IDC_TRIGGER_SOURCE, "Trigger source selection (T).");
    AddTip(IDC_EXPOSURE_LABEL, "Exposure time (E).");
    AddTip(IDC_FRAME_DURATION_LABEL, "Frame duration (F).");
    AddTip(IDC_FRAME_RATE_LABEL, "Frame rate, 1/Frame duration (F).");
    AddTip(IDC_PRESCALER_LABEL, "Timer prescaler value (K). Use default values (167 or 83) to minimize jitter.");
    AddTip(IDC_TIME_BASE_LABEL,
           "Time base, 1/Timer prescaler (K). Use default values (3.0\xB5s or 1.5\xB5s) to minimize jitter.");
    AddTip(IDC_BAUD_RATE_LABEL, "Change the baud rate of the camera (s).");
    AddTip(IDC_BAUD_RATE, "Change the baud rate of the camera (s).");
    AddTip(IDC_CHANNEL_O2, "Enable/Disable serial command channel via O2 Camera Link connector (s).");
    AddTip(IDC_CHANNEL_O4, "Enable/Disable serial command channel via O4 Camera Link connector (s).");
    AddTip(IDC_CHANNEL_CONTROL, "Enable/Disable serial command channel via 15-pin D-SUB connector (s).");
    AddTip(IDC_CONFIGURE, "Change the baud rate settings of this application.");
    AddTip(IDC_CAMERA_LINK_MODE, "Change the Camera Link port mode (S).");
    AddTip(IDC_SWAP_HALVES,
           "If checked, left and right image halfs are swapped (S). Left via O4/O3, right via O2/O1.");
    AddTip(IDC_FEATURE_MODE_LABEL, "Exposure feature mode (M).");
    AddTip(IDC_FEATURE_MODE, "Exposure feature mode (M).");
    AddTip(IDC_SYNC_OUTPUT_LABEL, "Configuration of the synchronization output at pin 6 of the control connector (J).");
    AddTip(IDC_SYNC_OUTPUT, "Configuration of the synchronization output at pin 6 of the control connector (J).");
    AddTip(IDC_PIV_MODE,
           "Particle Image Velocimetry mode (M). If enabled, the camera outputs two images per trigger event.");
    AddTip(IDC_SYNC_INVERT, "Invert the logic levels of the synchronization output (J).");
    for (const NumericRow* row : kRows) {
        AddTip(row->minLabel, "Minimum value.");
        AddTip(row->maxLabel, "Maximum value.");
    }
    AddTip(IDC_PRESCALER_SLIDER, "Right click for presets.");
    AddTip(IDC_TIME_BASE_SLIDER, "Right click for presets.");
    m_toolTip.Activate(TRUE);
    return TRUE;
}

bool CConfig2DlgPage::DataTransfer(bool save)
{
    if (m_owner == nullptr || !::IsWindow(m_hWnd)) return true;
    kl7700::ParameterRecord& working = m_owner->Session().WorkingRecord();
    if (save) {
        working.E.value = kl7700plugin::SliderPos(*this, IDC_EXPOSURE_SLIDER);
        working.F.value = kl7700plugin::SliderPos(*this, IDC_FRAME_DURATION_SLIDER);
        working.K.value = kl7700plugin::ReadIntegerField(*this, IDC_PRESCALER_EDIT);
        return true;
    }
    Load();
    m_owner->RefreshHeader();
    return true;
}

void CConfig2DlgPage::Change(int controlId, bool writeNow)
{
    if (m_owner == nullptr) return;
    m_owner->Session().ApplyParameterRules(kl7700plugin::RuleForControl(controlId));
    DataTransfer(false);
    if (writeNow) m_owner->Session().WriteChangedParameters();
}

// ---- lists and check boxes: written at once

void CConfig2DlgPage::OnTimingMode()
{
    int32_t& m = m_owner->Session().WorkingRecord().M.value;
    m = (m & ~3) | std::max(ComboSel(*this, IDC_TIMING_MODE), 0);
    Change(IDC_TIMING_MODE, true);
}

void CConfig2DlgPage::OnTriggerSource()
{
    const int sel = ComboSel(*this, IDC_TRIGGER_SOURCE);
    m_owner->Session().WorkingRecord().T.value = sel >= 0 && sel < 3 ? kTriggerValues[sel] : 0;
    Change(IDC_TRIGGER_SOURCE, true);
}

void CConfig2DlgPage::OnFeatureMode()
{
    int32_t& m = m_owner->Session().WorkingRecord().M.value;
    m = (m & ~kFeatureMask) | (std::max(ComboSel(*this, IDC_FEATURE_MODE), 0) << kFeatureShift);
    Change(IDC_FEATURE_MODE, true);
}

void CConfig2DlgPage::OnPivMode()
{
    int32_t& m = m_owner->Session().WorkingRecord().M.value;
    m = IsDlgButtonChecked(IDC_PIV_MODE) == BST_CHECKED ? (m | kPivBit) : (m & ~kPivBit);
    Change(IDC_PIV_MODE, true);
}

void CConfig2DlgPage::OnSyncOutput()
{
    int32_t& j = m_owner->Session().WorkingRecord().J.value;
    j = (j & ~3) | std::max(ComboSel(*this, IDC_SYNC_OUTPUT), 0);
    Change(IDC_SYNC_OUTPUT, true);
}

void CConfig2DlgPage::OnSyncInvert()
{
    int32_t& j = m_owner->Session().WorkingRecord().J.value;
    j = IsDlgButtonChecked(IDC_SYNC_INVERT) == BST_CHECKED ? (j | kSyncInvertBit) : (j & ~kSyncInvertBit);
    Change(IDC_SYNC_INVERT, true);
}

void CConfig2DlgPage::OnBaudRate()
{
    int32_t& s = m_owner->Session().WorkingRecord().s.value;
    s = (s & ~0x0F) | std::max(ComboSel(*this, IDC_BAUD_RATE), 0);
    Change(IDC_BAUD_RATE, true);
}

void CConfig2DlgPage::OnChannelO2()
{
    int32_t& s = m_owner->Session().WorkingRecord().s.value;
    s = IsDlgButtonChecked(IDC_CHANNEL_O2) == BST_CHECKED ? (s | kChannelO2Bit) : (s & ~kChannelO2Bit);
    Change(IDC_CHANNEL_O2, true);
}

void CConfig2DlgPage::OnChannelO4()
{
    int32_t& s = m_owner->Session().WorkingRecord().s.value;
    s = IsDlgButtonChecked(IDC_CHANNEL_O4) == BST_CHECKED ? (s | kChannelO4Bit) : (s & ~kChannelO4Bit);
    Change(IDC_CHANNEL_O4, true);
}

void CConfig2DlgPage::OnCameraLinkMode()
{
    int32_t& bits = m_owner->Session().WorkingRecord().S.value;
    const bool swapped = IsDlgButtonChecked(IDC_SWAP_HALVES) == BST_CHECKED;
    bits = (bits & ~7) | ModeBits(ComboSel(*this, IDC_CAMERA_LINK_MODE), swapped);
    Change(IDC_CAMERA_LINK_MODE, true);
}

void CConfig2DlgPage::OnSwapHalves()
{
    int32_t& bits = m_owner->Session().WorkingRecord().S.value;
    const bool swapped = IsDlgButtonChecked(IDC_SWAP_HALVES) == BST_CHECKED;
    bits = (bits & ~7) | ModeBits(ComboSel(*this, IDC_CAMERA_LINK_MODE), swapped);
    Change(IDC_SWAP_HALVES, true);
}

// The host's own port settings, with the port closed while they change.
void CConfig2DlgPage::OnConfigure()
{
    CHapDeviceComm_0* device = m_owner->GetDeviceComm();
    if (device == nullptr) return;
    const void* owner = m_owner->LockOwner();
    if (device->Lock(owner, kl7700::CameraSession::kLockTimeoutMs) != 0) return;
    const bool wasOpen = device->GetState() == HAPCOMM_STATE_OPEN;
    device->Close();
    device->ShowConfigDialog(m_owner->m_hWnd);
    device->Unlock(owner);
    if (wasOpen) device->Open();
}

// ---- entry fields: written at the next write-back

void CConfig2DlgPage::FieldChanged(int editId)
{
    if (m_owner == nullptr || !::IsWindow(m_hWnd)) return;
    kl7700::ParameterRecord& w = m_owner->Session().WorkingRecord();
    double value = 0;
    if (editId == IDC_PRESCALER_EDIT) {
        w.K.value = kl7700plugin::ReadIntegerField(*this, editId);
    } else if (kl7700plugin::ReadRealField(*this, editId, value)) {
        switch (editId) {
        case IDC_EXPOSURE_EDIT: w.E.value = kl7700::millisecondsToTicks(value, w.K.value); break;
        case IDC_FRAME_DURATION_EDIT: w.F.value = kl7700::millisecondsToTicks(value, w.K.value); break;
        case IDC_FRAME_RATE_EDIT:
            if (value > 0) w.F.value = kl7700::shownRateToFrameDuration(value, w.K.value, FrameRateFactor());
            break;
        case IDC_TIME_BASE_EDIT: w.K.value = kl7700::timeBaseNsToPrescaler(value); break;
        default: break;
        }
    }
    Change(editId, false);
}

void CConfig2DlgPage::OnKillFocusExposure() { FieldChanged(IDC_EXPOSURE_EDIT); }
void CConfig2DlgPage::OnKillFocusFrameDuration() { FieldChanged(IDC_FRAME_DURATION_EDIT); }
void CConfig2DlgPage::OnKillFocusFrameRate() { FieldChanged(IDC_FRAME_RATE_EDIT); }
void CConfig2DlgPage::OnKillFocusPrescaler() { FieldChanged(IDC_PRESCALER_EDIT); }
void CConfig2DlgPage::OnKillFocusTimeBase() { FieldChanged(IDC_TIME_BASE_EDIT); }

void CConfig2DlgPage::OnEnterKey(int focusId)
{
    for (const NumericRow* row : kRows) {
        if (row->edit == focusId) FieldChanged(focusId);
    }
}

// ---- spins and sliders: written at once

void CConfig2DlgPage::OnSpin(NMHDR* header, LRESULT* result)
{
    *result = 1; // the page sets the position itself
    if (m_owner == nullptr) return;
    kl7700::ParameterRecord& w = m_owner->Session().WorkingRecord();
    const int id = static_cast<int>(header->idFrom);
    const int step = reinterpret_cast<NMUPDOWN*>(header)->iDelta > 0 ? 1 : -1;
    auto stepped = [step](const kl7700::Parameter& p) {
        return static_cast<int32_t>(std::clamp<int64_t>(int64_t{p.value} + step, p.min, p.max));
    };
    switch (id) {
    case IDC_EXPOSURE_SPIN: w.E.value = stepped(w.E); break;
    case IDC_FRAME_DURATION_SPIN: w.F.value = stepped(w.F); break;
    case IDC_PRESCALER_SPIN:
    case IDC_TIME_BASE_SPIN: w.K.value = stepped(w.K); break;
    case IDC_FRAME_RATE_SPIN: {
        const double factor = FrameRateFactor();
        const double shownMax = kl7700::frameDurationToShownRate(w.F.min, w.K.value, factor);
        const double shownMin = kl7700::frameDurationToShownRate(w.F.max, w.K.value, factor);
        const double rate = std::clamp(kl7700::frameDurationToShownRate(w.F.value, w.K.value, factor) + step,
                                       shownMin, shownMax);
        if (rate > 0) w.F.value = kl7700::shownRateToFrameDuration(rate, w.K.value, factor);
        break;
    }
    default: return;
    }
    Change(id, true);
}

void CConfig2DlgPage::OnHScroll(UINT, UINT, CScrollBar* bar)
{
    if (m_owner == nullptr || bar == nullptr) return;
    kl7700::ParameterRecord& w = m_owner->Session().WorkingRecord();
    const int id = bar->GetDlgCtrlID();
    const int pos = kl7700plugin::SliderPos(*this, id);
    switch (id) {
    case IDC_EXPOSURE_SLIDER: w.E.value = pos; break;
    case IDC_FRAME_DURATION_SLIDER: w.F.value = pos; break;
    case IDC_FRAME_RATE_SLIDER:
        if (pos > 0) w.F.value = kl7700::shownRateToFrameDuration(pos / 10.0, w.K.value, FrameRateFactor());
        break;
    case IDC_PRESCALER_SLIDER:
    case IDC_TIME_BASE_SLIDER: w.K.value = pos; break;
    default: return;
    }
    Change(id, true);
}

// ---- presets

std::vector<PresetItem> CConfig2DlgPage::PresetItems(int sliderId) const
{
    std::vector<PresetItem> items;
    if (m_owner == nullptr || (sliderId != IDC_PRESCALER_SLIDER && sliderId != IDC_TIME_BASE_SLIDER)) return items;
    const kl7700::ParameterRecord& w = m_owner->Session().WorkingRecord();
    const bool enabled = w.N.max > w.N.value;
    for (const kl7700::PrescalerPreset& preset : kl7700::prescalerPresets()) {
        const std::string_view text = sliderId == IDC_PRESCALER_SLIDER ? preset.prescalerLabel : preset.timeBaseLabel;
        items.push_back({std::string(text), enabled});
    }
    return items;
}

void CConfig2DlgPage::ApplyPreset(int sliderId, int index)
{
    const std::vector<PresetItem> items = PresetItems(sliderId);
    if (index < 0 || index >= static_cast<int>(items.size()) || !items[index].enabled) return;
    m_owner->Session().WorkingRecord().K.value = kl7700::prescalerPresets()[index].prescaler;
    Change(sliderId == IDC_PRESCALER_SLIDER ? IDC_PRESCALER_EDIT : IDC_TIME_BASE_EDIT, false);
}

void CConfig2DlgPage::OnContextMenu(CWnd* window, CPoint)
{
    if (window == nullptr || !window->IsWindowEnabled()) return;
    const int id = window->GetDlgCtrlID();
    if (id != IDC_PRESCALER_SLIDER && id != IDC_TIME_BASE_SLIDER) return;
    ApplyPreset(id, TrackPresetMenu(this, PresetItems(id)));
}
