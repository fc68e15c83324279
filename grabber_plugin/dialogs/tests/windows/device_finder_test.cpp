// The device finder on the simulated network: the rows, texts and icons of
// reachable and unreachable cameras, cameras unplugged and plugged while it
// is open, the selection and the choice, OK only from its button, and the
// camera options with the IP dialog (a DHCP-only camera, an unreachable one
// brought into the subnet, settings that cannot be read or written).
#include "dialog_fixture.h"

#include "zelmk_dialogs/ZelmkAPIDeviceFinderDialog.h"

#include <cstring>
#include <memory>

namespace {

using namespace dialogs_test;

class DeviceFinder : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Api().IsValid());
        ASSERT_EQ("ok", Sim("status"));
    }
    void TearDown() override
    {
        m_dialog.reset();
        Sim("fail clear");
        for (uint32_t id : {kAlpha, kBeta, kFar, kAway}) Sim("plug " + std::to_string(id));
    }

    // A modeless finder; without its refresh timer when only link events may change the list.
    CZelmkAPIDeviceFinderDialog& Open(uint32_t selected, bool refreshTimer = true)
    {
        m_dialog = std::make_unique<CZelmkAPIDeviceFinderDialog>(Functions());
        m_dialog->SetSelectedUniqueId(selected);
        EXPECT_TRUE(m_dialog->Create(CZelmkAPIDeviceFinderDialog::IDD));
        if (!refreshTimer) m_dialog->KillTimer(CZelmkAPIDeviceFinderDialog::kRefreshTimer);
        return *m_dialog;
    }
    HWND Dlg() const { return m_dialog->m_hWnd; }
    CDeviceFinderListCtrl& List() const { return m_dialog->List(); }
    int Row(uint32_t id) const { return List().FindCamera(id); }
    // "image/overlay" of the camera's row: "0/1" reachable, "1/2" unreachable.
    std::string Icon(uint32_t id) const
    {
        const int row = Row(id);
        if (row < 0) return "no row";
        return std::to_string(List().GetItemImage(row)) + "/" + std::to_string((List().GetItemState(row, LVIS_OVERLAYMASK) >> 8) & 0xF);
    }
    void RefreshTick() { ::SendMessageA(Dlg(), WM_TIMER, CZelmkAPIDeviceFinderDialog::kRefreshTimer, 0); }
    // The list's notification as a click or double click in it sends it.
    void NotifyFromList(UINT code)
    {
        NMHDR header{List().m_hWnd, IDC_ZELMK_CAMERA_LIST, code};
        ::SendMessageA(Dlg(), WM_NOTIFY, IDC_ZELMK_CAMERA_LIST, reinterpret_cast<LPARAM>(&header));
    }
    void PostKey(UINT key)
    {
        ::PostMessageA(List().m_hWnd, WM_KEYDOWN, key, 1);
        ::PostMessageA(List().m_hWnd, WM_KEYUP, key, 0xC0000001);
    }
    void Key(UINT key)
    {
        PostKey(key);
        PumpPending();
    }
    // Keys for the camera options pop-up, queued before its loop starts (and
    // after what opens it): the first item under the title, chosen.
    void QueueMenuChoice()
    {
        for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) ::PostMessageA(Dlg(), WM_KEYDOWN, key, 0);
    }
    // Space in the list, then the item of the pop-up it opens.
    void SpaceThenMenuChoice()
    {
        PostKey(VK_SPACE);
        QueueMenuChoice();
        PumpPending();
    }

    std::unique_ptr<CZelmkAPIDeviceFinderDialog> m_dialog;
};

TEST_F(DeviceFinder, ListsReachableAndUnreachableCamerasWithTheirTextsAndIcons)
{
    Open(kBeta);
    ASSERT_NE(nullptr, Dlg());
    EXPECT_EQ("Device Finder", TextOf(Dlg()));
    EXPECT_NE(0, ::SendMessageA(Dlg(), WM_GETICON, ICON_SMALL, 0)) << "the window's small icon";

    CHeaderCtrl* header = List().GetHeaderCtrl();
    ASSERT_NE(nullptr, header);
    ASSERT_EQ(3, header->GetItemCount());
    EXPECT_EQ("Name", header->GetItemText(0));
    EXPECT_EQ("Serial Number", header->GetItemText(1));
    EXPECT_EQ("IP Address/Subnet Mask", header->GetItemText(2));
    CRect client;
    List().GetClientRect(&client);
    EXPECT_EQ(120, List().GetColumnWidth(0));
    EXPECT_EQ(120, List().GetColumnWidth(1));
    EXPECT_EQ(std::max(100, int(client.Width()) - 240), List().GetColumnWidth(2));
    EXPECT_EQ(DWORD(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT), List().GetExtendedStyle() & (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT));
    // Setup again on a list with columns to spare leaves exactly the three.
    List().InsertColumn(3, "Extra", LVCFMT_LEFT, 50, 3);
    List().InsertColumn(4, "More", LVCFMT_LEFT, 50, 4);
    List().SetColumnWidth(0, 10);
    List().Setup();
    EXPECT_EQ(3, header->GetItemCount());
    EXPECT_EQ("IP Address/Subnet Mask", header->GetItemText(2));
    EXPECT_EQ(120, List().GetColumnWidth(0));
    ASSERT_NE(nullptr, List().GetImageList(LVSIL_SMALL));
    EXPECT_EQ(2, ImageList_GetImageCount(List().GetImageList(LVSIL_SMALL)));

    struct Expected {
        uint32_t id;
        const char *name, *serial, *address, *icon;
    };
    const Expected rows[] = {{kAlpha, "Alpha", "A-0601", "192.168.10.31/255.255.255.0", "0/1"},
                             {kBeta, "Beta", "B-0602", "192.168.10.32/255.255.255.0", "0/1"},
                             {kFar, "Far", "F-0603", "10.0.0.50/255.255.255.0", "1/2"},
                             {kAway, "Away", "W-0604", "10.0.0.60/255.255.255.0", "1/2"}};
    EXPECT_EQ(4, List().GetItemCount());
    for (const Expected& r : rows) {
        SCOPED_TRACE(r.name);
        const int row = Row(r.id);
        ASSERT_GE(row, 0);
        EXPECT_EQ(r.name, List().GetItemText(row, 0));
        EXPECT_EQ(r.serial, List().GetItemText(row, 1));
        EXPECT_EQ(r.address, List().GetItemText(row, 2));
        EXPECT_EQ(r.icon, Icon(r.id));
    }
    // The camera the caller chose is selected and focused.
    EXPECT_EQ(Row(kBeta), List().GetSelectedRow());
    EXPECT_EQ(kBeta, List().GetSelectedCamera());
    EXPECT_EQ(UINT(LVIS_FOCUSED), List().GetItemState(Row(kBeta), LVIS_FOCUSED));
    EXPECT_EQ(List().m_hWnd, ::GetFocus());

    // A refresh keeps the rows and takes what changed; an address that cannot be read is left out.
    ASSERT_EQ("ok", Sim("set 601 DeviceUserID Renamed"));
    ASSERT_EQ("ok", Sim("fail MkCameraIpSettingsGet 6 once"));
    RefreshTick();
    EXPECT_EQ(4, List().GetItemCount());
    EXPECT_EQ("Renamed", List().GetItemText(Row(kAlpha), 0));
    EXPECT_EQ("", List().GetItemText(Row(kAlpha), 2));
    RefreshTick();
    EXPECT_EQ("192.168.10.31/255.255.255.0", List().GetItemText(Row(kAlpha), 2));
    ASSERT_EQ("ok", Sim("set 601 DeviceUserID Alpha"));
}

TEST_F(DeviceFinder, AnUnpluggedCameraGoesAtOnceAndComesBackWithItsIcon)
{
    struct Case {
        const char* what;
        uint32_t id;
        bool backByEvent; // a reachable camera announces itself; an unreachable one is found by the refresh
        const char* icon;
    };
    const Case cases[] = {{"reachable", kAlpha, true, "0/1"}, {"unreachable", kFar, false, "1/2"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open(c.id, false);
        const std::string id = std::to_string(c.id);
        ASSERT_GE(Row(c.id), 0);
        ASSERT_EQ(c.id, m_dialog->GetSelectedUniqueId());

        ASSERT_EQ("ok", Sim("unplug " + id));
        EXPECT_TRUE(PumpUntil([&] { return Row(c.id) < 0; })) << "gone with the link event";
        EXPECT_EQ(3, List().GetItemCount());
        EXPECT_EQ(c.id, m_dialog->GetSelectedUniqueId()) << "the choice outlives its row";

        ASSERT_EQ("ok", Sim("plug " + id));
        if (c.backByEvent) {
            EXPECT_TRUE(PumpUntil([&] { return Row(c.id) >= 0; })) << "back with the link event";
        } else {
            PumpFor(300);
            EXPECT_LT(Row(c.id), 0) << "no event for a camera that cannot be reached";
            RefreshTick();
        }
        ASSERT_GE(Row(c.id), 0);
        EXPECT_EQ(c.icon, Icon(c.id));
        EXPECT_EQ(Row(c.id), List().GetSelectedRow()) << "the chosen camera is selected again";
        m_dialog.reset();
    }
}

TEST_F(DeviceFinder, TheRefreshMakesTheListMatchTheNetwork)
{
    Open(kAlpha, false);
    // A row whose camera is gone (its event missed), and a camera whose row is missing.
    struct MkCameraInfo ghost {};
    ghost.uniqueId = 999;
    std::strcpy(ghost.name, "Ghost");
    ASSERT_GE(List().InsertOrUpdate(ghost, true), 0);
    ASSERT_TRUE(List().DeleteCamera(kBeta));
    EXPECT_FALSE(List().DeleteCamera(kBeta)) << "no row to delete twice";
    // A row that shows a camera as reachable when it is not.
    struct MkCameraInfo stale {};
    stale.uniqueId = kFar;
    ASSERT_EQ(Row(kFar), List().InsertOrUpdate(stale, true));
    ASSERT_EQ("0/1", Icon(kFar));
    RefreshTick();
    EXPECT_EQ("1/2", Icon(kFar));
    EXPECT_EQ("Far", List().GetItemText(Row(kFar), 0));
    EXPECT_LT(Row(999), 0);
    EXPECT_GE(Row(kBeta), 0);
    EXPECT_EQ(4, List().GetItemCount());
}

TEST_F(DeviceFinder, SelectingARowChoosesItsCameraAndChoosingClosesWithOk)
{
    struct Case {
        const char* how;
        std::function<void()> act;
        int result;
    };
    const Case cases[] = {
        {"double click", [this] { NotifyFromList(NM_DBLCLK); }, IDOK},
        {"Enter in the list", [this] { Key(VK_RETURN); }, IDOK},
        {"Cancel", [this] { Press(Dlg(), IDCANCEL); }, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        Open(kAlpha);
        EXPECT_EQ(kAlpha, m_dialog->GetSelectedUniqueId());
        List().SelectRow(Row(kFar));
        EXPECT_EQ(kFar, m_dialog->GetSelectedUniqueId()) << "the selected row's camera";
        EXPECT_EQ(kFar, List().GetSelectedCamera());
        c.act();
        EXPECT_TRUE(PumpUntil([&] { return m_dialog->m_hWnd == nullptr; }));
        EXPECT_EQ(c.result, m_dialog->GetResult());
        EXPECT_EQ(kFar, m_dialog->GetSelectedUniqueId());
        m_dialog.reset();
    }
}

TEST_F(DeviceFinder, MouseClicksInTheListSelectChooseAndOpenTheOptions)
{
    Open(kAlpha);
    const auto clickAt = [&](uint32_t id, std::initializer_list<UINT> messages) {
        CRect rect;
        List().GetItemRect(Row(id), &rect, LVIR_LABEL);
        const LPARAM at = MAKELPARAM(rect.left + 4, rect.CenterPoint().y);
        for (UINT message : messages)
            ::PostMessageA(List().m_hWnd, message, message == WM_LBUTTONUP || message == WM_RBUTTONUP ? 0 : (message == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON), at);
    };
    // A right click selects the row and opens the camera options; Escape closes them.
    clickAt(kBeta, {WM_RBUTTONDOWN, WM_RBUTTONUP});
    ::PostMessageA(Dlg(), WM_KEYDOWN, VK_ESCAPE, 0);
    PumpPending();
    EXPECT_EQ(kBeta, m_dialog->GetSelectedUniqueId());
    ASSERT_NE(nullptr, m_dialog->m_hWnd);
    // A double click chooses its row's camera.
    clickAt(kFar, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP});
    EXPECT_TRUE(PumpUntil([&] { return m_dialog->m_hWnd == nullptr; }));
    EXPECT_EQ(IDOK, m_dialog->GetResult());
    EXPECT_EQ(kFar, m_dialog->GetSelectedUniqueId());
}

TEST_F(DeviceFinder, OkClosesOnlyFromTheOkButton)
{
    Open(kAlpha);
    ::ShowWindow(Dlg(), SW_SHOW); // the focus moves only in a shown window
    PumpPending();
    ASSERT_EQ(List().m_hWnd, ::GetFocus());
    ::SendMessageA(Dlg(), WM_COMMAND, IDOK, 0);
    ASSERT_NE(nullptr, m_dialog->m_hWnd) << "OK with the list focused";
    ::SetFocus(::GetDlgItem(Dlg(), IDCANCEL));
    ::SendMessageA(Dlg(), WM_COMMAND, IDOK, 0);
    ASSERT_NE(nullptr, m_dialog->m_hWnd) << "OK with Cancel focused";
    ::SetFocus(::GetDlgItem(Dlg(), IDOK));
    ::SendMessageA(Dlg(), WM_COMMAND, IDOK, 0);
    EXPECT_EQ(nullptr, m_dialog->m_hWnd);
    EXPECT_EQ(IDOK, m_dialog->GetResult());
    EXPECT_EQ(kAlpha, m_dialog->GetSelectedUniqueId());
}

TEST_F(DeviceFinder, CameraOptionsWithoutASelectedCameraSayNoValidCamera)
{
    Open(0); // no camera chosen, no row selected
    ASSERT_EQ(-1, List().GetSelectedRow());
    MessageBoxRecorder boxes;
    Key(VK_SPACE);
    NotifyFromList(NM_RCLICK);
    EXPECT_EQ((std::vector<std::string>{"No valid camera selected", "No valid camera selected"}), boxes.texts);
    EXPECT_NE(nullptr, m_dialog->m_hWnd);
}

TEST_F(DeviceFinder, TheIpDialogOfADhcpOnlyCameraOffersOnlyDhcp)
{
    Open(kBeta);
    struct Shown {
        bool persistentEnabled, dhcpEnabled, autoEnabled, dhcpChecked, persistentChecked, currentEnabled;
        std::string current, mask, gateway, title;
    } shown{};
    ModalDriver driver("IP Configuration", {[&](HWND d) {
                           shown = {IsEnabled(d, IDC_ZELMK_MODE_PERSISTENT), IsEnabled(d, IDC_ZELMK_MODE_DHCP),
                                    IsEnabled(d, IDC_ZELMK_MODE_AUTO), IsChecked(d, IDC_ZELMK_MODE_DHCP),
                                    IsChecked(d, IDC_ZELMK_MODE_PERSISTENT), IsEnabled(d, IDC_ZELMK_CURRENT_ADDRESS),
                                    AddressText(d, IDC_ZELMK_CURRENT_ADDRESS), AddressText(d, IDC_ZELMK_CURRENT_MASK),
                                    AddressText(d, IDC_ZELMK_CURRENT_GATEWAY), TextOf(d)};
                           Press(d, IDCANCEL);
                       }});
    SpaceThenMenuChoice();
    EXPECT_TRUE(driver.AllStepsRan());
    EXPECT_FALSE(shown.persistentEnabled);
    EXPECT_TRUE(shown.dhcpEnabled);
    EXPECT_FALSE(shown.autoEnabled);
    EXPECT_TRUE(shown.dhcpChecked);
    EXPECT_FALSE(shown.persistentChecked);
    EXPECT_FALSE(shown.currentEnabled) << "the current address is shown, not edited";
    EXPECT_EQ("192.168.10.32", shown.current);
    EXPECT_EQ("255.255.255.0", shown.mask);
    EXPECT_EQ("192.168.10.1", shown.gateway);
    EXPECT_EQ("IP Configuration", shown.title);
}

TEST_F(DeviceFinder, AnUnreachableCameraIsBroughtIntoTheSubnetThroughTheIpDialog)
{
    Open(kAway, false);
    ASSERT_EQ("1/2", Icon(kAway));
    ModalDriver driver("IP Configuration", {[](HWND d) {
                                                EXPECT_TRUE(IsChecked(d, IDC_ZELMK_MODE_PERSISTENT));
                                                EXPECT_EQ("10.0.0.60", AddressText(d, IDC_ZELMK_PERSISTENT_ADDRESS));
                                                SetAddress(d, IDC_ZELMK_PERSISTENT_ADDRESS, 192, 168, 10, 64);
                                                SetAddress(d, IDC_ZELMK_PERSISTENT_GATEWAY, 192, 168, 10, 1);
                                            },
                                            [](HWND d) { Press(d, IDOK); }});
    QueueMenuChoice();
    NotifyFromList(NM_RCLICK);
    EXPECT_TRUE(driver.AllStepsRan());
    // The camera restarts its network interface, leaves the list and announces itself again.
    EXPECT_TRUE(PumpUntil([&] { return Row(kAway) >= 0 && List().GetItemText(Row(kAway), 2) == "192.168.10.64/255.255.255.0"; }));
    EXPECT_EQ("0/1", Icon(kAway)) << "reachable now";
    EXPECT_EQ(Row(kAway), List().GetSelectedRow());

    // Back where it was, for the other tests.
    MkIpSettings settings{};
    ASSERT_EQ(0u, Functions().MkCameraIpSettingsGet(kAway, &settings));
    settings.persistentAddress = 10 | 0 << 8 | 0 << 16 | 60u << 24;
    settings.persistentGateway = 10 | 0 << 8 | 0 << 16 | 1u << 24;
    ASSERT_EQ(0u, Functions().MkCameraIpSettingsChange(kAway, &settings));
    EXPECT_TRUE(PumpUntil([] { return Sim("list").find("restarting") == std::string::npos; }));
}

TEST_F(DeviceFinder, IpSettingsThatCannotBeReadOrWrittenAreReported)
{
    Open(kAlpha);
    MessageBoxRecorder boxes;
    ASSERT_EQ("ok", Sim("fail MkCameraIpSettingsGet 6 once"));
    {
        ModalDriver driver("IP Configuration", {});
        SpaceThenMenuChoice();
    }
    ASSERT_EQ("ok", Sim("fail MkCameraIpSettingsChange 4 once"));
    {
        ModalDriver driver("IP Configuration", {[](HWND d) { Press(d, IDOK); }});
        SpaceThenMenuChoice();
        EXPECT_TRUE(driver.AllStepsRan());
    }
    EXPECT_EQ((std::vector<std::string>{"Cannot get IP settings from camera", "Cannot write IP settings to camera"}), boxes.texts);
    EXPECT_EQ("0/1", Icon(kAlpha));
    EXPECT_EQ("192.168.10.31/255.255.255.0", List().GetItemText(Row(kAlpha), 2)) << "nothing was written";
}

} // namespace
