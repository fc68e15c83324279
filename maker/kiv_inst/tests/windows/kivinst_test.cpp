// KIVInst.dll as the programs use it: bound by name, plug-in discovery and
// loading, object ids, object release, and the terminal driven by messages.
#include "KIVDeviceClient.h"
#include "KIVDialog.h"
#include "KIVInst.h"
#include "SimDevice.h"
#include "kiv_inst_core/LoadErrors.h"
#include "plugins/TestPluginIds.h"
#include "terminal/TerminalIds.h"

#include "app_framework_testing/message_tests.h"

#include <gtest/gtest.h>

#include "win32/module.h"
#include "win32/unique_handle.h"

#include <string>
#include <vector>

namespace {

std::string TestFolder()
{
    const std::string path = win32::ModulePath(nullptr);
    return path.substr(0, path.find_last_of('\\'));
}

std::string PluginFolder()
{
    return TestFolder() + "\\kiv_plugins";
}

// The library bound the way the programs bind it.
class KIVInstTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        library_.reset(LoadLibraryA("KIVInst.dll"));
        ASSERT_TRUE(library_);
        create_ = win32::BindExport<PFN_CreateKIVInstance>(library_.get(), "CreateKIVInstance");
        delete_ = win32::BindExport<PFN_DeleteKIVInstance>(library_.get(), "DeleteKIVInstance");
        ASSERT_NE(nullptr, create_);
        ASSERT_NE(nullptr, delete_);
        instance_ = create_();
        ASSERT_NE(nullptr, instance_);
    }
    void TearDown() override
    {
        if (instance_)
            delete_(instance_);
        library_.reset();
    }

    std::vector<uint32_t> Ids()
    {
        std::vector<uint32_t> ids;
        for (size_t i = 0; i < instance_->GetNumObj(); ++i)
            ids.push_back(instance_->GetObjID(i));
        return ids;
    }
    size_t CountOf(uint32_t id)
    {
        size_t n = 0;
        for (uint32_t x : Ids())
            n += x == id;
        return n;
    }
    std::string Name(uint32_t id)
    {
        const char* name = reinterpret_cast<const char*>(instance_->GetObjInfo(id, 0));
        return name ? name : "<null>";
    }

    win32::UniqueModule library_;
    PFN_CreateKIVInstance create_ = nullptr;
    PFN_DeleteKIVInstance delete_ = nullptr;
    CKIVInstance_0* instance_ = nullptr;
};

TEST_F(KIVInstTest, BuiltinObjectsAndTheirTypes)
{
    EXPECT_EQ('V', instance_->GetVersionText()[0]) << instance_->GetVersionText();
    EXPECT_EQ(1u, CountOf(KIV_ID_TERMINAL));
    EXPECT_EQ("Terminal", Name(KIV_ID_TERMINAL));
    EXPECT_EQ(1u, instance_->GetObjInfo(KIV_ID_TERMINAL, 1));
    // Listed or not, the device and the script processor are never device controllers.
    EXPECT_EQ(0u, instance_->GetObjInfo(KIV_ID_COMM_DEVICE, 1));
    EXPECT_EQ(0u, instance_->GetObjInfo(KIV_ID_SCRIPT_PROCESSOR, 1));
    if (CountOf(KIV_ID_SCRIPT_PROCESSOR)) {
        EXPECT_EQ("Script Processor", Name(KIV_ID_SCRIPT_PROCESSOR));
    }
    // The device is offered exactly when it can be created.
    CKIVObject_0* device = instance_->CreateObj(KIV_ID_COMM_DEVICE);
    EXPECT_EQ(CountOf(KIV_ID_COMM_DEVICE) == 1, device != nullptr);
    instance_->DeleteObj(device);

    EXPECT_EQ(nullptr, instance_->CreateObj(0x12345));
    EXPECT_EQ(0u, instance_->GetObjInfo(0x12345, 0));
    EXPECT_EQ(0xFFFFFFFFu, instance_->GetObjID(instance_->GetNumObj()));
}

TEST_F(KIVInstTest, InitLoadsOnlyPluginsMatchingThePattern)
{
    const size_t before = instance_->GetNumObj();
    EXPECT_EQ(1, instance_->Init(PluginFolder().c_str(), "K*.*", 1));
    EXPECT_EQ(before + 1, instance_->GetNumObj()) << "only the test plug-in adds an id";
    EXPECT_EQ(1u, CountOf(TEST_PLUGIN_TYPE));
    EXPECT_EQ(TEST_PLUGIN_NAME, Name(TEST_PLUGIN_TYPE));
    EXPECT_EQ(1u, instance_->GetObjInfo(TEST_PLUGIN_TYPE, 1));
    EXPECT_EQ(nullptr, GetModuleHandleA("KNotAPlugin.dll")) << "a rejected module must be unloaded";

    // A second scan and a pattern matching nothing change nothing.
    EXPECT_EQ(0, instance_->Init(PluginFolder().c_str(), "K*.*", 1));
    EXPECT_EQ(0, instance_->Init(PluginFolder().c_str(), "Z*.*", 1));
    EXPECT_EQ(0, instance_->Init((PluginFolder() + "\\missing").c_str(), "K*.*", 1));
    EXPECT_EQ(before + 1, instance_->GetNumObj());
}

TEST_F(KIVInstTest, InitWithFlagZeroLoadsNothing)
{
    const size_t before = instance_->GetNumObj();
    EXPECT_EQ(0, instance_->Init(PluginFolder().c_str(), "K*.*", 0));
    EXPECT_EQ(before, instance_->GetNumObj());
}

TEST_F(KIVInstTest, LoadDeviceClientResults)
{
    const std::string folder = PluginFolder();
    struct Case {
        std::string path;
        int expected;
    } cases[] = {
        {folder + "\\KTestPlugin.dll", kivinst::kLoadOk},
        {folder + "\\KTestPlugin.dll", kivinst::kLoadOk},    // again: no duplicate ids
        {folder + "\\.\\ktestplugin.DLL", kivinst::kLoadOk}, // same file, other spelling
        {folder + "\\KMissing.dll", kivinst::kLoadCannotOpen},
        {folder + "\\KReadme.txt", kivinst::kLoadCannotOpen},
        {folder + "\\KNotAPlugin.dll", kivinst::kLoadNotAPlugin},
        {TestFolder() + "\\..\\bin\\KIVInst.dll", kivinst::kLoadNotAPlugin},
        {"", kivinst::kLoadBadPath},
    };
    const size_t before = instance_->GetNumObj();
    for (const Case& k : cases) {
        SCOPED_TRACE(k.path);
        EXPECT_EQ(k.expected, instance_->LoadDeviceClient(k.path.c_str()));
    }
    EXPECT_EQ(kivinst::kLoadBadPath, instance_->LoadDeviceClient(nullptr));
    EXPECT_EQ(before + 1, instance_->GetNumObj());
    EXPECT_EQ(1u, CountOf(TEST_PLUGIN_TYPE));
}

using LiveCount = long (*)();

LiveCount PluginLiveObjects()
{
    return win32::BindExport<LiveCount>(GetModuleHandleA("KTestPlugin.dll"), "TestPluginLiveObjects");
}

TEST_F(KIVInstTest, PluginObjectsAreCreatedShownAndReleasedThroughTheirModule)
{
    ASSERT_EQ(kivinst::kLoadOk, instance_->LoadDeviceClient((PluginFolder() + "\\KTestPlugin.dll").c_str()));
    LiveCount live = PluginLiveObjects();
    ASSERT_NE(nullptr, live);

    auto* client = static_cast<CKIVDeviceClient_0*>(instance_->CreateObj(TEST_PLUGIN_TYPE));
    ASSERT_NE(nullptr, client);
    EXPECT_EQ(TEST_PLUGIN_TYPE, client->GetObjType());
    EXPECT_EQ(1, live());
    client->Connect(nullptr);
    ASSERT_EQ(EKIV_ERR_OK, client->ShowDialogNonModal(nullptr));
    EXPECT_EQ(1, client->IsNonModalDialogOpen());

    instance_->DeleteObj(client);
    EXPECT_EQ(0, live());
    instance_->DeleteObj(client); // a stale pointer is ignored, not deleted twice
    instance_->DeleteObj(nullptr);
    EXPECT_EQ(0, live());

    // Objects a host forgets go with the instance, before their module. The
    // test pins the module to count its objects after the instance is gone.
    win32::UniqueModule pin(LoadLibraryA((PluginFolder() + "\\KTestPlugin.dll").c_str()));
    ASSERT_NE(nullptr, instance_->CreateObj(TEST_PLUGIN_TYPE));
    ASSERT_NE(nullptr, instance_->CreateObj(TEST_PLUGIN_TYPE));
    EXPECT_EQ(2, live());
    delete_(instance_);
    EXPECT_EQ(0, live());
    delete_(instance_); // a second release of the same instance is ignored
    instance_ = nullptr;
    pin.reset();
    EXPECT_EQ(nullptr, GetModuleHandleA("KTestPlugin.dll")) << "the plug-in is unloaded with the instance";
}

// ---------------------------------------------------------------- script processor

std::string g_printed;

int RecordPrint(void*, const char* text)
{
    g_printed += text;
    return static_cast<int>(std::string(text).size());
}

TEST_F(KIVInstTest, ScriptProcessorRunsTextAndFilesOnTheConnectedDevice)
{
    if (CountOf(KIV_ID_SCRIPT_PROCESSOR) == 0)
        GTEST_SKIP() << "built without the script processor";
    auto* processor = static_cast<CKIVDeviceClient_0*>(instance_->CreateObj(KIV_ID_SCRIPT_PROCESSOR));
    ASSERT_NE(nullptr, processor);
    EXPECT_EQ(KIV_ID_SCRIPT_PROCESSOR, processor->GetObjType());
    EXPECT_EQ(EKIV_ERR_NOT_SUPPORTED, processor->ShowDialogNonModal(nullptr)) << "it has no dialog";

    kivtest::SimDevice device;
    processor->Connect(&device);
    g_printed.clear();
    const char* text = "println \"hello\"\nsendln \"V\"\n";
    EXPECT_EQ(0, processor->Call(KIV_SCRIPT_RUN_TEXT, reinterpret_cast<uintptr_t>(text), reinterpret_cast<uintptr_t>(&RecordPrint), 0, 0));
    EXPECT_EQ("hello\n", g_printed);
    EXPECT_EQ("V\r", device.written);
    EXPECT_EQ(nullptr, device.lockOwner) << "the device is given back after the run";

    const char* bad = "no such statement\n";
    const long code = processor->Call(KIV_SCRIPT_RUN_TEXT, reinterpret_cast<uintptr_t>(bad), 0, 0, 0);
    EXPECT_NE(0, code);
    // The programs print an error through the communication device's text of the code.
    if (auto* comm = static_cast<CHapDeviceComm_0*>(instance_->CreateObj(KIV_ID_COMM_DEVICE))) {
        const char* why = comm->GetInfoText(2, code);
        ASSERT_NE(nullptr, why);
        EXPECT_EQ(0u, std::string(why).find("<script text>(1)")) << why;
        instance_->DeleteObj(comm);
    }
    const std::string missing = PluginFolder() + "\\missing.vks";
    EXPECT_NE(0, processor->Call(KIV_SCRIPT_RUN_FILE, reinterpret_cast<uintptr_t>(missing.c_str()), 0, 0, 0));
    instance_->DeleteObj(processor);
}

// ---------------------------------------------------------------- terminal

class TerminalTest : public KIVInstTest {
protected:
    void SetUp() override
    {
        KIVInstTest::SetUp();
        client_ = static_cast<CKIVDeviceClient_0*>(instance_->CreateObj(KIV_ID_TERMINAL));
        ASSERT_NE(nullptr, client_);
        client_->Connect(&device_);
        ASSERT_EQ(EKIV_ERR_OK, client_->ShowDialogNonModal(nullptr));
        // The terminal is a CKIVDeviceClient of HapDeviceClient.dll.
        CKIVDialog* dialog = static_cast<CKIVDeviceClient*>(client_)->GetDialog();
        ASSERT_NE(nullptr, dialog);
        window_ = dialog->GetSafeHwnd();
        ASSERT_TRUE(IsWindow(window_));
    }
    void TearDown() override
    {
        if (client_)
            instance_->DeleteObj(client_);
        KIVInstTest::TearDown();
    }
    std::string Text(int id)
    {
        char text[4096] = {};
        GetDlgItemTextA(window_, id, text, sizeof text);
        return text;
    }
    void Poll() { SendMessageA(window_, WM_TIMER, 1, 0); }

    kivtest::SimDevice device_;
    CKIVDeviceClient_0* client_ = nullptr;
    HWND window_ = nullptr;
};

TEST_F(TerminalTest, EnterAndSendButtonWriteTheLineWithCR)
{
    HWND input = GetDlgItem(window_, IDC_TERMINAL_INPUT);
    SetWindowTextA(input, "E=?");
    SendMessageA(input, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageA(input, WM_CHAR, '\r', 0);
    EXPECT_EQ("E=?\r", device_.written) << "Enter sends once, with CR";
    EXPECT_EQ("", Text(IDC_TERMINAL_INPUT)) << "a sent line leaves the input";

    SetWindowTextA(input, "V");
    SendMessageA(GetDlgItem(window_, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ("E=?\rV\r", device_.written);
    EXPECT_TRUE(IsWindow(window_)) << "Send must not close the terminal";
    EXPECT_EQ(nullptr, device_.lockOwner) << "the lock is given back after each line";
}

TEST_F(TerminalTest, RepliesAppearWithLineBreaks)
{
    device_.pending = "E=?\r\r\nE=000006BF\r\n>";
    Poll();
    EXPECT_EQ("E=?\r\n\r\nE=000006BF\r\n>", Text(IDC_TERMINAL_OUTPUT));

    SendMessageA(GetDlgItem(window_, IDC_TERMINAL_CLEAR), BM_CLICK, 0, 0);
    EXPECT_EQ("", Text(IDC_TERMINAL_OUTPUT));
}

TEST_F(TerminalTest, RefusalsAreShownAndNothingIsSent)
{
    int host = 0;
    HWND input = GetDlgItem(window_, IDC_TERMINAL_INPUT);
    device_.lockOwner = &host;
    SetWindowTextA(input, "V");
    SendMessageA(input, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ("Communication device is locked", Text(IDC_TERMINAL_STATUS));
    EXPECT_EQ("V", Text(IDC_TERMINAL_INPUT)) << "a line that was not sent stays in the input";

    device_.lockOwner = nullptr;
    device_.open = false;
    Poll();
    EXPECT_EQ("Port is not open", Text(IDC_TERMINAL_STATUS));
    EXPECT_EQ("", device_.written);

    device_.open = true;
    Poll();
    EXPECT_EQ("", Text(IDC_TERMINAL_STATUS));
}

// A console host's loop: no dialog pre-translation, just translate and dispatch.
void PumpLikeAConsoleHost()
{
    PumpPending(Pump::Plain);
}

TEST_F(TerminalTest, DialogKeysWorkUnderAPlainMessageLoop)
{
    HWND input = GetDlgItem(window_, IDC_TERMINAL_INPUT);
    SetWindowTextA(input, "V");
    PostMessageA(input, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(input, WM_CHAR, '\r', 0);
    PumpLikeAConsoleHost();
    EXPECT_EQ("V\r", device_.written) << "Enter sends exactly once";
    EXPECT_TRUE(IsWindow(window_));

    PostMessageA(input, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpLikeAConsoleHost();
    EXPECT_FALSE(IsWindow(window_)) << "Escape closes the terminal";
    EXPECT_EQ(0, client_->IsNonModalDialogOpen());
}

TEST_F(TerminalTest, ClosingTheWindowEndsTheDialog)
{
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(0, client_->IsNonModalDialogOpen());
}

} // namespace
