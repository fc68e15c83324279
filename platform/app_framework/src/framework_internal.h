// Internals shared by the framework's sources: module states, window binding, the creation hook.
#pragma once

#include "app_framework/win_app.h"
#include "app_framework/wnd.h"

#include <string>

// ---- module states
struct AfxModuleStateData {
    HINSTANCE module = nullptr;
    HINSTANCE resources = nullptr;
    CWinApp* app = nullptr;
};
AfxModuleStateData* AfxStateFor(HINSTANCE module);  // created on first use
AfxModuleStateData* AfxFindState(HINSTANCE module); // null when unknown
AfxModuleStateData* AfxCurrentState();              // of the calling thread
void AfxSetCurrentState(AfxModuleStateData* state);
void AfxForgetState(HINSTANCE module); // the module is being unloaded: drop its application

// ---- window binding (the handle map lives in window properties)
LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AfxDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct AfxWndAccess {
    static void Bind(CWnd* object, HWND window, bool subclass, bool createdHere);
    static void Unbind(CWnd* object);
    static void OnNcDestroyed(CWnd* object); // window gone: unbind, arrange PostNcDestroy
    // Runs work for the object as one handler level: a PostNcDestroy that
    // falls due inside runs after the outermost level has returned.
    template <class Work>
    static auto Guarded(CWnd* object, Work&& work)
    {
        ++object->m_dispatchDepth;
        struct Leave {
            CWnd* object;
            ~Leave()
            {
                if (--object->m_dispatchDepth == 0 && object->m_ncDestroyPending) {
                    object->m_ncDestroyPending = false;
                    object->PostNcDestroy();
                }
            }
        } leave{object};
        return work();
    }
    static WNDPROC SuperProc(CWnd* object) { return object->m_superProc; }
    static void* ModuleState(CWnd* object) { return object->m_moduleState; }
    static void SetTempHandle(CWnd* object, HWND window) { object->m_hWnd = window; }
};

// The message being handled on this thread (for CWnd::Default).
const MSG& AfxCurrentMessage();
void AfxSetCurrentMessage(const MSG& message);

// ---- creation: the first window of the given class created on this thread
// while the guard lives is bound to the object from its very first message.
class AfxCreationHook {
public:
    AfxCreationHook(CWnd* object, const char* className);
    ~AfxCreationHook();
    AfxCreationHook(const AfxCreationHook&) = delete;
    AfxCreationHook& operator=(const AfxCreationHook&) = delete;

private:
    bool m_installed = false;
    void* m_previous;
};
bool AfxCreationHookMatches(HWND window);

// ---- temporary objects for foreign windows
void AfxDeleteTempWindows();
void AfxDeleteTempMenus();

// ---- owner-drawn menu items
// Hands WM_MEASUREITEM / WM_DRAWITEM of a menu item to the CMenu object of its
// menu; FALSE when it is not a menu item or no object owns its menu.
bool AfxRouteOwnerDrawMenu(UINT message, LPARAM lParam);
