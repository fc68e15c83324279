// Showing and reading the numeric rows of the pages.
#include "NumericRow.h"

#include "kl7700_controls/DoubleNumberEdit.h"
#include "kl7700_controls/NumericEdit.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace kl7700plugin {

namespace {

void SetRange(CWnd& page, int spinId, int sliderId, int spinMin, int spinMax, int sliderMin, int sliderMax)
{
    ::SendDlgItemMessageA(page.m_hWnd, spinId, UDM_SETRANGE32, static_cast<WPARAM>(spinMin), spinMax);
    ::SendDlgItemMessageA(page.m_hWnd, sliderId, TBM_SETRANGEMIN, FALSE, sliderMin);
    ::SendDlgItemMessageA(page.m_hWnd, sliderId, TBM_SETRANGEMAX, TRUE, sliderMax);
}

} // namespace

std::string FormatText(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void ShowIntegerRow(CWnd& page, const NumericRow& row, int value, int minimum, int maximum)
{
    char text[32];
    RowDisplay display;
    std::snprintf(text, sizeof text, "%d", value);
    display.value = text;
    std::snprintf(text, sizeof text, "%u ", static_cast<unsigned>(minimum));
    display.minText = text;
    std::snprintf(text, sizeof text, " %u", static_cast<unsigned>(maximum));
    display.maxText = text;
    display.spinMin = display.sliderMin = minimum;
    display.spinMax = display.sliderMax = maximum;
    display.sliderPos = value;
    display.number = value;
    display.numberMin = minimum;
    display.numberMax = maximum;
    ShowRow(page, row, display);
}

void ShowRow(CWnd& page, const NumericRow& row, const RowDisplay& display)
{
    CWnd* field = CWnd::FromHandlePermanent(::GetDlgItem(page.m_hWnd, row.edit));
    if (auto* real = dynamic_cast<CDoubleNumberEdit*>(field)) {
        real->SetLimits(display.numberMin, display.numberMax);
        real->SetValue(display.number);
    } else if (auto* integer = dynamic_cast<CNumericEdit*>(field)) {
        integer->SetLimits(static_cast<UINT>(std::max(display.numberMin, 0.0)),
                           static_cast<UINT>(std::max(display.numberMax, 0.0)));
        integer->SetValue(static_cast<UINT>(std::max(display.number, 0.0)));
    } else if (page.GetDlgItemText(row.edit) != display.value) {
        page.SetDlgItemText(row.edit, display.value);
    }
    page.SetDlgItemText(row.minLabel, display.minText);
    page.SetDlgItemText(row.maxLabel, display.maxText);
    SetRange(page, row.spin, row.slider, display.spinMin, display.spinMax, display.sliderMin, display.sliderMax);
    ::SendDlgItemMessageA(page.m_hWnd, row.spin, UDM_SETPOS32, 0, display.sliderPos);
    ::SendDlgItemMessageA(page.m_hWnd, row.slider, TBM_SETPOS, TRUE, display.sliderPos);
}

void EnableControl(CWnd& page, int id, bool enable)
{
    if (HWND control = ::GetDlgItem(page.m_hWnd, id)) {
        if ((::IsWindowEnabled(control) != FALSE) != enable) {
            ::EnableWindow(control, enable);
            ::InvalidateRect(control, nullptr, TRUE);
        }
    }
}

void EnableRow(CWnd& page, const NumericRow& row, bool enable)
{
    for (int id : {row.label, row.edit, row.spin, row.slider, row.minLabel, row.maxLabel}) {
        EnableControl(page, id, enable);
    }
}

int ReadIntegerField(const CWnd& page, int id)
{
    const std::string text = page.GetDlgItemText(id);
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

bool ReadRealField(const CWnd& page, int id, double& value)
{
    std::string digits;
    for (char c : page.GetDlgItemText(id)) {
        if (c == ',') c = '.';
        if (c != ' ') digits += c;
    }
    char* end = nullptr;
    const double parsed = std::strtod(digits.c_str(), &end);
    if (end == digits.c_str()) return false;
    value = parsed;
    return true;
}

int SliderPos(const CWnd& page, int id)
{
    return static_cast<int>(::SendDlgItemMessageA(page.m_hWnd, id, TBM_GETPOS, 0, 0));
}

} // namespace kl7700plugin
