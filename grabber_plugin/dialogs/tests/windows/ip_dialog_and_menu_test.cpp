// The IP configuration dialog on its own (mode buttons, addresses in both
// directions, the record's other bytes kept) and the title menu (its item,
// size and drawing in the caption's colours).
#include "dialog_fixture.h"

#include "zelmk_dialogs/DialogRules.h"
#include "zelmk_dialogs/TitleMenu.h"
#include "zelmk_dialogs/ZelmkAPIIpConfigDialog.h"

#include <memory>

namespace {

using namespace dialogs_test;

// An address with its first octet in the lowest byte, as the record keeps it.
constexpr uint32_t Address(uint8_t a, uint8_t b, uint8_t c, uint8_t d)
{
    return uint32_t(a) | uint32_t(b) << 8 | uint32_t(c) << 16 | uint32_t(d) << 24;
}

TEST(IpConfigDialog, ButtonsAndAddressesShowTheRecordAndComeBackOnOk)
{
    CZelmkAPIIpConfigDialog dialog;
    MkIpSettings& s = dialog.Settings();
    s.configMode = MK_IP_PERSISTENT;
    s.configModes = MK_IP_PERSISTENT | MK_IP_DHCP | MK_IP_AUTO;
    s.currentAddress = Address(192, 168, 10, 31), s.currentMask = Address(255, 255, 255, 0), s.currentGateway = Address(192, 168, 10, 1);
    s.persistentAddress = Address(192, 168, 10, 31), s.persistentMask = Address(255, 255, 255, 0), s.persistentGateway = Address(192, 168, 10, 1);
    s.reserved[0] = 0xA5A5A5A5, s.reserved[7] = 0x5A5A5A5A;
    ASSERT_TRUE(dialog.Create(CZelmkAPIIpConfigDialog::IDD));
    HWND d = dialog.m_hWnd;
    EXPECT_EQ("IP Configuration", TextOf(d));
    EXPECT_NE(0, ::SendMessageA(d, WM_GETICON, ICON_SMALL, 0));
    EXPECT_TRUE(IsChecked(d, IDC_ZELMK_MODE_PERSISTENT));
    for (int id : {IDC_ZELMK_MODE_PERSISTENT, IDC_ZELMK_MODE_DHCP, IDC_ZELMK_MODE_AUTO}) EXPECT_TRUE(IsEnabled(d, id)) << id;
    EXPECT_EQ("192.168.10.31", AddressText(d, IDC_ZELMK_CURRENT_ADDRESS)) << "first octet leftmost";
    EXPECT_EQ("255.255.255.0", AddressText(d, IDC_ZELMK_PERSISTENT_MASK));
    for (int id : {IDC_ZELMK_CURRENT_ADDRESS, IDC_ZELMK_CURRENT_MASK, IDC_ZELMK_CURRENT_GATEWAY}) EXPECT_FALSE(IsEnabled(d, id)) << id;
    for (int id : {IDC_ZELMK_PERSISTENT_ADDRESS, IDC_ZELMK_PERSISTENT_MASK, IDC_ZELMK_PERSISTENT_GATEWAY}) EXPECT_TRUE(IsEnabled(d, id)) << id;

    // A click checks its button and clears the other two.
    struct Click {
        int id;
        bool persistent, dhcp, autoIp;
    };
    for (Click c : {Click{IDC_ZELMK_MODE_AUTO, false, false, true}, Click{IDC_ZELMK_MODE_DHCP, false, true, false},
                    Click{IDC_ZELMK_MODE_PERSISTENT, true, false, false}, Click{IDC_ZELMK_MODE_AUTO, false, false, true}}) {
        SCOPED_TRACE(c.id);
        Press(d, c.id);
        EXPECT_EQ(c.persistent, IsChecked(d, IDC_ZELMK_MODE_PERSISTENT));
        EXPECT_EQ(c.dhcp, IsChecked(d, IDC_ZELMK_MODE_DHCP));
        EXPECT_EQ(c.autoIp, IsChecked(d, IDC_ZELMK_MODE_AUTO));
    }
    SetAddress(d, IDC_ZELMK_PERSISTENT_ADDRESS, 172, 16, 0, 9);
    SetAddress(d, IDC_ZELMK_PERSISTENT_MASK, 255, 255, 0, 0);
    SetAddress(d, IDC_ZELMK_PERSISTENT_GATEWAY, 172, 16, 0, 1);
    Press(d, IDOK);
    EXPECT_EQ(IDOK, dialog.GetResult());
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    EXPECT_EQ(uint32_t(MK_IP_AUTO), s.configMode);
    EXPECT_EQ(Address(172, 16, 0, 9), s.persistentAddress);
    EXPECT_EQ(Address(255, 255, 0, 0), s.persistentMask);
    EXPECT_EQ(Address(172, 16, 0, 1), s.persistentGateway);
    EXPECT_EQ(Address(192, 168, 10, 31), s.currentAddress) << "read back unchanged";
    EXPECT_EQ(uint32_t(MK_IP_PERSISTENT | MK_IP_DHCP | MK_IP_AUTO), s.configModes);
    EXPECT_EQ(0xA5A5A5A5u, s.reserved[0]) << "the bytes the dialog does not know go back as they came";
    EXPECT_EQ(0x5A5A5A5Au, s.reserved[7]);
}

TEST(IpConfigDialog, CancelChangesNothing)
{
    CZelmkAPIIpConfigDialog dialog;
    dialog.Settings().configMode = MK_IP_DHCP;
    dialog.Settings().configModes = MK_IP_DHCP | MK_IP_PERSISTENT;
    ASSERT_TRUE(dialog.Create(CZelmkAPIIpConfigDialog::IDD));
    EXPECT_FALSE(IsEnabled(dialog.m_hWnd, IDC_ZELMK_MODE_AUTO));
    Press(dialog.m_hWnd, IDC_ZELMK_MODE_PERSISTENT);
    Press(dialog.m_hWnd, IDCANCEL);
    EXPECT_EQ(IDCANCEL, dialog.GetResult());
    EXPECT_EQ(uint32_t(MK_IP_DHCP), dialog.Settings().configMode);
}

// Owner of the pop-up for the drawing requests; draws nothing itself.
class COwner : public CWnd {
public:
    COwner() { CreateEx(0, "STATIC", "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0); }
};

TEST(TitleMenu, TheTitleRowIsMeasuredAndDrawnInTheCaptionColours)
{
    CTitleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 1, "IP Address Settings");
    menu.AddMenuTitle("Camera Options");
    EXPECT_EQ("Camera Options", menu.Title());
    ASSERT_EQ(2, menu.GetMenuItemCount());
    const UINT state = menu.GetMenuState(0, MF_BYPOSITION);
    EXPECT_TRUE(state & MF_OWNERDRAW);
    EXPECT_TRUE(state & MF_DISABLED);
    EXPECT_EQ(1u, menu.GetMenuItemID(1));
    EXPECT_EQ("IP Address Settings", menu.GetMenuString(1, MF_BYPOSITION));

    // The size: the text in the bold font, the check-mark column and the margins.
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, 0, 0, 0, 0};
    menu.MeasureItem(&measure);
    CFont bold;
    bold.CreateWithWeight(static_cast<HFONT>(::GetStockObject(ANSI_VAR_FONT)), FW_BOLD);
    HDC screen = ::GetDC(nullptr);
    HGDIOBJ previous = ::SelectObject(screen, bold.GetSafeHandle());
    SIZE text{};
    ::GetTextExtentPoint32A(screen, "Camera Options", 14, &text);
    ::SelectObject(screen, previous);
    ::ReleaseDC(nullptr, screen);
    const zelmk::TitleItemSize expected = zelmk::TitleMenuItemSize(text.cx, text.cy, ::GetSystemMetrics(SM_CXMENUCHECK));
    EXPECT_EQ(UINT(expected.width), measure.itemWidth);
    EXPECT_EQ(UINT(expected.height), measure.itemHeight);

    // Drawn into a bitmap: red at the left, blue at the right, white text.
    menu.SetColors(RGB(255, 0, 0), RGB(0, 0, 255), RGB(255, 255, 255));
    const int width = 200, height = 20;
    HDC dc = ::CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(nullptr, bitmap);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    DRAWITEMSTRUCT draw{ODT_MENU, 0, 0, ODA_DRAWENTIRE, ODS_DISABLED, nullptr, dc, all, 0};
    menu.DrawItem(&draw);
    ::GdiFlush();
    const auto pixel = [&](int x, int y) { return static_cast<const uint32_t*>(bits)[y * width + x] & 0xFFFFFF; };
    EXPECT_EQ(0xFF0000u, pixel(0, 0)) << "the left colour at the top left";
    const uint32_t right = pixel(width - 3, height - 3);
    EXPECT_GT(right & 0xFF, 0xE0u) << std::hex << right;
    EXPECT_LT(right >> 16, 0x20u) << std::hex << right;
    int white = 0, whiteLeftOfText = 0;
    const int textLeft = zelmk::TitleMenuTextLeft(0, ::GetSystemMetrics(SM_CXMENUCHECK));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (pixel(x, y) == 0xFFFFFF) (x < textLeft ? whiteLeftOfText : white)++;
    EXPECT_GT(white, 20) << "the title's text";
    EXPECT_EQ(0, whiteLeftOfText) << "the text starts after the check-mark column";

    // Equal colours fill the row plainly.
    menu.SetColors(RGB(0, 128, 0), RGB(0, 128, 0), RGB(0, 128, 0));
    menu.DrawItem(&draw);
    ::GdiFlush();
    EXPECT_EQ(0x008000u, pixel(0, 0));
    EXPECT_EQ(0x008000u, pixel(width - 1, height - 1));
    // With the edge on, the row's border is the edge's, not the fill's.
    menu.SetEdge(true);
    menu.DrawItem(&draw);
    ::GdiFlush();
    EXPECT_NE(0x008000u, pixel(0, height / 2)) << "the left edge";
    EXPECT_NE(0x008000u, pixel(width - 1, height / 2)) << "the right edge";
    EXPECT_NE(pixel(0, height / 2), pixel(width - 1, height / 2)) << "sunken: dark on the left, light on the right";
    EXPECT_EQ(0x008000u, pixel(width / 2 + 40, height / 2)) << "inside the edge the fill stays";
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

TEST(TitleMenu, ThePopUpShowsTheTitleAndReturnsTheChosenCommand)
{
    COwner owner;
    ASSERT_NE(nullptr, owner.m_hWnd);
    CTitleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 1, "IP Address Settings");
    menu.AddMenuTitle("Camera Options");
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) ::PostMessageA(owner.m_hWnd, WM_KEYDOWN, key, 0);
    EXPECT_EQ(1, menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RETURNCMD | TPM_NONOTIFY, 100, 100, &owner));
    for (WPARAM key : {VK_ESCAPE}) ::PostMessageA(owner.m_hWnd, WM_KEYDOWN, key, 0);
    EXPECT_EQ(0, menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RETURNCMD | TPM_NONOTIFY, 100, 100, &owner));
}

} // namespace
