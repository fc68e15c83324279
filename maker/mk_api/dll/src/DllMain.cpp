// mkApi.dll's module entry: at load it tells the exports how to build the library, from
// the description beside this module (or named by MKAPI_NETWORK) on the machine's clock.
#include "mk_api_core/Exports.h"
#include "mk_api_dll/Composition.h"
#include "win32/lean_windows.h"
#include "win32/module.h"

#include <string>

namespace {

mkapi::SteadyTimeSource g_time;

std::string folderOf(HMODULE module)
{
    std::string path = win32::ModulePath(module);
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
        const std::string folder = folderOf(instance);
        mkapi::setLibraryMaker([folder] {
            mkapi::Composition composition;
            auto library = mkapi::composeLibrary(folder, g_time, true, composition);
            // A bad description is said where a developer looks; the library still serves.
            if (const std::string status = library->status(); status != "ok")
                ::OutputDebugStringA(("mkApi: " + status).c_str());
            return library;
        });
    }
    return TRUE;
}
