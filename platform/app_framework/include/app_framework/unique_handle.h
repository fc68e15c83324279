// UniqueHandle<Traits>: RAII ownership of one Win32 handle (kernel objects, keys, modules, GDI objects).
#pragma once

#include "app_framework/framework_api.h"

#include <utility>

template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept : m_handle(Traits::invalid()) {}
    explicit UniqueHandle(Handle handle) noexcept : m_handle(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return m_handle != Traits::invalid(); }

    // Gives up ownership without closing.
    Handle release() noexcept { return std::exchange(m_handle, Traits::invalid()); }

    // Closes the held handle (if any) and takes the new one.
    void reset(Handle handle = Traits::invalid()) noexcept
    {
        Handle old = std::exchange(m_handle, handle);
        if (old != Traits::invalid())
            Traits::close(old);
    }

private:
    Handle m_handle;
};

namespace afx_handle_traits {

struct Kernel { // events, mutexes, threads, processes: null means none
    using Handle = HANDLE;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::CloseHandle(h); }
};
struct File { // CreateFile and friends: INVALID_HANDLE_VALUE means none
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) { ::CloseHandle(h); }
};
struct RegKey {
    using Handle = HKEY;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::RegCloseKey(h); }
};
struct Module {
    using Handle = HMODULE;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::FreeLibrary(h); }
};
template <class T>
struct GdiObject {
    using Handle = T;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::DeleteObject(h); }
};
struct Icon {
    using Handle = HICON;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::DestroyIcon(h); }
};
struct MemoryDC {
    using Handle = HDC;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::DeleteDC(h); }
};

} // namespace afx_handle_traits

using UniqueKernelHandle = UniqueHandle<afx_handle_traits::Kernel>;
using UniqueFileHandle = UniqueHandle<afx_handle_traits::File>;
using UniqueRegKey = UniqueHandle<afx_handle_traits::RegKey>;
using UniqueModule = UniqueHandle<afx_handle_traits::Module>;
using UniqueFont = UniqueHandle<afx_handle_traits::GdiObject<HFONT>>;
using UniqueBitmap = UniqueHandle<afx_handle_traits::GdiObject<HBITMAP>>;
using UniqueBrush = UniqueHandle<afx_handle_traits::GdiObject<HBRUSH>>;
using UniquePen = UniqueHandle<afx_handle_traits::GdiObject<HPEN>>;
using UniqueIcon = UniqueHandle<afx_handle_traits::Icon>;
using UniqueMemoryDC = UniqueHandle<afx_handle_traits::MemoryDC>;
