// Modules: their file names, the module that holds an address, and typed binding of exports by name.
#pragma once

#include "win32/lean_windows.h"

#include <string>
#include <type_traits>
#include <vector>

namespace win32 {

// The full file name of a module (null: the program file of the process), never
// cut; empty when the system cannot tell it.
inline std::string ModulePath(HMODULE module)
{
    // Long enough for any path the system hands out; whether a path fits the
    // narrow file functions is for the caller to decide.
    std::vector<char> path(32768);
    const DWORD length = ::GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size())
        return {};
    return std::string(path.data(), length);
}

// The module whose image holds the address (a function or variable of that
// module); its reference count is not raised, so it is not to be freed.
inline HMODULE ModuleOfAddress(const void* address)
{
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCSTR>(address), &module);
    return module;
}

// Binds an export by name to the function type the caller expects; null when
// the module is null or does not export the name. The type is the caller's
// promise: nothing here can check it against the export.
template <class Fn>
Fn BindExport(HMODULE module, const char* name)
{
    static_assert(std::is_pointer_v<Fn> && std::is_function_v<std::remove_pointer_t<Fn>>,
                  "BindExport binds to a function pointer type");
    if (!module)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

} // namespace win32
