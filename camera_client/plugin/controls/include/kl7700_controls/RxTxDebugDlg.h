// CRxTxDebugDlg: the modeless, resizable log of the commands sent to the camera and its replies.
#pragma once

#include "app_framework/afx.h"
#include "kl7700_controls/ControlIds.h"

#include <string_view>

// Created hidden by its owner; "Close", the close box and Escape hide it and
// tell the parent with WM_KL7700_DEBUG_HIDDEN. The object outlives the hiding.
// The dialog template is in res/kl7700_controls.rc, compiled into the module
// that links this library.
class CRxTxDebugDlg : public CDialog {
public:
    enum { IDD = IDD_RXTX_DEBUG_DLG };
    enum LogKind { kLogSent = 1,
                   kLogReceived = 2 }; // 0 counts as sent

    static constexpr COLORREF kSentText = RGB(255, 255, 255);
    static constexpr COLORREF kReceivedText = RGB(0xA0, 0xA0, 0xA0);
    static constexpr COLORREF kSentToken = RGB(0xFF, 0, 0);
    static constexpr COLORREF kReceivedToken = RGB(0xB4, 0, 0);
    static constexpr LONG kTextHeightTwips = 165; // 8.25 points
    static constexpr const char* kFontName = "Courier New";

    explicit CRxTxDebugDlg(CWnd* parent = nullptr);

    using CDialog::Create;
    // Creates the window from its template (hidden), owned by the parent.
    BOOL Create(CWnd* parent);

    // Appends one entry: the bytes with control characters as tokens, coloured by kind.
    void AddLog(int kind, std::string_view bytes);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void DoDataExchange(CDataExchange* dx) override;

protected:
    void OnSize(UINT type, int cx, int cy);
    void OnSizing(UINT edge, LPRECT rect);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    void OnPaint();
    void OnClose();
    void OnClearLog();
    void OnCopyLog();
    DECLARE_MESSAGE_MAP()

private:
    void hideAndTellParent();
    void measureLayout();
    void layout(int cx, int cy);
    void colourRange(long start, long end, COLORREF color, bool withFont);

    CRichEditCtrl m_log;
    CSize m_minimumSize;
    bool m_measured = false;
    // Distances measured on the template at initialisation.
    int m_logLeft = 0, m_logTop = 0, m_logRightMargin = 0, m_logToButtons = 0;
    int m_buttonBottomMargin = 0, m_copyLeft = 0, m_closeRightMargin = 0;
};
