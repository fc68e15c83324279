// UniqueHandle<Traits>: RAII ownership of one Win32 handle, closed exactly once by its owner.
#pragma once

#include "win32/lean_windows.h"

#include <utility>

namespace win32 {

// Traits name the handle type, the value that means "none" and how to close
// one. A traits object may carry what closing needs besides the handle (the
// window of a window DC); stateless traits cost nothing.
template <class Traits>
class UniqueHandle : private Traits {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept : m_handle(Traits::Invalid()) {}
    explicit UniqueHandle(Handle handle, Traits traits = Traits()) noexcept : Traits(traits), m_handle(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : Traits(other.traits()), m_handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            reset();
            static_cast<Traits&>(*this) = other.traits();
            m_handle = other.release();
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return m_handle != Traits::Invalid(); }

    // Gives up ownership without closing.
    Handle release() noexcept { return std::exchange(m_handle, Traits::Invalid()); }

    // Closes the held handle (if any) and takes the new one.
    void reset(Handle handle = Traits::Invalid()) noexcept
    {
        Handle old = std::exchange(m_handle, handle);
        if (old != Traits::Invalid())
            this->Close(old);
    }

    // Closes the held handle and hands out the place for a function that
    // returns a new one through a pointer (RegOpenKeyExA and the like).
    Handle* receive() noexcept
    {
        reset();
        return &m_handle;
    }

private:
    const Traits& traits() const noexcept { return *this; }

    Handle m_handle;
};

namespace handle_traits {

struct Kernel { // events, mutexes, threads, processes: null means none
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
struct File { // CreateFile, CreateNamedPipe and friends: INVALID_HANDLE_VALUE means none
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
struct Find { // FindFirstFile
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::FindClose(h); }
};
struct RegKey {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::RegCloseKey(h); }
};
struct Module { // LoadLibrary; modules found by GetModuleHandle are not owned
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::FreeLibrary(h); }
};
template <class T>
struct GdiObject { // fonts, bitmaps, brushes, pens, regions
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::DeleteObject(h); }
};
struct Icon { // CreateIcon and LoadImage without LR_SHARED
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::DestroyIcon(h); }
};
struct MemoryDC { // CreateCompatibleDC
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::DeleteDC(h); }
};
struct WindowDC { // GetDC: given back to the window it came from
    using Handle = HDC;
    HWND window = nullptr;
    static Handle Invalid() { return nullptr; }
    void Close(Handle h) const { ::ReleaseDC(window, h); }
};
struct GlobalMemory { // GlobalAlloc, until a new owner (the clipboard) takes it
    using Handle = HGLOBAL;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::GlobalFree(h); }
};
struct Hook { // SetWindowsHookEx
    using Handle = HHOOK;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::UnhookWindowsHookEx(h); }
};

} // namespace handle_traits

using UniqueKernelHandle = UniqueHandle<handle_traits::Kernel>;
using UniqueFileHandle = UniqueHandle<handle_traits::File>;
using UniqueFindHandle = UniqueHandle<handle_traits::Find>;
using UniqueRegKey = UniqueHandle<handle_traits::RegKey>;
using UniqueModule = UniqueHandle<handle_traits::Module>;
using UniqueFont = UniqueHandle<handle_traits::GdiObject<HFONT>>;
using UniqueBitmap = UniqueHandle<handle_traits::GdiObject<HBITMAP>>;
using UniqueBrush = UniqueHandle<handle_traits::GdiObject<HBRUSH>>;
using UniquePen = UniqueHandle<handle_traits::GdiObject<HPEN>>;
using UniqueIcon = UniqueHandle<handle_traits::Icon>;
using UniqueMemoryDC = UniqueHandle<handle_traits::MemoryDC>;
using UniqueWindowDC = UniqueHandle<handle_traits::WindowDC>;
using UniqueGlobalMemory = UniqueHandle<handle_traits::GlobalMemory>;
using UniqueHook = UniqueHandle<handle_traits::Hook>;

// The client-area DC of a window (null: the screen), released to that window.
inline UniqueWindowDC GetWindowDC(HWND window)
{
    return UniqueWindowDC(::GetDC(window), handle_traits::WindowDC{window});
}

// The two handles CreateProcess hands out, each closed with its owner.
struct UniqueProcess {
    UniqueProcess() = default;
    explicit UniqueProcess(const PROCESS_INFORMATION& info) : process(info.hProcess), thread(info.hThread), id(info.dwProcessId) {}

    UniqueKernelHandle process;
    UniqueKernelHandle thread;
    DWORD id = 0;
};

} // namespace win32
