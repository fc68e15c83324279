// What the plug-in's windows share with its application object: the list of
// open dialog windows the message hook serves, and the plug-in's version text.
#pragma once

#include "app_framework/framework_api.h"

#include <string>
#include <string_view>
#include <vector>

namespace kl7700plugin {

// The plug-in's open dialog windows (the control dialog and its pages); a
// window is listed once, and removing one keeps the order of the others.
class DialogWindowList {
public:
    void Add(HWND window);
    void Remove(HWND window);
    bool Contains(HWND window) const;
    const std::vector<HWND>& Windows() const { return windows_; }

private:
    std::vector<HWND> windows_;
};

DialogWindowList& PluginDialogWindows();

// What the plug-in's get-message hook does with one message taken from the
// queue: keyboard and mouse messages of the plug-in's dialog windows (or of
// their children) go to the thread's pre-translation; a keyboard message it
// consumed is neutralised, a mouse message never is.
void PreTranslateHookedMessage(MSG& msg);

// "1.2.0.1251" -> "V1.2.0 build 1251"; empty when the text holds no ".".
std::string MakeVersionText(std::string_view fileVersion);
// The file version of a module as "a.b.c.d", empty when it has none.
std::string ReadModuleFileVersion(HMODULE module);
// The plug-in module's version text, read once.
const std::string& PluginVersionText();
// What the status bar shows: the version text and the build's word size.
std::string StatusBarVersionText();

// The wait cursor for the lifetime of the object.
class WaitCursor {
public:
    WaitCursor() : previous_(::SetCursor(::LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { ::SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

} // namespace kl7700plugin
