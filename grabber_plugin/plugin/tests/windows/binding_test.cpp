// The camera library binding on Windows: the installation folders from the
// environment, the default search path, test libraries with a missing name
// or no version resource, and no library at all.
#include "Win32BindingPlatform.h"

#include "win32/module.h"
#include "win32/unique_handle.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zelmk {
namespace {

namespace fs = std::filesystem;

const char kSub[] = "Quarnel\\Korvath\\bin-pc\\x64";

std::string TestLibrary(const char* variant)
{
    const fs::path exe = win32::ModulePath(nullptr);
    return (exe.parent_path() / "zelmk_fake" / variant / "mkApi.dll").string();
}

// A scratch tree of program folders, and the process environment the binding
// reads, restored afterwards.
class BindingTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() / ("zelmk_binding_" + std::to_string(::GetCurrentProcessId()));
        fs::remove_all(m_root);
        fs::create_directories(m_root);
        m_savedPath = m_platform.Environment("PATH").value_or("");
        // Only the system's own folders: no test or product library on the search path.
        ::SetEnvironmentVariableA("PATH", "C:\\windows\\system32;C:\\windows");
        ::SetDllDirectoryA(nullptr);
    }
    void TearDown() override
    {
        ::SetDllDirectoryA(nullptr);
        ::SetEnvironmentVariableA("PATH", m_savedPath.c_str());
        ::SetEnvironmentVariableA("ProgramW6432", nullptr);
        ::SetEnvironmentVariableA("ProgramFiles", nullptr);
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    // A program folder; with a library variant it gets the installation subfolder and the library.
    std::string ProgramFolder(const char* name, const char* variant)
    {
        const fs::path folder = m_root / name;
        fs::create_directories(folder);
        if (variant) {
            fs::create_directories(folder / kSub);
            fs::copy_file(TestLibrary(variant), folder / kSub / "mkApi.dll");
        }
        return folder.string();
    }

    static std::string Install(const std::string& folder) { return folder + "\\" + kSub; }

    // The binding never unloads; the test does, so the next case loads afresh.
    static uint32_t InitializeCount(const CmkAPIAccess& access)
    {
        using Count = uint32_t (*)();
        const auto count = win32::BindExport<Count>(static_cast<HMODULE>(access.Module()), "FakeMkInitializeCount");
        return count ? count() : 0xFFFFFFFF;
    }

    Win32BindingPlatform m_platform;
    fs::path m_root;
    std::string m_savedPath;
};

using Unload = win32::UniqueHandle<win32::handle_traits::Module>;

TEST_F(BindingTest, SecondVariableUsedWhenTheFirstLacksTheSubfolder)
{
    const std::string first = ProgramFolder("w6432", nullptr);
    const std::string second = ProgramFolder("pf", "full");
    ::SetEnvironmentVariableA("ProgramW6432", (first + "\\").c_str());
    ::SetEnvironmentVariableA("ProgramFiles", (second + "\\").c_str());

    const CmkAPIAccess access(m_platform);
    Unload unload(static_cast<HMODULE>(access.Module()));
    ASSERT_TRUE(access.IsValid());
    EXPECT_EQ(1u, InitializeCount(access));
    const auto& log = access.LoadLog();
    ASSERT_EQ(57u, log.size());
    EXPECT_EQ("CmkAPIAccess::CmkAPIAccess: Trying to load " + Install(second) + "\\mkApi.dll", log[0].text);
    EXPECT_EQ(win32::ModulePath(static_cast<HMODULE>(access.Module())), Install(second) + "\\mkApi.dll");
    const void* version = reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(access.Module()), "MkVersion"));
    EXPECT_EQ("Found MkVersion @0x" + PointerText(version), log[1].text);
    EXPECT_EQ("CmkAPIAccess::CmkAPIAccess: calling MkInitialize...", log[56].text);
    EXPECT_EQ(std::string("mkAPI V9.4 (") + SUITE_VERSION_TEXT + ")", access.VersionText());
}

TEST_F(BindingTest, FirstVariableWins)
{
    const std::string first = ProgramFolder("w6432", "noversion");
    const std::string second = ProgramFolder("pf", "full");
    ::SetEnvironmentVariableA("ProgramW6432", first.c_str());
    ::SetEnvironmentVariableA("ProgramFiles", second.c_str());

    const CmkAPIAccess access(m_platform);
    Unload unload(static_cast<HMODULE>(access.Module()));
    ASSERT_TRUE(access.IsValid());
    EXPECT_EQ(win32::ModulePath(static_cast<HMODULE>(access.Module())), Install(first) + "\\mkApi.dll");
    // This copy has no version resource.
    EXPECT_FALSE(access.FileVersion());
    EXPECT_EQ("mkAPI V9.4 (65535.65535.65535.65535)", access.VersionText());
}

TEST_F(BindingTest, DefaultSearchPathAfterTheFolderFails)
{
    const std::string elsewhere = ProgramFolder("elsewhere", "full");
    ::SetEnvironmentVariableA("ProgramW6432", (m_root / "none").string().c_str());
    ::SetEnvironmentVariableA("ProgramFiles", nullptr);
    ASSERT_TRUE(::SetDllDirectoryA(Install(elsewhere).c_str()));

    const CmkAPIAccess access(m_platform);
    Unload unload(static_cast<HMODULE>(access.Module()));
    ASSERT_TRUE(access.IsValid());
    EXPECT_EQ(1u, InitializeCount(access));
    const std::string tried = Install((m_root / "none").string()) + "\\mkApi.dll";
    const auto& log = access.LoadLog();
    ASSERT_EQ(59u, log.size());
    EXPECT_EQ("CmkAPIAccess::CmkAPIAccess: Trying to load " + tried, log[0].text);
    EXPECT_EQ("CmkAPIAccess::CmkAPIAccess: Loading " + tried + " failed.", log[1].text);
    EXPECT_EQ("CmkAPIAccess::CmkAPIAccess: Trying to load mkApi.dll (default path)", log[2].text);
    EXPECT_EQ(win32::ModulePath(static_cast<HMODULE>(access.Module())), Install(elsewhere) + "\\mkApi.dll");
    // The version was read from the file the search found.
    EXPECT_EQ(std::string("mkAPI V9.4 (") + SUITE_VERSION_TEXT + ")", access.VersionText());
}

TEST_F(BindingTest, MissingNameLeavesTheBindingInvalid)
{
    const std::string first = ProgramFolder("w6432", "missing13");
    ::SetEnvironmentVariableA("ProgramW6432", first.c_str());

    const CmkAPIAccess access(m_platform);
    Unload unload(static_cast<HMODULE>(access.Module()));
    ASSERT_NE(nullptr, access.Module());
    EXPECT_FALSE(access.IsValid());
    EXPECT_EQ(0u, InitializeCount(access));
    EXPECT_EQ(nullptr, access->_Mk_Factory_Test_13);
    EXPECT_NE(nullptr, access->_Mk_Factory_Test_12);
    const auto& log = access.LoadLog();
    ASSERT_EQ(57u, log.size());
    int found = 0;
    for (const auto& record : log)
        if (record.text.rfind("Found ", 0) == 0 && record.ok == 1) ++found;
    EXPECT_EQ(54, found);
    EXPECT_EQ("mkAPI: Could not find _Mk_Factory_Test_13", log[55].text);
    EXPECT_EQ(0, log[55].ok);
    EXPECT_EQ("CmkAPIAccess::CmkAPIAccess: mkAPI is invalid!", log[56].text);
    EXPECT_EQ(1, log[56].ok);
}

TEST_F(BindingTest, NoLibraryAnywhere)
{
    const std::string first = ProgramFolder("w6432", nullptr);
    ::SetEnvironmentVariableA("ProgramW6432", first.c_str());
    ::SetEnvironmentVariableA("ProgramFiles", nullptr);

    const CmkAPIAccess access(m_platform);
    EXPECT_EQ(nullptr, access.Module());
    EXPECT_FALSE(access.IsValid());
    const auto& log = access.LoadLog();
    ASSERT_EQ(60u, log.size());
    const std::string tried = Install(first) + "\\mkApi.dll";
    EXPECT_EQ("CmkAPIAccess::CmkAPIAccess: Trying to load " + tried, log[0].text);
    EXPECT_EQ("CmkAPIAccess::CmkAPIAccess: Loading " + tried + " failed.", log[1].text);
    EXPECT_EQ("CmkAPIAccess::CmkAPIAccess: Trying to load mkApi.dll (default path)", log[2].text);
    EXPECT_EQ("CmkAPIAccess::CmkAPIAccess: Loading mkApi.dll (default path) failed. Giving up.", log[3].text);
    EXPECT_EQ(0, log[3].ok);
    for (size_t i = 0; i < kMkApiFunctionCount; ++i) {
        EXPECT_EQ(std::string("mkAPI: Could not find ") + kMkApiFunctionNames[i], log[4 + i].text);
        EXPECT_EQ(0, log[4 + i].ok);
    }
    EXPECT_EQ("CmkAPIAccess::CmkAPIAccess: mkAPI is invalid!", log[59].text);
    EXPECT_EQ(0, log[59].ok);
}

TEST(Win32BindingPlatformTest, EnvironmentTellsEmptyFromMissing)
{
    Win32BindingPlatform platform;
    ::SetEnvironmentVariableA("ZELMK_TEST_VAR", "");
    EXPECT_EQ(std::optional<std::string>(""), platform.Environment("ZELMK_TEST_VAR"));
    ::SetEnvironmentVariableA("ZELMK_TEST_VAR", "a value");
    EXPECT_EQ(std::optional<std::string>("a value"), platform.Environment("ZELMK_TEST_VAR"));
    ::SetEnvironmentVariableA("ZELMK_TEST_VAR", nullptr);
    EXPECT_FALSE(platform.Environment("ZELMK_TEST_VAR"));
}

} // namespace
} // namespace zelmk
