// The grabber's choice of camera through the device finder: not initialised,
// a camera chosen (and the list built again when a link event made it stale),
// and Cancel.
#include "dialog_fixture.h"

#include "FramixZelmkAPIClass.h"
#include "UnifiedCamera.h"
#include "config_store/IniFile.h"
#include "zelmk_dialogs/ZelmkAPIDeviceFinderDialog.h"

#include <memory>

namespace {

using namespace dialogs_test;

DWORD NoWait(HANDLE, DWORD) { return WAIT_TIMEOUT; }

// Selects the camera's row in the finder, as a click does, and reports what was selected before.
ModalDriver::Step SelectRow(uint32_t id, uint32_t* before)
{
    return [id, before](HWND d) {
        HWND list = ::GetDlgItem(d, IDC_ZELMK_CAMERA_LIST);
        const int selected = static_cast<int>(::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = selected;
        if (selected >= 0 && ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) *before = static_cast<uint32_t>(item.lParam);
        LVFINDINFOA find{};
        find.flags = LVFI_PARAM;
        find.lParam = id;
        const int row = static_cast<int>(::SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
        LVITEMA state{};
        state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    };
}

// The list's choice (a double click).
void Choose(HWND d) { ::SendMessageA(d, CZelmkAPIDeviceFinderDialog::kListMessage, 0, 0); }

class SelectCamera : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Api().IsValid());
        m_store.reset(CreateIniFile(INIKIND_MEM));
        m_grabber = std::make_unique<CFramixZelmkAPIClass>(::GetModuleHandleA(nullptr), &Api());
        m_grabber->InitMembers();
        m_grabber->SetGrabberIni(m_store.get(), 0);
        m_grabber->SetLinkWait(&NoWait);
    }
    void TearDown() override
    {
        m_grabber.reset();
        for (uint32_t id : {kAlpha, kBeta, kFar, kAway}) Sim("plug " + std::to_string(id));
    }
    int64_t IndexOf(uint32_t id) { return m_grabber->GetCameraIndexByCameraUniqueID(id); }

    struct StoreDeleter {
        void operator()(CIniFile* store) const { DeleteIniFile(store); }
    };
    std::unique_ptr<CIniFile, StoreDeleter> m_store;
    std::unique_ptr<CFramixZelmkAPIClass> m_grabber;
};

TEST_F(SelectCamera, NotInitialisedSaysSo)
{
    MessageBoxRecorder boxes;
    int32_t exitCode = -1;
    EXPECT_EQ(UG_ERR_NOT_INITIALIZED, m_grabber->SelectCameraDialog(nullptr, &exitCode));
    EXPECT_EQ(std::vector<std::string>{"FramixZelmkAPI has not been properly initalized!"}, boxes.texts);
    EXPECT_EQ(-1, exitCode) << "no choice was offered";
}

TEST_F(SelectCamera, TheCameraChosenBecomesActiveAndCancelKeepsIt)
{
    ASSERT_EQ(UG_OK, m_grabber->Init());
    m_grabber->SetSelectedUniqueId(kAlpha);
    uint32_t preselected = 0;
    {
        ModalDriver driver("Device Finder", {SelectRow(kBeta, &preselected), Choose});
        int32_t exitCode = -1;
        EXPECT_EQ(UG_OK, m_grabber->SelectCameraDialog(nullptr, &exitCode));
        EXPECT_TRUE(driver.AllStepsRan());
        EXPECT_EQ(1, exitCode);
    }
    EXPECT_EQ(kAlpha, preselected) << "the grabber's camera is selected when the finder opens";
    EXPECT_EQ(kBeta, m_grabber->GetSelectedUniqueId());
    ASSERT_GE(IndexOf(kBeta), 0);
    EXPECT_EQ(IndexOf(kBeta), m_grabber->GetActCameraIndex());

    {
        ModalDriver driver("Device Finder", {SelectRow(kAlpha, &preselected), [](HWND d) { Press(d, IDCANCEL); }});
        int32_t exitCode = -1;
        EXPECT_EQ(UG_OK, m_grabber->SelectCameraDialog(nullptr, &exitCode));
        EXPECT_TRUE(driver.AllStepsRan());
        EXPECT_EQ(0, exitCode);
    }
    EXPECT_EQ(kBeta, preselected);
    EXPECT_EQ(kBeta, m_grabber->GetSelectedUniqueId()) << "Cancel changes nothing";
    EXPECT_EQ(IndexOf(kBeta), m_grabber->GetActCameraIndex());
}

TEST_F(SelectCamera, EnterInTheListChoosesInTheModalLoop)
{
    ASSERT_EQ(UG_OK, m_grabber->Init());
    uint32_t preselected = 0;
    // The system's own dialog loop asks the list whether it wants Enter.
    ModalDriver driver("Device Finder", {SelectRow(kFar, &preselected), [](HWND d) {
                                             HWND list = ::GetDlgItem(d, IDC_ZELMK_CAMERA_LIST);
                                             ::SetFocus(list);
                                             ::PostMessageA(list, WM_KEYDOWN, VK_RETURN, 1);
                                         }});
    int32_t exitCode = -1;
    EXPECT_EQ(UG_OK, m_grabber->SelectCameraDialog(nullptr, &exitCode));
    EXPECT_TRUE(driver.AllStepsRan());
    EXPECT_EQ(1, exitCode);
    EXPECT_EQ(kFar, m_grabber->GetSelectedUniqueId());
    EXPECT_EQ(-1, m_grabber->GetActCameraIndex()) << "a camera out of reach is not in the grabber's list";
}

TEST_F(SelectCamera, AListMadeStaleByALinkEventIsBuiltAgain)
{
    ASSERT_EQ(UG_OK, m_grabber->Init());
    ASSERT_GE(IndexOf(kAlpha), 0);
    ASSERT_EQ("ok", Sim("unplug 601"));
    ASSERT_TRUE(PumpUntil([&] { return !m_grabber->IsCameraListValid(); }));
    uint32_t preselected = 0;
    ModalDriver driver("Device Finder", {SelectRow(kBeta, &preselected), Choose});
    int32_t exitCode = -1;
    EXPECT_EQ(UG_OK, m_grabber->SelectCameraDialog(nullptr, &exitCode));
    EXPECT_EQ(1, exitCode);
    EXPECT_TRUE(m_grabber->IsCameraListValid());
    EXPECT_EQ(-1, IndexOf(kAlpha)) << "the list was built again, without the camera that went";
    ASSERT_GE(IndexOf(kBeta), 0);
    EXPECT_EQ(IndexOf(kBeta), m_grabber->GetActCameraIndex());
}

} // namespace
