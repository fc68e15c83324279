// The grabber port from end to end, as a user runs it: Merrow with the
// communication device on "GRABBER", Framix and FramixZelmkAPI.dll from the
// program folder, the camera library's simulated network with the KL-7700
// emulator tool (kl7700-emu --tcp --log) on serial port 0 of its camera. The
// same run against the same tool on the direct port (TCP) must show the same
// exchange in the tool's transcript.
#include "win32/module.h"
#include "win32/unique_handle.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

fs::path BinFolder() { return fs::path(win32::ModulePath(nullptr)).parent_path().parent_path() / "bin"; }

std::string ReadFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

win32::UniqueFileHandle Inheritable(const fs::path& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return win32::UniqueFileHandle(::CreateFileA(path.string().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                 &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// A child with its output in files; ended (by its handle) when the object goes.
class Child {
public:
    Child(const std::string& commandLine, const fs::path& out, const fs::path& err)
    {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        win32::UniqueFileHandle in(::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr));
        win32::UniqueFileHandle o = Inheritable(out, GENERIC_WRITE, CREATE_ALWAYS);
        win32::UniqueFileHandle e = Inheritable(err, GENERIC_WRITE, CREATE_ALWAYS);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = in.get();
        startup.hStdOutput = o.get();
        startup.hStdError = e.get();
        std::string line = commandLine;
        PROCESS_INFORMATION process = {};
        if (::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, BinFolder().string().c_str(),
                             &startup, &process)) {
            m_process.reset(process.hProcess);
            ::CloseHandle(process.hThread);
        }
    }
    ~Child()
    {
        if (m_process && ::WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(m_process.get(), 99);
            ::WaitForSingleObject(m_process.get(), 5000);
        }
    }
    bool Started() const { return static_cast<bool>(m_process); }
    // The exit code, or nullopt when it did not end in time (it is then ended).
    std::optional<DWORD> Wait(DWORD ms)
    {
        if (!m_process || ::WaitForSingleObject(m_process.get(), ms) != WAIT_OBJECT_0) return std::nullopt;
        DWORD code = 0;
        ::GetExitCodeProcess(m_process.get(), &code);
        return code;
    }
    bool Running() const { return m_process && ::WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT; }

private:
    win32::UniqueHandle<win32::handle_traits::Kernel> m_process;
};

// Checks the condition every 10 ms until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD ms)
{
    const ULONGLONG deadline = ::GetTickCount64() + ms;
    while (!condition()) {
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(10);
    }
    return true;
}

// What crossed the line in each direction, from the tool's log lines
// ("      42 ms host> text", "      43 ms <cam  text"), the times and the
// chunking left out.
struct Exchange {
    std::string fromHost, fromCamera;
};
Exchange ReadTranscript(const std::string& log)
{
    Exchange exchange;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t host = line.find(" ms host> "), cam = line.find(" ms <cam  ");
        if (host != std::string::npos)
            exchange.fromHost += line.substr(host + 10);
        else if (cam != std::string::npos)
            exchange.fromCamera += line.substr(cam + 10);
    }
    return exchange;
}

std::string DataFolder()
{
    char common[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, common);
    return std::string(common) + "\\Quarnel\\Varnik V" + SUITE_VERSION_LABEL;
}

// The data folder's two ini files, put back as they were when the test ends.
class DataFolderFiles {
public:
    DataFolderFiles()
    {
        fs::create_directories(DataFolder());
        for (const char* name : {"Varnik.ini", "Framix.ini"}) {
            const fs::path file = fs::path(DataFolder()) / name;
            m_saved.push_back({file, fs::exists(file) ? std::optional<std::string>(ReadFile(file)) : std::nullopt});
        }
    }
    ~DataFolderFiles()
    {
        for (const auto& [file, content] : m_saved) {
            std::error_code ignored;
            if (content)
                std::ofstream(file, std::ios::binary) << *content;
            else
                fs::remove(file, ignored);
        }
    }

private:
    std::vector<std::pair<fs::path, std::optional<std::string>>> m_saved;
};

class GrabberPortEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() / ("grabber_e2e_" + std::to_string(::GetCurrentProcessId()));
        fs::create_directories(m_folder);
    }
    void TearDown() override
    {
        ::SetEnvironmentVariableA("MKAPI_NETWORK", nullptr);
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    struct Run {
        std::optional<DWORD> exitCode;
        std::string output;
        Exchange exchange;
    };

    // Merrow with ARGUMENTS against a fresh emulator tool, on the port "GRABBER"
    // (through the camera) or "TCP:..." (direct). With `doneWhen`, the run waits until the tool's log satisfies it, then closes the control dialog.
    // `act` then works the dialog, and the run goes on until the log satisfies `actedWhen`.
    Run RunMerrow(bool throughGrabber, const std::string& arguments,
                  const std::function<bool(const std::string& log)>& doneWhen = {},
                  const std::function<void(HWND dialog)>& act = {},
                  const std::function<bool(const std::string& log)>& actedWhen = {})
    {
        Run run;
        const std::string tag = throughGrabber ? "grabber" : "direct";
        const fs::path emuOut = m_folder / (tag + "_emu.out"), emuLog = m_folder / (tag + "_emu.log");
        Child emulator("\"" + (BinFolder() / "kl7700-emu.exe").string() + "\" --tcp 0 --log", emuOut, emuLog);
        EXPECT_TRUE(emulator.Started());
        std::string endpoint;
        WaitUntil(
            [&] {
                const std::string out = ReadFile(emuOut);
                const size_t end = out.find('\n');
                if (end == std::string::npos) return false;
                endpoint = out.substr(0, end);
                if (!endpoint.empty() && endpoint.back() == '\r') endpoint.pop_back();
                return true;
            },
            10000);
        EXPECT_EQ(0u, endpoint.rfind("127.0.0.1:", 0)) << endpoint;

        const fs::path network = m_folder / "network.ini";
        std::ofstream(network, std::ios::binary)
            << "[Network]\r\nHostAddress=192.168.10.1\r\nHostMask=255.255.255.0\r\n[Camera Mono]\r\nUniqueId=100001\r\n"
               "Address=192.168.10.21\r\nMask=255.255.255.0\r\nSerialPorts=1\r\nSerialPort0=tcp:"
            << endpoint << "\r\n";
        ::SetEnvironmentVariableA("MKAPI_NETWORK", network.string().c_str());
        const std::string data = DataFolder();
        std::ofstream(data + "\\Varnik.ini", std::ios::binary)
            << "[CommDev_0]\r\nPort=" << (throughGrabber ? "GRABBER" : "TCP:" + endpoint) << "\r\n";
        std::ofstream(data + "\\Framix.ini", std::ios::binary)
            << "[Framix]\r\nLogFile=\r\n[Grabber_0]\r\nFile=FramixZelmkAPI.dll\r\nUniqueId=100001\r\nNumCmdChannels=1\r\n"
               "CmdChannel0Type=1\r\nActCmdChannel=0\r\n[Grabber_0_CmdChannel_0]\r\nName=MKAPISERIALPORT0\r\n"
               "PORTNAME=MKAPISERIALPORT0\r\nBAUD=115200\r\nPARITY=No\r\nBYTESIZE=8\r\nSTOPBITS=1\r\n";

        const fs::path out = m_folder / (tag + "_merrow.out");
        {
            Child merrow("\"" + (BinFolder() / "Merrow.exe").string() + "\" " + arguments, out, out.string() + ".err");
            EXPECT_TRUE(merrow.Started());
            if (doneWhen) {
                EXPECT_TRUE(WaitUntil([&] { return doneWhen(ReadFile(emuLog)) || !merrow.Running(); }, 60000))
                    << ReadFile(emuLog);
                if (act) {
                    HWND dialog = ::FindWindowA(nullptr, "Sorvel SX-20 / KL-7700 Control");
                    EXPECT_NE(nullptr, dialog);
                    if (dialog) act(dialog);
                    EXPECT_TRUE(WaitUntil([&] { return actedWhen(ReadFile(emuLog)) || !merrow.Running(); }, 20000))
                        << ReadFile(emuLog);
                }
                // The control dialog stays until it is closed, as a user would.
                WaitUntil(
                    [&] {
                        if (HWND dialog = ::FindWindowA(nullptr, "Sorvel SX-20 / KL-7700 Control"))
                            ::PostMessageA(dialog, WM_CLOSE, 0, 0);
                        return !merrow.Running();
                    },
                    20000);
            }
            run.exitCode = merrow.Wait(60000);
        }
        // The tool logs each chunk as it serves it, within one of its 50 ms polls.
        WaitUntil([&] { return false; }, 150);
        run.output = ReadFile(out) + ReadFile(out.string() + ".err");
        run.exchange = ReadTranscript(ReadFile(emuLog));
        return run;
    }

    DataFolderFiles m_files;
    fs::path m_folder;
};

std::string JobPath()
{
    return (fs::path(win32::ModulePath(nullptr)).parent_path().parent_path().parent_path().parent_path() / "examples" /
            "demo.vkj")
        .string();
}

TEST_F(GrabberPortEndToEnd, TheDemoJobThroughTheCameraIsTheExchangeOfTheDirectPort)
{
    const std::string job = "\"" + JobPath() + "\"";
    const Run direct = RunMerrow(false, job);
    const Run grabber = RunMerrow(true, job);
    EXPECT_EQ(std::optional<DWORD>(0), direct.exitCode) << direct.output;
    EXPECT_EQ(std::optional<DWORD>(0), grabber.exitCode) << grabber.output;
    EXPECT_NE(std::string::npos, grabber.output.find("Port description..: Command channel of grabber 0")) << grabber.output;
    for (const char* line : {"Sorvel SX-20B", "Version: 3.2.1.8", "Read back: E=000005DC"})
        EXPECT_NE(std::string::npos, grabber.output.find(line)) << line << "\n"
                                                                << grabber.output;
    EXPECT_NE(std::string::npos, direct.exchange.fromHost.find("E=000005DC\\r")) << direct.exchange.fromHost;
    EXPECT_EQ(direct.exchange.fromHost, grabber.exchange.fromHost);
    EXPECT_EQ(direct.exchange.fromCamera, grabber.exchange.fromCamera);
}

// A control of the dialog's pages by its id (the pages are child dialogs).
HWND FindControl(HWND dialog, int id)
{
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    ::EnumChildWindows(
        dialog,
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (::GetDlgCtrlID(window) != s->id) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(GrabberPortEndToEnd, TheControlDialogWritesAChangeBackThroughIt)
{
    const auto identified = [](const std::string& log) {
        const Exchange e = ReadTranscript(log);
        const size_t query = e.fromCamera.find("b=?\\r");
        return query != std::string::npos && e.fromCamera.find(">", query) != std::string::npos;
    };
    // The timing mode with an exposure timer, then 10 ms of exposure: 3333 ticks at K = 167.
    const auto change = [](HWND dialog) {
        const int kTimingMode = 8023, kExposureEdit = 8000;
        HWND mode = FindControl(dialog, kTimingMode), exposure = FindControl(dialog, kExposureEdit);
        ASSERT_TRUE(mode && exposure);
        ::SendMessageA(mode, CB_SETCURSEL, 2, 0);
        ::SendMessageA(::GetParent(mode), WM_COMMAND, MAKEWPARAM(kTimingMode, CBN_SELCHANGE), reinterpret_cast<LPARAM>(mode));
        ::SendMessageA(exposure, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("10.0000"));
        ::SendMessageA(::GetParent(exposure), WM_COMMAND, MAKEWPARAM(kExposureEdit, EN_KILLFOCUS),
                       reinterpret_cast<LPARAM>(exposure));
    };
    const auto written = [](const std::string& log) {
        const Exchange e = ReadTranscript(log);
        const size_t command = e.fromCamera.find("E=00000D05\\r");
        return command != std::string::npos && e.fromCamera.find(">", command) != std::string::npos;
    };
    const Run grabber = RunMerrow(true, "StartClientDialog=65536", identified, change, written);
    EXPECT_EQ(std::optional<DWORD>(0), grabber.exitCode) << grabber.output;
    EXPECT_NE(std::string::npos, grabber.exchange.fromHost.find("M=02\\r")) << grabber.exchange.fromHost;
    EXPECT_NE(std::string::npos, grabber.exchange.fromHost.find("E=00000D05\\r")) << grabber.exchange.fromHost;
}

TEST_F(GrabberPortEndToEnd, TheControlDialogIdentifiesTheCameraThroughIt)
{
    // Identification ends with the variant code's query and its reply.
    const auto identified = [](const std::string& log) {
        const Exchange e = ReadTranscript(log);
        const size_t query = e.fromCamera.find("b=?\\r");
        return query != std::string::npos && e.fromCamera.find(">", query) != std::string::npos;
    };
    const Run direct = RunMerrow(false, "StartClientDialog=65536", identified);
    const Run grabber = RunMerrow(true, "StartClientDialog=65536", identified);
    EXPECT_EQ(std::optional<DWORD>(0), grabber.exitCode) << grabber.output;
    // Up to the end of the variant code's reply, the two lines carried the same bytes.
    const auto identification = [](const Exchange& e) {
        Exchange cut = e;
        cut.fromHost = e.fromHost.substr(0, e.fromHost.find("b=?\\r") + 5);
        const size_t query = e.fromCamera.find("b=?\\r");
        cut.fromCamera = query == std::string::npos ? e.fromCamera : e.fromCamera.substr(0, e.fromCamera.find(">", query) + 1);
        return cut;
    };
    const Exchange d = identification(direct.exchange), g = identification(grabber.exchange);
    for (const char* query : {"s=?\\r", "V\\r", "a=?\\r", "b=?\\r"})
        EXPECT_NE(std::string::npos, g.fromHost.find(query)) << query << "\n"
                                                             << g.fromHost;
    EXPECT_EQ(d.fromHost, g.fromHost);
    EXPECT_EQ(d.fromCamera, g.fromCamera);
}

} // namespace
