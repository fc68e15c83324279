// CDialog: modal and modeless dialogs from resource templates.
#pragma once

#include "app_framework/wnd.h"

// The template is looked up in the current module state's resources
// (AfxGetResourceHandle) at the time the window is created, then in the
// program's. A modeless dialog ends by destroying its window; a modal one
// ends its DoModal loop.
class AFX_API CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId = 0, CWnd* parent = nullptr);
    ~CDialog() override;

    UINT m_nIDHelp; // the template id
    CWnd* m_pParentWnd;

    // Runs the dialog modally; returns the EndDialog result, or -1 when the
    // template is missing or the window could not be created.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless (visible only if the template says so).
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    BOOL Create(UINT templateId, HWND parent) { return Create(templateId, CWnd::FromHandle(parent)); }
    void EndDialog(int result);
    bool IsModal() const { return m_modal; }
    int GetResult() const { return m_result; }

    virtual BOOL OnInitDialog(); // default: UpdateData(FALSE); TRUE = focus the first control
    virtual void OnOK();         // default: UpdateData(TRUE), then EndDialog(IDOK) when it succeeded
    virtual void OnCancel();     // default: EndDialog(IDCANCEL)
    // Keyboard messages for this dialog go through IsDialogMessage (Tab, Enter,
    // Escape, mnemonics). A child dialog leaves that to its top-level dialog.
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Module whose resources hold the template, as the current state finds it.
    HINSTANCE FindTemplateModule(UINT templateId) const;

protected:
    DECLARE_MESSAGE_MAP()

private:
    bool m_modal = false;
    int m_result = 0;
};

// Lets AfxPreTranslateMessage run IsDialogMessage for a modeless dialog that
// is not a framework object (or whose object does not handle it).
AFX_API void AfxRegisterModelessDialog(HWND dialog);
AFX_API void AfxUnregisterModelessDialog(HWND dialog);

// The pre-translation of the current thread for a message taken from the
// queue: PreTranslateMessage of each framework window from the message's window
// up to its top-level window, then IsDialogMessage of the registered modeless
// dialogs for keyboard messages. TRUE: handled, do not dispatch. A host's
// message loop, or a plug-in's get-message hook, calls it.
AFX_API BOOL AfxPreTranslateMessage(MSG* msg);
