// CNumericEdit: digit-only typing, paste cleaning and clamped reading of a non-negative integer field.
#include "kl7700_controls/NumericEdit.h"

using namespace kl7700::controls;

bool CNumericEdit::s_cleaning = false;

BEGIN_MESSAGE_MAP(CNumericEdit, CEdit)
    ON_WM_CHAR()
    ON_WM_KILLFOCUS()
    ON_MESSAGE(WM_PASTE, OnPaste)
END_MESSAGE_MAP()

void CNumericEdit::SetLimits(UINT minimum, UINT maximum)
{
    m_limits = {minimum, maximum};
    m_value = ClampToLimits(m_value, m_limits);
    show(m_value);
}

void CNumericEdit::SetValue(UINT value)
{
    m_value = ClampToLimits(value, m_limits);
    show(m_value);
}

UINT CNumericEdit::GetValue()
{
    if (m_hWnd)
        m_value = ClampToLimits(ReadLeadingUnsigned(GetWindowText()), m_limits);
    show(m_value);
    return m_value;
}

void CNumericEdit::show(UINT value)
{
    if (!m_hWnd)
        return;
    std::string text = FormatUnsigned(value);
    SetWindowText(text);
    SetSel(static_cast<int>(text.size()), static_cast<int>(text.size()));
}

void CNumericEdit::OnChar(UINT key, UINT repeat, UINT flags)
{
    if ((key >= '0' && key <= '9') || key == VK_BACK)
        CEdit::OnChar(key, repeat, flags);
}

void CNumericEdit::OnKillFocus(CWnd* next)
{
    CEdit::OnKillFocus(next);
    GetValue();
}

LRESULT CNumericEdit::OnPaste(WPARAM, LPARAM)
{
    LRESULT result = Default();
    removeNonDigits();
    return result;
}

void CNumericEdit::removeNonDigits()
{
    if (s_cleaning)
        return;
    s_cleaning = true;
    std::string text = GetWindowText();
    int start = 0, end = 0;
    GetSel(start, end);
    CleanedDigits cleaned = KeepOnlyDigits(text, start, end);
    if (cleaned.text != text) {
        SetWindowText(cleaned.text);
        SetSel(cleaned.start, cleaned.end);
    }
    s_cleaning = false;
}
