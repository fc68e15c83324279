// Dialog data exchange: moving values between member variables and the controls of a dialog.
#pragma once

#include "app_framework/wnd.h"

#include <string>

class AFX_API CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate; // TRUE: controls into variables; FALSE: variables into controls

    HWND PrepareCtrl(int id); // the control's window; remembered for Fail
    // Marks the exchange failed with a message for the user and puts the focus
    // on the control that failed. The first failure wins.
    void Fail(const char* message);
    bool Failed() const { return m_failed; }
    const std::string& FailureMessage() const { return m_message; }

private:
    int m_lastControl = 0;
    bool m_failed = false;
    std::string m_message;
};

// Text of edit fields and statics. A failed conversion fails the exchange and
// leaves the variable unchanged.
AFX_API void DDX_Text(CDataExchange* dx, int id, std::string& value);
AFX_API void DDX_Text(CDataExchange* dx, int id, int& value);
AFX_API void DDX_Text(CDataExchange* dx, int id, unsigned& value);
AFX_API void DDX_Text(CDataExchange* dx, int id, double& value);
// Check boxes: 0 unchecked, 1 checked, 2 indeterminate.
AFX_API void DDX_Check(CDataExchange* dx, int id, int& value);
// Selected index of a combo box (-1 none).
AFX_API void DDX_CBIndex(CDataExchange* dx, int id, int& index);
// Address of an IP-address control (host order, first field in the high byte).
AFX_API void DDX_IPAddress(CDataExchange* dx, int id, DWORD& value);
// Binds a control object to the dialog's control (subclassing it) the first time.
AFX_API void DDX_Control(CDataExchange* dx, int id, CWnd& control);

// Pure parsers behind DDX_Text: whole text (surrounding blanks allowed), no overflow.
AFX_API bool AfxParseInt(const std::string& text, int& value);
AFX_API bool AfxParseUnsigned(const std::string& text, unsigned& value);
AFX_API bool AfxParseDouble(const std::string& text, double& value);
