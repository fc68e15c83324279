// CWinApp: the application object of a program or of a plug-in DLL.
#pragma once

#include "app_framework/framework_api.h"
#include "app_framework/module_state.h"

#include <string>

class CWnd;

// A program defines one global object of a class derived from CWinApp and
// calls AfxWinMain from its WinMain. A plug-in DLL defines one too: the
// constructor records the module that constructs it (the default argument is
// evaluated in that module), and its InitInstance runs the first time the
// host enters the module's state (AFX_MANAGE_STATE) or when the plug-in calls
// EnsureInitialized itself.
class AFX_API CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr, HINSTANCE module = AfxGetStaticModuleState());
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();                // TRUE: go on to Run; FALSE: end at once
    virtual int ExitInstance();                 // the process exit code (m_exitCode by default)
    virtual int Run();                          // the message loop until WM_QUIT
    virtual BOOL OnIdle(LONG count);            // frees temporary window objects; TRUE: more idle work
    virtual BOOL PreTranslateMessage(MSG* msg); // default: AfxPreTranslateMessage

    // Runs InitInstance once; later calls return the first result.
    BOOL EnsureInitialized();
    // The icon resource from the current resource module (shared, not destroyed).
    HICON LoadIcon(UINT id) const;
    bool IsInitialized() const { return m_initState != 0; }
    bool IsDll() const;

    HINSTANCE m_hInstance;
    CWnd* m_pMainWnd = nullptr;
    std::string m_appName;
    int m_exitCode = 0;

private:
    int m_initState = 0; // 0 not yet, 1 running/ran
    BOOL m_initResult = FALSE;
};

// Body of a program's WinMain: InitInstance, Run when it returned TRUE, then ExitInstance.
AFX_API int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

// Registers the common-control classes the suite uses (list, tab, bar, up-down,
// IP address, ...); safe to call more than once.
AFX_API void AfxInitCommonControls();
// A string resource from the current resource module; empty when absent.
AFX_API std::string AfxLoadString(UINT id);
// Loads Msftedit.dll once so dialog templates and Create can use MSFTEDIT_CLASS.
AFX_API bool AfxInitRichEdit();
