// The plug-in as the hosts reach it: its entry points, and the road through
// KIVInst.dll to the control dialog on the built-in emulated camera.
#include "DialogHarness.h"

#include "HapDeviceClientExports.h"
#include "KIVDeviceClient.h"
#include "KIVInst.h"
#include "config_store/IniFile.h"
#include "win32/module.h"

#include <string>

namespace {

// The folder of the suite's modules, beside the tests' folder.
std::string ModuleFolder()
{
    std::string folder = win32::ModulePath(nullptr);
    folder.resize(folder.find_last_of('\\'));     // ...\tests
    folder.resize(folder.find_last_of('\\') + 1); // ...\ (build folder)
    return folder + "bin\\";
}

using win32::BindExport;

TEST(PluginExports, AnswerForTheOneObjectType)
{
    win32::UniqueModule module(::LoadLibraryA((ModuleFolder() + "KIV_KL7700.dll").c_str()));
    ASSERT_TRUE(module);
    HMODULE plugin = module.get();
    auto getNum = BindExport<PFN_HapDeviceClientGetNumObj>(plugin, HAPDEVICECLIENT_EXPORT_GETNUMOBJ);
    auto getType = BindExport<PFN_HapDeviceClientGetObjType>(plugin, HAPDEVICECLIENT_EXPORT_GETOBJTYPE);
    auto getInfo = BindExport<PFN_HapDeviceClientGetObjInfo>(plugin, HAPDEVICECLIENT_EXPORT_GETOBJINFO);
    auto create = BindExport<PFN_HapDeviceClientCreateInstance>(plugin, HAPDEVICECLIENT_EXPORT_CREATEINSTANCE);
    auto destroy = BindExport<PFN_HapDeviceClientDeleteInstance>(plugin, HAPDEVICECLIENT_EXPORT_DELETEINSTANCE);
    ASSERT_TRUE(getNum && getType && getInfo && create && destroy);

    EXPECT_EQ(getNum(), 1u);
    EXPECT_EQ(getType(0), 0x10000u);
    EXPECT_EQ(getType(1), 0xFFFFFFFFu);
    struct InfoCase {
        unsigned long type, info;
        uintptr_t expected; // 1 stands for "the type name" in the name case
    };
    EXPECT_STREQ(reinterpret_cast<const char*>(getInfo(0x10000, 0)), "Sorvel SX-20 / KL-7700 Control");
    for (InfoCase c : {InfoCase{0x10000, 1, 1}, InfoCase{0x10000, 2, 0}, InfoCase{0x10001, 0, 0},
                       InfoCase{0x10001, 1, 0}, InfoCase{0, 1, 0}}) {
        SCOPED_TRACE(std::to_string(c.type) + "/" + std::to_string(c.info));
        EXPECT_EQ(getInfo(c.type, c.info), c.expected);
    }
    EXPECT_EQ(create(0), nullptr);
    destroy(nullptr);
    CKIVDeviceClient_0* client = create(0x10000);
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->GetObjType(), 0x10000u);
    destroy(client);
}

// The hosts' road: KIVInst, the communication device on "EMULATOR", the device
// client of type 0x10000, Connect and ShowDialogNonModal. The exchanges take
// their real time here (the emulator inside KIVInst runs on the system clock).
TEST(PluginThroughKIVInst, OpensTheDialogOnTheEmulatedCameraAndKeepsItsKeys)
{
    const std::string folder = ModuleFolder();
    win32::UniqueModule module(::LoadLibraryA((folder + "KIVInst.dll").c_str()));
    ASSERT_TRUE(module);
    HMODULE library = module.get();
    auto createInstance = BindExport<PFN_CreateKIVInstance>(library, "CreateKIVInstance");
    auto deleteInstance = BindExport<PFN_DeleteKIVInstance>(library, "DeleteKIVInstance");
    ASSERT_TRUE(createInstance && deleteInstance);
    CKIVInstance_0* kiv = createInstance();
    ASSERT_NE(kiv, nullptr);
    kiv->Init(folder.c_str(), "K*.*", 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(kiv->GetObjInfo(0x10000, 0)), "Sorvel SX-20 / KL-7700 Control");
    EXPECT_EQ(kiv->GetObjInfo(0x10000, 1), 1u);

    CIniFile* store = CreateIniFile(INIKIND_MEM);
    ASSERT_NE(store, nullptr);
    store->WriteString("CommDev_0", "Port", "EMULATOR");
    auto* comm = static_cast<CHapDeviceComm_0*>(kiv->CreateObj(0));
    ASSERT_NE(comm, nullptr);
    comm->SetConfigStore(store);
    comm->Init();
    EXPECT_EQ(comm->RestoreConfig(), 0);
    ASSERT_EQ(comm->Open(), 0);
    auto* client = static_cast<CKIVDeviceClient_0*>(kiv->CreateObj(0x10000));
    ASSERT_NE(client, nullptr);
    client->Connect(comm);
    EXPECT_EQ(client->ShowDialogNonModal(nullptr), 0);
    HWND dialog = ::FindWindowA(nullptr, "Sorvel SX-20 / KL-7700 Control");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(::GetDlgItem(dialog, IDC_CAMERA_NAME_TEXT)), "Sorvel SX-20B");
    EXPECT_EQ(WindowText(::GetDlgItem(dialog, IDC_VARIANT_CODE_TEXT)), "0x4000");

    // A plain message loop, as a host without the framework runs it: the
    // plug-in's hook gives Enter to the dialog, which applies the field.
    HWND page = ::FindWindowExA(::GetDlgItem(dialog, IDC_PAGES), nullptr, nullptr, nullptr);
    HWND lines = ::GetDlgItem(page, IDC_LINES_EDIT);
    ASSERT_NE(lines, nullptr);
    ::SetFocus(lines);
    ::SetWindowTextA(lines, "900");
    ::PostMessageA(lines, WM_KEYDOWN, VK_RETURN, 0);
    PumpFor(500, Pump::Plain);
    EXPECT_TRUE(::IsWindow(dialog));
    EXPECT_EQ(client->IsNonModalDialogOpen() != 0, true);
    // The rules of the number of lines ran: A may now reach 1728 - 900.
    EXPECT_EQ(WindowText(::GetDlgItem(page, IDC_FIRST_LINE_A_MAX)), " 828");

    EXPECT_EQ(client->CloseDialogNonModal(), 0);
    EXPECT_FALSE(::IsWindow(dialog));
    kiv->DeleteObj(client);
    comm->Close();
    comm->Detach();
    comm->Exit();
    kiv->DeleteObj(comm);
    DeleteIniFile(store);
    deleteInstance(kiv);
}

} // namespace
