// Clipboard helpers for plain text.
#pragma once

#include "app_framework/framework_api.h"

#include <optional>
#include <string>

// Replaces the clipboard's content with the text (CF_TEXT); false when the
// clipboard could not be opened or the memory not allocated.
AFX_API bool AfxSetClipboardText(HWND owner, const std::string& text);
// The clipboard's text: CF_TEXT, else CF_OEMTEXT converted to the ANSI code
// page; nothing when neither is there.
AFX_API std::optional<std::string> AfxGetClipboardText(HWND owner);
