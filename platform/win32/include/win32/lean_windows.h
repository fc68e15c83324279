// The one door to <windows.h>: the Windows version the suite targets and the lean settings, set once.
#pragma once

// Windows 7 is the oldest system the suite supports; newer functions are bound by name.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#endif
#ifndef WINVER
#define WINVER 0x0601
#endif
#ifndef _WIN32_IE
#define _WIN32_IE 0x0800
#endif
// Without the rarely used parts (and the old winsock.h, which clashes with winsock2.h),
// without the min/max macros that break std::min, and with distinct handle types.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef STRICT
#define STRICT
#endif

#include <windows.h>
