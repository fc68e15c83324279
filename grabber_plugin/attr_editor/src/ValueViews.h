// The six value views, one per kind of attribute value: a command button, a
// list of choices, a text, a float, and the unsigned and signed numbers with
// a slider beside their edit.
#pragma once

#include "attr_editor/ValueNumbers.h"
#include "attr_editor/ValueTables.h"
#include "ValueView.h"

#include <memory>

// A command: its button runs it; the name is the button's caption.
class CCmdValueView : public CValueView {
public:
    CCmdValueView() : CValueView(IDD_VALUE_COMMAND) {}
    void SetAttrName(const std::string& name) override;

protected:
    DECLARE_MESSAGE_MAP()
};

// Enumerations and booleans: a drop-down list.
class CEnumValueView : public CValueView, public attr_editor::ChoiceEditor {
public:
    CEnumValueView() : CValueView(IDD_VALUE_ENUM) {}
    BOOL OnEnterKey() override;
    ChoiceEditor* Choices() override { return this; }

    bool SetChoices(const std::string& list) override;
    bool SelectChoice(const std::string& choice) override;
    bool GetChoice(std::string& choice) override;

    CComboBox m_list;

protected:
    void DoDataExchange(CDataExchange* dx) override;
};

class CStringValueView : public CValueView, public attr_editor::TextEditor {
public:
    CStringValueView() : CValueView(IDD_VALUE_STRING) {}
    BOOL OnEnterKey() override;
    TextEditor* Text() override { return this; }

    bool SetText(const std::string& text) override;
    bool GetText(std::string& text) override;

    CEdit m_edit;

protected:
    void DoDataExchange(CDataExchange* dx) override;
};

class CFloatValueView : public CValueView, public attr_editor::NumberEditor<float> {
public:
    CFloatValueView() : CValueView(IDD_VALUE_FLOAT) {}
    BOOL OnEnterKey() override;
    NumberEditor<float>* Float() override { return this; }

    bool SetRange(float minimum, float maximum) override;
    bool SetValue(float value) override;
    bool GetValue(float& value) override;

    CEdit m_edit;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    float m_min = 0;
    float m_max = 0;
};

// What the unsigned and the signed view share: the slider follows the edit
// and the edit the slider, and the view's own writes to the edit do not move
// the slider back (the updating flag).
class CSliderValueView : public CValueView {
public:
    BOOL OnEnterKey() override;

    CSliderCtrl m_slider;
    CEdit m_edit;

protected:
    CSliderValueView(UINT templateId, int sliderId, int editId);
    void DoDataExchange(CDataExchange* dx) override;
    bool HasControls() const { return m_slider.GetSafeHwnd() && m_edit.GetSafeHwnd(); }
    // The edit's text with the updating flag set.
    void WriteEdit(const std::string& text);
    virtual std::string TextAtPosition(int position) const = 0;
    virtual int PositionOfText(const std::string& text) const = 0;

    void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    void OnEditChange();

    const int m_sliderId;
    const int m_editId;
    bool m_updating = false;

    DECLARE_MESSAGE_MAP()
};

// The numbers of one view type: how they are read, written and scaled.
template <class Value>
struct SliderNumber;

template <class Value>
class CNumberSliderView : public CSliderValueView, public attr_editor::NumberEditor<Value> {
public:
    using Number = SliderNumber<Value>;

    bool SetRange(Value minimum, Value maximum) override;
    bool SetValue(Value value) override;
    bool GetValue(Value& value) override;

    const typename Number::Slider& Scaling() const { return m_scaling; }

protected:
    CNumberSliderView(UINT templateId, int sliderId, int editId) : CSliderValueView(templateId, sliderId, editId) {}
    std::string TextAtPosition(int position) const override;
    int PositionOfText(const std::string& text) const override;

    typename Number::Slider m_scaling;
};

template <>
struct SliderNumber<uint32_t> {
    using Slider = attr_editor::UintSlider;
    static std::string Format(uint32_t v) { return attr_editor::FormatUnsigned(v); }
    static uint32_t Parse(const std::string& text) { return attr_editor::ParseUnsigned(text); }
    static attr_editor::EditReading<uint32_t> Read(const std::string& text, uint32_t minimum, uint32_t maximum)
    {
        return attr_editor::ReadUnsignedEdit(text, minimum, maximum);
    }
};

template <>
struct SliderNumber<int64_t> {
    using Slider = attr_editor::SintSlider;
    static std::string Format(int64_t v) { return attr_editor::FormatSigned(v); }
    static int64_t Parse(const std::string& text) { return attr_editor::ParseSigned(text); }
    static attr_editor::EditReading<int64_t> Read(const std::string& text, int64_t minimum, int64_t maximum)
    {
        return attr_editor::ReadSignedEdit(text, minimum, maximum);
    }
};

class CUintValueView : public CNumberSliderView<uint32_t> {
public:
    CUintValueView() : CNumberSliderView(IDD_VALUE_UINT, IDC_VALUE_UINT_SLIDER, IDC_VALUE_UINT_EDIT) {}
    NumberEditor<uint32_t>* Unsigned() override { return this; }
};

class CSintValueView : public CNumberSliderView<int64_t> {
public:
    CSintValueView() : CNumberSliderView(IDD_VALUE_SINT, IDC_VALUE_SINT_SLIDER, IDC_VALUE_SINT_EDIT) {}
    NumberEditor<int64_t>* Signed() override { return this; }
};

// A new view object for the kind (not yet created), or null for a kind without one.
CValueView* NewValueView(attr_editor::ValueViewKind kind);
