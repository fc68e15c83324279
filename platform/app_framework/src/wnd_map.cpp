// The handle map (window properties), the framework's window procedure, and binding at creation time.
#include "framework_internal.h"

#include <memory>
#include <unordered_map>

namespace {

// The object bound to a window, and the procedure it replaced while subclassed.
constexpr const char* kObjectProp = "AppFramework.Object";
constexpr const char* kSuperProp = "AppFramework.Super";

thread_local MSG t_currentMessage{};

struct CreationState {
    CWnd* pending = nullptr;
    std::string className;
    HHOOK hook = nullptr;
};
thread_local CreationState t_creation;

thread_local std::unordered_map<HWND, std::unique_ptr<CWnd>>* t_tempWindows = nullptr;

std::unordered_map<HWND, std::unique_ptr<CWnd>>& tempWindows()
{
    if (!t_tempWindows)
        t_tempWindows = new std::unordered_map<HWND, std::unique_ptr<CWnd>>();
    return *t_tempWindows;
}

LRESULT CALLBACK creationHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_creation.pending) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (AfxCreationHookMatches(window)) {
            CWnd* object = t_creation.pending;
            t_creation.pending = nullptr;
            AfxWndAccess::Bind(object, window, true, true);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

const MSG& AfxCurrentMessage()
{
    return t_currentMessage;
}

void AfxSetCurrentMessage(const MSG& message)
{
    t_currentMessage = message;
}

void AfxWndAccess::Bind(CWnd* object, HWND window, bool subclass, bool createdHere)
{
    object->m_hWnd = window;
    object->m_createdHere = createdHere;
    object->m_moduleState = AfxCurrentState();
    ::SetPropA(window, kObjectProp, object);
    if (subclass) {
        auto previous = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
        if (previous != &AfxWndProc) {
            object->m_superProc = previous;
            ::SetPropA(window, kSuperProp, reinterpret_cast<HANDLE>(previous));
        } else {
            // Bound again after an unsubclass that could not restore the chain.
            object->m_superProc = reinterpret_cast<WNDPROC>(::GetPropA(window, kSuperProp));
        }
    }
}

void AfxWndAccess::Unbind(CWnd* object)
{
    HWND window = object->m_hWnd;
    if (!window)
        return;
    if (::GetPropA(window, kObjectProp) == object)
        ::RemovePropA(window, kObjectProp);
    if (object->m_superProc) {
        // Restore only when nobody subclassed after us; otherwise the framework
        // procedure stays in the chain and forwards through the stored super.
        auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_WNDPROC));
        if (current == &AfxWndProc) {
            ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(object->m_superProc));
            ::RemovePropA(window, kSuperProp);
        }
    }
    object->m_superProc = nullptr;
    object->m_hWnd = nullptr;
    object->m_createdHere = false;
}

void AfxWndAccess::OnNcDestroyed(CWnd* object)
{
    HWND window = object->m_hWnd;
    Unbind(object);
    ::RemovePropA(window, kSuperProp);
    object->m_ncDestroyPending = true;
}

LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* object = CWnd::FromHandlePermanent(window);
    if (!object) {
        auto super = reinterpret_cast<WNDPROC>(::GetPropA(window, kSuperProp));
        if (message == WM_NCDESTROY)
            ::RemovePropA(window, kSuperProp);
        return super ? ::CallWindowProcA(super, window, message, wParam, lParam)
                     : ::DefWindowProcA(window, message, wParam, lParam);
    }
    // A window's messages run in the module state it was created in, so a
    // plug-in's handlers load the plug-in's resources wherever the host's
    // message loop runs.
    AfxModuleStateData* callerState = AfxCurrentState();
    if (auto* own = static_cast<AfxModuleStateData*>(AfxWndAccess::ModuleState(object)))
        AfxSetCurrentState(own);
    MSG saved = t_currentMessage;
    t_currentMessage = MSG{window, message, wParam, lParam, 0, {}};
    LRESULT result = AfxWndAccess::Guarded(object, [&]() -> LRESULT {
        try {
            if (message != WM_NCDESTROY)
                return object->WindowProc(message, wParam, lParam);
            LRESULT last = object->DefWindowProc(message, wParam, lParam);
            AfxWndAccess::OnNcDestroyed(object);
            return last;
        } catch (...) {
            // No exception may leave a window procedure.
            return 0;
        }
    });
    t_currentMessage = saved;
    AfxSetCurrentState(callerState);
    return result;
}

INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM)
{
    // Every message reaches the object through AfxWndProc first; what it
    // passes on gets the dialog manager's default handling.
    return FALSE;
}

AfxCreationHook::AfxCreationHook(CWnd* object, const char* className) : m_previous(t_creation.pending)
{
    t_creation.pending = object;
    t_creation.className = className;
    if (!t_creation.hook) {
        t_creation.hook = ::SetWindowsHookExA(WH_CBT, &creationHook, nullptr, ::GetCurrentThreadId());
        m_installed = true;
    }
}

AfxCreationHook::~AfxCreationHook()
{
    if (m_installed) {
        ::UnhookWindowsHookEx(t_creation.hook);
        t_creation.hook = nullptr;
    }
    t_creation.pending = static_cast<CWnd*>(m_previous);
}

bool AfxCreationHookMatches(HWND window)
{
    if (t_creation.className.empty())
        return true;
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof name);
    return ::lstrcmpiA(name, t_creation.className.c_str()) == 0;
}

// ---- CWnd members of the handle map

CWnd* CWnd::FromHandlePermanent(HWND window)
{
    if (!window)
        return nullptr;
    return static_cast<CWnd*>(::GetPropA(window, kObjectProp));
}

CWnd* CWnd::FromHandle(HWND window)
{
    if (!window)
        return nullptr;
    if (CWnd* permanent = FromHandlePermanent(window))
        return permanent;
    auto& temps = tempWindows();
    auto& slot = temps[window];
    if (!slot) {
        slot = std::make_unique<CWnd>();
        AfxWndAccess::SetTempHandle(slot.get(), window);
    }
    return slot.get();
}

void AfxDeleteTempWindows()
{
    if (!t_tempWindows)
        return;
    for (auto& [window, object] : *t_tempWindows)
        AfxWndAccess::SetTempHandle(object.get(), nullptr);
    t_tempWindows->clear();
}

void AfxDeleteTempMap()
{
    AfxDeleteTempWindows();
    AfxDeleteTempMenus();
}

BOOL CWnd::Attach(HWND window)
{
    if (!window || m_hWnd || FromHandlePermanent(window))
        return FALSE;
    AfxWndAccess::Bind(this, window, false, false);
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND window = m_hWnd;
    AfxWndAccess::Unbind(this);
    return window;
}

BOOL CWnd::SubclassWindow(HWND window)
{
    if (!window || m_hWnd || FromHandlePermanent(window))
        return FALSE;
    AfxWndAccess::Bind(this, window, true, false);
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    if (!parent || !parent->m_hWnd)
        return FALSE;
    return SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow()
{
    return Detach();
}
