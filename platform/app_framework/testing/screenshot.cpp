// Pictures of the test display through ImageMagick's import.
#include "app_framework_testing/screenshot.h"

#include "app_framework_testing/message_tests.h"
#include "win32/module.h"
#include "win32/unique_handle.h"

#include <algorithm>
#include <optional>

namespace {

constexpr const char* kImport = "Z:\\usr\\bin\\import";

// A Windows path on Wine's Z: drive as the Unix path it maps; nothing for
// other drives, which a Linux program cannot reach by name.
std::optional<std::string> UnixPath(const std::string& windows)
{
    if (windows.size() < 2 || (windows[0] != 'Z' && windows[0] != 'z') || windows[1] != ':')
        return std::nullopt;
    std::string unix = windows.substr(2);
    for (char& c : unix)
        c = c == '\\' ? '/' : c;
    return unix;
}

bool Capture(const std::string& name, const RECT* area, DWORD timeoutMs)
{
    const std::string folder = ScreenshotFolder();
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string file = folder + name + ".png";
    const auto unixFile = UnixPath(file);
    if (!unixFile || unixFile->find('\'') != std::string::npos)
        return false;
    PumpFor(300); // let the windows finish painting
    ::DeleteFileA(file.c_str());

    std::string crop;
    if (area) {
        // The display starts at 0, 0; a window partly off it is cut there.
        const RECT on{std::max(area->left, 0L), std::max(area->top, 0L), area->right, area->bottom};
        if (on.right <= on.left || on.bottom <= on.top)
            return false;
        crop = " -crop " + std::to_string(on.right - on.left) + "x" + std::to_string(on.bottom - on.top) + "+" +
            std::to_string(on.left) + "+" + std::to_string(on.top) + " +repage";
    }
    // Wine gives no waitable handle of a Linux child, so the picture is
    // written under a temporary name and renamed when complete; the test
    // waits (bounded) for the final name.
    const std::string part = "'" + *unixFile + ".part.png'";
    std::string command = "/bin/sh -c \"/usr/bin/import -window root" + crop + " " + part + " && mv " + part + " '" +
        *unixFile + "'\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return false;
    win32::UniqueProcess child(started);
    return PumpUntil([&] { return ::GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }, timeoutMs);
}

} // namespace

std::string ScreenshotFolder()
{
    char folder[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableA("SUITE_SCREENSHOT_DIR", folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        std::string path(folder, length);
        return path.back() == '\\' ? path : path + "\\";
    }
    std::string path = win32::ModulePath(nullptr);
    for (int i = 0; i < 3 && path.rfind('\\') != std::string::npos; ++i)
        path.resize(path.rfind('\\'));
    return path + "\\screenshots\\";
}

bool CanTakeScreenshots()
{
    return ::GetFileAttributesA(kImport) != INVALID_FILE_ATTRIBUTES;
}

bool TakeScreenshot(const std::string& name, DWORD timeoutMs)
{
    return Capture(name, nullptr, timeoutMs);
}

bool TakeScreenshot(const std::string& name, const RECT& area, DWORD timeoutMs)
{
    return Capture(name, &area, timeoutMs);
}

bool TakeScreenshot(const std::string& name, HWND window, DWORD timeoutMs)
{
    RECT rect{};
    if (!window || !::GetWindowRect(window, &rect))
        return false;
    return Capture(name, &rect, timeoutMs);
}
