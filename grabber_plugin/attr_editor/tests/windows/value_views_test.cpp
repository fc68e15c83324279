// The value views inside a dialog, driven by messages and read back through
// their controls: icon buttons, the observer, the name, choices, the slider
// and edit of the numeric views, clamping and cutting, and the Enter rule.
#include "ValueViews.h"

#include "app_framework_testing/message_tests.h"

#include <gtest/gtest.h>

namespace {

class RecordingObserver : public PValueObserver {
public:
    std::vector<int> actions;
    void OnValueAction(int apply) override { actions.push_back(apply); }
};

// A plain dialog from the feature dialog's template hosts the views.
class ViewsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_host.Create(IDD_ZELMK_FEATURE_CTRL)); }

    template <class View>
    std::unique_ptr<View> Make()
    {
        auto view = std::make_unique<View>();
        EXPECT_TRUE(view->Create(&m_observer, CRect(0, 0, 566, 40), &m_host));
        return view;
    }
    static void Click(CWnd& view, int id)
    {
        view.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(view.GetDlgItem(id)->m_hWnd));
    }
    // The slider moved by the user to a position, as the trackbar tells its parent.
    static void DragSlider(CWnd& view, CSliderCtrl& slider, int position)
    {
        slider.SetPos(position);
        view.SendMessage(WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position), reinterpret_cast<LPARAM>(slider.m_hWnd));
    }

    CDialog m_host;
    RecordingObserver m_observer;
};

TEST_F(ViewsTest, EveryViewHasIconButtonsAndTellsItsObserver)
{
    std::vector<std::unique_ptr<CValueView>> views;
    views.push_back(Make<CEnumValueView>());
    views.push_back(Make<CUintValueView>());
    views.push_back(Make<CFloatValueView>());
    views.push_back(Make<CStringValueView>());
    views.push_back(Make<CSintValueView>());
    for (auto& view : views) {
        SCOPED_TRACE(view->m_nIDTemplate);
        for (const auto& [id, icon] : {std::pair{IDC_VALUE_APPLY, view->GetApplyIcon()}, std::pair{IDC_VALUE_RELOAD, view->GetReloadIcon()}}) {
            CButton* button = static_cast<CButton*>(view->GetDlgItem(id));
            ASSERT_NE(nullptr, button);
            EXPECT_TRUE(button->GetStyle() & BS_ICON);
            EXPECT_FALSE(button->GetStyle() & BS_BITMAP);
            EXPECT_EQ(icon, button->GetIcon());
            EXPECT_NE(nullptr, icon);
        }
        m_observer.actions.clear();
        Click(*view, IDC_VALUE_APPLY);
        Click(*view, IDC_VALUE_RELOAD);
        EXPECT_EQ((std::vector<int>{1, 0}), m_observer.actions);
        view->SetAttrName("Gain");
        EXPECT_EQ("Gain", view->GetDlgItemText(IDC_VALUE_LABEL));
        EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN),
                  view->GetStyle() & (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_POPUP));
        EXPECT_EQ(0, view->GetDlgCtrlID());
    }
}

TEST_F(ViewsTest, CommandViewNamesItsButtonAndRunsFromIt)
{
    auto view = Make<CCmdValueView>();
    view->SetAttrName("TimestampReset");
    EXPECT_EQ("TimestampReset", view->GetDlgItemText(IDC_VALUE_COMMAND));
    EXPECT_EQ("", view->GetDlgItemText(IDC_VALUE_LABEL));
    for (int id : {IDC_VALUE_LABEL, IDC_VALUE_APPLY, IDC_VALUE_RELOAD}) EXPECT_FALSE(view->GetDlgItem(id)->IsWindowVisible()) << id;
    Click(*view, IDC_VALUE_COMMAND);
    EXPECT_EQ((std::vector<int>{1}), m_observer.actions);
    EXPECT_FALSE(view->OnEnterKey());
}

TEST_F(ViewsTest, ChoicesInOrderSelectedWithoutCase)
{
    auto view = Make<CEnumValueView>();
    EXPECT_TRUE(view->SetChoices("False,True"));
    ASSERT_EQ(2, view->m_list.GetCount());
    EXPECT_EQ("False", view->m_list.GetLBText(0));
    EXPECT_EQ("True", view->m_list.GetLBText(1));
    std::string choice;
    EXPECT_FALSE(view->GetChoice(choice)) << "nothing selected yet";
    EXPECT_TRUE(view->SelectChoice("true"));
    EXPECT_TRUE(view->GetChoice(choice));
    EXPECT_EQ("True", choice);
    EXPECT_FALSE(view->SelectChoice("Tru")) << "the whole text must match";

    // A new list replaces the old; an empty last piece is dropped, the order kept.
    EXPECT_TRUE(view->SetChoices("Mono8,Mono16,Bayer8,"));
    ASSERT_EQ(3, view->m_list.GetCount());
    EXPECT_EQ("Bayer8", view->m_list.GetLBText(2));
}

TEST_F(ViewsTest, UnsignedSliderAndEditFollowEachOther)
{
    auto view = Make<CUintValueView>();
    ASSERT_TRUE(view->SetRange(0, 1000000));
    EXPECT_EQ(0, view->m_slider.GetRangeMin());
    EXPECT_EQ(65535, view->m_slider.GetRangeMax());
    ASSERT_TRUE(view->SetValue(500000));
    EXPECT_EQ("500000", view->m_edit.GetWindowText());
    EXPECT_EQ(32768, view->m_slider.GetPos());

    DragSlider(*view, view->m_slider, 65535);
    EXPECT_EQ("1000000", view->m_edit.GetWindowText()) << "the right end is exactly the maximum";
    EXPECT_EQ(65535, view->m_slider.GetPos()) << "the view's own edit text did not move the slider back";

    // Typing moves the slider.
    view->m_edit.SetWindowText("250000");
    EXPECT_EQ(16384, view->m_slider.GetPos());

    // One step per unit in a small range.
    ASSERT_TRUE(view->SetRange(0, 100));
    EXPECT_EQ(100, view->m_slider.GetRangeMax());
    DragSlider(*view, view->m_slider, 37);
    EXPECT_EQ("37", view->m_edit.GetWindowText());
}

TEST_F(ViewsTest, NumbersAreClampedAndShownClamped)
{
    auto uintView = Make<CUintValueView>();
    uintView->SetRange(0, 100);
    uintView->m_edit.SetWindowText("150");
    uint32_t u = 0;
    ASSERT_TRUE(uintView->GetValue(u));
    EXPECT_EQ(100u, u);
    EXPECT_EQ("100", uintView->m_edit.GetWindowText());
    EXPECT_EQ(100, uintView->m_slider.GetPos());

    auto sintView = Make<CSintValueView>();
    sintView->SetRange(-64, 64);
    EXPECT_EQ(-64, sintView->m_slider.GetRangeMin());
    // The thumb stands in the middle for 0, the slider's first position.
    sintView->SetValue(0);
    CRect thumb, channel;
    sintView->m_slider.SendMessage(TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    sintView->m_slider.SendMessage(TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    EXPECT_NEAR(channel.CenterPoint().x, thumb.CenterPoint().x, 3);
    // The signed edit takes what the user types, a minus sign too.
    sintView->m_edit.SetWindowText("");
    sintView->m_edit.SetFocus();
    for (char c : std::string("-12")) sintView->m_edit.SendMessage(WM_CHAR, static_cast<WPARAM>(c), 1);
    EXPECT_EQ("-12", sintView->m_edit.GetWindowText());
    int64_t s = 0;
    ASSERT_TRUE(sintView->GetValue(s));
    EXPECT_EQ(-12, s);
    EXPECT_EQ(-12, sintView->m_slider.GetPos());
    sintView->m_edit.SetWindowText("-5000000000");
    ASSERT_TRUE(sintView->GetValue(s));
    EXPECT_EQ(-64, s);
    EXPECT_EQ("-64", sintView->m_edit.GetWindowText());
    DragSlider(*sintView, sintView->m_slider, 20);
    EXPECT_EQ("20", sintView->m_edit.GetWindowText());

    // Values beyond 32 bits, as typed.
    sintView->SetRange(0, INT64_MAX);
    sintView->m_edit.SetWindowText("5000000000");
    ASSERT_TRUE(sintView->GetValue(s));
    EXPECT_EQ(5000000000, s);
    EXPECT_EQ("5000000000", sintView->m_edit.GetWindowText());
}

TEST_F(ViewsTest, FloatIsCutToItsNumberAndClamped)
{
    auto view = Make<CFloatValueView>();
    view->SetRange(0.0f, 100.0f);
    view->SetValue(1.5f);
    EXPECT_EQ("1.500000", view->m_edit.GetWindowText());
    view->m_edit.SetWindowText("12.5abc");
    float v = 0;
    ASSERT_TRUE(view->GetValue(v));
    EXPECT_FLOAT_EQ(12.5f, v);
    EXPECT_EQ("12.5", view->m_edit.GetWindowText());
    view->m_edit.SetWindowText("1000");
    ASSERT_TRUE(view->GetValue(v));
    EXPECT_FLOAT_EQ(100.0f, v);
    EXPECT_EQ("100.000000", view->m_edit.GetWindowText());
}

TEST_F(ViewsTest, StringViewKeepsItsText)
{
    auto view = Make<CStringValueView>();
    ASSERT_TRUE(view->SetText("Line 4"));
    std::string text;
    ASSERT_TRUE(view->GetText(text));
    EXPECT_EQ("Line 4", text);
}

TEST_F(ViewsTest, EnterAppliesOnlyFromAValueControl)
{
    m_host.ShowWindow(SW_SHOW);
    auto uintView = Make<CUintValueView>();
    struct Case {
        int id;
        bool applies;
    };
    for (const Case& c : {Case{IDC_VALUE_UINT_EDIT, true}, Case{IDC_VALUE_UINT_SLIDER, true}, Case{IDC_VALUE_APPLY, false},
                          Case{IDC_VALUE_RELOAD, false}}) {
        SCOPED_TRACE(c.id);
        m_observer.actions.clear();
        uintView->GetDlgItem(c.id)->SetFocus();
        ASSERT_EQ(uintView->GetDlgItem(c.id)->m_hWnd, ::GetFocus());
        EXPECT_EQ(c.applies, uintView->OnEnterKey() != FALSE);
        EXPECT_EQ(c.applies ? std::vector<int>{1} : std::vector<int>{}, m_observer.actions);
    }
    uintView.reset();
    // The other kinds, each with its value control focused.
    auto enumView = Make<CEnumValueView>();
    enumView->m_list.SetFocus();
    EXPECT_TRUE(enumView->OnEnterKey());
    enumView.reset();
    auto floatView = Make<CFloatValueView>();
    floatView->m_edit.SetFocus();
    EXPECT_TRUE(floatView->OnEnterKey());
    floatView.reset();
    auto stringView = Make<CStringValueView>();
    stringView->m_edit.SetFocus();
    EXPECT_TRUE(stringView->OnEnterKey());
    stringView->GetDlgItem(IDC_VALUE_APPLY)->SetFocus();
    EXPECT_FALSE(stringView->OnEnterKey());
    stringView.reset();
    auto sintView = Make<CSintValueView>();
    sintView->m_slider.SetFocus();
    EXPECT_TRUE(sintView->OnEnterKey());
    m_host.ShowWindow(SW_HIDE);
}

TEST_F(ViewsTest, NewViewForEveryKind)
{
    using attr_editor::ValueViewKind;
    const std::pair<ValueViewKind, UINT> kinds[] = {
        {ValueViewKind::Command, IDD_VALUE_COMMAND},
        {ValueViewKind::Choice, IDD_VALUE_ENUM},
        {ValueViewKind::Unsigned, IDD_VALUE_UINT},
        {ValueViewKind::Float, IDD_VALUE_FLOAT},
        {ValueViewKind::String, IDD_VALUE_STRING},
        {ValueViewKind::Signed, IDD_VALUE_SINT},
    };
    for (const auto& [kind, templateId] : kinds) {
        std::unique_ptr<CValueView> view(NewValueView(kind));
        ASSERT_NE(nullptr, view);
        EXPECT_EQ(templateId, view->m_nIDTemplate);
    }
    EXPECT_EQ(nullptr, NewValueView(ValueViewKind::None));
    // The template no view uses is in the resources all the same.
    EXPECT_NE(nullptr, ::FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_VALUE_COMBINED), MAKEINTRESOURCEA(5)));
}

} // namespace
