// The plug-in's list of dialog windows and its version text.
#include "PluginShared.h"

#include "app_framework/dialog.h"
#include "app_framework/module_state.h"
#include "win32/version_resource.h"

#include <algorithm>

namespace kl7700plugin {

void DialogWindowList::Add(HWND window)
{
    if (window != nullptr && !Contains(window)) windows_.push_back(window);
}

void DialogWindowList::Remove(HWND window)
{
    windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
}

bool DialogWindowList::Contains(HWND window) const
{
    return std::find(windows_.begin(), windows_.end(), window) != windows_.end();
}

DialogWindowList& PluginDialogWindows()
{
    static DialogWindowList windows;
    return windows;
}

namespace {
// The hook serves the keyboard and mouse messages of the Windows version the
// suite targets (WM_UNICHAR and the horizontal wheel included).
static_assert(WM_KEYLAST == 0x109 && WM_MOUSELAST == 0x20E, "the lean Windows header sets the target version");

bool IsPluginDialogWindow(HWND window)
{
    const DialogWindowList& windows = PluginDialogWindows();
    return window != nullptr && (windows.Contains(window) || windows.Contains(::GetAncestor(window, GA_ROOT)));
}
} // namespace

void PreTranslateHookedMessage(MSG& msg)
{
    const bool keyboard = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
    const bool mouse = msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST;
    if ((!keyboard && !mouse) || !IsPluginDialogWindow(msg.hwnd)) return;
    if (AfxPreTranslateMessage(&msg) && keyboard) {
        msg.message = WM_NULL;
        msg.wParam = 0;
        msg.lParam = 0;
    }
}

std::string MakeVersionText(std::string_view fileVersion)
{
    const size_t dot = fileVersion.rfind('.');
    if (dot == std::string_view::npos) return {};
    return "V" + std::string(fileVersion.substr(0, dot)) + " build " + std::string(fileVersion.substr(dot + 1));
}

std::string ReadModuleFileVersion(HMODULE module)
{
    const std::optional<win32::VersionResource> resource = win32::VersionResource::ReadModule(module);
    const std::optional<win32::VersionNumber> version = resource ? resource->FileVersion() : std::nullopt;
    return version ? version->Dotted() : std::string();
}

const std::string& PluginVersionText()
{
    static const std::string text = MakeVersionText(ReadModuleFileVersion(AfxGetStaticModuleState()));
    return text;
}

std::string StatusBarVersionText() { return PluginVersionText() + " (x64)"; }

} // namespace kl7700plugin
