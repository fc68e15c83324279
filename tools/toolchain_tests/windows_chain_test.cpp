// Proves each link of the Windows chain: a dialog template compiled into the
// program is created and shown on the (virtual) display, its controls answer,
// and every module of the suite carries the project's version resource.
#include <gtest/gtest.h>

#include "win32/module.h"
#include "win32/unique_handle.h"
#include "win32/version_resource.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int IDD_PROBE = 100;
constexpr int IDC_PROBE_TEXT = 101;
constexpr int IDC_PROBE_EDIT = 102;

INT_PTR CALLBACK probeDialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(dialog, IDC_PROBE_EDIT, "typed by the test");
        return TRUE;
    }
    return FALSE;
}

void pumpMessagesFor(DWORD milliseconds)
{
    DWORD end = GetTickCount() + milliseconds;
    MSG msg;
    while (GetTickCount() < end) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

std::string dialogItemText(HWND dialog, int id)
{
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::filesystem::path programFolder()
{
    return std::filesystem::path(win32::ModulePath(nullptr)).parent_path();
}

struct ModuleVersion {
    bool present = false;
    std::string fileVersion; // from the fixed record, "a.b.c.d"
    std::string companyName; // from the string table of the first translation
};

ModuleVersion readModuleVersion(const std::string& file)
{
    ModuleVersion result;
    const std::optional<win32::VersionResource> resource = win32::VersionResource::Read(file);
    const std::optional<win32::VersionNumber> version = resource ? resource->FileVersion() : std::nullopt;
    if (!version)
        return result;
    result.present = true;
    result.fileVersion = version->Dotted();
    result.companyName = resource->StringValue("CompanyName").value_or("");
    return result;
}

} // namespace

TEST(WindowsChain, DialogFromTemplateIsShownAndAnswers)
{
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROBE), nullptr,
                                     probeDialogProc, 0);
    ASSERT_NE(dialog, nullptr) << "the template was not found or the dialog could not be created";
    ShowWindow(dialog, SW_SHOW);
    pumpMessagesFor(200);

    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(dialogItemText(dialog, IDC_PROBE_TEXT), "Text from the template");
    EXPECT_EQ(dialogItemText(dialog, IDC_PROBE_EDIT), "typed by the test");
    char caption[64] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "Probe");

    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, IDOK), &rect);
    EXPECT_GT(rect.right - rect.left, 0) << "dialog units were not converted to pixels";
    DestroyWindow(dialog);
}

TEST(WindowsChain, ProbeModuleCarriesTheProjectVersion)
{
    auto probe = (programFolder() / "ToolchainProbe.dll").string();
    ModuleVersion version = readModuleVersion(probe);
    ASSERT_TRUE(version.present) << probe;
    EXPECT_EQ(version.fileVersion, SUITE_VERSION_TEXT);
    EXPECT_EQ(version.companyName, "Quarnel");

    win32::UniqueModule module(LoadLibraryA(probe.c_str()));
    ASSERT_TRUE(module);
    auto answer = win32::BindExport<int (*)()>(module.get(), "ToolchainProbeAnswer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
}

TEST(WindowsChain, EveryInstalledModuleCarriesTheProjectVersion)
{
    auto bin = programFolder().parent_path() / "bin";
    int modules = 0;
    if (std::filesystem::is_directory(bin)) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(bin)) {
            auto extension = entry.path().extension().string();
            if (extension != ".exe" && extension != ".dll")
                continue;
            SCOPED_TRACE(entry.path().string());
            ModuleVersion version = readModuleVersion(entry.path().string());
            EXPECT_TRUE(version.present);
            EXPECT_EQ(version.fileVersion, SUITE_VERSION_TEXT);
            EXPECT_EQ(version.companyName, "Quarnel");
            ++modules;
        }
    }
    RecordProperty("modules", modules);
}
