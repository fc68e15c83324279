// CRichEditCtrl: explicit code-page text transfer and character formats of the Msftedit control.
#include "framework_internal.h"

#include "app_framework/rich_edit.h"

#include <vector>

BOOL CRichEditCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    if (!AfxInitRichEdit())
        return FALSE;
    return CreateEx(0, AFX_MSFTEDIT_CLASS, nullptr, style | WS_CHILD, rect, parent, id);
}

void CRichEditCtrl::SetWindowText(const std::string& text)
{
    SETTEXTEX how{ST_DEFAULT, CP_ACP};
    SendMessage(EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(text.c_str()));
}

void CRichEditCtrl::ReplaceSel(const std::string& text, BOOL canUndo)
{
    SETTEXTEX how{static_cast<DWORD>(ST_SELECTION | (canUndo ? ST_KEEPUNDO : 0)), CP_ACP};
    SendMessage(EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(text.c_str()));
}

long CRichEditCtrl::GetTextLength() const
{
    GETTEXTLENGTHEX how{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
    return static_cast<long>(SendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how)));
}

std::string CRichEditCtrl::GetWindowText() const
{
    GETTEXTLENGTHEX lengthHow{GTL_NUMBYTES | GTL_PRECISE, CP_ACP};
    LRESULT bytes = SendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthHow));
    if (bytes <= 0)
        return {};
    std::vector<char> text(static_cast<size_t>(bytes) + 1, '\0');
    GETTEXTEX how{};
    how.cb = static_cast<DWORD>(text.size());
    how.flags = GT_DEFAULT;
    how.codepage = CP_ACP;
    LRESULT copied = SendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(text.data()));
    return std::string(text.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

void CRichEditCtrl::SetSel(long start, long end)
{
    CHARRANGE range{start, end};
    SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void CRichEditCtrl::GetSel(long& start, long& end) const
{
    CHARRANGE range{};
    SendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    start = range.cpMin;
    end = range.cpMax;
}

BOOL CRichEditCtrl::SetSelectionCharFormat(CHARFORMAT2A& format)
{
    format.cbSize = sizeof(CHARFORMAT2A);
    return static_cast<BOOL>(SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)));
}

BOOL CRichEditCtrl::SetDefaultCharFormat(CHARFORMAT2A& format)
{
    format.cbSize = sizeof(CHARFORMAT2A);
    return static_cast<BOOL>(SendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format)));
}

DWORD CRichEditCtrl::GetSelectionCharFormat(CHARFORMAT2A& format) const
{
    format.cbSize = sizeof(CHARFORMAT2A);
    return static_cast<DWORD>(SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)));
}

long CRichEditCtrl::FindText(DWORD flags, long start, long end, const char* text) const
{
    // The control is a Unicode window: search with the wide record, which
    // every version reads the same way.
    int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0)
        return -1;
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    FINDTEXTEXW find{};
    find.chrg = {start, end};
    find.lpstrText = wide.data();
    return static_cast<long>(SendMessage(EM_FINDTEXTEXW, flags, reinterpret_cast<LPARAM>(&find)));
}
