// CDoubleNumberEdit: keys, mouse selection and clipboard of a grouped real-number field over the pure text edits.
#include "kl7700_controls/DoubleNumberEdit.h"

using namespace kl7700::controls;

BEGIN_MESSAGE_MAP(CDoubleNumberEdit, CEdit)
    ON_WM_CHAR()
    ON_WM_KEYDOWN()
    ON_WM_KILLFOCUS()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_MESSAGE(WM_COPY, OnCopy)
    ON_MESSAGE(WM_CUT, OnCut)
    ON_MESSAGE(WM_PASTE, OnPaste)
    ON_MESSAGE(WM_CLEAR, OnClear)
END_MESSAGE_MAP()

CDoubleNumberEdit::CDoubleNumberEdit()
{
    char separator[8] = {};
    if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) == 2)
        m_format.decimalSeparator = separator[0];
}

void CDoubleNumberEdit::SetLimits(double minimum, double maximum)
{
    int distance = currentDistance();
    m_limits = {minimum, maximum};
    m_value = ClampToLimits(m_value, m_limits);
    showValue(distance);
}

void CDoubleNumberEdit::SetValue(double value)
{
    int distance = currentDistance();
    m_value = ClampToLimits(value, m_limits);
    showValue(distance);
}

void CDoubleNumberEdit::SetDecimalSeparator(char separator)
{
    NumberFormat format = m_format;
    format.decimalSeparator = separator;
    changeFormat(format);
}

void CDoubleNumberEdit::SetGroupSeparator(char separator)
{
    NumberFormat format = m_format;
    format.groupSeparator = separator;
    changeFormat(format);
}

void CDoubleNumberEdit::SetDecimals(unsigned decimals)
{
    NumberFormat format = m_format;
    format.decimals = decimals;
    changeFormat(format);
}

void CDoubleNumberEdit::SetGroupSize(unsigned digits)
{
    NumberFormat format = m_format;
    format.groupSize = digits;
    changeFormat(format);
}

void CDoubleNumberEdit::changeFormat(const NumberFormat& format)
{
    int distance = currentDistance(); // measured in the old format's text
    m_format = format;
    showValue(distance);
}

int CDoubleNumberEdit::currentDistance() const
{
    if (!m_hWnd)
        return 0;
    return CaretDistance(GetWindowText(), caretPosition(), m_format);
}

void CDoubleNumberEdit::showValue(int caretDistance)
{
    if (!m_hWnd)
        return;
    std::string text = FormatNumber(m_value, m_format);
    if (GetWindowText() != text)
        SetWindowText(text);
    int caret = PositionFromDistance(text, caretDistance, m_format);
    select(caret, caret);
}

void CDoubleNumberEdit::apply(const EditedText& edited)
{
    ShownNumber shown = Reshow(edited, m_format, m_limits);
    m_value = shown.value;
    if (GetWindowText() != shown.text)
        SetWindowText(shown.text);
    select(shown.caret, shown.caret);
}

FieldText CDoubleNumberEdit::field() const
{
    FieldText current;
    current.text = GetWindowText();
    GetSel(current.start, current.end);
    return current;
}

void CDoubleNumberEdit::select(int anchor, int caret)
{
    m_anchor = anchor;
    m_caret = caret;
    // The edit control puts its caret at the second position, also when it is the lower one.
    SendMessage(EM_SETSEL, static_cast<WPARAM>(anchor), caret);
    SendMessage(EM_SCROLLCARET);
}

int CDoubleNumberEdit::caretPosition() const
{
    int start = 0, end = 0;
    GetSel(start, end);
    if (start != end && (m_caret == start || m_caret == end))
        return m_caret;
    return end; // a selection we did not make: the caret is at its end
}

int CDoubleNumberEdit::anchorPosition() const
{
    int start = 0, end = 0;
    GetSel(start, end);
    return caretPosition() == start ? end : start;
}

void CDoubleNumberEdit::OnChar(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_BACK) {
        apply(RemoveBackward(field(), m_format));
        return;
    }
    if (key < 32) {
        CEdit::OnChar(key, repeat, flags); // Ctrl+C, Ctrl+V and the like
        return;
    }
    if (auto edited = TypeCharacter(field(), static_cast<char>(key), m_alternativeDecimalKey, m_insertMode, m_format))
        apply(*edited);
}

void CDoubleNumberEdit::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    // Delete of the numeric keypad is not extended; left to the edit control it
    // could remove the decimal separator and multiply the value.
    if (!(flags & KF_EXTENDED) && key != VK_DELETE) {
        CEdit::OnKeyDown(key, repeat, flags);
        return;
    }
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    const std::string text = GetWindowText();
    const int caret = caretPosition();
    switch (key) {
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
        bool back = key == VK_LEFT || key == VK_UP;
        int moved = back ? PreviousDigitPosition(text, caret) : NextDigitPosition(text, caret);
        select(shift ? anchorPosition() : moved, moved);
        break;
    }
    case VK_INSERT:
        m_insertMode = !m_insertMode;
        break;
    case VK_DELETE:
        apply(RemoveForward(field(), m_format));
        break;
    default:
        CEdit::OnKeyDown(key, repeat, flags);
        break;
    }
}

void CDoubleNumberEdit::OnKillFocus(CWnd* next)
{
    CEdit::OnKillFocus(next);
    apply(EditedText{GetWindowText(), caretPosition()});
}

int CDoubleNumberEdit::positionAt(CPoint point) const
{
    return LOWORD(CharFromPos(point));
}

void CDoubleNumberEdit::OnLButtonDown(UINT, CPoint point)
{
    if (CWnd::GetFocus() != this)
        SetFocus();
    int position = positionAt(point);
    m_dragging = true;
    ::SetCapture(m_hWnd);
    select(position, position);
}

void CDoubleNumberEdit::OnMouseMove(UINT flags, CPoint point)
{
    if (!m_dragging) {
        CEdit::OnMouseMove(flags, point);
        return;
    }
    select(m_anchor, positionAt(point));
}

void CDoubleNumberEdit::OnLButtonUp(UINT flags, CPoint point)
{
    if (!m_dragging) {
        CEdit::OnLButtonUp(flags, point);
        return;
    }
    m_dragging = false;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
}

LRESULT CDoubleNumberEdit::OnCopy(WPARAM, LPARAM)
{
    AfxSetClipboardText(m_hWnd, CopiedText(field(), m_format));
    return 0;
}

LRESULT CDoubleNumberEdit::OnCut(WPARAM, LPARAM)
{
    FieldText current = field();
    AfxSetClipboardText(m_hWnd, CopiedText(current, m_format));
    if (current.start != current.end)
        apply(RemoveForward(current, m_format));
    return 0;
}

LRESULT CDoubleNumberEdit::OnPaste(WPARAM, LPARAM)
{
    if (std::optional<std::string> pasted = AfxGetClipboardText(m_hWnd))
        apply(ReplaceSelection(field(), *pasted));
    return 0;
}

LRESULT CDoubleNumberEdit::OnClear(WPARAM, LPARAM)
{
    FieldText current = field();
    if (current.start != current.end)
        apply(RemoveForward(current, m_format));
    return 0;
}
