// Page "Image Parameters".
#include "Config1DlgPage.h"

#include "ControlRules.h"
#include "KIV_KL7700CtrlDlg.h"
#include "PluginShared.h"
#include "resource.h"

#include "kl7700/PageConversions.h"

#include <algorithm>

using kl7700plugin::NumericRow;

namespace {

constexpr NumericRow kRowA = {IDC_FIRST_LINE_A_LABEL, IDC_FIRST_LINE_A_EDIT, IDC_FIRST_LINE_A_SPIN,
                              IDC_FIRST_LINE_A_SLIDER, IDC_FIRST_LINE_A_MIN, IDC_FIRST_LINE_A_MAX};
constexpr NumericRow kRowB = {IDC_SECOND_REGION, IDC_FIRST_LINE_B_EDIT, IDC_FIRST_LINE_B_SPIN,
                              IDC_FIRST_LINE_B_SLIDER, IDC_FIRST_LINE_B_MIN, IDC_FIRST_LINE_B_MAX};
constexpr NumericRow kRowN = {IDC_LINES_LABEL, IDC_LINES_EDIT, IDC_LINES_SPIN,
                              IDC_LINES_SLIDER, IDC_LINES_MIN, IDC_LINES_MAX};
constexpr NumericRow kRowI = {IDC_LINE_INCREMENT_LABEL, IDC_LINE_INCREMENT_EDIT, IDC_LINE_INCREMENT_SPIN,
                              IDC_LINE_INCREMENT_SLIDER, IDC_LINE_INCREMENT_MIN, IDC_LINE_INCREMENT_MAX};
constexpr NumericRow kRowW = {IDC_DARK_VALUE_LABEL, IDC_DARK_VALUE_EDIT, IDC_DARK_VALUE_SPIN,
                              IDC_DARK_VALUE_SLIDER, IDC_DARK_VALUE_MIN, IDC_DARK_VALUE_MAX};

struct RowField {
    const NumericRow* row;
    kl7700::Parameter kl7700::ParameterRecord::*field;
};
constexpr RowField kRows[] = {{&kRowA, &kl7700::ParameterRecord::A}, {&kRowB, &kl7700::ParameterRecord::B}, {&kRowN, &kl7700::ParameterRecord::N}, {&kRowI, &kl7700::ParameterRecord::I}, {&kRowW, &kl7700::ParameterRecord::W}};

const RowField* RowOf(int id)
{
    for (const RowField& row : kRows) {
        if (row.row->Owns(id)) return &row;
    }
    return nullptr;
}

constexpr int kEditLimits[][2] = {{IDC_FIRST_LINE_A_EDIT, 4}, {IDC_FIRST_LINE_B_EDIT, 4}, {IDC_LINES_EDIT, 4}, {IDC_LINE_INCREMENT_EDIT, 4}, {IDC_DARK_VALUE_EDIT, 3}};

constexpr int kOtherControls[] = {IDC_FPN_ACTIVE, IDC_CALIBRATE, IDC_GAIN, IDC_FRAME_COUNTER, IDC_TEST_IMAGE};

constexpr int32_t kFrameCounterBit = 0x10;
constexpr int32_t kTestImageBit = 0x01;

} // namespace

BEGIN_MESSAGE_MAP(CConfig1DlgPage, CDialogPage)
    ON_EN_KILLFOCUS(IDC_FIRST_LINE_A_EDIT, OnKillFocusA)
    ON_EN_KILLFOCUS(IDC_FIRST_LINE_B_EDIT, OnKillFocusB)
    ON_EN_KILLFOCUS(IDC_LINES_EDIT, OnKillFocusN)
    ON_EN_KILLFOCUS(IDC_LINE_INCREMENT_EDIT, OnKillFocusI)
    ON_EN_KILLFOCUS(IDC_DARK_VALUE_EDIT, OnKillFocusW)
    ON_NOTIFY_RANGE(UDN_DELTAPOS, IDC_LINE_INCREMENT_SPIN, IDC_FIRST_LINE_A_SPIN, OnSpin)
    ON_NOTIFY(UDN_DELTAPOS, IDC_DARK_VALUE_SPIN, OnSpin)
    ON_WM_HSCROLL()
    ON_BN_CLICKED(IDC_SECOND_REGION, OnSecondRegion)
    ON_BN_CLICKED(IDC_FPN_ACTIVE, OnFpnActive)
    ON_BN_CLICKED(IDC_CALIBRATE, OnCalibrate)
    ON_CBN_SELCHANGE(IDC_GAIN, OnGain)
    ON_BN_CLICKED(IDC_FRAME_COUNTER, OnFrameCounter)
    ON_BN_CLICKED(IDC_TEST_IMAGE, OnTestImage)
    ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

CConfig1DlgPage::CConfig1DlgPage(CKIV_KL7700CtrlDlg* owner) : CDialogPage(IDD_KL7700_PAGE_IMAGE, owner) {}

BOOL CConfig1DlgPage::OnInitDialog()
{
    CDialogPage::OnInitDialog();
    for (const auto& [id, chars] : kEditLimits) AttachIntegerField(id, chars);
    for (const RowField& row : kRows) {
        AttachLimitLabel(row.row->minLabel);
        AttachLimitLabel(row.row->maxLabel);
    }
    for (const char* gain : {"x1", "x2", "x4"}) SendDlgItemMessageA(m_hWnd, IDC_GAIN, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(gain));
    AddTip(IDC_FIRST_LINE_A_LABEL, "Primary starting address (A).");
    AddTip(IDC_SECOND_REGION, "Secondary starting address (B, D).");
    AddTip(IDC_LINES_LABEL, "Number of lines (N).");
    AddTip(IDC_LINE_INCREMENT_LABEL, "Line address increment (I).");
    AddTip(IDC_DARK_VALUE_LABEL, "Dark value offset (W).");
    AddTip(IDC_FRAME_COUNTER, "Enable/Disable hardware frame counter overlay (U).");
    AddTip(IDC_TEST_IMAGE, "Enable/Disable test image generator (U).");
    AddTip(IDC_FPN_ACTIVE, "Activate Fix Pattern Noise correction (C).");
    AddTip(IDC_CALIBRATE, "Calibrate the sensor (C).");
    AddTip(IDC_GAIN, "Change digital gain (G).");
    for (const RowField& row : kRows) {
        AddTip(row.row->minLabel, "Minimum value.");
        AddTip(row.row->maxLabel, "Maximum value.");
    }
    AddTip(IDC_FIRST_LINE_A_SLIDER, "Right click for presets.");
    AddTip(IDC_LINES_SLIDER, "Right click for presets.");
    m_toolTip.Activate(TRUE);
    return TRUE;
}

bool CConfig1DlgPage::Usable() const
{
    return m_owner != nullptr && m_owner->Session().CameraRecognised() && !m_owner->Session().CommunicationError();
}

bool CConfig1DlgPage::DataTransfer(bool save)
{
    if (m_owner == nullptr || !::IsWindow(m_hWnd)) return true;
    if (save) {
        kl7700::ParameterRecord& working = m_owner->Session().WorkingRecord();
        for (const RowField& row : kRows) (working.*row.field).value = kl7700plugin::ReadIntegerField(*this, row.row->edit);
        return true;
    }
    Load();
    m_owner->RefreshHeader();
    return true;
}

void CConfig1DlgPage::Load()
{
    const kl7700::ParameterRecord& working = m_owner->Session().WorkingRecord();
    for (const RowField& row : kRows) {
        const kl7700::Parameter& p = working.*row.field;
        kl7700plugin::ShowIntegerRow(*this, *row.row, p.value, p.min, p.max);
    }
    CheckDlgButton(IDC_SECOND_REGION, working.D.value != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_FPN_ACTIVE, (working.C.value & 1) != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_FRAME_COUNTER, (working.U.value & kFrameCounterBit) != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_TEST_IMAGE, (working.U.value & kTestImageBit) != 0 ? BST_CHECKED : BST_UNCHECKED);
    const int gain = working.G.value == 1 || working.G.value == 2 ? working.G.value : 0;
    SendDlgItemMessageA(m_hWnd, IDC_GAIN, CB_SETCURSEL, gain, 0);

    const bool usable = Usable();
    for (const RowField& row : kRows) kl7700plugin::EnableRow(*this, *row.row, usable);
    for (int id : kOtherControls) kl7700plugin::EnableControl(*this, id, usable);
    kl7700plugin::EnableControl(*this, IDC_SECOND_REGION, usable);
    const bool regionB = usable && working.D.value != 0;
    for (int id : {kRowB.edit, kRowB.spin, kRowB.slider, kRowB.minLabel, kRowB.maxLabel}) {
        kl7700plugin::EnableControl(*this, id, regionB);
    }
    RecolourLimitLabels();
}

// The common pattern of a change: controls into the record, the rules of the
// control, the record back into the controls, and for some the write at once.
void CConfig1DlgPage::Change(int controlId, bool writeNow)
{
    if (m_owner == nullptr) return;
    m_owner->Session().ApplyParameterRules(kl7700plugin::RuleForControl(controlId));
    DataTransfer(false);
    if (writeNow) m_owner->Session().WriteChangedParameters();
}

void CConfig1DlgPage::OnKillFocusA() { FieldChanged(IDC_FIRST_LINE_A_EDIT); }
void CConfig1DlgPage::OnKillFocusB() { FieldChanged(IDC_FIRST_LINE_B_EDIT); }
void CConfig1DlgPage::OnKillFocusN() { FieldChanged(IDC_LINES_EDIT); }
void CConfig1DlgPage::OnKillFocusI() { FieldChanged(IDC_LINE_INCREMENT_EDIT); }
void CConfig1DlgPage::OnKillFocusW() { FieldChanged(IDC_DARK_VALUE_EDIT); }

// An entry field applies its value when it loses the focus or on Enter.
void CConfig1DlgPage::FieldChanged(int editId)
{
    if (m_owner == nullptr || !::IsWindow(m_hWnd)) return;
    DataTransfer(true);
    Change(editId, false);
}

void CConfig1DlgPage::OnEnterKey(int focusId)
{
    if (const RowField* row = RowOf(focusId); row != nullptr && row->row->edit == focusId) FieldChanged(focusId);
}

void CConfig1DlgPage::OnSpin(NMHDR* header, LRESULT* result)
{
    *result = 1; // the page sets the position itself
    const RowField* row = RowOf(static_cast<int>(header->idFrom));
    if (m_owner == nullptr || row == nullptr) return;
    const auto* change = reinterpret_cast<NMUPDOWN*>(header);
    kl7700::Parameter& p = m_owner->Session().WorkingRecord().*row->field;
    const int64_t moved = int64_t{p.value} + (change->iDelta > 0 ? 1 : -1);
    p.value = static_cast<int32_t>(std::clamp<int64_t>(moved, p.min, p.max));
    Change(row->row->spin, false);
}

void CConfig1DlgPage::OnHScroll(UINT, UINT, CScrollBar* bar)
{
    if (m_owner == nullptr || bar == nullptr) return;
    const int id = bar->GetDlgCtrlID();
    const RowField* row = RowOf(id);
    if (row == nullptr) return;
    (m_owner->Session().WorkingRecord().*row->field).value = kl7700plugin::SliderPos(*this, id);
    Change(id, false);
}

void CConfig1DlgPage::OnSecondRegion()
{
    if (m_owner == nullptr) return;
    m_owner->Session().WorkingRecord().D.value = IsDlgButtonChecked(IDC_SECOND_REGION) == BST_CHECKED ? 1 : 0;
    Change(IDC_SECOND_REGION, false);
}

void CConfig1DlgPage::OnFpnActive()
{
    if (m_owner == nullptr) return;
    int32_t& c = m_owner->Session().WorkingRecord().C.value;
    c = IsDlgButtonChecked(IDC_FPN_ACTIVE) == BST_CHECKED ? (c | 1) : (c & ~1);
    Change(IDC_FPN_ACTIVE, true);
}

void CConfig1DlgPage::OnCalibrate()
{
    if (m_owner == nullptr) return;
    kl7700::CameraSession& session = m_owner->Session();
    if (session.CalibrationNeedsConfirmation() &&
        AfxShowMessageBox(m_owner->m_hWnd,
                          "Camera operates in 'Image On Demand (IOD)' mode.\nMake sure that an external trigger "
                          "signal is applied. Continue calibration?",
                          "Sorvel SX-20 / KL-7700", MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    kl7700plugin::WaitCursor wait;
    session.Calibrate();
}

void CConfig1DlgPage::OnGain()
{
    if (m_owner == nullptr) return;
    const int index = static_cast<int>(SendDlgItemMessageA(m_hWnd, IDC_GAIN, CB_GETCURSEL, 0, 0));
    m_owner->Session().WorkingRecord().G.value = std::max(index, 0);
    Change(IDC_GAIN, false);
}

void CConfig1DlgPage::OnFrameCounter()
{
    if (m_owner == nullptr) return;
    int32_t& u = m_owner->Session().WorkingRecord().U.value;
    u = IsDlgButtonChecked(IDC_FRAME_COUNTER) == BST_CHECKED ? (u | kFrameCounterBit) : (u & ~kFrameCounterBit);
    Change(IDC_FRAME_COUNTER, true);
}

void CConfig1DlgPage::OnTestImage()
{
    if (m_owner == nullptr) return;
    int32_t& u = m_owner->Session().WorkingRecord().U.value;
    u = IsDlgButtonChecked(IDC_TEST_IMAGE) == BST_CHECKED ? (u | kTestImageBit) : (u & ~kTestImageBit);
    Change(IDC_TEST_IMAGE, true);
}

std::vector<PresetItem> CConfig1DlgPage::PresetItems(int sliderId) const
{
    std::vector<PresetItem> items;
    if (m_owner == nullptr) return items;
    const kl7700::ParameterRecord& working = m_owner->Session().WorkingRecord();
    if (sliderId == IDC_FIRST_LINE_A_SLIDER) {
        const bool enabled = kl7700::firstLinePresetsEnabled(working);
        for (const char* text : {"Top", "Center", "Bottom"}) items.push_back({text, enabled});
    } else if (sliderId == IDC_LINES_SLIDER) {
        for (const kl7700::LinesPreset& preset : kl7700::linesPresets()) {
            items.push_back({std::string(preset.label), kl7700::linesPresetEnabled(preset, working)});
        }
    }
    return items;
}

void CConfig1DlgPage::ApplyPreset(int sliderId, int index)
{
    if (m_owner == nullptr || index < 0) return;
    kl7700::ParameterRecord& working = m_owner->Session().WorkingRecord();
    const std::vector<PresetItem> items = PresetItems(sliderId);
    if (index >= static_cast<int>(items.size()) || !items[index].enabled) return;
    if (sliderId == IDC_FIRST_LINE_A_SLIDER) {
        kl7700::applyFirstLinePreset(static_cast<kl7700::FirstLinePreset>(index), working);
        Change(IDC_FIRST_LINE_A_EDIT, false);
    } else if (sliderId == IDC_LINES_SLIDER) {
        working.N.value = kl7700::linesForPreset(kl7700::linesPresets()[index], working);
        Change(IDC_LINES_EDIT, false);
    }
}

void CConfig1DlgPage::OnContextMenu(CWnd* window, CPoint)
{
    if (window == nullptr || !window->IsWindowEnabled()) return;
    const int id = window->GetDlgCtrlID();
    if (id != IDC_FIRST_LINE_A_SLIDER && id != IDC_LINES_SLIDER) return;
    ApplyPreset(id, TrackPresetMenu(this, PresetItems(id)));
}
