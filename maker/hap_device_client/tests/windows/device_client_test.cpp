// The device-client base: dialog creation, the closed event, ownership of the
// dialog object and the device hand-over, driven by window messages.
#include "KIVDeviceClient.h"
#include "KIVDialog.h"
#include "test_dialog_ids.h"

#include "app_framework_testing/message_tests.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

struct Counters {
    int constructed = 0;
    int deleted = 0;
    int windowsDestroyed = 0;
};

class TestDialog : public CKIVDialog {
public:
    explicit TestDialog(Counters& counters) : CKIVDialog(IDD_TEST_CLIENT_DIALOG), counters_(counters)
    {
        ++counters_.constructed;
    }
    ~TestDialog() override { ++counters_.deleted; }

protected:
    void OnDestroy()
    {
        ++counters_.windowsDestroyed; // the derived dialog's own handler must still run
        CKIVDialog::OnDestroy();
    }
    DECLARE_MESSAGE_MAP()

private:
    Counters& counters_;
};

BEGIN_MESSAGE_MAP(TestDialog, CKIVDialog)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

class TestClient : public CKIVDeviceClient {
public:
    bool withDialog = true;
    int createCalls = 0;
    Counters own;
    Counters* counters = &own; // may point outside, to outlive the client

    unsigned long GetObjType() override { return 0x7E57; }
    CKIVDialog* CreateDialogObject(HWND) override
    {
        ++createCalls;
        return withDialog ? new TestDialog(*counters) : nullptr;
    }
};

// Receives the dialog events; an optional action runs inside the callback.
struct EventLog {
    std::vector<unsigned long> events;
    std::function<void()> inside;

    static int Callback(_TKIV_DLGEVENTDATA* data, unsigned long event)
    {
        auto* log = static_cast<EventLog*>(data->context);
        log->events.push_back(event);
        if (log->inside)
            log->inside();
        return 1;
    }
    void Register(CKIVDeviceClient& client)
    {
        _TKIV_DLGEVENTDATA data = {&EventLog::Callback, this, nullptr, nullptr, 0};
        client.SetDlgEventData(&data);
        data.context = nullptr; // the client must have kept its own copy
    }
};

HWND DialogWindow(CKIVDeviceClient& client)
{
    return client.GetDialog() ? client.GetDialog()->GetSafeHwnd() : nullptr;
}

TEST(DeviceClient, ShowCreatesTheDialogOnceAndShowsIt)
{
    TestClient client;
    EXPECT_EQ(0, client.IsNonModalDialogOpen());
    ASSERT_EQ(EKIV_ERR_OK, client.ShowDialogNonModal(nullptr));
    HWND window = DialogWindow(client);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(1, client.IsNonModalDialogOpen());

    ASSERT_EQ(EKIV_ERR_OK, client.ShowDialogNonModal(nullptr));
    EXPECT_EQ(1, client.createCalls) << "an open dialog must be reused, not created again";
    EXPECT_EQ(window, DialogWindow(client));
}

TEST(DeviceClient, WithoutDialogShowReportsNotSupported)
{
    TestClient client;
    client.withDialog = false;
    EXPECT_EQ(EKIV_ERR_NOT_SUPPORTED, client.ShowDialogNonModal(nullptr));
    EXPECT_EQ(0, client.IsNonModalDialogOpen());
    EXPECT_EQ(nullptr, client.GetDialog());
}

TEST(DeviceClient, ClosingTheWindowSignalsAndKeepsTheObjectUntilReplaced)
{
    struct Case {
        const char* how;
        UINT message;
        WPARAM wParam;
    } cases[] = {
        {"close box", WM_CLOSE, 0},
        {"Cancel", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)},
        {"OK", WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.how);
        TestClient client;
        EventLog log;
        log.Register(client);
        ASSERT_EQ(EKIV_ERR_OK, client.ShowDialogNonModal(nullptr));
        HWND window = DialogWindow(client);

        SendMessageA(window, k.message, k.wParam, 0);
        PumpPending(Pump::Plain); // the host's loop: no framework pre-translation
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(0, client.IsNonModalDialogOpen());
        EXPECT_EQ(std::vector<unsigned long>{KIV_DLGEVENT_CLOSED}, log.events);
        EXPECT_EQ(1, client.counters->windowsDestroyed);
        EXPECT_EQ(0, client.counters->deleted) << "the client owns the object until it lets it go";
        ASSERT_NE(nullptr, client.GetDialog());

        // Showing again starts a fresh dialog; the old object goes.
        ASSERT_EQ(EKIV_ERR_OK, client.ShowDialogNonModal(nullptr));
        EXPECT_EQ(2, client.createCalls);
        EXPECT_EQ(1, client.counters->deleted);
        EXPECT_EQ(1, client.IsNonModalDialogOpen());

        EXPECT_EQ(EKIV_ERR_OK, client.CloseDialogNonModal());
        EXPECT_EQ(2, client.counters->deleted);
        EXPECT_EQ(2, client.counters->windowsDestroyed);
        EXPECT_EQ(nullptr, client.GetDialog());
        EXPECT_EQ((std::vector<unsigned long>{KIV_DLGEVENT_CLOSED, KIV_DLGEVENT_CLOSED}), log.events);
        EXPECT_EQ(EKIV_ERR_OK, client.CloseDialogNonModal()) << "closing twice is harmless";
    }
}

TEST(DeviceClient, HostMayCloseOrReleaseTheClientInsideTheCallback)
{
    {
        TestClient client;
        EventLog log;
        log.inside = [&] { client.CloseDialogNonModal(); };
        log.Register(client);
        ASSERT_EQ(EKIV_ERR_OK, client.ShowDialogNonModal(nullptr));
        SendMessageA(DialogWindow(client), WM_CLOSE, 0, 0);
        PumpPending(Pump::Plain);
        EXPECT_EQ(nullptr, client.GetDialog());
        EXPECT_EQ(1, client.counters->deleted);
        EXPECT_EQ(1u, log.events.size());
    }
    {
        Counters counters;
        auto* client = new TestClient;
        client->counters = &counters;
        EventLog log;
        log.inside = [&] { delete client; };
        log.Register(*client);
        ASSERT_EQ(EKIV_ERR_OK, client->ShowDialogNonModal(nullptr));
        HWND window = DialogWindow(*client);
        SendMessageA(window, WM_CLOSE, 0, 0);
        PumpPending(Pump::Plain);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(1, counters.deleted) << "the dialog goes with its client";
        EXPECT_EQ(1u, log.events.size());
    }
}

TEST(DeviceClient, ReleasingTheClientClosesTheWindowWithoutCallingTheHost)
{
    auto* client = new TestClient;
    EventLog log;
    log.Register(*client);
    ASSERT_EQ(EKIV_ERR_OK, client->ShowDialogNonModal(nullptr));
    HWND window = DialogWindow(*client);
    delete client;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(log.events.empty());
}

TEST(DeviceClient, TheDialogSeesTheConnectedDevice)
{
    TestClient client;
    auto* device = reinterpret_cast<CHapDeviceComm_0*>(0x1000); // only compared, never called
    EXPECT_EQ(EKIV_ERR_OK, client.Connect(device));
    ASSERT_EQ(EKIV_ERR_OK, client.ShowDialogNonModal(nullptr));
    EXPECT_EQ(device, client.GetDialog()->GetDeviceComm());
    client.Connect(nullptr);
    EXPECT_EQ(nullptr, client.GetDialog()->GetDeviceComm()) << "a later Connect reaches the open dialog";
}

} // namespace
