// UniqueSocket: a Winsock socket closed by its owner (include instead of <winsock2.h>).
#pragma once

#include "win32/lean_windows.h"
#include "win32/unique_handle.h"

#include <winsock2.h>

namespace win32 {

namespace handle_traits {
struct Socket {
    using Handle = SOCKET;
    static Handle Invalid() { return INVALID_SOCKET; }
    static void Close(Handle s) { ::closesocket(s); }
};
} // namespace handle_traits

using UniqueSocket = UniqueHandle<handle_traits::Socket>;

} // namespace win32
