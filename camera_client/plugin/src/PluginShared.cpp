// The plug-in's list of dialog windows and its version text.
#include "PluginShared.h"

#include "app_framework/dialog.h"
#include "app_framework/module_state.h"

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
constexpr UINT kKeyFirst = 256, kKeyLast = 265;
constexpr UINT kMouseFirst = 512, kMouseLast = 526;

bool IsPluginDialogWindow(HWND window)
{
    const DialogWindowList& windows = PluginDialogWindows();
    return window != nullptr && (windows.Contains(window) || windows.Contains(::GetAncestor(window, GA_ROOT)));
}
} // namespace

void PreTranslateHookedMessage(MSG& msg)
{
    const bool keyboard = msg.message >= kKeyFirst && msg.message <= kKeyLast;
    const bool mouse = msg.message >= kMouseFirst && msg.message <= kMouseLast;
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
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) return {};
    std::vector<char> data(size);
    if (!::GetFileVersionInfoA(path, 0, size, data.data())) return {};
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &infoSize) || info == nullptr ||
        infoSize < sizeof(VS_FIXEDFILEINFO)) {
        return {};
    }
    return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
        std::to_string(HIWORD(info->dwFileVersionLS)) + "." + std::to_string(LOWORD(info->dwFileVersionLS));
}

const std::string& PluginVersionText()
{
    static const std::string text = MakeVersionText(ReadModuleFileVersion(AfxGetStaticModuleState()));
    return text;
}

std::string StatusBarVersionText() { return PluginVersionText() + " (x64)"; }

} // namespace kl7700plugin
