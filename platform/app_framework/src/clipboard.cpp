// Plain-text clipboard transfer.
#include "app_framework/clipboard.h"

#include "win32/unique_handle.h"

#include <cstring>

namespace {

// Opens the clipboard for the scope; closed again on every path.
class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner) : m_open(::OpenClipboard(owner) != FALSE) {}
    ~ClipboardSession()
    {
        if (m_open)
            ::CloseClipboard();
    }
    bool open() const { return m_open; }

private:
    bool m_open;
};

} // namespace

bool AfxSetClipboardText(HWND owner, const std::string& text)
{
    ClipboardSession session(owner);
    if (!session.open())
        return false;
    win32::UniqueGlobalMemory memory(::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
    if (!memory)
        return false;
    char* data = static_cast<char*>(::GlobalLock(memory.get()));
    if (!data)
        return false;
    std::memcpy(data, text.c_str(), text.size() + 1);
    ::GlobalUnlock(memory.get());
    ::EmptyClipboard();
    if (!::SetClipboardData(CF_TEXT, memory.get()))
        return false;
    memory.release(); // the clipboard owns the memory now
    return true;
}

std::optional<std::string> AfxGetClipboardText(HWND owner)
{
    ClipboardSession session(owner);
    if (!session.open())
        return std::nullopt;
    bool oem = false;
    HANDLE data = ::GetClipboardData(CF_TEXT);
    if (!data) {
        data = ::GetClipboardData(CF_OEMTEXT);
        oem = true;
    }
    if (!data)
        return std::nullopt;
    const char* locked = static_cast<const char*>(::GlobalLock(data));
    if (!locked)
        return std::nullopt;
    std::string text(locked, strnlen(locked, ::GlobalSize(data)));
    ::GlobalUnlock(data);
    if (oem && !text.empty())
        ::OemToCharBuffA(text.c_str(), text.data(), static_cast<DWORD>(text.size()));
    return text;
}
