// The communication device on Windows: the port mutex between processes, the
// emulator, TCP and serial transports, and the configuration dialog driven by
// window messages.
#include "win32/module.h"
#include "win32/unique_handle.h"
#include "win32/unique_socket.h"

#include "config_store/IniFile.h"
#include "kiv_comm_device/CKIVCommDevice.h"
#include "kiv_comm_device/CommDevice.h"
#include "kiv_comm_device/CommErrors.h"
#include "kiv_comm_device/ConfigDialogIds.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using kivinst::CreateCommDevice;

// ------------------------------------------------------------------ helpers

struct StoreDeleter {
    void operator()(CIniFile* store) const { DeleteIniFile(store); }
};
using StorePtr = std::unique_ptr<CIniFile, StoreDeleter>;
using DevicePtr = std::unique_ptr<CHapDeviceComm_0>;

std::string tempPath(const char* name)
{
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name + "." + std::to_string(GetCurrentProcessId()) + ".ini";
}

StorePtr loadStore(const std::string& path)
{
    StorePtr store(CreateIniFile(INIKIND_FAST));
    store->SetFileName(path.c_str());
    store->Load();
    return store;
}

std::string storedText(const std::string& path, const char* key)
{
    StorePtr store = loadStore(path);
    char text[128] = {};
    store->GetString("CommDev_0", key, "", text, sizeof text, nullptr);
    return text;
}

// A device on a fresh store file holding the given port.
struct Rig {
    explicit Rig(const std::string& port, const char* name = "commdev")
        : path(tempPath(name))
    {
        DeleteFileA(path.c_str());
        {
            StorePtr init = loadStore(path);
            init->WriteString("CommDev_0", "Port", port.c_str());
            init->Save();
        }
        store = loadStore(path);
        device.reset(CreateCommDevice());
        device->SetConfigStore(store.get());
        device->Init();
        restored = device->RestoreConfig();
    }
    ~Rig()
    {
        device->Detach();
        device->Exit();
        device.reset();
        store.reset();
        DeleteFileA(path.c_str());
    }
    std::string path;
    StorePtr store;
    DevicePtr device;
    int restored = -1;
};

// Reads until the prompt ">" or until the time is up; returns what came.
std::string readReply(CHapDeviceComm_0& device, DWORD limitMs = 5000)
{
    std::string text;
    const ULONGLONG deadline = GetTickCount64() + limitMs;
    while (GetTickCount64() < deadline && (text.empty() || text.back() != '>')) {
        char buffer[256];
        unsigned long count = 0;
        if (device.ReadData(buffer, sizeof buffer, &count) != 0)
            break;
        text.append(buffer, count);
    }
    return text;
}

void expectVersionReply(CHapDeviceComm_0& device)
{
    ASSERT_EQ(0, device.Purge(HAPCOMM_PURGE_RX | HAPCOMM_PURGE_TX));
    unsigned long count = 0;
    ASSERT_EQ(0, device.WriteText("V\r", &count));
    EXPECT_EQ(2u, count);
    const std::string reply = readReply(device);
    EXPECT_EQ(0u, reply.rfind("V\r", 0)) << "expected the echo first, got: " << reply;
    EXPECT_NE(std::string::npos, reply.find("Version: ")) << reply;
    EXPECT_EQ('>', reply.empty() ? 0 : reply.back()) << reply;
}

// A child process, ended at the latest when the object goes.
class Child {
public:
    explicit Child(std::string commandLine)
    {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION info{};
        started_ = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                                  &info) != FALSE;
        if (started_)
            child_ = win32::UniqueProcess(info);
    }
    ~Child()
    {
        if (!started_)
            return;
        if (WaitForSingleObject(child_.process.get(), 0) == WAIT_TIMEOUT)
            TerminateProcess(child_.process.get(), 99);
        WaitForSingleObject(child_.process.get(), 5000);
    }
    bool started() const { return started_; }
    // The exit code, or -1 when it did not end within the limit.
    long waitExit(DWORD limitMs)
    {
        if (!started_ || WaitForSingleObject(child_.process.get(), limitMs) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(child_.process.get(), &code);
        return static_cast<long>(code);
    }
    void kill()
    {
        TerminateProcess(child_.process.get(), 98);
        WaitForSingleObject(child_.process.get(), 5000);
    }

private:
    win32::UniqueProcess child_;
    bool started_ = false;
};

std::string besideThisProgram(const char* file)
{
    const std::string path = win32::ModulePath(nullptr);
    return path.substr(0, path.rfind('\\') + 1) + file;
}

class Event {
public:
    explicit Event(const std::string& name) : name_(name), handle_(CreateEventA(nullptr, TRUE, FALSE, name.c_str())) {}
    bool wait(DWORD ms) const { return WaitForSingleObject(handle_.get(), ms) == WAIT_OBJECT_0; }
    void set() const { SetEvent(handle_.get()); }
    const std::string& name() const { return name_; }

private:
    std::string name_;
    win32::UniqueKernelHandle handle_;
};

const char kEmulatorMutex[] = "Local\\Quarnel.CommDev.EMULATOR";
char ownerA, ownerB; // owner tokens: only their addresses count

// ------------------------------------------------------------------ lock

TEST(CommDeviceLock, AnotherProcessHoldingThePortKeepsTheDevice)
{
    Rig rig("EMULATOR", "lock1");
    ASSERT_EQ(0, rig.restored);
    const std::string tag = std::to_string(GetCurrentProcessId());
    Event ready("Local\\CommDevTest.Ready." + tag), release("Local\\CommDevTest.Release." + tag);
    Child holder("\"" + besideThisProgram("comm_lock_holder.exe") + "\" hold " + kEmulatorMutex + " " +
                 ready.name() + " " + release.name());
    ASSERT_TRUE(holder.started());
    ASSERT_TRUE(ready.wait(20000)) << "the helper did not take the mutex";

    EXPECT_EQ(kivinst::kCommLocked, rig.device->Lock(&ownerA, 0));
    EXPECT_EQ(kivinst::kCommLocked, rig.device->Lock(&ownerA, 500));
    EXPECT_EQ(nullptr, rig.device->GetLockOwner());

    release.set();
    ASSERT_EQ(0, holder.waitExit(20000));
    EXPECT_EQ(0, rig.device->Lock(&ownerA, 0));
    EXPECT_EQ(kivinst::kCommLocked, rig.device->Lock(&ownerB, 500)) << "a second owner in this process";
    rig.device->Unlock(&ownerA);
}

TEST(CommDeviceLock, HeldLockKeepsAnotherProcessOffThePortUntilUnlock)
{
    Rig rig("EMULATOR", "lock2");
    const std::string probe = "\"" + besideThisProgram("comm_lock_holder.exe") + "\" try " + kEmulatorMutex;
    ASSERT_EQ(0, rig.device->Lock(&ownerA, 0));
    ASSERT_EQ(0, rig.device->Lock(&ownerA, 0));
    rig.device->Unlock(&ownerA);
    EXPECT_EQ(1, Child(probe).waitExit(20000)) << "held once more after the nested unlock";
    rig.device->Unlock(&ownerA);
    EXPECT_EQ(0, Child(probe).waitExit(20000));
}

TEST(CommDeviceLock, SecondDeviceObjectOfThisProcessIsRefusedAtOnce)
{
    // The kernel would let the same thread in twice; the device must not.
    Rig first("EMULATOR", "lock4a"), second("EMULATOR", "lock4b");
    ASSERT_EQ(0, first.device->Lock(&ownerA, 0));
    EXPECT_EQ(kivinst::kCommLocked, second.device->Lock(&ownerB, 500));
    first.device->Unlock(&ownerA);
    EXPECT_EQ(0, second.device->Lock(&ownerB, 0));
    second.device->Unlock(&ownerB);
}

TEST(CommDeviceLock, MutexOfAProgramThatEndedIsTakenOver)
{
    Rig rig("EMULATOR", "lock3");
    const std::string tag = std::to_string(GetCurrentProcessId());
    Event ready("Local\\CommDevTest.Abandon." + tag);
    Child holder("\"" + besideThisProgram("comm_lock_holder.exe") + "\" abandon " + kEmulatorMutex + " " +
                 ready.name());
    ASSERT_TRUE(ready.wait(20000));
    ASSERT_EQ(0, holder.waitExit(20000));
    EXPECT_EQ(0, rig.device->Lock(&ownerA, 500));
    rig.device->Unlock(&ownerA);
}

// ------------------------------------------------------------------ transports

TEST(CommDeviceTransport, BuiltInEmulatorAnswers)
{
    Rig rig("EMULATOR", "emu");
    ASSERT_EQ(0, rig.restored);
    EXPECT_STREQ("Built-in KL-7700 emulator", rig.device->GetInfoText(HAPCOMM_INFO_PORT_DESCRIPTION, 0));
    ASSERT_EQ(0, rig.device->Open());
    EXPECT_EQ(HAPCOMM_STATE_OPEN, rig.device->GetState());
    expectVersionReply(*rig.device);
    EXPECT_EQ(0, rig.device->Close());
    EXPECT_EQ(HAPCOMM_STATE_CLOSED, rig.device->GetState());
}

uint16_t freeTcpPort()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    sockaddr_in address{};
    {
        win32::UniqueSocket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(s.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
        int length = sizeof address;
        getsockname(s.get(), reinterpret_cast<sockaddr*>(&address), &length);
    }
    WSACleanup();
    return ntohs(address.sin_port);
}

TEST(CommDeviceTransport, TcpToTheEmulatorToolAndItsEnd)
{
    const std::string tool = besideThisProgram("..\\bin\\kl7700-emu.exe");
    if (GetFileAttributesA(tool.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "kl7700-emu.exe is not built";
    const uint16_t port = freeTcpPort();
    Child server("\"" + tool + "\" --tcp " + std::to_string(port));
    ASSERT_TRUE(server.started());

    Rig rig("TCP:127.0.0.1:" + std::to_string(port), "tcp");
    ASSERT_EQ(0, rig.restored);
    EXPECT_STREQ(("127.0.0.1:" + std::to_string(port)).c_str(),
                 rig.device->GetInfoText(HAPCOMM_INFO_PORT_CONFIGURATION, 0));
    // The tool needs a moment to listen; a refused connection fails at once.
    int opened = -1;
    for (const ULONGLONG deadline = GetTickCount64() + 20000; opened != 0 && GetTickCount64() < deadline;)
        opened = rig.device->Open();
    ASSERT_EQ(0, opened) << rig.device->GetInfoText(HAPCOMM_INFO_ERROR_TEXT, opened);
    expectVersionReply(*rig.device);

    // A stream whose peer is gone is a broken port: the read says so and the port is closed.
    server.kill();
    char buffer[64];
    unsigned long count = 0;
    int result = 0;
    for (const ULONGLONG deadline = GetTickCount64() + 10000; result == 0 && GetTickCount64() < deadline;)
        result = rig.device->ReadData(buffer, sizeof buffer, &count);
    EXPECT_EQ(kivinst::kCommBroken, result);
    EXPECT_EQ(HAPCOMM_STATE_CLOSED, rig.device->GetState());
}

TEST(CommDeviceTransport, TcpPortWithoutListenerFailsToOpen)
{
    Rig rig("TCP:127.0.0.1:" + std::to_string(freeTcpPort()), "tcpclosed");
    const int result = rig.device->Open();
    EXPECT_EQ(kivinst::kCommOpenFailed, result);
    EXPECT_EQ(HAPCOMM_STATE_CLOSED, rig.device->GetState());
    EXPECT_NE(nullptr, strstr(rig.device->GetInfoText(HAPCOMM_INFO_ERROR_TEXT, result), "Cannot connect"));
}

// The port comes from the pseudo-terminal test script (a Linux emulator on a
// pseudo-terminal mapped to a Wine COM port).
TEST(CommDeviceTransport, SerialPortToTheEmulatorOnAPseudoTerminal)
{
    const char* port = std::getenv("KIV_TEST_SERIAL_PORT");
    if (!port || !*port)
        GTEST_SKIP() << "KIV_TEST_SERIAL_PORT is not set";
    Rig rig(port, "serial");
    ASSERT_EQ(0, rig.restored);
    const int opened = rig.device->Open();
    ASSERT_EQ(0, opened) << rig.device->GetInfoText(HAPCOMM_INFO_ERROR_TEXT, opened);
    EXPECT_STREQ((std::string(port) + ", 115200 Baud, 8N1").c_str(),
                 rig.device->GetInfoText(HAPCOMM_INFO_PORT_CONFIGURATION, 0));
    expectVersionReply(*rig.device);
    // A purge drops the rest of a reply that has arrived: once its first byte
    // is read the rest is there too (the camera sends a reply in one piece).
    unsigned long count = 0;
    ASSERT_EQ(0, rig.device->WriteText("a=?\r", &count));
    char first = 0;
    count = 0;
    for (const ULONGLONG deadline = GetTickCount64() + 5000; count == 0;) {
        ASSERT_LT(GetTickCount64(), deadline) << "no reply to a=?";
        ASSERT_EQ(0, rig.device->ReadChar(&first, &count));
    }
    EXPECT_EQ('a', first);
    ASSERT_EQ(0, rig.device->Purge(HAPCOMM_PURGE_RX));
    expectVersionReply(*rig.device);
}

// ------------------------------------------------------------------ dialog

// Runs steps on the configuration dialog from a thread timer while the modal
// loop runs; gives up (Cancel) when the dialog does not show up.
class DialogDriver {
public:
    using Step = std::function<void(HWND)>;
    explicit DialogDriver(std::vector<Step> steps)
    {
        steps_ = std::move(steps);
        next_ = 0;
        ticks_ = 0;
        timer_ = SetTimer(nullptr, 0, 30, &DialogDriver::onTimer);
    }
    ~DialogDriver() { KillTimer(nullptr, timer_); }
    static bool allStepsRan() { return next_ == steps_.size(); }

private:
    static BOOL CALLBACK findDialog(HWND window, LPARAM found)
    {
        if (GetDlgItem(window, IDC_COMM_COM_NUMBER)) {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog)
            return;
        if (++ticks_ > 300 || next_ >= steps_.size()) {
            EndDialog(dialog, IDCANCEL); // a way out, whatever happened
            return;
        }
        steps_[next_++](dialog);
    }

    static inline std::vector<Step> steps_;
    static inline size_t next_ = 0;
    static inline int ticks_ = 0;
    UINT_PTR timer_ = 0;
};

std::string fieldText(HWND dialog, int id)
{
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void pick(HWND dialog, int radioId)
{
    for (int id : {IDC_COMM_KIND_SERIAL, IDC_COMM_KIND_TCP, IDC_COMM_KIND_EMULATOR, IDC_COMM_KIND_GRABBER})
        CheckDlgButton(dialog, id, id == radioId ? BST_CHECKED : BST_UNCHECKED);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(radioId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, radioId)));
}

void press(HWND dialog, int buttonId)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

TEST(CommDeviceDialog, OkWritesTheChosenTcpPortAndSavesTheStore)
{
    Rig rig("COM7", "dlgok");
    std::string shownCom;
    BOOL comEnabledForTcp = TRUE;
    DialogDriver driver({
        [&](HWND d) {
            shownCom = fieldText(d, IDC_COMM_COM_NUMBER);
            pick(d, IDC_COMM_KIND_TCP);
            comEnabledForTcp = IsWindowEnabled(GetDlgItem(d, IDC_COMM_COM_NUMBER));
            SetDlgItemTextA(d, IDC_COMM_TCP_HOST, "127.0.0.1");
            SetDlgItemTextA(d, IDC_COMM_TCP_PORT, "6001");
        },
        [](HWND d) { press(d, IDOK); },
    });
    EXPECT_EQ(0, rig.device->ShowConfigDialog(nullptr));
    EXPECT_TRUE(DialogDriver::allStepsRan());
    EXPECT_EQ("7", shownCom) << "the dialog starts from the current settings";
    EXPECT_FALSE(comEnabledForTcp);
    EXPECT_EQ("TCP:127.0.0.1:6001", storedText(rig.path, "Port"));
    EXPECT_STREQ("TCP 127.0.0.1:6001", rig.device->GetInfoText(HAPCOMM_INFO_PORT_DESCRIPTION, 0));
}

TEST(CommDeviceDialog, InvalidFieldKeepsTheDialogOpenWithTheReason)
{
    Rig rig("COM1", "dlgbad");
    std::string error;
    bool stillOpen = false;
    DialogDriver driver({
        [](HWND d) {
            SetDlgItemTextA(d, IDC_COMM_COM_NUMBER, "0");
            press(d, IDOK);
        },
        [&](HWND d) {
            error = fieldText(d, IDC_COMM_ERROR);
            stillOpen = IsWindow(d) != FALSE;
            SetDlgItemTextA(d, IDC_COMM_COM_NUMBER, "12");
            SetDlgItemTextA(d, IDC_COMM_BAUD, "9600");
            SendDlgItemMessageA(d, IDC_COMM_PARITY, CB_SETCURSEL, 1, 0);    // Even
            SendDlgItemMessageA(d, IDC_COMM_STOP_BITS, CB_SETCURSEL, 2, 0); // 2
            press(d, IDOK);
        },
    });
    EXPECT_EQ(0, rig.device->ShowConfigDialog(nullptr));
    EXPECT_TRUE(DialogDriver::allStepsRan());
    EXPECT_TRUE(stillOpen);
    EXPECT_NE(std::string::npos, error.find("COM port number")) << error;
    EXPECT_EQ("COM12", storedText(rig.path, "Port"));
    EXPECT_EQ("9600", storedText(rig.path, "Baud"));
    EXPECT_EQ("E", storedText(rig.path, "Parity"));
    EXPECT_EQ("2", storedText(rig.path, "StopBits"));
    EXPECT_STREQ("COM12, 9600 Baud, 8E2", rig.device->GetInfoText(HAPCOMM_INFO_PORT_CONFIGURATION, 0));
}

TEST(CommDeviceDialog, CancelChangesNothing)
{
    Rig rig("COM3", "dlgcancel");
    DialogDriver driver({
        [](HWND d) {
            pick(d, IDC_COMM_KIND_EMULATOR);
            press(d, IDCANCEL);
        },
    });
    EXPECT_EQ(kivinst::kCommCancelled, rig.device->ShowConfigDialog(nullptr));
    EXPECT_TRUE(DialogDriver::allStepsRan());
    EXPECT_EQ("COM3", storedText(rig.path, "Port"));
    EXPECT_STREQ("COM3", rig.device->GetInfoText(HAPCOMM_INFO_PORT_DESCRIPTION, 0));
}

TEST(CommDeviceDialog, TheGrabberChannelIsOfferedBesideTheOthers)
{
    Rig rig("COM2", "dlggrabber");
    BOOL numberEnabledForSerial = TRUE, numberEnabled = FALSE, comEnabled = TRUE;
    std::string error;
    DialogDriver driver({
        [&](HWND d) {
            numberEnabledForSerial = IsWindowEnabled(GetDlgItem(d, IDC_COMM_GRABBER));
            pick(d, IDC_COMM_KIND_GRABBER);
            numberEnabled = IsWindowEnabled(GetDlgItem(d, IDC_COMM_GRABBER));
            comEnabled = IsWindowEnabled(GetDlgItem(d, IDC_COMM_COM_NUMBER));
            SetDlgItemTextA(d, IDC_COMM_GRABBER, "");
            press(d, IDOK);
        },
        [&](HWND d) {
            error = fieldText(d, IDC_COMM_ERROR);
            SetDlgItemTextA(d, IDC_COMM_GRABBER, "1");
            press(d, IDOK);
        },
    });
    EXPECT_EQ(0, rig.device->ShowConfigDialog(nullptr));
    EXPECT_TRUE(DialogDriver::allStepsRan());
    EXPECT_FALSE(numberEnabledForSerial);
    EXPECT_TRUE(numberEnabled);
    EXPECT_FALSE(comEnabled);
    EXPECT_NE(std::string::npos, error.find("grabber number")) << error;
    EXPECT_EQ("GRABBER:1", storedText(rig.path, "Port"));
    EXPECT_EQ("2", toForm(*static_cast<kivinst::CKIVCommDevice*>(rig.device.get())->config()).comNumber)
        << "the serial settings are kept for every kind";
}

// The grabber port end to end: Framix.dll from the program folder, the grabber
// plug-in FramixZelmkAPI.dll with the camera library's built-in network, and the
// KL-7700 emulator behind serial port 0 of camera 100001.
class GrabberPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetEnvironmentVariableA("MKAPI_NETWORK", nullptr);
        writeFramixIni(100001, "MKAPISERIALPORT0");
    }
    void TearDown() override
    {
        DeleteFileA(ini_.c_str());
        DeleteFileA((ini_.substr(0, ini_.size() - 4) + ".log").c_str());
    }
    void writeFramixIni(uint32_t camera, const char* port)
    {
        std::ofstream(ini_, std::ios::binary)
            << "[Framix]\r\nLogFile=\r\n[Grabber_0]\r\nFile=FramixZelmkAPI.dll\r\nUniqueId=" << camera
            << "\r\nNumCmdChannels=1\r\nCmdChannel0Type=1\r\nActCmdChannel=0\r\n[Grabber_0_CmdChannel_0]\r\nName="
            << port << "\r\nPORTNAME=" << port << "\r\nBAUD=115200\r\nPARITY=No\r\nBYTESIZE=8\r\nSTOPBITS=1\r\n";
    }
    std::unique_ptr<Rig> rig(const char* port = "GRABBER")
    {
        auto r = std::make_unique<Rig>(port, "grabberport");
        r->store->WriteString("CommDev_0", "UGIni", ini_.c_str());
        return r;
    }
    std::string ini_ = tempPath("grabber_framix");
};

TEST_F(GrabberPortTest, TheKl7700AnswersThroughTheCamerasSerialPort)
{
    auto r = rig();
    ASSERT_EQ(0, r->restored);
    char owner = 0;
    ASSERT_EQ(0, r->device->Lock(&owner, 0));
    ASSERT_EQ(0, r->device->Open()) << r->device->GetInfoText(HAPCOMM_INFO_ERROR_TEXT, kivinst::kCommOpenFailed);
    EXPECT_EQ(HAPCOMM_STATE_OPEN, r->device->GetState());
    EXPECT_STREQ("Command channel of grabber 0", r->device->GetInfoText(HAPCOMM_INFO_PORT_DESCRIPTION, 0));
    unsigned long count = 0;
    ASSERT_EQ(0, r->device->Purge(HAPCOMM_PURGE_RX | HAPCOMM_PURGE_TX));
    ASSERT_EQ(0, r->device->WriteText("V\r", &count));
    EXPECT_EQ(2u, count);
    const std::string reply = readReply(*r->device);
    EXPECT_EQ(0u, reply.rfind("V\r", 0)) << reply;
    EXPECT_NE(std::string::npos, reply.find("Sorvel")) << reply;

    // Closing ends the channel and the camera; the port opens again.
    EXPECT_EQ(0, r->device->Close());
    EXPECT_EQ(HAPCOMM_STATE_CLOSED, r->device->GetState());
    ASSERT_EQ(0, r->device->Open());
    ASSERT_EQ(0, r->device->WriteText("s=?\r", &count));
    EXPECT_NE(std::string::npos, readReply(*r->device).find("\r\n>"));
    r->device->Close();
    r->device->Unlock(&owner);
}

TEST_F(GrabberPortTest, OpenFailuresSayWhy)
{
    struct Case {
        const char* name;
        uint32_t camera;
        const char* port;
        const char* devicePort;
        bool withIni;
        const char* text;
    };
    const Case cases[] = {
        {"no UGIni", 100001, "MKAPISERIALPORT0", "GRABBER", false, "UGIni"},
        {"no such grabber", 100001, "MKAPISERIALPORT0", "GRABBER:3", true, "loads no grabber 3"},
        {"camera not on the network", 4242, "MKAPISERIALPORT0", "GRABBER", true, "no camera selected"},
        {"port the camera lacks", 100001, "MKAPISERIALPORT7", "GRABBER", true, "\"MKAPISERIALPORT7\" of the grabber 0 cannot be opened (code 18)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFramixIni(c.camera, c.port);
        auto r = std::make_unique<Rig>(c.devicePort, "grabberport");
        if (c.withIni) r->store->WriteString("CommDev_0", "UGIni", ini_.c_str());
        EXPECT_EQ(kivinst::kCommOpenFailed, r->device->Open());
        EXPECT_EQ(HAPCOMM_STATE_CLOSED, r->device->GetState());
        const std::string text = r->device->GetInfoText(HAPCOMM_INFO_ERROR_TEXT, kivinst::kCommOpenFailed);
        EXPECT_NE(std::string::npos, text.find(c.text)) << text;
    }
}

} // namespace
