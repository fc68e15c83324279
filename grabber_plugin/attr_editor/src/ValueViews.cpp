// The six value views.
#include "ValueViews.h"

// ---------------------------------------------------------------- command

BEGIN_MESSAGE_MAP(CCmdValueView, CValueView)
    ON_BN_CLICKED(IDC_VALUE_COMMAND, OnApply)
END_MESSAGE_MAP()

void CCmdValueView::SetAttrName(const std::string& name)
{
    SetDlgItemText(IDC_VALUE_COMMAND, name);
}

// ---------------------------------------------------------------- enumeration

void CEnumValueView::DoDataExchange(CDataExchange* dx)
{
    CValueView::DoDataExchange(dx);
    DDX_Control(dx, IDC_VALUE_ENUM, m_list);
}

BOOL CEnumValueView::OnEnterKey()
{
    if (!FocusOn({IDC_VALUE_ENUM})) return FALSE;
    OnApply();
    return TRUE;
}

bool CEnumValueView::SetChoices(const std::string& list)
{
    if (!m_list.GetSafeHwnd()) return false;
    m_list.ResetContent();
    bool added = true;
    for (const std::string& choice : attr_editor::SplitList(list)) added = m_list.AddString(choice.c_str()) >= 0 && added;
    return added;
}

bool CEnumValueView::SelectChoice(const std::string& choice)
{
    if (!m_list.GetSafeHwnd()) return false;
    const int index = m_list.FindStringExact(-1, choice.c_str());
    if (index < 0) return false;
    m_list.SetCurSel(index);
    return true;
}

bool CEnumValueView::GetChoice(std::string& choice)
{
    if (!m_list.GetSafeHwnd()) return false;
    const int index = m_list.GetCurSel();
    if (index < 0) return false;
    choice = m_list.GetLBText(index);
    return true;
}

// ---------------------------------------------------------------- string

void CStringValueView::DoDataExchange(CDataExchange* dx)
{
    CValueView::DoDataExchange(dx);
    DDX_Control(dx, IDC_VALUE_STRING_EDIT, m_edit);
}

BOOL CStringValueView::OnEnterKey()
{
    if (!FocusOn({IDC_VALUE_STRING_EDIT})) return FALSE;
    OnApply();
    return TRUE;
}

bool CStringValueView::SetText(const std::string& text)
{
    if (!m_edit.GetSafeHwnd()) return false;
    m_edit.SetWindowText(text);
    return true;
}

bool CStringValueView::GetText(std::string& text)
{
    if (!m_edit.GetSafeHwnd()) return false;
    text = m_edit.GetWindowText();
    return true;
}

// ---------------------------------------------------------------- float

void CFloatValueView::DoDataExchange(CDataExchange* dx)
{
    CValueView::DoDataExchange(dx);
    DDX_Control(dx, IDC_VALUE_FLOAT_EDIT, m_edit);
}

BOOL CFloatValueView::OnEnterKey()
{
    if (!FocusOn({IDC_VALUE_FLOAT_EDIT})) return FALSE;
    OnApply();
    return TRUE;
}

bool CFloatValueView::SetRange(float minimum, float maximum)
{
    m_min = minimum;
    m_max = maximum;
    return m_edit.GetSafeHwnd() != nullptr;
}

bool CFloatValueView::SetValue(float value)
{
    if (!m_edit.GetSafeHwnd()) return false;
    m_edit.SetWindowText(attr_editor::FormatFloat(value));
    return true;
}

bool CFloatValueView::GetValue(float& value)
{
    if (!m_edit.GetSafeHwnd()) return false;
    const attr_editor::EditReading<float> reading = attr_editor::ReadFloatEdit(m_edit.GetWindowText(), m_min, m_max);
    if (reading.newText) m_edit.SetWindowText(*reading.newText);
    value = reading.value;
    return true;
}

// ---------------------------------------------------------------- slider views

BEGIN_MESSAGE_MAP(CSliderValueView, CValueView)
    ON_WM_HSCROLL()
    ON_EN_CHANGE(IDC_VALUE_UINT_EDIT, OnEditChange)
    ON_EN_CHANGE(IDC_VALUE_SINT_EDIT, OnEditChange)
END_MESSAGE_MAP()

CSliderValueView::CSliderValueView(UINT templateId, int sliderId, int editId) : CValueView(templateId), m_sliderId(sliderId), m_editId(editId)
{
}

void CSliderValueView::DoDataExchange(CDataExchange* dx)
{
    CValueView::DoDataExchange(dx);
    DDX_Control(dx, m_sliderId, m_slider);
    DDX_Control(dx, m_editId, m_edit);
}

BOOL CSliderValueView::OnEnterKey()
{
    if (!FocusOn({m_sliderId, m_editId})) return FALSE;
    OnApply();
    return TRUE;
}

void CSliderValueView::WriteEdit(const std::string& text)
{
    m_updating = true;
    m_edit.SetWindowText(text);
    m_updating = false;
}

void CSliderValueView::OnHScroll(UINT code, UINT pos, CScrollBar* bar)
{
    if (bar && m_slider.GetSafeHwnd() && bar->GetSafeHwnd() == m_slider.GetSafeHwnd())
        WriteEdit(TextAtPosition(m_slider.GetPos()));
    CValueView::OnHScroll(code, pos, bar);
}

void CSliderValueView::OnEditChange()
{
    if (m_updating || !HasControls()) return;
    m_slider.SetPos(PositionOfText(m_edit.GetWindowText()));
}

template <class Value>
bool CNumberSliderView<Value>::SetRange(Value minimum, Value maximum)
{
    if (!HasControls()) return false;
    m_scaling = typename Number::Slider(minimum, maximum);
    m_slider.SetRange(m_scaling.Lower(), m_scaling.Upper(), TRUE);
    // Wine's trackbar places its thumb anew only when the position changes,
    // not when the range does: moving it to both ends puts the thumb where
    // the new range says, whatever position comes next.
    m_slider.SetPos(m_scaling.Upper());
    m_slider.SetPos(m_scaling.Lower());
    return true;
}

template <class Value>
bool CNumberSliderView<Value>::SetValue(Value value)
{
    if (!HasControls()) return false;
    WriteEdit(Number::Format(value));
    m_slider.SetPos(m_scaling.PositionOf(value));
    return true;
}

template <class Value>
bool CNumberSliderView<Value>::GetValue(Value& value)
{
    if (!HasControls()) return false;
    const attr_editor::EditReading<Value> reading =
        Number::Read(m_edit.GetWindowText(), m_scaling.Minimum(), m_scaling.Maximum());
    if (reading.newText) {
        WriteEdit(*reading.newText);
        m_slider.SetPos(m_scaling.PositionOf(reading.value));
    }
    value = reading.value;
    return true;
}

template <class Value>
std::string CNumberSliderView<Value>::TextAtPosition(int position) const
{
    return Number::Format(m_scaling.ValueAt(position));
}

template <class Value>
int CNumberSliderView<Value>::PositionOfText(const std::string& text) const
{
    return m_scaling.PositionOf(Number::Parse(text));
}

template class CNumberSliderView<uint32_t>;
template class CNumberSliderView<int64_t>;

// ---------------------------------------------------------------- making one

CValueView* NewValueView(attr_editor::ValueViewKind kind)
{
    using attr_editor::ValueViewKind;
    switch (kind) {
    case ValueViewKind::Command: return new CCmdValueView;
    case ValueViewKind::Choice: return new CEnumValueView;
    case ValueViewKind::Unsigned: return new CUintValueView;
    case ValueViewKind::Float: return new CFloatValueView;
    case ValueViewKind::String: return new CStringValueView;
    case ValueViewKind::Signed: return new CSintValueView;
    case ValueViewKind::None: break;
    }
    return nullptr;
}
