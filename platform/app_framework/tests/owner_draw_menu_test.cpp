// Owner-drawn menu items: the owner window's measuring and drawing requests reach the CMenu object of the item's menu.
#include <gtest/gtest.h>

#include "test_ids.h"
#include "app_framework_testing/message_tests.h"

namespace {

using Calls = std::vector<std::string>;

constexpr UINT kTitleId = 0;
constexpr UINT kSettingsId = 1;
constexpr UINT kMeasuredWidth = 140;
constexpr UINT kMeasuredHeight = 23;

class CRecordingMenu : public CMenu {
public:
    Calls calls;
    std::vector<CRect> drawnRects;
    ULONG_PTR title = 0x7177;

    void MeasureItem(LPMEASUREITEMSTRUCT item) override
    {
        calls.push_back("measure " + std::to_string(item->itemID) + (item->itemData == title ? " title" : ""));
        item->itemWidth = kMeasuredWidth;
        item->itemHeight = kMeasuredHeight;
    }
    void DrawItem(LPDRAWITEMSTRUCT item) override
    {
        calls.push_back("draw " + std::to_string(item->itemID) + ((item->itemState & ODS_GRAYED) ? " grayed" : ""));
        drawnRects.push_back(item->rcItem);
        ::FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    void AddTitle() { AppendMenu(MF_OWNERDRAW | MF_DISABLED | MF_GRAYED, kTitleId, reinterpret_cast<const char*>(title)); }
};

// Owners: a dialog without entries of its own, and one whose own handlers
// look at the request and then leave it to the framework's default.
class CPlainOwner : public CDialog {
public:
    CPlainOwner() : CDialog(IDD_PANE_HOST) {}
};

class CHandlingOwner : public CDialog {
public:
    CHandlingOwner() : CDialog(IDD_PANE_HOST) {}
    Calls seen;

protected:
    void OnMeasureItem(int id, LPMEASUREITEMSTRUCT item)
    {
        seen.push_back("owner measure " + std::to_string(item->CtlType));
        CDialog::OnMeasureItem(id, item);
    }
    void OnDrawItem(int id, LPDRAWITEMSTRUCT item)
    {
        seen.push_back("owner draw " + std::to_string(item->CtlType));
        CDialog::OnDrawItem(id, item);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHandlingOwner, CDialog)
    ON_WM_MEASUREITEM()
    ON_WM_DRAWITEM()
END_MESSAGE_MAP()

// Runs the pop-up non-interactively: the keys are queued before the menu's
// own loop starts, which takes them as the user's.
UINT trackWithKeys(CMenu& menu, CWnd& owner, std::initializer_list<WPARAM> keys)
{
    for (WPARAM key : keys)
        ::PostMessageA(owner.m_hWnd, WM_KEYDOWN, key, 0);
    CRect at;
    owner.GetWindowRect(&at);
    return static_cast<UINT>(
        menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RETURNCMD | TPM_NONOTIFY, at.left + 20, at.top + 20, &owner));
}

template <class Owner>
void checkOwnerDrawnTitle(Owner& owner)
{
    ASSERT_TRUE(owner.Create(IDD_PANE_HOST)); // hidden: the pop-up shows by itself
    PumpPending();
    CRecordingMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AddTitle();
    menu.AppendMenu(MF_STRING, kSettingsId, "IP Address Settings");
    EXPECT_EQ(CMenu::FromHandlePermanent(menu.m_hMenu), &menu);

    UINT chosen = trackWithKeys(menu, owner, {VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ(chosen, kSettingsId) << ::testing::PrintToString(menu.calls);
    ASSERT_FALSE(menu.calls.empty());
    EXPECT_EQ(menu.calls.front(), "measure 0 title");
    EXPECT_NE(std::find(menu.calls.begin(), menu.calls.end(), "draw 0 grayed"), menu.calls.end());
    ASSERT_FALSE(menu.drawnRects.empty());
    EXPECT_EQ(static_cast<UINT>(menu.drawnRects.front().Height()), kMeasuredHeight);
    EXPECT_GE(static_cast<UINT>(menu.drawnRects.front().Width()), kMeasuredWidth);
}

TEST(OwnerDrawnMenu, ItemsOfAHeldMenuAreMeasuredAndDrawnByItsObject)
{
    CPlainOwner owner;
    checkOwnerDrawnTitle(owner);
}

TEST(OwnerDrawnMenu, AnOwnerHandlerThatCallsItsBaseStillReachesTheMenu)
{
    CHandlingOwner owner;
    checkOwnerDrawnTitle(owner);
    ASSERT_GE(owner.seen.size(), 2u);
    EXPECT_EQ(owner.seen.front(), "owner measure " + std::to_string(ODT_MENU));
    EXPECT_NE(std::find(owner.seen.begin(), owner.seen.end(), "owner draw " + std::to_string(ODT_MENU)), owner.seen.end());
}

TEST(OwnerDrawnMenu, MeasuringFindsTheItemOfAHeldMenuOnly)
{
    CPlainOwner owner;
    ASSERT_TRUE(owner.Create(IDD_PANE_HOST));
    CRecordingMenu held;
    ASSERT_TRUE(held.CreatePopupMenu());
    held.AddTitle();
    struct Case {
        const char* what;
        UINT ctlType;
        ULONG_PTR data;
        bool reachesMenu;
    };
    const Case cases[] = {{"the held menu's item", ODT_MENU, held.title, true},
                          {"another item data", ODT_MENU, 0x1234, false},
                          {"a control's item", ODT_BUTTON, held.title, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MEASUREITEMSTRUCT measure{c.ctlType, 0, kTitleId, 10, 10, c.data};
        owner.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
        EXPECT_EQ(measure.itemWidth, c.reachesMenu ? kMeasuredWidth : 10u);
    }
    HMENU handle = held.Detach();
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, kTitleId, 10, 10, held.title};
    owner.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(measure.itemWidth, 10u) << "a detached object no longer gets its items";
    CMenu other, second;
    EXPECT_TRUE(other.Attach(handle));
    EXPECT_EQ(CMenu::FromHandlePermanent(handle), &other);
    EXPECT_FALSE(second.Attach(handle)) << "one object per menu";
}

} // namespace
