// The about box in this process: file list order and versions, the version
// line, the columns, and the header painted with the logo's transparent colour.
#include "AboutDlg.h"
#include "VarnikProcess.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

using namespace varnik_test;

namespace {

struct Row {
    std::string file;
    std::string version;
};

// Creates the dialog modeless, reads its list, destroys it.
std::vector<Row> ShownRows(CApplicationAboutDlg& dialog)
{
    EXPECT_TRUE(dialog.Create(CApplicationAboutDlg::IDD));
    HWND list = dialog.GetDlgItem(IDC_ABOUT_FILES)->m_hWnd;
    std::vector<Row> rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char file[260] = {}, version[64] = {};
        ListView_GetItemText(list, i, 0, file, sizeof file);
        ListView_GetItemText(list, i, 1, version, sizeof version);
        rows.push_back({file, version});
    }
    return rows;
}

std::vector<std::string> Files(const std::vector<Row>& rows)
{
    std::vector<std::string> files;
    for (const Row& row : rows)
        files.push_back(row.file);
    return files;
}

class AboutBox : public ::testing::Test {
protected:
    ScratchFolder folder_{"varnik_about"};
    ScratchFolder empty_{"varnik_about_empty"};
    const std::string versioned_ = ModulesFolder() + "AppFramework.dll";

    void SetUp() override
    {
        CreateFolders(folder_.Path() + "sub");
        for (const char* name : {"b.dll", "A.dll", "sub\\c.dll"})
            ASSERT_TRUE(CopyInto(versioned_, folder_.Path() + name));
        WriteFileText(folder_.Path() + "zz_noversion.dll", "no version resource");
        WriteFileText(folder_.Path() + "readme.txt", "not a library");
    }
};

} // namespace

TEST_F(AboutBox, TwoNamesStayInTheirOrderAndAnEmptySearchAddsNothing)
{
    CApplicationAboutDlg dialog;
    dialog.AddFileList({"Varnik.exe", "Merrow.exe"}, true, false);
    EXPECT_TRUE(dialog.AddFilesBySearch(empty_.Path(), "*.dll", true, false, true));
    EXPECT_EQ((std::vector<std::string>{"Varnik.exe", "Merrow.exe"}), Files(ShownRows(dialog)));

    // The columns share the list's client width, less a scroll bar for the second.
    HWND list = dialog.GetDlgItem(IDC_ABOUT_FILES)->m_hWnd;
    RECT client;
    GetClientRect(list, &client);
    EXPECT_EQ(client.right * 5 / 10, ListView_GetColumnWidth(list, 0));
    EXPECT_EQ(client.right * 5 / 10 - GetSystemMetrics(SM_CXVSCROLL) - 2, ListView_GetColumnWidth(list, 1));
    EXPECT_EQ(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
              ListView_GetExtendedListViewStyle(list) & (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT));
    dialog.DestroyWindow();
}

TEST_F(AboutBox, SearchSortsAfterTheFirstNameWithRelativeNamesAndVersions)
{
    CApplicationAboutDlg dialog;
    dialog.AddFileList({"Varnik.exe", "Merrow.exe"}, true, false);
    // Without the trailing backslash: the search adds it.
    EXPECT_TRUE(dialog.AddFilesBySearch(folder_.Path().substr(0, folder_.Path().size() - 1), "*.dll", true, false,
                                        true));
    const std::vector<Row> rows = ShownRows(dialog);
    EXPECT_EQ((std::vector<std::string>{"Varnik.exe", "A.dll", "Merrow.exe", "b.dll", "sub\\c.dll",
                                        "zz_noversion.dll"}),
              Files(rows));
    ASSERT_EQ(6u, rows.size());
    for (size_t i : {1u, 3u, 4u}) {
        SCOPED_TRACE(rows[i].file);
        EXPECT_EQ(VARNIK_TEST_PRODUCT_VERSION, rows[i].version) << "found from the searched folder";
    }
    EXPECT_EQ("Unavailable", rows[5].version);
    dialog.DestroyWindow();
}

TEST_F(AboutBox, VersionLineComesFromTheFirstFile)
{
    struct Case {
        std::string first;
        std::string line;
    };
    const Case cases[] = {
        {versioned_, VARNIK_TEST_VERSION_LINE},
        {folder_.Path() + "zz_noversion.dll", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        CApplicationAboutDlg dialog;
        dialog.AddFileList({c.first}, true, false);
        ShownRows(dialog);
        EXPECT_EQ(c.line, dialog.VersionLine());
        dialog.DestroyWindow();
    }
}

TEST_F(AboutBox, HeaderIsWhiteAndTheLogoIsDrawnThroughItsMask)
{
    CApplicationAboutDlg dialog;
    dialog.SetProductName("Varnik");
    ShownRows(dialog);
    RECT client;
    dialog.GetClientRect(&client);
    win32::UniqueMemoryDC memory;
    win32::UniqueBitmap canvas;
    {
        win32::UniqueWindowDC screen = win32::GetWindowDC(nullptr);
        memory.reset(CreateCompatibleDC(screen.get()));
        canvas.reset(CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
    }
    HGDIOBJ old = SelectObject(memory.get(), canvas.get());
    RECT all{0, 0, client.right, client.bottom};
    FillRect(memory.get(), &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    CDC dc(memory.get());
    dialog.PaintHeader(dc);

    const int bandBottom = client.bottom * 10 / 30;
    int white = 0, magenta = 0, other = 0;
    for (int y = 0; y < bandBottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            const COLORREF pixel = GetPixel(memory.get(), x, y);
            if (pixel == RGB(255, 255, 255))
                ++white;
            else if (pixel == RGB(255, 0, 255))
                ++magenta;
            else
                ++other;
        }
    }
    EXPECT_EQ(0, magenta) << "the logo's transparent colour must not show";

    // Where the logo has its transparent colour (its pixel 170, 0) the band shows through.
    win32::UniqueBitmap logo(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_ABOUT_LOGO)));
    ASSERT_TRUE(logo);
    BITMAP info{};
    GetObjectA(logo.get(), sizeof info, &info);
    logo.reset();
    RECT list, window;
    dialog.GetDlgItem(IDC_ABOUT_FILES)->GetWindowRect(&list);
    dialog.GetWindowRect(&window);
    const int x0 = list.left - window.left - GetSystemMetrics(SM_CXBORDER);
    const int y0 = bandBottom / 2 - info.bmHeight / 2;
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(memory.get(), x0 + 170, y0)) << "transparent logo pixel";
    EXPECT_GT(white, other) << "the band is white";
    EXPECT_GT(other, 0) << "logo and name are drawn";
    EXPECT_NE(RGB(255, 255, 255), GetPixel(memory.get(), 2, bandBottom + 2)) << "below the band stays unpainted";
    SelectObject(memory.get(), old);
    dialog.DestroyWindow();
}
