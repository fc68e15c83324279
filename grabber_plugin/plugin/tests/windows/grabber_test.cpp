// The grabber over the simulated camera library (mkApi.dll from the default
// path, its network from a description file of three reachable cameras):
// Init, the camera list, the configured camera, rescans, opening, the
// attribute dump, link events during the list build, parameters and the timer.
#include "CmdChannel.h"
#include "FramixExports.h"
#include "FramixZelmkAPIClass.h"
#include "UnifiedCamera.h"
#include "Win32BindingPlatform.h"
#include "grabber_fixture.h"

#include "GrabberLog.h"
#include "app_framework/message_box.h"
#include "config_store/IniFile.h"
#include "win32/module.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <optional>
#include <utility>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <regex>

namespace zelmk_test {
const char* TestNetwork()
{
    return "[Network]\n"
           "HostAddress=192.168.10.1\nHostMask=255.255.255.0\n"
           "[Camera Alpha]\nUniqueId=501\nSerialNumber=A-0001\nAddress=192.168.10.21\nMask=255.255.255.0\n"
           "[Camera Beta]\nUniqueId=502\nSerialNumber=B-0002\nAddress=192.168.10.22\nMask=255.255.255.0\n"
           "[Camera Gamma]\nUniqueId=503\nSerialNumber=C-0003\nAddress=192.168.10.23\nMask=255.255.255.0\n";
}
} // namespace zelmk_test

namespace {

namespace fs = std::filesystem;
using zelmk_test::Api;
using zelmk_test::Sim;

// The link events a grabber has finished handling, in order. The library
// hands them over on its own thread, and one that a command before Init or an
// earlier test caused may come late: a test waits for the very event its own
// command caused, and only once the grabber is through with it (its log line
// comes first, the list is marked stale after).
class HandledLinks {
public:
    void Add(uint32_t event, uint32_t uniqueId)
    {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_events.emplace_back(event, uniqueId);
        }
        m_changed.notify_all();
    }
    void Clear()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_events.clear();
    }
    // Bounded: false when the event was not handled within five seconds.
    bool WaitFor(uint32_t event, uint32_t uniqueId)
    {
        std::unique_lock<std::mutex> guard(m_lock);
        return m_changed.wait_for(guard, std::chrono::seconds(5), [&] {
            return std::find(m_events.begin(), m_events.end(), std::make_pair(event, uniqueId)) != m_events.end();
        });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<std::pair<uint32_t, uint32_t>> m_events;
};
// Never destroyed: a grabber that outlives a test may still be called.
HandledLinks& Handled()
{
    static HandledLinks* links = new HandledLinks;
    return *links;
}

class RecordingGrabber : public CFramixZelmkAPIClass {
public:
    using CFramixZelmkAPIClass::CFramixZelmkAPIClass;
    void LinkCallback(uint32_t interfaceType, uint32_t event, uint32_t uniqueId) override
    {
        CFramixZelmkAPIClass::LinkCallback(interfaceType, event, uniqueId);
        Handled().Add(event, uniqueId);
    }
};

struct WaitRecord {
    std::vector<DWORD> timeouts;
    std::vector<DWORD> results;
    std::string before; // a simulator command run at the start of the wait
    // The link event that command causes: an earlier one may end the wait
    // first, so the wait goes on, bounded, until the grabber has handled it.
    std::optional<std::pair<uint32_t, uint32_t>> caused;
};
WaitRecord g_wait;

DWORD NoWait(HANDLE, DWORD milliseconds)
{
    g_wait.timeouts.push_back(milliseconds);
    return WAIT_TIMEOUT;
}

// The real wait, bounded for the test, after the simulator command.
DWORD WaitAfterCommand(HANDLE event, DWORD milliseconds)
{
    g_wait.timeouts.push_back(milliseconds);
    if (!g_wait.before.empty()) Sim(g_wait.before);
    DWORD result = ::WaitForSingleObject(event, 5000);
    if (result == WAIT_OBJECT_0 && g_wait.caused && !Handled().WaitFor(g_wait.caused->first, g_wait.caused->second))
        result = WAIT_TIMEOUT;
    g_wait.results.push_back(result);
    return result;
}

class GrabberTest : public zelmk_test::GrabberFixture {
protected:
    void SetUp() override
    {
        GrabberFixture::SetUp();
        g_wait = {};
        Handled().Clear();
        m_grabber = MakeGrabber();
    }
    void TearDown() override
    {
        m_grabber.reset();
        Sim("fail clear");
        for (const char* id : {"501", "502", "503"}) Sim(std::string("plug ") + id);
    }

    std::unique_ptr<CFramixZelmkAPIClass> MakeGrabber() { return GrabberFixture::MakeGrabber<RecordingGrabber>(&NoWait); }

    std::vector<uint32_t> Ids()
    {
        std::vector<uint32_t> ids;
        for (CUnifiedCamera* c = m_grabber->GetFirstCamera(); c; c = c->GetNext()) ids.push_back(c->GetCameraUniqueID());
        return ids;
    }

    std::unique_ptr<CFramixZelmkAPIClass> m_grabber;
};

TEST_F(GrabberTest, InitPrintsTheLoadLogAndBuildsTheList)
{
    ASSERT_EQ(UG_OK, m_grabber->Init());
    const std::vector<std::string> lines = Lines();
    ASSERT_GE(lines.size(), 2 + Api().LoadLog().size());
    EXPECT_EQ("1 CFramixZelmkAPIClass::Init", lines[0]);
    for (size_t i = 0; i < Api().LoadLog().size(); ++i)
        EXPECT_EQ(std::to_string(Api().LoadLog()[i].ok) + " " + Api().LoadLog()[i].text, lines[1 + i]);
    EXPECT_EQ(1u, Count("^1 Using mkAPI V[0-9]+\\.[0-9]+$"));
    EXPECT_EQ((std::vector<uint32_t>{501, 502, 503}), Ids());
    EXPECT_STREQ("Alpha", m_grabber->GetCamera(0)->GetCameraName());
    EXPECT_EQ(2, m_grabber->GetCamera(2)->GetCamCntrlDlgIndex());
    EXPECT_EQ(1, m_grabber->GetCamera(1)->GetNumGfxModes());
    EXPECT_EQ(nullptr, m_grabber->GetFirstCamera()->GetPrev());
    EXPECT_EQ(-1, m_grabber->GetActCameraIndex());
    EXPECT_TRUE(m_grabber->IsCameraListValid());
    EXPECT_EQ(std::vector<DWORD>{1000}, g_wait.timeouts);
    EXPECT_TRUE(std::regex_match(std::string(m_grabber->GetDriverVersion()),
                                 std::regex("mkAPI V[0-9]+\\.[0-9]+ \\([0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+\\)")))
        << m_grabber->GetDriverVersion();
    EXPECT_STREQ("Unified grabber DLL for Zel cameras", m_grabber->GetDriverDesc());
    EXPECT_STREQ("FramixZelmkAPI.dll", m_grabber->GetDriverName());

    // A second Init prints its first lines again and changes nothing.
    ClearLines();
    EXPECT_EQ(UG_ERR_ALREADY_INITIALIZED, m_grabber->Init());
    EXPECT_EQ(1 + Api().LoadLog().size(), Lines().size());
    EXPECT_EQ(3, m_grabber->GetNumCameras());
    EXPECT_EQ(std::vector<DWORD>{1000}, g_wait.timeouts);
}

TEST_F(GrabberTest, ConfiguredCameraBecomesActiveAndSurvivesASave)
{
    m_store->WriteUInt("Grabber_0", "UniqueId", 503);
    ASSERT_EQ(UG_OK, m_grabber->LoadGrabberConfig());
    EXPECT_EQ(503u, m_grabber->GetSelectedUniqueId());
    ASSERT_EQ(UG_OK, m_grabber->Init());
    EXPECT_EQ(2, m_grabber->GetActCameraIndex());

    m_grabber->SetSelectedUniqueId(502);
    ASSERT_EQ(UG_OK, m_grabber->SaveGrabberConfig());
    EXPECT_EQ(502u, m_store->GetUInt("Grabber_0", "UniqueId", 0, nullptr));
    m_grabber.reset();
    m_grabber = MakeGrabber();
    ASSERT_EQ(UG_OK, m_grabber->LoadGrabberConfig());
    ASSERT_EQ(UG_OK, m_grabber->Init());
    EXPECT_EQ(1, m_grabber->GetActCameraIndex());
}

TEST_F(GrabberTest, NoCameraOnTheNetwork)
{
    for (const char* id : {"501", "502", "503"}) ASSERT_EQ(0u, Sim(std::string("unplug ") + id).rfind("", 0));
    ASSERT_EQ(UG_OK, m_grabber->Init());
    EXPECT_EQ(1u, Count("^1 CFramixZelmkAPIClass::BuildInternalList: Warning: currently no cameras found!$"));
    EXPECT_EQ(0, m_grabber->GetNumCameras());
    EXPECT_EQ(-1, m_grabber->GetActCameraIndex());
    EXPECT_EQ(UG_ERR_NO_ACTIVE_CAMERA, m_grabber->OpenActCamera());
}

TEST_F(GrabberTest, LinkEventEndsTheListWaitEarly)
{
    // Unplugged once the grabber listens, and its event handled: every event
    // an earlier command caused came before it, so none is left to come late.
    ASSERT_EQ(UG_OK, m_grabber->Init());
    Sim("unplug 502");
    ASSERT_TRUE(Handled().WaitFor(MK_LINK_REMOVE, 502));
    ASSERT_EQ(UG_OK, m_grabber->RescanCameras());
    EXPECT_EQ((std::vector<uint32_t>{501, 503}), Ids());
    EXPECT_TRUE(m_grabber->IsCameraListValid());

    // The camera comes back while the rescan waits: its link event ends the
    // wait, and the count after it sees the camera.
    ClearLines();
    m_grabber->SetLinkWait(&WaitAfterCommand);
    g_wait.before = "plug 502";
    g_wait.caused = std::make_pair(uint32_t{MK_LINK_ADD}, uint32_t{502});
    ASSERT_EQ(UG_OK, m_grabber->RescanCameras());
    ASSERT_EQ(std::vector<DWORD>{WAIT_OBJECT_0}, g_wait.results);
    EXPECT_EQ(3u, Ids().size());
    EXPECT_EQ(1u, Count("^1 CFramixZelmkAPIClass::LinkCallback: Interface = 1, Event = 1, UniqueId = 502$"));
    EXPECT_TRUE(m_grabber->IsCameraListValid());
}

TEST_F(GrabberTest, LinkEventMakesTheListStale)
{
    ASSERT_EQ(UG_OK, m_grabber->Init());
    ASSERT_TRUE(m_grabber->IsCameraListValid());
    // Stale once the grabber has handled the event the unplug sends, without a rebuild.
    Sim("unplug 501");
    ASSERT_TRUE(Handled().WaitFor(MK_LINK_REMOVE, 501));
    EXPECT_FALSE(m_grabber->IsCameraListValid());
}

TEST_F(GrabberTest, RescanKeepsTheActiveCameraByItsId)
{
    ASSERT_EQ(UG_OK, m_grabber->Init());
    ASSERT_EQ(UG_OK, m_grabber->SetActCameraIndex(2));
    Sim("unplug 501");
    ASSERT_EQ(UG_OK, m_grabber->RescanCameras());
    EXPECT_EQ((std::vector<uint32_t>{502, 503}), Ids());
    EXPECT_EQ(1, m_grabber->GetActCameraIndex());
    ASSERT_NE(nullptr, m_grabber->GetActCamera());
    EXPECT_EQ(503u, m_grabber->GetActCamera()->GetCameraUniqueID());

    // Gone from the network: no active camera after the rescan.
    Sim("unplug 503");
    ASSERT_EQ(UG_OK, m_grabber->RescanCameras());
    EXPECT_EQ(-1, m_grabber->GetActCameraIndex());

    CFramixZelmkAPIClass fresh(::GetModuleHandleA(nullptr), &Api());
    fresh.InitMembers();
    EXPECT_EQ(UG_ERR_NOT_INITIALIZED, fresh.RescanCameras());
    EXPECT_EQ(UG_ERR_NOT_INITIALIZED, fresh.OpenActCamera());
}

TEST_F(GrabberTest, OpenPrintsTheAttributesAndCloseReleases)
{
    ASSERT_EQ(UG_OK, m_grabber->Init());
    ASSERT_EQ(UG_OK, m_grabber->SetActCameraIndex(0));
    Sim("fail MkAttrFloat32Get 21 always");
    ClearLines();
    ASSERT_EQ(UG_OK, m_grabber->OpenActCamera());
    EXPECT_EQ(1, m_grabber->IsActCameraOpen());
    EXPECT_NE(nullptr, m_grabber->GetCameraHandle());
    EXPECT_EQ(1u, Count("^1 Successfully opened camera!$"));
    EXPECT_EQ(1u, Count("^1 Width \\(uint32\\) = [0-9]+$"));
    EXPECT_EQ(1u, Count("^1 PixelFormat \\(enum\\) = \"Mono8\"$"));
    EXPECT_LE(1u, Count("^1 [A-Za-z]+ \\(string\\) = \""));
    EXPECT_LE(1u, Count("^1 [A-Za-z]+ \\(int64\\) = -?[0-9]+$"));
    EXPECT_LE(1u, Count("^1 [A-Za-z]+ \\(bool\\) = (On|Off)$"));
    EXPECT_LE(1u, Count("^1 AcquisitionStart is a command$"));
    EXPECT_LE(1u, Count("^0 Can't retrieve attribute [A-Za-z]+ \\(float32\\): Attribute is not available at this time$"));
    EXPECT_EQ(0u, Count("\\(float32\\) = "));

    ASSERT_EQ(UG_OK, m_grabber->CloseActCamera());
    EXPECT_EQ(0, m_grabber->IsActCameraOpen());
    EXPECT_EQ(nullptr, m_grabber->GetCameraHandle());
    // Without a handle: 10, and the flag stays clear.
    EXPECT_EQ(UG_ERR_CAMERA_NOT_OPEN, m_grabber->CloseActCamera());
    EXPECT_EQ(0, m_grabber->IsActCameraOpen());
}

TEST_F(GrabberTest, OpenFailureIsReported)
{
    ASSERT_EQ(UG_OK, m_grabber->Init());
    ASSERT_EQ(UG_OK, m_grabber->SetActCameraIndex(1));
    Sim("fail MkCameraOpen 7 once");
    ClearLines();
    EXPECT_EQ(UG_ERR_FAILED, m_grabber->OpenActCamera());
    EXPECT_EQ(1u, Count("^0 CFramixZelmkAPIClass::OpenActCamera: Camera cannot be opened in the specified mode$"));
    EXPECT_EQ(0, m_grabber->IsActCameraOpen());
    // Opening twice keeps one handle: the first is closed, not lost.
    ASSERT_EQ(UG_OK, m_grabber->OpenActCamera());
    ASSERT_EQ(UG_OK, m_grabber->OpenActCamera());
    EXPECT_EQ(1, m_grabber->IsActCameraOpen());
}

TEST_F(GrabberTest, ParametersAndTimer)
{
    uint64_t v1 = 0, v2 = 0;
    EXPECT_EQ(UG_ERR_NOT_INITIALIZED, m_grabber->GetGrabberParam(262, &v1, &v2));
    ASSERT_EQ(UG_OK, m_grabber->Init());
    EXPECT_EQ(UG_ERR_CAMERA_NOT_OPEN, m_grabber->SetGrabberParam(256, 1, 0));
    EXPECT_EQ(UG_ERR_OUT_OF_RANGE, m_grabber->SetGrabberParam(261, 1, 0));
    EXPECT_EQ(UG_OK, m_grabber->SetGrabberParam(261, static_cast<uint64_t>(int64_t{-3}), 0));
    ASSERT_EQ(UG_OK, m_grabber->GetGrabberParam(261, &v1, &v2));
    EXPECT_EQ(-3, static_cast<int64_t>(v1));
    EXPECT_EQ(UG_OK, m_grabber->GetGrabberParam(4096, &v1, &v2));
    EXPECT_EQ(0u, v1);
    EXPECT_EQ(UG_ERR_NOT_SUPPORTED, m_grabber->SetGrabberParam(4096, 1, 1));

    ASSERT_EQ(UG_OK, m_grabber->SetActCameraIndex(0));
    ASSERT_EQ(UG_OK, m_grabber->OpenActCamera());
    EXPECT_EQ(UG_ERR_NOT_SUPPORTED, m_grabber->GetGrabberParam(263, &v1, &v2));
    EXPECT_EQ(UG_OK, m_grabber->SetGrabberParam(256, 1, 2));
    EXPECT_EQ(UG_ERR_OUT_OF_RANGE, m_grabber->SetGrabberParam(256, 2, 0));
    EXPECT_EQ(UG_ERR_NOT_SUPPORTED, m_grabber->SetGrabberParam(267, 0, 0));

    // The time base is now 10^-3 s: 5 ms and 20 ms are 5 and 20 ticks, exactly.
    const UG_TIMER_PENDING before = m_grabber->GetPendingTimerSettings();
    EXPECT_EQ(UG_ERR_OUT_OF_RANGE, m_grabber->SetTimerPeriod(5, 5));
    EXPECT_EQ(before.first, m_grabber->GetPendingTimerSettings().first);
    EXPECT_EQ(before.second, m_grabber->GetPendingTimerSettings().second);
    EXPECT_EQ(UG_OK, m_grabber->SetTimerPeriod(5999, 20000));
    EXPECT_EQ(5u, m_grabber->GetPendingTimerSettings().first);
    EXPECT_EQ(20u, m_grabber->GetPendingTimerSettings().second);
    EXPECT_EQ(-3, m_grabber->GetPendingTimerSettings().exponent);
    ASSERT_EQ(UG_OK, m_grabber->GetTimerPeriod(&v1, &v2));
    EXPECT_EQ(5000u, v1);
    EXPECT_EQ(20000u, v2);
}

TEST_F(GrabberTest, ChannelsErrorsAndDeInit)
{
    EXPECT_EQ(2u, m_grabber->GetNumCmdChannelTypes());
    CCmdChannel* serial = m_grabber->CreateCmdChannel(0);
    ASSERT_NE(nullptr, serial);
    EXPECT_EQ(UG_CMDTYPE_SERIAL, serial->GetChannelType());
    m_grabber->DeleteCmdChannel(serial);
    m_grabber->DeleteCmdChannel(nullptr);
    EXPECT_EQ(nullptr, m_grabber->CreateCmdChannel(7));

    ClearLines();
    m_grabber->PrintApiError("Op", 23);
    m_grabber->PrintApiError("Op", 17);
    EXPECT_EQ((std::vector<std::string>{"0 Op: unknown error (23)", "0 Op: Timeout during wait"}), Lines());

    ASSERT_EQ(UG_OK, m_grabber->Init());
    ASSERT_EQ(UG_OK, m_grabber->SetActCameraIndex(0));
    ASSERT_EQ(UG_OK, m_grabber->OpenActCamera());
    EXPECT_EQ(UG_OK, m_grabber->DeInit());
    EXPECT_EQ(0, m_grabber->IsActCameraOpen());
    EXPECT_EQ(0, m_grabber->IsInitialized());
    EXPECT_EQ(0, m_grabber->GetNumCameras());
    // Unregistered: a link event reaches no grabber now. The library tells its
    // callbacks of one event after another on one thread, so once a callback of
    // the test's own has heard of the camera's return, the grabber's would have
    // heard of its removal.
    ClearLines();
    win32::UniqueHandle<win32::handle_traits::Kernel> returned(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const MkLinkCallback onReturn = [](void* event, uint32_t, uint32_t, uint32_t) { ::SetEvent(static_cast<HANDLE>(event)); };
    ASSERT_EQ(0u, Api()->MkLinkCallbackRegister(onReturn, MK_LINK_ADD, returned.get()));
    EXPECT_EQ("ok", Sim("unplug 502"));
    EXPECT_EQ("ok", Sim("plug 502"));
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(returned.get(), 5000));
    EXPECT_EQ(0u, Api()->MkLinkCallbackUnRegister(onReturn, MK_LINK_ADD));
    EXPECT_EQ(0u, Count("LinkCallback"));
    // And Init works again after DeInit.
    EXPECT_EQ(UG_OK, m_grabber->Init());
}

// The plug-in as the framework loads it: CreateGrabberInstance, the binding
// the application object made, and "UniqueId" through Framix.ini across a restart.
TEST(PluginModuleTest, SelectedCameraSurvivesARestartThroughTheIniFile)
{
    ASSERT_TRUE(Api().IsValid()); // the network of three cameras, for the plug-in's binding too
    const std::string bin = (fs::path(win32::ModulePath(nullptr)).parent_path().parent_path() / "bin").string();
    const fs::path folder = fs::temp_directory_path() / ("zelmk_plugin_" + std::to_string(::GetCurrentProcessId()));
    fs::create_directories(folder);
    const std::string ini = (folder / "Framix.ini").string();
    std::ofstream(ini, std::ios::binary) << "[Framix]\r\nLogFile=\r\n[Grabber_0]\r\nFile=" << bin << "\\FramixZelmkAPI.dll\r\nUniqueId=502\r\n";

    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        std::vector<std::string> lines;
        FramixFramework* framework = FramixOpenEx(
            ini.c_str(), bin.c_str(),
            [](void* c, int, const char* text) { static_cast<std::vector<std::string>*>(c)->push_back(text); }, &lines);
        ASSERT_NE(nullptr, framework);
        ASSERT_EQ(1u, FramixGetNumGrabbers(framework)) << (lines.empty() ? std::string("no log") : lines.front());
        CUnifiedGrabber* grabber = FramixGetGrabber(framework, 0);
        EXPECT_STREQ("FramixZelmkAPI.dll", grabber->GetDriverName());
        ASSERT_EQ(UG_OK, grabber->Init());
        EXPECT_EQ(3, grabber->GetNumCameras());
        EXPECT_EQ(1, grabber->GetActCameraIndex());
        ASSERT_EQ(UG_OK, FramixSaveConfig(framework));
        FramixClose(framework);
        const std::string text = zelmk_test::ReadFile(ini);
        EXPECT_NE(std::string::npos, text.find("UniqueId=502")) << text;
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

// FramixHost as a user runs it, on the library's built-in network.
TEST(PluginModuleTest, FramixHostOpensAndClosesACamera)
{
    const fs::path folder = fs::temp_directory_path() / ("zelmk_host_" + std::to_string(::GetCurrentProcessId()));
    fs::create_directories(folder);
    const std::string ini = (folder / "Framix.ini").string();
    std::ofstream(ini, std::ios::binary) << "[Framix]\r\nLogFile=\r\n[Grabber_0]\r\nFile=FramixZelmkAPI.dll\n";
    const zelmk_test::HostRun run = zelmk_test::RunFramixHost(folder, "init cameras select 100001 open close");
    ASSERT_TRUE(run.started);
    EXPECT_TRUE(run.finished) << "FramixHost did not finish within 60 s";
    const std::string& text = run.text;
    EXPECT_EQ(0u, run.exitCode) << text;
    for (const char* expected : {"[1] CFramixZelmkAPIClass::Init\n", "[1] CmkAPIAccess::CmkAPIAccess: calling MkInitialize...\n",
                                 "[1] Using mkAPI V", "0: 100001 \"Mono\"", "1: 100002 \"Colour\"",
                                 "[1] CFramixZelmkAPIClass::OpenActCamera\n", "[1] Successfully opened camera!\n",
                                 "[1] Width (uint32) = 640\n", "[1] CFramixZelmkAPIClass::CloseActCamera\n"})
        EXPECT_NE(std::string::npos, text.find(expected)) << expected << "\n"
                                                          << text;
    EXPECT_EQ(std::string::npos, text.find("FAILED")) << text;
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

TEST_F(GrabberTest, ConfigDialogSaysItIsNotThere)
{
    struct Shown {
        std::string text, caption;
        UINT type = 0;
        int count = 0;
    } shown;
    const AfxMessageBoxHook previous = AfxSetMessageBoxHook(
        [](void* context, HWND, const char* text, const char* caption, UINT type) {
            auto* s = static_cast<Shown*>(context);
            s->text = text, s->caption = caption, s->type = type, ++s->count;
            return IDOK;
        },
        &shown);
    int32_t exitCode = 0;
    EXPECT_EQ(UG_OK, m_grabber->GrabberConfigDialog(nullptr, &exitCode));
    AfxSetMessageBoxHook(previous, nullptr);
    EXPECT_EQ(1, exitCode);
    EXPECT_EQ(1, shown.count);
    EXPECT_EQ("This dialog is currently not implemented.\r\nPlease continue by selecting the camera.", shown.text);
    EXPECT_EQ("Info", shown.caption);
    EXPECT_EQ(UINT(MB_ICONWARNING), shown.type & MB_ICONMASK);
}

TEST(GrabberWithoutLibraryTest, InitFailsAfterTheLoadLog)
{
    // A binding that found nothing: the platform answers no file anywhere.
    class Nowhere : public zelmk::BindingPlatform {
        std::optional<std::string> Environment(const char*) override { return std::nullopt; }
        bool FolderExists(const std::string&) override { return false; }
        std::optional<zelmk::FileVersionWords> ReadFileVersion(const std::string&) override { return std::nullopt; }
        std::optional<zelmk::FileVersionWords> ReadModuleFileVersion(void*) override { return std::nullopt; }
        void* LoadModule(const std::string&) override { return nullptr; }
        void* FindExport(void*, const char*) override { return nullptr; }
    } nowhere;
    const zelmk::CmkAPIAccess invalid(nowhere);
    CGrabberLog log;
    std::vector<std::string> lines;
    log.SetCallback([](void* c, int level, const char* text) {
        static_cast<std::vector<std::string>*>(c)->push_back(std::to_string(level) + " " + text);
    },
                    &lines);
    CFramixZelmkAPIClass grabber(::GetModuleHandleA(nullptr), &invalid);
    grabber.InitMembers();
    grabber.SetLog(&log);
    EXPECT_EQ(UG_ERR_FAILED, grabber.Init());
    ASSERT_EQ(1 + 60u, lines.size());
    EXPECT_EQ("0 CmkAPIAccess::CmkAPIAccess: mkAPI is invalid!", lines.back());
    EXPECT_EQ(0, grabber.IsInitialized());
}

} // namespace
