// Varnik as a child process against the recording framework library: start-up
// failures, port status and commands, starting and adding controllers, the
// Enter key, shut-down order and the about box.
#include "VarnikProcess.h"
#include "resource.h"
#include "win32/version_resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <optional>
#include <sstream>

using namespace varnik_test;

namespace {

constexpr int kStatus = IDC_PORT_STATUS, kConfigure = IDC_CONFIGURE_PORT, kOpen = IDC_OPEN_PORT, kClose = IDC_CLOSE_PORT,
              kList = IDC_CONTROLLER_LIST, kAdd = IDC_ADD_CONTROLLER;

std::string ExpectedTitle(const std::string& program)
{
    const std::optional<win32::VersionResource> resource = win32::VersionResource::Read(program);
    const std::optional<win32::VersionNumber> version = resource ? resource->FileVersion() : std::nullopt;
    if (!version)
        return "no version resource";
    char title[96];
    std::snprintf(title, sizeof title, "Varnik V%u.%u.%u build %u (x64)", version->Major(), version->Minor(),
                  version->Patch(), version->Build());
    return title;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A program folder with Varnik, the framework DLL and (unless left out) the
// recording framework library (which ignores the store, so the shared data folder is left alone).
class VarnikFixture : public ::testing::Test {
protected:
    ScratchFolder folder_{"varnik_process"};
    std::string log_ = folder_.Path() + "calls.log";
    std::optional<VarnikProcess> process_;
    HWND dialog_ = nullptr;

    void Install(bool withFramework = true)
    {
        ASSERT_TRUE(CopyInto(ModulesFolder() + "Varnik.exe", folder_.Path() + "Varnik.exe"));
        ASSERT_TRUE(CopyInto(ModulesFolder() + "AppFramework.dll", folder_.Path() + "AppFramework.dll"));
        if (withFramework) {
            ASSERT_TRUE(CopyInto(TestFolder() + "varnik_fake\\KIVInst.dll", folder_.Path() + "KIVInst.dll"));
        }
    }

    void Start(const std::string& mode)
    {
        process_.emplace(folder_.Path(), std::vector<std::string>{"VARNIK_FAKE_LOG=" + log_, "VARNIK_FAKE_MODE=" + mode});
        ASSERT_TRUE(process_->Started());
    }

    void StartMain(const std::string& mode)
    {
        Install();
        Start(mode);
        dialog_ = process_->WaitForTitle(ExpectedTitle(folder_.Path() + "Varnik.exe"));
        ASSERT_NE(nullptr, dialog_) << "no main window titled " << ExpectedTitle(folder_.Path() + "Varnik.exe");
    }

    std::vector<std::string> Calls() const { return Lines(ReadFileText(log_)); }
    std::string Status() const { return WindowText(GetDlgItem(dialog_, kStatus)); }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog_, id)) != FALSE; }
    int Rows() const { return static_cast<int>(SendMessageA(GetDlgItem(dialog_, kList), LVM_GETITEMCOUNT, 0, 0)); }

    bool StatusBecomes(const std::string& text) const
    {
        return process_->WaitUntil([&] { return Status() == text; });
    }
    bool Logged(const std::string& line) const
    {
        return process_->WaitUntil([&] { return Contains(Calls(), line); });
    }
    bool CallsBecome(const std::vector<std::string>& calls) const
    {
        return process_->WaitUntil([&] { return Calls() == calls; });
    }

    void EndAndExpectShutDown()
    {
        FocusControl(dialog_, IDOK);
        PostEnter(dialog_, IDOK);
        DWORD code = 1;
        ASSERT_TRUE(process_->WaitForExit(20000, &code)) << "Enter on Close did not end the program";
        EXPECT_EQ(0u, code);
    }
};

const std::string kClosedStatus = "Port description: Fake port\nPort configuration: 9600,N,8,1\nState: closed";

} // namespace

TEST_F(VarnikFixture, WithoutTheFrameworkLibraryOnlyTheLoadingErrorShows)
{
    Install(false);
    Start("");
    MessageBoxSeen box = AnswerMessageBox(*process_);
    ASSERT_TRUE(box.found);
    EXPECT_EQ("Error", box.caption);
    EXPECT_EQ("Error loading KIVInst.dll.", box.text);
    EXPECT_TRUE(process_->WaitForExit());
    EXPECT_TRUE(process_->HasNoWindow(ExpectedTitle(folder_.Path() + "Varnik.exe")));
}

TEST_F(VarnikFixture, WithoutAnInstanceTheLibraryIsLeftAndNoDialogShows)
{
    Install();
    Start("noinstance");
    MessageBoxSeen box = AnswerMessageBox(*process_);
    EXPECT_EQ("Error", box.caption);
    EXPECT_EQ("Could not create KIV instance object!", box.text);
    EXPECT_TRUE(process_->WaitForExit());
    EXPECT_EQ((std::vector<std::string>{"CreateKIVInstance"}), Calls());
}

TEST_F(VarnikFixture, StartsWithTheDeviceAndControllersAndReleasesThemInReverse)
{
    StartMain("");
    EXPECT_EQ(kClosedStatus, Status());
    EXPECT_TRUE(Enabled(kOpen));
    EXPECT_FALSE(Enabled(kClose));
    ASSERT_EQ(1, Rows());
    EXPECT_EQ("Fake Camera A", process_->ListText(GetDlgItem(dialog_, kList), 0, 0));
    EndAndExpectShutDown();
    const std::string folder = folder_.Path().substr(0, folder_.Path().size() - 1);
    EXPECT_EQ((std::vector<std::string>{"CreateKIVInstance", "Init " + folder + " K*.* 1", "CreateObj 0",
                                        "CreateObj 65536", "SetConfigStore store", "Init", "RestoreConfig",
                                        "DeleteObj 65536", "Detach", "Exit", "DeleteObj 0", "DeleteKIVInstance"}),
              Calls());
}

TEST_F(VarnikFixture, PortCommandsFollowTheState)
{
    const std::string open = "Port description: Fake port\nPort configuration: 9600,N,8,1\nState: open";
    StartMain("");
    PostClick(dialog_, kOpen);
    ASSERT_TRUE(StatusBecomes(open)) << Status();
    EXPECT_FALSE(Enabled(kOpen));
    EXPECT_TRUE(Enabled(kClose));

    // Configure closes an open port, shows the dialog under the lock, and reopens it.
    std::remove(log_.c_str());
    PostClick(dialog_, kConfigure);
    EXPECT_TRUE(CallsBecome({"Close", "ShowConfigDialog parent locked closed", "Open unlocked"}))
        << ::testing::PrintToString(Calls());
    EXPECT_TRUE(StatusBecomes(open));
    EXPECT_TRUE(Enabled(kClose));

    PostClick(dialog_, kClose);
    EXPECT_TRUE(StatusBecomes(kClosedStatus)) << Status();
    std::remove(log_.c_str());
    PostClick(dialog_, kConfigure);
    PostClick(dialog_, kOpen); // marks the end of the configuration
    EXPECT_TRUE(CallsBecome({"Close", "ShowConfigDialog parent locked closed", "Open locked"}))
        << "a closed port stays closed: " << ::testing::PrintToString(Calls());
    EXPECT_FALSE(Contains(Calls(), "Unlock without lock"));
    EndAndExpectShutDown();
}

TEST_F(VarnikFixture, FailedOpenAndCloseAreReported)
{
    StartMain("open,closefails");
    PostClick(dialog_, kClose);
    MessageBoxSeen box = AnswerMessageBox(*process_);
    EXPECT_EQ("Error", box.caption);
    EXPECT_EQ("Close failed", box.text);
    EXPECT_TRUE(Enabled(kClose));
    EndAndExpectShutDown();
}

TEST_F(VarnikFixture, LockHeldElsewhereEmptiesTheStatusAndRefusesCommands)
{
    StartMain("locked");
    EXPECT_EQ("", Status());
    EXPECT_TRUE(Enabled(kOpen));
    EXPECT_FALSE(Enabled(kClose));
    for (int id : {kConfigure, kOpen}) {
        SCOPED_TRACE(id);
        PostClick(dialog_, id);
        MessageBoxSeen box = AnswerMessageBox(*process_);
        EXPECT_EQ("Error", box.caption);
        EXPECT_EQ("Communication device is locked", box.text);
    }
    EXPECT_FALSE(Contains(Calls(), "Close"));
    EXPECT_FALSE(Contains(Calls(), "Open locked"));
    EndAndExpectShutDown();
}

TEST_F(VarnikFixture, WithoutADeviceControllersStillStart)
{
    StartMain("nodevice");
    EXPECT_EQ("No communication device...", Status());
    EXPECT_FALSE(Enabled(kOpen));
    EXPECT_FALSE(Enabled(kClose));
    PostClick(dialog_, kConfigure);

    HWND list = GetDlgItem(dialog_, kList);
    ASSERT_TRUE(process_->SelectListRow(list, 0));
    FocusControl(dialog_, kList);
    PostEnter(dialog_, kList);
    EXPECT_TRUE(Logged("Connect 65536 null"));
    EXPECT_TRUE(process_->HasNoWindow("Error")) << "configure without a device only refreshes";
    EXPECT_TRUE(Contains(Calls(), "ShowDialogNonModal 65536 null"));
    EXPECT_FALSE(Contains(Calls(), "DeleteObj 0"));
    EndAndExpectShutDown();
}

TEST_F(VarnikFixture, EnterStartsTheSelectedRowOrPressesTheFocusedButton)
{
    StartMain("");
    HWND list = GetDlgItem(dialog_, kList);

    // Double click on empty space with nothing selected.
    PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 80));
    PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(100, 80));
    MessageBoxSeen box = AnswerMessageBox(*process_);
    EXPECT_EQ("Info", box.caption);
    EXPECT_EQ("Please select a device controller first!", box.text);

    // Enter on the list without a selection does nothing.
    FocusControl(dialog_, kList);
    PostEnter(dialog_, kList);
    PostClick(dialog_, kOpen); // marks the end of the Enter
    EXPECT_TRUE(Logged("Open locked"));
    EXPECT_FALSE(Contains(Calls(), "Connect 65536 device"));
    EXPECT_TRUE(process_->HasNoWindow("Info"));
    PostClick(dialog_, kClose);
    ASSERT_TRUE(StatusBecomes(kClosedStatus));

    ASSERT_TRUE(process_->SelectListRow(list, 0));
    FocusControl(dialog_, kList);
    PostEnter(dialog_, kList);
    EXPECT_TRUE(Logged("Connect 65536 device"));
    EXPECT_TRUE(Contains(Calls(), "Open unlocked")) << "starting a controller opens the port without the lock";
    EXPECT_EQ("Port description: Fake port\nPort configuration: 9600,N,8,1\nState: open", Status());

    // Enter on another button presses that button and keeps the dialog.
    FocusControl(dialog_, kClose);
    PostEnter(dialog_, kClose);
    EXPECT_TRUE(StatusBecomes(kClosedStatus));
    EXPECT_TRUE(IsWindow(dialog_));
    EndAndExpectShutDown();
}

TEST_F(VarnikFixture, AddingAPluginTwiceAddsOneRowAndABadFileIsRefused)
{
    StartMain("");
    WriteFileText(folder_.Path() + "KFakeCamera.dll", "plug-in");
    WriteFileText(folder_.Path() + "notes.txt", "no plug-in");
    auto add = [&](const std::string& file) {
        PostClick(dialog_, kAdd);
        HWND open = process_->WaitForTitle("Load a device controller");
        ASSERT_NE(nullptr, open);
        // The file name box (combo box 0x47C, or edit 0x480 in the old style).
        HWND name = GetDlgItem(open, 0x47C);
        if (!name)
            name = GetDlgItem(open, 0x480);
        ASSERT_NE(nullptr, name);
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>((folder_.Path() + file).c_str()));
        PostMessageA(open, WM_COMMAND, IDOK, 0);
        const DWORD start = GetTickCount();
        while (IsWindow(open) && GetTickCount() - start < 20000)
            process_->WaitForExit(20);
    };
    add("KFakeCamera.dll");
    EXPECT_TRUE(process_->WaitUntil([&] { return Rows() == 2; }));
    EXPECT_EQ("Fake Camera B", process_->ListText(GetDlgItem(dialog_, kList), 1, 0));
    add("KFakeCamera.dll");
    EXPECT_TRUE(process_->WaitUntil([&] {
        auto calls = Calls();
        return std::count(calls.begin(), calls.end(), "LoadDeviceClient " + folder_.Path() + "KFakeCamera.dll") == 2;
    }));
    EXPECT_EQ(2, Rows());

    add("notes.txt");
    MessageBoxSeen box = AnswerMessageBox(*process_);
    EXPECT_EQ("Error", box.caption);
    EXPECT_EQ("Could not load device controller.\nPropably, the selected file is not a valid device controller",
              box.text);
    EXPECT_EQ(2, Rows());
    auto calls = Calls();
    EXPECT_EQ(1, std::count(calls.begin(), calls.end(), "CreateObj 65537"));
    EndAndExpectShutDown();
    calls = Calls();
    auto first = std::find(calls.begin(), calls.end(), "DeleteObj 65537");
    EXPECT_TRUE(first != calls.end() && first + 1 != calls.end() && first[1] == "DeleteObj 65536")
        << "controllers are released last first";
}

TEST_F(VarnikFixture, AboutBoxListsTheProgramFirstAndThePluginsSorted)
{
    Install();
    CreateFolders(folder_.Path() + "Plugins");
    ASSERT_TRUE(CopyInto(TestFolder() + "varnik_fake\\KIVInst.dll", folder_.Path() + "Plugins\\KFakeCamera.dll"));
    WriteFileText(folder_.Path() + "a_noversion.dll", "no version resource");
    Start("");
    dialog_ = process_->WaitForTitle(ExpectedTitle(folder_.Path() + "Varnik.exe"));
    ASSERT_NE(nullptr, dialog_);

    PostMessageA(dialog_, WM_SYSCOMMAND, 16, 0);
    HWND about = process_->WaitForTitle("About Varnik");
    ASSERT_NE(nullptr, about);
    HWND list = GetDlgItem(about, IDC_ABOUT_FILES);
    const std::string v = VARNIK_TEST_PRODUCT_VERSION;
    const std::vector<std::pair<std::string, std::string>> expected{
        {"Varnik.exe", v}, {"AppFramework.dll", v}, {"KIVInst.dll", v}, {"Merrow.exe", "Unavailable"}, {"Plugins\\KFakeCamera.dll", v}, {"a_noversion.dll", "Unavailable"}};
    ASSERT_EQ(static_cast<LRESULT>(expected.size()), SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].first, process_->ListText(list, static_cast<int>(i), 0));
        EXPECT_EQ(expected[i].second, process_->ListText(list, static_cast<int>(i), 1));
    }
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    const DWORD start = GetTickCount();
    while (IsWindow(about) && GetTickCount() - start < 20000)
        process_->WaitForExit(20);
    EXPECT_FALSE(IsWindow(about));
    EndAndExpectShutDown();
}
