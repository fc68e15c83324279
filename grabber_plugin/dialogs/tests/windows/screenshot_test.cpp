// Pictures of the three dialogs for a look by eye (build/screenshots/): the
// device finder with reachable and unreachable cameras and its options menu,
// the IP dialog of a DHCP-only camera, the serial dialog of a port offering
// two baud rates.
#include "dialog_fixture.h"

#include "app_framework_testing/screenshot.h"
#include "zelmk_dialogs/TitleMenu.h"
#include "zelmk_dialogs/ZelmkAPIDeviceFinderDialog.h"
#include "zelmk_dialogs/ZelmkAPIIpConfigDialog.h"
#include "zelmk_dialogs/ZelmkAPISerCfgDialog.h"

namespace {

using namespace dialogs_test;

void ShowAtTopLeft(HWND window)
{
    ::SetWindowPos(window, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    ::UpdateWindow(window);
    PumpPending();
}

TEST(Screenshots, TheThreeDialogs)
{
    if (!CanTakeScreenshots()) GTEST_SKIP() << "no ImageMagick";
    {
        CZelmkAPIDeviceFinderDialog finder(Functions());
        finder.SetSelectedUniqueId(kBeta);
        ASSERT_TRUE(finder.Create(CZelmkAPIDeviceFinderDialog::IDD));
        ShowAtTopLeft(finder.m_hWnd);
        EXPECT_TRUE(TakeScreenshot("zelmk-device-finder", finder.m_hWnd));
    }
    {
        CZelmkAPIIpConfigDialog ip;
        ASSERT_EQ(0u, Functions().MkCameraIpSettingsGet(kBeta, &ip.Settings()));
        ASSERT_TRUE(ip.Create(CZelmkAPIIpConfigDialog::IDD));
        ShowAtTopLeft(ip.m_hWnd);
        EXPECT_TRUE(TakeScreenshot("zelmk-ip-configuration", ip.m_hWnd));
    }
    {
        std::vector<zelmk::SerialPortEntry> ports = {
            {0, "MKAPISERIALPORT0", "Serial port 0", (1u << 5) | (1u << 9) | 1u << 16 | 1u << 23 | 1u << 24},
            {1, "MKAPISERIALPORT1", "Serial port 1", 0x7FFu | 0x7u << 16 | 0xFu << 20 | 0x7u << 24}};
        zelmk::SerialDialogSettings settings;
        settings.position = 0;
        settings.delayMs = 2;
        CZelmkAPISerCfgDialog serial(ports, settings);
        ASSERT_TRUE(serial.Create(CZelmkAPISerCfgDialog::IDD));
        ShowAtTopLeft(serial.m_hWnd);
        EXPECT_TRUE(TakeScreenshot("zelmk-serial-configuration", serial.m_hWnd));
    }
}

// The options menu is open only inside its own loop: a thread timer takes the picture there and closes it.
struct MenuShot {
    bool taken = false;
    RECT area{};
};
MenuShot g_menuShot;

TEST(Screenshots, TheCameraOptionsMenu)
{
    if (!CanTakeScreenshots()) GTEST_SKIP() << "no ImageMagick";
    CZelmkAPIDeviceFinderDialog finder(Functions());
    ASSERT_TRUE(finder.Create(CZelmkAPIDeviceFinderDialog::IDD));
    ShowAtTopLeft(finder.m_hWnd);
    CTitleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 1, "IP Address Settings");
    menu.AddMenuTitle("Camera Options");
    RECT at{};
    ::GetWindowRect(finder.m_hWnd, &at);
    g_menuShot = {false, {at.left + 60, at.top + 60, at.left + 300, at.top + 160}};
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        g_menuShot.taken = TakeScreenshot("zelmk-camera-options-menu", g_menuShot.area);
        ::EndMenu();
    });
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RETURNCMD | TPM_NONOTIFY, at.left + 80, at.top + 80, &finder);
    ::KillTimer(nullptr, timer);
    EXPECT_TRUE(g_menuShot.taken);
}

} // namespace
