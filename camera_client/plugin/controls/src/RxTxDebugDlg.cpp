// CRxTxDebugDlg: coloured serial log in a rich edit, Copy/Clear/Close, minimum size, layout and size grip.
#include "kl7700_controls/RxTxDebugDlg.h"

#include "kl7700_controls/DebugLogText.h"

#include <cstring>

namespace {

// The rich edit's default of 32 767 characters would silently stop the log.
constexpr LPARAM kLogCapacity = 16 * 1024 * 1024;
constexpr int kGripSize = 18;
constexpr int kGripStep = 4;

CRect childRect(CWnd* parent, int id)
{
    CRect rect;
    if (CWnd* child = parent->GetDlgItem(id)) {
        child->GetWindowRect(&rect);
        parent->ScreenToClient(&rect);
    }
    return rect;
}

} // namespace

BEGIN_MESSAGE_MAP(CRxTxDebugDlg, CDialog)
    ON_WM_SIZE()
    ON_WM_SIZING()
    ON_WM_GETMINMAXINFO()
    ON_WM_PAINT()
    ON_WM_CLOSE()
    ON_BN_CLICKED(IDC_RXTX_CLEAR, OnClearLog)
    ON_BN_CLICKED(IDC_RXTX_COPY, OnCopyLog)
END_MESSAGE_MAP()

CRxTxDebugDlg::CRxTxDebugDlg(CWnd* parent) : CDialog(IDD, parent) {}

BOOL CRxTxDebugDlg::Create(CWnd* parent)
{
    AfxInitRichEdit(); // the template's text area is of the Msftedit class
    return CDialog::Create(IDD, parent);
}

void CRxTxDebugDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_RXTX_LOG, m_log);
}

BOOL CRxTxDebugDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CRect window;
    GetWindowRect(&window);
    m_minimumSize = window.Size();

    m_log.SetBackgroundColor(FALSE, RGB(0, 0, 0));
    m_log.SendMessage(EM_EXLIMITTEXT, 0, kLogCapacity);
    CHARFORMAT2A format{};
    format.dwMask = CFM_COLOR | CFM_FACE | CFM_SIZE;
    format.crTextColor = kSentText;
    format.yHeight = kTextHeightTwips;
    std::strcpy(format.szFaceName, kFontName);
    m_log.SetDefaultCharFormat(format);

    measureLayout();
    CRect client;
    GetClientRect(&client);
    layout(client.Width(), client.Height());
    return TRUE;
}

void CRxTxDebugDlg::AddLog(int kind, std::string_view bytes)
{
    if (!m_log.m_hWnd)
        return;
    const bool received = kind == kLogReceived;
    const long start = m_log.GetTextLength();
    m_log.SetSel(start, start);
    m_log.ReplaceSel(kl7700::controls::DebugDisplayText(bytes));
    const long end = m_log.GetTextLength();

    colourRange(start, end, received ? kReceivedText : kSentText, true);
    const COLORREF token = received ? kReceivedToken : kSentToken;
    // Searched in the control, whose positions count a line break as one character.
    for (long at = start; at < end;) {
        long open = m_log.FindText(FR_DOWN | FR_MATCHCASE, at, end, "{");
        if (open < 0)
            break;
        long close = m_log.FindText(FR_DOWN | FR_MATCHCASE, open, end, "}");
        if (close < 0)
            break;
        colourRange(open, close + 1, token, false);
        at = close + 1;
    }

    m_log.SendMessage(EM_SCROLL, SB_PAGEDOWN);
    m_log.SetSel(end, end);
    m_log.SendMessage(EM_SCROLLCARET);
}

void CRxTxDebugDlg::colourRange(long start, long end, COLORREF color, bool withFont)
{
    m_log.SetSel(start, end);
    CHARFORMAT2A format{};
    format.dwMask = CFM_COLOR;
    format.crTextColor = color;
    if (withFont) {
        format.dwMask |= CFM_FACE | CFM_SIZE;
        format.yHeight = kTextHeightTwips;
        std::strcpy(format.szFaceName, kFontName);
    }
    m_log.SetSelectionCharFormat(format);
}

void CRxTxDebugDlg::OnClearLog()
{
    m_log.SetSel(0, -1);
    m_log.ReplaceSel("");
}

void CRxTxDebugDlg::OnCopyLog()
{
    m_log.SetSel(0, -1);
    m_log.Copy();
}

void CRxTxDebugDlg::OnOK()
{
    hideAndTellParent();
}

void CRxTxDebugDlg::OnCancel()
{
    hideAndTellParent(); // Escape hides too: ending the dialog would destroy the window
}

void CRxTxDebugDlg::OnClose()
{
    hideAndTellParent();
}

void CRxTxDebugDlg::hideAndTellParent()
{
    HWND parent = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : ::GetWindow(m_hWnd, GW_OWNER);
    if (parent)
        ::SendMessageA(parent, WM_KL7700_DEBUG_HIDDEN, 0, 0);
    ShowWindow(SW_HIDE);
}

void CRxTxDebugDlg::measureLayout()
{
    CRect client;
    GetClientRect(&client);
    CRect log = childRect(this, IDC_RXTX_LOG);
    CRect copy = childRect(this, IDC_RXTX_COPY);
    CRect close = childRect(this, IDOK);
    m_logLeft = log.left;
    m_logTop = log.top;
    m_logRightMargin = client.right - log.right;
    m_logToButtons = copy.top - log.bottom;
    m_buttonBottomMargin = client.bottom - copy.bottom;
    m_copyLeft = copy.left;
    m_closeRightMargin = client.right - close.right;
    m_measured = true;
}

void CRxTxDebugDlg::layout(int cx, int cy)
{
    CWnd* copy = GetDlgItem(IDC_RXTX_COPY);
    CWnd* clear = GetDlgItem(IDC_RXTX_CLEAR);
    CWnd* close = GetDlgItem(IDOK);
    if (!m_measured || !copy || !clear || !close || !m_log.m_hWnd)
        return;
    CRect copyRect = childRect(this, IDC_RXTX_COPY);
    CRect clearRect = childRect(this, IDC_RXTX_CLEAR);
    CRect closeRect = childRect(this, IDOK);

    const int buttonTop = cy - m_buttonBottomMargin - copyRect.Height();
    const int closeLeft = cx - m_closeRightMargin - closeRect.Width();
    const int middle = (m_copyLeft + copyRect.Width() / 2 + closeLeft + closeRect.Width() / 2) / 2;
    copy->MoveWindow(m_copyLeft, buttonTop, copyRect.Width(), copyRect.Height());
    clear->MoveWindow(middle - clearRect.Width() / 2, buttonTop, clearRect.Width(), clearRect.Height());
    close->MoveWindow(closeLeft, buttonTop, closeRect.Width(), closeRect.Height());
    m_log.MoveWindow(m_logLeft, m_logTop, cx - m_logRightMargin - m_logLeft, buttonTop - m_logToButtons - m_logTop);
    Invalidate();
}

void CRxTxDebugDlg::OnSize(UINT type, int cx, int cy)
{
    CDialog::OnSize(type, cx, cy);
    if (type != SIZE_MINIMIZED)
        layout(cx, cy);
}

void CRxTxDebugDlg::OnSizing(UINT edge, LPRECT rect)
{
    CDialog::OnSizing(edge, rect);
    if (!m_measured)
        return;
    const bool leftEdge = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
    const bool topEdge = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
    if (rect->right - rect->left < m_minimumSize.cx) {
        if (leftEdge)
            rect->left = rect->right - m_minimumSize.cx;
        else
            rect->right = rect->left + m_minimumSize.cx;
    }
    if (rect->bottom - rect->top < m_minimumSize.cy) {
        if (topEdge)
            rect->top = rect->bottom - m_minimumSize.cy;
        else
            rect->bottom = rect->top + m_minimumSize.cy;
    }
}

void CRxTxDebugDlg::OnGetMinMaxInfo(MINMAXINFO* info)
{
    CDialog::OnGetMinMaxInfo(info);
    if (m_measured) {
        info->ptMinTrackSize.x = m_minimumSize.cx;
        info->ptMinTrackSize.y = m_minimumSize.cy;
    }
}

// Diagonal lines in the bottom-right corner: a highlight line beside a shadow line every few pixels.
void CRxTxDebugDlg::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    win32::UniquePen highlight(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_3DHIGHLIGHT)));
    win32::UniquePen shadow(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_3DSHADOW)));
    HGDIOBJ previous = dc.SelectObject(highlight.get());
    for (int offset = kGripStep; offset <= kGripSize - 2; offset += kGripStep) {
        dc.SelectObject(highlight.get());
        dc.MoveTo(client.right - offset - 1, client.bottom);
        dc.LineTo(client.right, client.bottom - offset - 1);
        dc.SelectObject(shadow.get());
        dc.MoveTo(client.right - offset, client.bottom);
        dc.LineTo(client.right, client.bottom - offset);
        dc.MoveTo(client.right - offset + 1, client.bottom);
        dc.LineTo(client.right, client.bottom - offset + 1);
    }
    dc.SelectObject(previous);
}
