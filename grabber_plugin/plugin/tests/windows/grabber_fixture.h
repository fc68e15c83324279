// What the grabber's Wine tests share: the one binding of the simulated camera
// library per process (its network from a description file each test program
// names), simulator commands, and a fixture with a grabber, a store and a log
// that records every line.
#pragma once

#include "FramixZelmkAPIClass.h"
#include "GrabberLog.h"
#include "UnifiedCamera.h"
#include "Win32BindingPlatform.h"
#include "config_store/IniFile.h"
#include "win32/module.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <regex>
#include <string>
#include <vector>

namespace zelmk_test {

// The network description of this test program (defined once per program).
const char* TestNetwork();

// One binding per process, as in the plug-in: bound once, never unloaded.
inline const zelmk::CmkAPIAccess& Api()
{
    static zelmk::Win32BindingPlatform platform;
    static const zelmk::CmkAPIAccess* access = [] {
        namespace fs = std::filesystem;
        const fs::path file = fs::temp_directory_path() / ("zelmk_network_" + std::to_string(::GetCurrentProcessId()) + ".ini");
        std::ofstream(file) << TestNetwork();
        // The library reads it through the C runtime, which keeps its own copy.
        _putenv(("MKAPI_NETWORK=" + file.string()).c_str());
        return new zelmk::CmkAPIAccess(platform);
    }();
    return *access;
}

inline std::string Sim(const std::string& command)
{
    using Control = uint32_t(MKAPI_CALL*)(const char*, char*, uint32_t);
    const auto control = win32::BindExport<Control>(static_cast<HMODULE>(Api().Module()), "MkSimControl");
    if (!control) return "no MkSimControl";
    char reply[4096] = {};
    const uint32_t code = control(command.c_str(), reply, sizeof reply);
    return code == 0 ? std::string(reply) : "error " + std::to_string(code) + ": " + reply;
}

// A file's bytes as they are; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// FramixHost.exe from bin/ run with the commands on a Framix.ini in folder, on
// the network the description file `network` gives (the library's built-in one
// when empty); its output, with line ends as "\n".
struct HostRun {
    bool started = false;
    bool finished = false;
    DWORD exitCode = 0;
    std::string text;
};
inline HostRun RunFramixHost(const std::filesystem::path& folder, const std::string& commands, const std::string& network = {})
{
    namespace fs = std::filesystem;
    HostRun run;
    const fs::path bin = fs::path(win32::ModulePath(nullptr)).parent_path().parent_path() / "bin";
    const std::string ini = (folder / "Framix.ini").string();
    const std::string output = (folder / "out.txt").string();
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    win32::UniqueHandle<win32::handle_traits::File> out(::CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return run;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.get();
    startup.hStdError = out.get();
    std::string command = "\"" + (bin / "FramixHost.exe").string() + "\" --ini \"" + ini + "\" " + commands;
    // The child serves its own network, not this program's description.
    ::SetEnvironmentVariableA("MKAPI_NETWORK", network.empty() ? nullptr : network.c_str());
    PROCESS_INFORMATION process = {};
    run.started = ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, bin.string().c_str(), &startup, &process);
    if (!run.started) return run;
    win32::UniqueHandle<win32::handle_traits::Kernel> child(process.hProcess), thread(process.hThread);
    run.finished = ::WaitForSingleObject(child.get(), 60000) == WAIT_OBJECT_0;
    if (!run.finished) {
        ::TerminateProcess(child.get(), 99);
        ::WaitForSingleObject(child.get(), 5000);
    }
    ::GetExitCodeProcess(child.get(), &run.exitCode);
    out.reset();
    run.text = ReadFile(output);
    run.text.erase(std::remove(run.text.begin(), run.text.end(), '\r'), run.text.end());
    return run;
}

class GrabberFixture : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Api().IsValid());
        ASSERT_EQ("ok", Sim("status"));
        m_store.reset(CreateIniFile(INIKIND_MEM));
        m_log.SetCallback(&GrabberFixture::Record, this);
    }

    template <class Grabber = CFramixZelmkAPIClass>
    std::unique_ptr<CFramixZelmkAPIClass> MakeGrabber(CFramixZelmkAPIClass::LinkWaitFunction wait)
    {
        auto grabber = std::make_unique<Grabber>(::GetModuleHandleA(nullptr), &Api());
        grabber->InitMembers();
        grabber->SetLog(&m_log);
        grabber->SetGrabberIni(m_store.get(), 0);
        grabber->SetLinkWait(wait);
        return grabber;
    }

    static void Record(void* context, int level, const char* text)
    {
        auto* self = static_cast<GrabberFixture*>(context);
        if (!self->m_recording) return;
        std::lock_guard<std::mutex> guard(self->m_lock);
        self->m_lines.push_back(std::to_string(level) + " " + text);
    }
    std::vector<std::string> Lines()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_lines;
    }
    void ClearLines()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_lines.clear();
    }
    size_t Count(const std::string& pattern)
    {
        const std::regex re(pattern);
        size_t n = 0;
        for (const auto& line : Lines()) n += std::regex_search(line, re) ? 1 : 0;
        return n;
    }

    struct StoreDeleter {
        void operator()(CIniFile* store) const { DeleteIniFile(store); }
    };
    std::unique_ptr<CIniFile, StoreDeleter> m_store;
    CGrabberLog m_log;
    std::mutex m_lock;
    std::vector<std::string> m_lines;
    // Off for measurements, where recording every line would be what is measured.
    std::atomic<bool> m_recording{true};
};

} // namespace zelmk_test
