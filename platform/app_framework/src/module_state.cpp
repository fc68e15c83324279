// Module states: per-module resource handle and application, and the calling thread's current state.
#include "framework_internal.h"

#include "app_framework/module_state.h"

#include <map>
#include <memory>
#include <mutex>

namespace {

std::mutex& registryMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::map<HINSTANCE, std::unique_ptr<AfxModuleStateData>>& registry()
{
    static std::map<HINSTANCE, std::unique_ptr<AfxModuleStateData>> states;
    return states;
}

thread_local AfxModuleStateData* t_current = nullptr;

} // namespace

AfxModuleStateData* AfxStateFor(HINSTANCE module)
{
    std::lock_guard lock(registryMutex());
    auto& slot = registry()[module];
    if (!slot) {
        slot = std::make_unique<AfxModuleStateData>();
        slot->module = module;
        slot->resources = module;
    }
    return slot.get();
}

AfxModuleStateData* AfxFindState(HINSTANCE module)
{
    std::lock_guard lock(registryMutex());
    auto found = registry().find(module);
    return found == registry().end() ? nullptr : found->second.get();
}

AfxModuleStateData* AfxCurrentState()
{
    if (!t_current)
        t_current = AfxStateFor(::GetModuleHandleA(nullptr));
    return t_current;
}

void AfxSetCurrentState(AfxModuleStateData* state)
{
    t_current = state;
}

void AfxForgetState(HINSTANCE module)
{
    // The record stays: windows bound in the module's state may still point
    // at it. Only the application object goes.
    std::lock_guard lock(registryMutex());
    auto found = registry().find(module);
    if (found != registry().end()) {
        found->second->app = nullptr;
        found->second->resources = module;
    }
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxCurrentState()->resources;
}

void AfxSetResourceHandle(HINSTANCE resources)
{
    AfxCurrentState()->resources = resources;
}

HINSTANCE AfxGetInstanceHandle()
{
    return AfxCurrentState()->module;
}

CWinApp* AfxGetApp()
{
    if (CWinApp* app = AfxCurrentState()->app)
        return app;
    return AfxStateFor(::GetModuleHandleA(nullptr))->app;
}

AfxModuleStateGuard::AfxModuleStateGuard(HINSTANCE module) : m_previous(AfxCurrentState())
{
    AfxModuleStateData* state = AfxStateFor(module);
    AfxSetCurrentState(state);
    if (state->app && state->app->IsDll() && !state->app->IsInitialized())
        state->app->EnsureInitialized();
}

AfxModuleStateGuard::~AfxModuleStateGuard()
{
    AfxSetCurrentState(static_cast<AfxModuleStateData*>(m_previous));
}

BOOL AfxDllMain(HINSTANCE module, DWORD reason)
{
    if (reason != DLL_PROCESS_DETACH)
        return TRUE;
    AfxModuleStateData* state = AfxStateFor(module);
    if (state->app && state->app->IsInitialized()) {
        try {
            AfxModuleStateGuard guard(module);
            state->app->ExitInstance();
        } catch (...) {
            // nothing may leave DllMain
        }
    }
    AfxForgetState(module);
    return TRUE;
}
