// Screenshots of both pages, recognised camera and error state, taken of the
// test's display with ImageMagick into build/screenshots/ for a look by eye.
#include "DialogHarness.h"

#include <string>

namespace {

// The build tree's parent ("build/") as a Unix path: the program runs from build/<dir>/tests/.
std::string ScreenshotFolder()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string unix(path);
    if (unix.size() > 2 && unix[1] == ':') unix.erase(0, 2);
    for (char& c : unix) c = c == '\\' ? '/' : c;
    for (int i = 0; i < 3; ++i) unix.resize(unix.find_last_of('/'));
    return unix + "/screenshots/";
}

void SelectTab(DialogHarness& h, int index)
{
    h.dialog->Pages().SetCurSel(index);
    NMHDR header = {h.dialog->Pages().m_hWnd, IDC_PAGES, static_cast<UINT>(TCN_SELCHANGE)};
    ::SendMessageA(h.Dlg(), WM_NOTIFY, IDC_PAGES, reinterpret_cast<LPARAM>(&header));
}

// Runs /usr/bin/import on the display; true when the picture was written.
// Wine does not follow a Unix child process, so the picture is written under a
// temporary name and renamed when complete, and the window keeps being served
// until the name appears.
bool Capture(const std::string& file)
{
    PumpMessages(300);
    std::string windowsPath = "Z:" + file;
    for (char& c : windowsPath) c = c == '/' ? '\\' : c;
    ::DeleteFileA(windowsPath.c_str());
    std::string command = "/bin/sh -c \"/usr/bin/import -window root " + file + ".part.png && mv " + file +
        ".part.png " + file + "\"";
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process)) {
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    const DWORD end = ::GetTickCount() + 20000;
    while (static_cast<int>(end - ::GetTickCount()) > 0) {
        if (::GetFileAttributesA(windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        PumpMessages(50);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return false;
}

TEST(Screenshots, BothPagesRecognisedAndInError)
{
    if (::GetFileAttributesA("Z:\\usr\\bin\\import") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no ImageMagick";
    const std::string folder = ScreenshotFolder();
    ::CreateDirectoryA(("Z:" + folder).c_str(), nullptr);
    struct Shot {
        bool withDevice;
        int tab;
        const char* name;
    };
    for (Shot shot : {Shot{true, 0, "kl7700-image-page.png"}, Shot{true, 1, "kl7700-timer-page.png"},
                      Shot{false, 0, "kl7700-image-page-error.png"}, Shot{false, 1, "kl7700-timer-page-error.png"}}) {
        SCOPED_TRACE(shot.name);
        DialogHarness h({}, shot.withDevice);
        ASSERT_TRUE(h.created);
        ::SetWindowPos(h.Dlg(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
        SelectTab(h, shot.tab);
        ::UpdateWindow(h.Dlg());
        EXPECT_TRUE(Capture(folder + shot.name));
    }
}

} // namespace
