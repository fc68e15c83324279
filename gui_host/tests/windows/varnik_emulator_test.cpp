// Varnik against the real framework library with the built-in camera
// emulator as its port: status, open and close, the configuration dialog,
// a port held by another program, and the about box.
#include "VarnikProcess.h"
#include "resource.h"

#include "app_framework_testing/screenshot.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <optional>

using namespace varnik_test;

namespace {

// The device keeps other programs off its port with this mutex while locked.
const char kPortMutex[] = "Local\\Quarnel.CommDev.EMULATOR";
constexpr int kStatus = IDC_PORT_STATUS, kConfigure = IDC_CONFIGURE_PORT, kOpen = IDC_OPEN_PORT, kClose = IDC_CLOSE_PORT;
// The title the version resource of this build gives the main window.
const std::string kTitle = std::string("Varnik ") + VARNIK_TEST_VERSION_LABEL + " build " + VARNIK_TEST_BUILD + " (x64)";

// Varnik's store file in the shared data folder, holding the emulator port
// only while the program starts; whatever was there before comes back.
class StoreFileWithEmulatorPort {
public:
    StoreFileWithEmulatorPort()
    {
        char shared[MAX_PATH] = {};
        SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, shared);
        const std::string folder = std::string(shared) + "\\Quarnel\\Varnik " + VARNIK_TEST_VERSION_LABEL;
        CreateFolders(folder);
        file_ = folder + "\\Varnik.ini";
        existed_ = GetFileAttributesA(file_.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (existed_)
            previous_ = ReadFileText(file_);
        WriteFileText(file_, "[CommDev_0]\r\nPort=EMULATOR\r\n");
    }
    ~StoreFileWithEmulatorPort() { Restore(); }
    StoreFileWithEmulatorPort(const StoreFileWithEmulatorPort&) = delete;
    StoreFileWithEmulatorPort& operator=(const StoreFileWithEmulatorPort&) = delete;

    void Restore()
    {
        if (restored_)
            return;
        restored_ = true;
        if (existed_)
            WriteFileText(file_, previous_);
        else
            DeleteFileA(file_.c_str());
    }

private:
    std::string file_;
    std::string previous_;
    bool existed_ = false;
    bool restored_ = false;
};

class VarnikEmulator : public ::testing::Test {
protected:
    ScratchFolder folder_{"varnik_emulator"};
    std::optional<VarnikProcess> process_;
    HWND dialog_ = nullptr;

    void SetUp() override
    {
        for (const char* module : {"Varnik.exe", "AppFramework.dll", "HapDeviceClient.dll", "KIVInst.dll"})
            ASSERT_TRUE(CopyInto(ModulesFolder() + module, folder_.Path() + module)) << module;
    }

    // Other programs' tests on this machine may hold the emulated port for a
    // moment; wait (bounded) until it is free rather than fail on it.
    static void WaitForFreePort()
    {
        if (win32::UniqueKernelHandle port{OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kPortMutex)}) {
            const DWORD waited = WaitForSingleObject(port.get(), 60000);
            if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
                ReleaseMutex(port.get());
        }
    }

    void StartMain()
    {
        StoreFileWithEmulatorPort store;
        process_.emplace(folder_.Path(), std::vector<std::string>{});
        ASSERT_TRUE(process_->Started());
        dialog_ = process_->WaitForTitle(kTitle);
        // The store is loaded before the main window shows.
        store.Restore();
        ASSERT_NE(nullptr, dialog_);
    }

    std::string Status() const { return WindowText(GetDlgItem(dialog_, kStatus)); }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog_, id)) != FALSE; }
    bool StateBecomes(const char* state) const
    {
        return process_->WaitUntil([&] { return Status().ends_with(std::string("\nState: ") + state); });
    }

    void End()
    {
        FocusControl(dialog_, IDOK);
        PostEnter(dialog_, IDOK);
        EXPECT_TRUE(process_->WaitForExit());
    }
};

// A picture for a look by eye when ImageMagick is there; the window
// captions are in it when gui_host/tests/screenshot.sh runs the test.
void Screenshot(const std::string& name, HWND window)
{
    if (CanTakeScreenshots()) {
        EXPECT_TRUE(TakeScreenshot(name, window)) << name;
    }
}

void Screenshot(const std::string& name, const RECT& area)
{
    if (CanTakeScreenshots()) {
        EXPECT_TRUE(TakeScreenshot(name, area)) << name;
    }
}

} // namespace

TEST_F(VarnikEmulator, OpensAndClosesTheEmulatedPort)
{
    WaitForFreePort();
    StartMain();
    ASSERT_TRUE(StateBecomes("closed")) << Status();
    EXPECT_EQ(0u, Status().find("Port description: ")) << Status();
    EXPECT_EQ(std::string::npos, Status().find("No port configured")) << "the stored port was not read";
    EXPECT_TRUE(Enabled(kOpen));
    EXPECT_FALSE(Enabled(kClose));
    Screenshot("varnik-port-closed", dialog_);

    // The about entry of the system menu, with its Windows-1252 umlaut (the
    // menu of another process cannot be read, so the string is read from the
    // program file; the screenshot shows it in the menu).
    win32::UniqueModule program(
        LoadLibraryExA((folder_.Path() + "Varnik.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(program);
    char entry[64] = {};
    LoadStringA(program.get(), IDS_ABOUTBOX, entry, sizeof entry);
    program.reset();
    EXPECT_EQ("Inf&o \xFC"
              "ber Varnik...",
              std::string(entry));
    PostMessageA(dialog_, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    HWND menu = nullptr;
    ASSERT_TRUE(process_->WaitUntil([&] {
        menu = FindWindowA("#32768", nullptr);
        return menu && IsWindowVisible(menu);
    })) << "the system menu did not open";
    RECT area, menuArea;
    GetWindowRect(dialog_, &area);
    GetWindowRect(menu, &menuArea);
    UnionRect(&area, &area, &menuArea);
    Screenshot("varnik-system-menu", area);
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(process_->WaitUntil([&] { return !IsWindowVisible(menu); }));

    PostClick(dialog_, kOpen);
    ASSERT_TRUE(StateBecomes("open")) << Status();
    EXPECT_FALSE(Enabled(kOpen));
    EXPECT_TRUE(Enabled(kClose));
    Screenshot("varnik-port-open", dialog_);

    // The configuration dialog comes up with the port closed; cancelling it
    // reopens the port.
    PostClick(dialog_, kConfigure);
    HWND configure = process_->WaitForWindow([](const std::string& title) { return title != kTitle; });
    ASSERT_NE(nullptr, configure);
    EXPECT_TRUE(Enabled(kOpen) || !IsWindowEnabled(dialog_)) << "the main window waits for the dialog";
    PostMessageA(configure, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(process_->WaitUntil([&] { return !IsWindow(configure); }));
    EXPECT_TRUE(StateBecomes("open")) << Status();

    PostClick(dialog_, kClose);
    EXPECT_TRUE(StateBecomes("closed")) << Status();

    PostMessageA(dialog_, WM_SYSCOMMAND, 16, 0);
    HWND about = process_->WaitForTitle("About Varnik");
    ASSERT_NE(nullptr, about);
    Screenshot("varnik-about", about);
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(process_->WaitUntil([&] { return !IsWindow(about); }));
    End();
}

TEST_F(VarnikEmulator, PortHeldByAnotherProgramIsReportedLocked)
{
    WaitForFreePort();
    win32::UniqueKernelHandle held(CreateMutexA(nullptr, TRUE, kPortMutex));
    ASSERT_TRUE(held);
    StartMain();
    EXPECT_EQ("", Status());
    EXPECT_TRUE(Enabled(kOpen));
    EXPECT_FALSE(Enabled(kClose));
    Screenshot("varnik-lock-refused", dialog_);
    PostClick(dialog_, kOpen);
    MessageBoxSeen box = AnswerMessageBox(*process_);
    EXPECT_EQ("Error", box.caption);
    EXPECT_EQ("Communication device is locked", box.text);
    ReleaseMutex(held.get());
    held.reset();
    End();
}
