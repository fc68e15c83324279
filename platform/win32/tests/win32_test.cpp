// The Win32 layer under Wine: handle ownership, export binding, version resources, file search.
#include "win32/find_files.h"
#include "win32/module.h"
#include "win32/unique_handle.h"
#include "win32/version_resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

bool IsOpenHandle(HANDLE handle)
{
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != 0;
}

TEST(UniqueHandle, ClosesOnceAndTransfersOwnership)
{
    win32::UniqueKernelHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    HANDLE raw = event.get();
    win32::UniqueKernelHandle moved(std::move(event));
    EXPECT_FALSE(event);
    EXPECT_EQ(moved.get(), raw);
    EXPECT_TRUE(IsOpenHandle(raw));
    moved.reset();
    EXPECT_FALSE(IsOpenHandle(raw)) << "the handle is closed with its owner";

    win32::UniqueFileHandle none;
    EXPECT_FALSE(none);
    EXPECT_EQ(none.get(), INVALID_HANDLE_VALUE);
    win32::UniqueBrush brush(::CreateSolidBrush(RGB(0, 0, 0)));
    HBRUSH rawBrush = brush.release();
    EXPECT_FALSE(brush);
    EXPECT_TRUE(::DeleteObject(rawBrush)) << "release gives up ownership without deleting";
}

TEST(UniqueHandle, MoveAssignmentClosesWhatTheTargetHeld)
{
    win32::UniqueKernelHandle first(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    win32::UniqueKernelHandle second(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HANDLE firstRaw = first.get();
    HANDLE secondRaw = second.get();
    first = std::move(second);
    EXPECT_FALSE(IsOpenHandle(firstRaw)) << "the replaced handle is closed";
    EXPECT_EQ(first.get(), secondRaw);
    EXPECT_FALSE(second);
}

TEST(UniqueHandle, ReceivesAKeyFromAnOutParameter)
{
    win32::UniqueRegKey key;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.receive()), ERROR_SUCCESS);
    EXPECT_TRUE(key);
    DWORD subkeys = 0;
    EXPECT_EQ(::RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
}

TEST(UniqueHandle, WindowDcGoesBackToItsWindow)
{
    win32::UniqueWindowDC screen = win32::GetWindowDC(nullptr);
    ASSERT_TRUE(screen);
    win32::UniqueWindowDC moved(std::move(screen));
    EXPECT_FALSE(screen);
    EXPECT_GT(::GetDeviceCaps(moved.get(), HORZRES), 0);
    EXPECT_EQ(::ReleaseDC(nullptr, moved.release()), 1) << "release hands the DC back unreleased";
}

TEST(BindExport, BindsByNameOrGivesNull)
{
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    auto tickCount = win32::BindExport<ULONGLONG(WINAPI*)()>(kernel, "GetTickCount64");
    ASSERT_NE(tickCount, nullptr);
    EXPECT_GT(tickCount(), 0u);
    EXPECT_EQ(win32::BindExport<void (*)()>(kernel, "NoSuchExportAnywhere"), nullptr);
    EXPECT_EQ(win32::BindExport<void (*)()>(nullptr, "GetTickCount64"), nullptr);
}

TEST(Module, PathAndModuleOfAnAddress)
{
    EXPECT_EQ(win32::ModuleOfAddress(reinterpret_cast<const void*>(&IsOpenHandle)), ::GetModuleHandleA(nullptr));
    const std::string path = win32::ModulePath(nullptr);
    const std::string name = "\\win32_test.exe";
    ASSERT_GT(path.size(), name.size());
    EXPECT_EQ(path.substr(path.size() - name.size()), name);
    EXPECT_EQ(win32::ModulePath(win32::ModuleOfAddress(&path)), path);
}

TEST(VersionResource, ReadsTheFixedRecordAndStringValues)
{
    std::optional<win32::VersionResource> own = win32::VersionResource::ReadModule(nullptr);
    ASSERT_TRUE(own);
    ASSERT_TRUE(own->FileVersion());
    EXPECT_EQ(own->FileVersion()->Dotted(), SUITE_VERSION_TEXT);
    ASSERT_TRUE(own->ProductVersion());
    EXPECT_EQ(own->ProductVersion()->Dotted(), SUITE_VERSION_TEXT);
    EXPECT_TRUE(own->HasTranslation());
    EXPECT_EQ(own->StringValue("CompanyName").value_or("(none)"), SUITE_COMPANY);
    EXPECT_EQ(own->StringValue("OriginalFilename").value_or("(none)"), "win32_test.exe");
    EXPECT_FALSE(own->StringValue("NoSuchValue"));

    const win32::VersionNumber number{(2u << 16) | 1u, (5u << 16) | 12u};
    EXPECT_EQ(number.Dotted(), "2.1.5.12");
    EXPECT_EQ(number.Major(), 2u);
    EXPECT_EQ(number.Minor(), 1u);
    EXPECT_EQ(number.Patch(), 5u);
    EXPECT_EQ(number.Build(), 12u);
}

class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() / ("win32_test_" + std::to_string(::GetCurrentProcessId()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder / "sub");
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    void Write(const char* name, const char* text) { std::ofstream(folder / name) << text; }
    std::string Pattern(const char* pattern) const { return (folder / pattern).string(); }

    std::filesystem::path folder;
};

TEST_F(ScratchFolder, FindFilesListsTheMatchingEntries)
{
    Write("KOne.dll", "not a module");
    Write("KTwo.txt", "text");
    std::vector<win32::FoundFile> dlls = win32::FindFiles(Pattern("K*.dll"));
    ASSERT_EQ(dlls.size(), 1u);
    EXPECT_EQ(dlls[0].name, "KOne.dll");
    EXPECT_FALSE(dlls[0].IsDirectory());

    std::vector<win32::FoundFile> all = win32::FindFiles(Pattern("*"));
    auto sub = std::find_if(all.begin(), all.end(), [](const win32::FoundFile& f) { return f.name == "sub"; });
    ASSERT_NE(sub, all.end());
    EXPECT_TRUE(sub->IsDirectory());
    EXPECT_TRUE(win32::FindFiles(Pattern("missing\\*")).empty());
}

TEST_F(ScratchFolder, AFileWithoutVersionBlockHasNoVersionResource)
{
    Write("plain.dll", "no resources here");
    EXPECT_FALSE(win32::VersionResource::Read(Pattern("plain.dll")));
    EXPECT_FALSE(win32::VersionResource::Read(Pattern("missing.dll")));
}

} // namespace
