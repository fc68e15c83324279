// The binding's search, load attempts, function table and load log, over a
// scripted operating system.
#include "zelmk/MkApiAccess.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace zelmk {
namespace {

int g_initializeCalls = 0;
uint32_t MKAPI_CALL CountingInitialize()
{
    ++g_initializeCalls;
    return 0;
}
void MKAPI_CALL FixedVersion(uint32_t* major, uint32_t* minor)
{
    *major = 3;
    *minor = 7;
}

// Files are paths that load; each library exports every name but the missing ones.
class ScriptedPlatform : public BindingPlatform {
public:
    std::map<std::string, std::string> environment;
    std::set<std::string> folders;
    std::map<std::string, std::optional<FileVersionWords>> files;
    std::set<std::string> missing;
    std::vector<std::string> calls; // "version PATH" and "load PATH" in order

    std::optional<std::string> Environment(const char* name) override
    {
        auto it = environment.find(name);
        if (it == environment.end()) return std::nullopt;
        return it->second;
    }
    bool FolderExists(const std::string& folder) override { return folders.count(folder) != 0; }
    std::optional<FileVersionWords> ReadFileVersion(const std::string& path) override
    {
        calls.push_back("version " + path);
        auto it = files.find(path);
        return it == files.end() ? std::nullopt : it->second;
    }
    std::optional<FileVersionWords> ReadModuleFileVersion(void* module) override
    {
        const std::string& path = *static_cast<const std::string*>(module);
        calls.push_back("module version " + path);
        return files[path];
    }
    void* LoadModule(const std::string& path) override
    {
        calls.push_back("load " + path);
        auto it = files.find(path);
        return it == files.end() ? nullptr : const_cast<std::string*>(&it->first);
    }
    void* FindExport(void* module, const char* name) override
    {
        if (missing.count(name)) return nullptr;
        if (std::string(name) == "MkInitialize") return reinterpret_cast<void*>(&CountingInitialize);
        if (std::string(name) == "MkVersion") return reinterpret_cast<void*>(&FixedVersion);
        // Any distinct address: the table is never called through these.
        for (size_t i = 0; i < kMkApiFunctionCount; ++i)
            if (std::string(name) == kMkApiFunctionNames[i]) return reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(module) + 0x1000 + i);
        return nullptr;
    }
};

const char kW6432[] = "C:\\Program Files\\Quarnel\\Korvath\\bin-pc\\x64";
const char kX86[] = "C:\\Program Files (x86)\\Quarnel\\Korvath\\bin-pc\\x64";

TEST(InstallFolderTest, VariablesAndFolders)
{
    struct Case {
        const char* name;
        std::map<std::string, std::string> environment;
        std::set<std::string> folders;
        const char* folder;
        bool found;
    };
    const Case cases[] = {
        {"first exists", {{"ProgramW6432", "C:\\Program Files"}, {"ProgramFiles", "C:\\Program Files (x86)"}}, {kW6432, kX86}, kW6432, true},
        {"first lacks the subfolder", {{"ProgramW6432", "C:\\Program Files"}, {"ProgramFiles", "C:\\Program Files (x86)"}}, {kX86}, kX86, true},
        {"trailing backslash", {{"ProgramW6432", "C:\\Program Files\\"}}, {kW6432}, kW6432, true},
        {"only the second variable", {{"ProgramFiles", "C:\\Program Files (x86)\\"}}, {kX86}, kX86, true},
        {"neither folder: the last variable's text", {{"ProgramW6432", "C:\\Program Files"}, {"ProgramFiles", "C:\\Program Files (x86)"}}, {}, kX86, false},
        {"neither folder, only the first variable", {{"ProgramW6432", "C:\\Program Files"}}, {}, kW6432, false},
        {"no variables", {}, {kW6432}, "", false},
        {"empty value", {{"ProgramW6432", ""}}, {"\\Quarnel\\Korvath\\bin-pc\\x64"}, "\\Quarnel\\Korvath\\bin-pc\\x64", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPlatform platform;
        platform.environment = c.environment;
        platform.folders = c.folders;
        const InstallFolder result = FindInstallFolder(platform);
        EXPECT_EQ(c.folder, result.folder);
        EXPECT_EQ(c.found, result.found);
    }
}

TEST(InstallFolderTest, LibraryPathHasOneSeparator)
{
    EXPECT_EQ("C:\\x\\mkApi.dll", LibraryPathIn("C:\\x", "mkApi.dll"));
    EXPECT_EQ("C:\\x\\mkApi.dll", LibraryPathIn("C:\\x\\", "mkApi.dll"));
    EXPECT_EQ("mkApi.dll", LibraryPathIn("", "mkApi.dll"));
}

TEST(VersionTextTest, PartsAndMissingBlock)
{
    EXPECT_EQ("mkAPI V3.7 (2.1.5.12)", MkApiVersionText(3, 7, FileVersionWords{0x00020001, 0x0005000C}));
    EXPECT_EQ("mkAPI V3.7 (65535.65535.65535.65535)", MkApiVersionText(3, 7, std::nullopt));
    EXPECT_EQ("mkAPI V4294967295.0 (65535.0.65535.0)",
              MkApiVersionText(0xFFFFFFFF, 0, FileVersionWords{0xFFFF0000, 0xFFFF0000}));
}

std::vector<std::string> Texts(const CmkAPIAccess& access)
{
    std::vector<std::string> texts;
    for (const auto& record : access.LoadLog()) texts.push_back(record.text);
    return texts;
}

TEST(BindingTest, NoLibraryAnywhereLogsEveryStepInOrder)
{
    ScriptedPlatform platform;
    platform.environment = {{"ProgramW6432", "C:\\Program Files"}};
    platform.folders = {kW6432};
    g_initializeCalls = 0;
    const CmkAPIAccess access(platform);

    std::vector<std::pair<std::string, int32_t>> expected = {
        {std::string("CmkAPIAccess::CmkAPIAccess: Trying to load ") + kW6432 + "\\mkApi.dll", 1},
        {std::string("CmkAPIAccess::CmkAPIAccess: Loading ") + kW6432 + "\\mkApi.dll failed.", 1},
        {"CmkAPIAccess::CmkAPIAccess: Trying to load mkApi.dll (default path)", 1},
        {"CmkAPIAccess::CmkAPIAccess: Loading mkApi.dll (default path) failed. Giving up.", 0},
    };
    for (const char* name : kMkApiFunctionNames) expected.push_back({std::string("mkAPI: Could not find ") + name, 0});
    expected.push_back({"CmkAPIAccess::CmkAPIAccess: mkAPI is invalid!", 0});

    ASSERT_EQ(expected.size(), access.LoadLog().size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].first, access.LoadLog()[i].text);
        EXPECT_EQ(expected[i].second, access.LoadLog()[i].ok);
    }
    EXPECT_FALSE(access.IsValid());
    EXPECT_EQ(nullptr, access.Module());
    EXPECT_EQ(0, g_initializeCalls);
    // The version of each file is read before that file is loaded.
    const std::vector<std::string> calls = {"version " + std::string(kW6432) + "\\mkApi.dll",
                                            "load " + std::string(kW6432) + "\\mkApi.dll", "version mkApi.dll",
                                            "load mkApi.dll"};
    EXPECT_EQ(calls, platform.calls);
    EXPECT_EQ("mkAPI V0.0 (65535.65535.65535.65535)", access.VersionText());
}

TEST(BindingTest, LibraryInTheInstallationFolder)
{
    ScriptedPlatform platform;
    platform.environment = {{"ProgramW6432", "C:\\Program Files\\"}};
    platform.folders = {kW6432};
    platform.files[std::string(kW6432) + "\\mkApi.dll"] = FileVersionWords{0x00010002, 0x00030004};
    g_initializeCalls = 0;
    const CmkAPIAccess access(platform);

    ASSERT_TRUE(access.IsValid());
    EXPECT_EQ(1, g_initializeCalls);
    const std::vector<std::string> texts = Texts(access);
    ASSERT_EQ(1 + 55 + 1, texts.size());
    EXPECT_EQ(std::string("CmkAPIAccess::CmkAPIAccess: Trying to load ") + kW6432 + "\\mkApi.dll", texts[0]);
    for (size_t i = 0; i < kMkApiFunctionCount; ++i) {
        SCOPED_TRACE(kMkApiFunctionNames[i]);
        const void* address = platform.FindExport(access.Module(), kMkApiFunctionNames[i]);
        EXPECT_EQ("Found " + std::string(kMkApiFunctionNames[i]) + " @0x" + PointerText(address), texts[1 + i]);
        EXPECT_EQ(1, access.LoadLog()[1 + i].ok);
    }
    EXPECT_EQ("CmkAPIAccess::CmkAPIAccess: calling MkInitialize...", texts.back());
    EXPECT_EQ(1, access.LoadLog().back().ok);
    EXPECT_EQ("mkAPI V3.7 (1.2.3.4)", access.VersionText());
    EXPECT_EQ(reinterpret_cast<void*>(&FixedVersion), reinterpret_cast<void*>(access->MkVersion));
}

TEST(BindingTest, DefaultPathAfterTheFolderFails)
{
    ScriptedPlatform platform;
    platform.environment = {{"ProgramW6432", "C:\\Program Files"}, {"ProgramFiles", "C:\\Program Files (x86)"}};
    platform.files["mkApi.dll"] = std::nullopt; // loads, but has no version block
    const CmkAPIAccess access(platform);
    EXPECT_EQ("module version mkApi.dll", platform.calls.back());
    ASSERT_TRUE(access.IsValid());
    const std::vector<std::string> texts = Texts(access);
    EXPECT_EQ(std::string("CmkAPIAccess::CmkAPIAccess: Trying to load ") + kX86 + "\\mkApi.dll", texts[0]);
    EXPECT_EQ(std::string("CmkAPIAccess::CmkAPIAccess: Loading ") + kX86 + "\\mkApi.dll failed.", texts[1]);
    EXPECT_EQ("CmkAPIAccess::CmkAPIAccess: Trying to load mkApi.dll (default path)", texts[2]);
    EXPECT_EQ("Found MkVersion @0x", texts[3].substr(0, 19));
    EXPECT_EQ("mkAPI V3.7 (65535.65535.65535.65535)", access.VersionText());
}

TEST(BindingTest, OneMissingNameLeavesTheRestBoundAndTheBindingInvalid)
{
    ScriptedPlatform platform;
    platform.environment = {{"ProgramFiles", "D:\\P"}};
    platform.folders = {"D:\\P\\Quarnel\\Korvath\\bin-pc\\x64"};
    platform.files["D:\\P\\Quarnel\\Korvath\\bin-pc\\x64\\mkApi.dll"] = FileVersionWords{1, 1};
    platform.missing = {"_Mk_Factory_Test_13"};
    g_initializeCalls = 0;
    const CmkAPIAccess access(platform);

    EXPECT_FALSE(access.IsValid());
    EXPECT_EQ(0, g_initializeCalls);
    EXPECT_EQ(nullptr, access->_Mk_Factory_Test_13);
    EXPECT_NE(nullptr, access->_Mk_Factory_Test_12);
    const auto& log = access.LoadLog();
    ASSERT_EQ(1 + 55 + 1, log.size());
    for (size_t i = 0; i + 1 < kMkApiFunctionCount; ++i) EXPECT_EQ(1, log[1 + i].ok) << log[1 + i].text;
    EXPECT_EQ("mkAPI: Could not find _Mk_Factory_Test_13", log[55].text);
    EXPECT_EQ(0, log[55].ok);
    // The module loaded, so the closing line is information, not an error.
    EXPECT_EQ("CmkAPIAccess::CmkAPIAccess: mkAPI is invalid!", log[56].text);
    EXPECT_EQ(1, log[56].ok);
}

TEST(BindingTest, PointerTextIsSixteenUpperCaseDigits)
{
    EXPECT_EQ("00007FFA1234ABCD", PointerText(reinterpret_cast<void*>(uintptr_t{0x7FFA1234ABCD})));
    EXPECT_EQ("0000000000000000", PointerText(nullptr));
}

} // namespace
} // namespace zelmk
