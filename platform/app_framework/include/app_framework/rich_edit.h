// CRichEditCtrl: the Msftedit rich edit control with text transfer in the ANSI code page.
#pragma once

#include "app_framework/wnd.h"

#include <richedit.h>

#include <string>

// The window class of Msftedit.dll (AfxInitRichEdit loads it).
#define AFX_MSFTEDIT_CLASS "RICHEDIT50W"

class AFX_API CRichEditCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // Whole text, and replacement of the selection, in the ANSI code page.
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    void ReplaceSel(const std::string& text, BOOL canUndo = FALSE);
    long GetTextLength() const;

    void SetSel(long start, long end); // end -1: to the end of the text
    void GetSel(long& start, long& end) const;
    // Character format of the selection; a null format is refused (the control would crash).
    BOOL SetSelectionCharFormat(CHARFORMAT2A& format);
    BOOL SetDefaultCharFormat(CHARFORMAT2A& format);
    DWORD GetSelectionCharFormat(CHARFORMAT2A& format) const;
    COLORREF SetBackgroundColor(BOOL useSystem, COLORREF color)
    {
        return static_cast<COLORREF>(SendMessage(EM_SETBKGNDCOLOR, useSystem, static_cast<LPARAM>(color)));
    }
    // Position of the text in the range [start, end), -1 when absent.
    long FindText(DWORD flags, long start, long end, const char* text) const;
    BOOL SetReadOnly(BOOL readOnly = TRUE) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, readOnly)); }
    void LineScroll(int lines) { SendMessage(EM_LINESCROLL, 0, lines); }
    void Copy() { SendMessage(WM_COPY); }
    void Clear() { SendMessage(WM_CLEAR); }
};
