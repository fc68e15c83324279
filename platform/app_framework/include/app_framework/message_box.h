// Message boxes, with one replaceable route so tests can answer them without a user.
#pragma once

#include "app_framework/framework_api.h"

#include <string>

// Shows a message box owned by the active window of the thread (if any); the
// caption is the application's name.
AFX_API int AfxMessageBox(const std::string& text, UINT type = MB_OK);
// Every message box of the framework ends here.
AFX_API int AfxShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

// Replaces the message box with a function (null restores the real one);
// returns the previous function. Tests use it to record messages and answer them.
typedef int (*AfxMessageBoxHook)(void* context, HWND owner, const char* text, const char* caption, UINT type);
AFX_API AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook hook, void* context);
