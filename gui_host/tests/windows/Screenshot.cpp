// The hand-shake with the screenshot script through a request file.
#include "Screenshot.h"

#include "VarnikProcess.h"

namespace varnik_test {

bool RequestScreenshot(const std::string& name, const std::string& windowTitle)
{
    // The window's whole rectangle, caption and frame included, in screen
    // coordinates, which are the display's.
    RECT rect{};
    if (HWND window = FindWindowA(nullptr, windowTitle.c_str()))
        GetWindowRect(window, &rect);
    return RequestScreenshot(name, windowTitle, rect);
}

bool RequestScreenshot(const std::string& name, const std::string& label, const RECT& rect)
{
    char folder[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("VARNIK_SCREENSHOT_DIR", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return true;
    const std::string request = std::string(folder) + "\\request.txt";
    const std::string pending = request + ".tmp";
    WriteFileText(pending, name + "\n" + label + "\n" + std::to_string(rect.left) + " " + std::to_string(rect.top) + " " + std::to_string(rect.right - rect.left) + " " + std::to_string(rect.bottom - rect.top) + "\n");
    MoveFileExA(pending.c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING);
    const DWORD start = GetTickCount();
    while (GetFileAttributesA(request.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > 30000)
            return false;
        Sleep(50); // the script is a separate Linux process; nothing to wait on
    }
    return true;
}

} // namespace varnik_test
