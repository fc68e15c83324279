// FramixHost's commands.
#include "HostRunner.h"

#include "CmdChannel.h"
#include "PngWriter.h"
#include "UnifiedCamera.h"
#include "UnifiedGfxMode.h"

#include "framix_core/CEscape.h"
#include "mk_api/MkApi.h"
#include "win32/lean_windows.h"
#include "win32/module.h"

#include "app_framework/afx.h"

#include <atomic>
#include <cstdarg>
#include <functional>
#include <cstdio>
#include <string>
#include <vector>

namespace {

uint64_t Number(const std::string& text)
{
    return framix::ParseNumber(text).value_or(0);
}

std::string Format(const char* format, ...)
{
    char text[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string Address(uint32_t a)
{
    // Network order: the first octet in the lowest byte.
    return Format("%u.%u.%u.%u", a & 0xFF, (a >> 8) & 0xFF, (a >> 16) & 0xFF, a >> 24);
}

// The camera library the grabber loaded into this process, when there is one.
HMODULE CameraLibrary()
{
    return GetModuleHandleA("mkApi.dll");
}

typedef uint32_t(MKAPI_CALL* CameraInfoFn)(uint32_t, struct MkCameraInfo*, uint32_t);
typedef uint32_t(MKAPI_CALL* IpSettingsFn)(uint32_t, struct MkIpSettings*);

struct FrameWait {
    std::atomic<uint64_t> frames{0};
    HANDLE event = nullptr;
    uint64_t wanted = 0;
    LARGE_INTEGER last{};
    static void Callback(void* context, uint64_t, uint32_t)
    {
        auto* w = static_cast<FrameWait*>(context);
        QueryPerformanceCounter(&w->last);
        if (++w->frames >= w->wanted)
            SetEvent(w->event);
    }
};

// Messages of the dialogs the grabber shows, until the condition holds.
void PumpWhile(const std::function<bool()>& condition)
{
    MSG msg;
    while (condition()) {
        const DWORD woke = MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
        if (woke == WAIT_FAILED)
            return;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return;
            if (!AfxPreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
}

} // namespace

void HostOutput::Line(const std::string& text)
{
    std::lock_guard<std::mutex> guard(lock_);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void HostOutput::Log(int level, const char* text)
{
    if (quiet_)
        return;
    Line("[" + std::to_string(level) + "] " + (text ? text : ""));
}

void HostOutput::LogCallback(void* context, int level, const char* text)
{
    static_cast<HostOutput*>(context)->Log(level, text);
}

int HostRunner::Run(const std::vector<framix::HostCommand>& commands)
{
    for (const auto& command : commands) {
        UG_ERRCODE result = UG_ERR_EXCEPTION;
        try {
            result = Execute(command);
        } catch (...) {
        }
        if (result != UG_OK) {
            out_.Line("FAILED: " + command.name + ": code " + std::to_string(result));
            return command.name == "init" ? kExitNotLoaded : kExitCommandFailed;
        }
    }
    return kExitOk;
}

UG_ERRCODE HostRunner::Execute(const framix::HostCommand& c)
{
    const std::string& n = c.name;
    const auto arg = [&](size_t i) { return i < c.args.size() ? c.args[i] : std::string(); };
    if (n == "init")
        return g_.Init();
    if (n == "cameras")
        return Cameras();
    if (n == "select") {
        const int64_t index = g_.GetCameraIndexByCameraUniqueID(static_cast<uint32_t>(Number(arg(0))));
        if (index < 0) {
            out_.Line("select: no camera with unique id " + arg(0));
            return UG_ERR_NOT_FOUND;
        }
        const UG_ERRCODE r = g_.SetActCameraIndex(index);
        if (r == UG_OK)
            out_.Line(Format("select: camera %lld", static_cast<long long>(index)));
        return r;
    }
    if (n == "open") {
        const UG_ERRCODE r = g_.OpenActCamera();
        if (r == UG_ERR_NO_ACTIVE_CAMERA)
            out_.Line("open: no camera is active: choose one with select UID (cameras lists the ids), "
                      "or name it in the grabber's configuration");
        return r;
    }
    if (n == "close")
        return g_.CloseActCamera();
    if (n == "rescan")
        return g_.RescanCameras();
    if (n == "snap") {
        const int32_t type = static_cast<int32_t>(Number(arg(0)));
        return Snap(type, c.args.size() > 1 ? Number(arg(1)) : (type == UG_SNAP_CONTINUOUS ? 10 : 1));
    }
    if (n == "stop")
        return g_.StopSnap();
    if (n == "save")
        return Save(arg(0));
    if (n == "param")
        return Param(c);
    if (n == "limits")
        return Limits(static_cast<uint32_t>(Number(arg(0))));
    if (n == "timer")
        return Timer(c);
    if (n == "channel")
        return Channel(static_cast<uint32_t>(Number(arg(0))));
    if (n == "port") {
        CCmdChannel* channel = g_.GetActCmdChannel();
        if (!channel)
            return UG_ERR_NO_CMD_CHANNEL;
        channel->SetCmdName(arg(0).c_str());
        out_.Line(std::string("port: ") + channel->GetCmdName());
        return UG_OK;
    }
    if (n == "cmdopen")
        return g_.CMDOpen();
    if (n == "cmdclose")
        return g_.CMDClose();
    if (n == "write")
        return Write(arg(0));
    if (n == "read")
        return Read(c.args.empty() ? 100 : static_cast<uint32_t>(Number(arg(0))));
    if (n == "purge")
        return g_.CMDPurge(static_cast<uint32_t>(Number(arg(0))));
    if (n == "dialog")
        return Dialog(arg(0));
    if (n == "sim")
        return Sim(c);
    return UG_ERR_NOT_SUPPORTED;
}

UG_ERRCODE HostRunner::Cameras()
{
    HMODULE library = CameraLibrary();
    const auto info = win32::BindExport<CameraInfoFn>(library, "MkCameraInfoEx");
    const auto ip = win32::BindExport<IpSettingsFn>(library, "MkCameraIpSettingsGet");
    const int64_t count = g_.GetNumCameras();
    out_.Line(Format("cameras: %lld", static_cast<long long>(count)));
    for (int64_t i = 0; i < count; ++i) {
        CUnifiedCamera* camera = g_.GetCamera(i);
        if (!camera)
            break;
        const uint32_t uid = camera->GetCameraUniqueID();
        // What the framework does not hold comes from the camera library, when one is loaded.
        std::string serial = "-", reachable = "-", address = "-";
        struct MkCameraInfo record {};
        if (info && info(uid, &record, sizeof record) == 0) {
            record.serialNumber[sizeof record.serialNumber - 1] = 0;
            serial = record.serialNumber;
            reachable = record.permittedAccess ? "yes" : "no";
            address = Address(record.address);
            MkIpSettings settings{};
            if (ip && ip(uid, &settings) == 0)
                address += "/" + Address(settings.currentMask);
        }
        out_.Line(Format("%lld: %u \"%s\" serial %s reachable %s address %s%s", static_cast<long long>(i), uid,
                         camera->GetCameraName(), serial.c_str(), reachable.c_str(), address.c_str(),
                         i == g_.GetActCameraIndex() ? " (active)" : ""));
    }
    return UG_OK;
}

UG_ERRCODE HostRunner::Snap(int32_t type, uint64_t frames)
{
    if (!g_.AreBuffersReady()) {
        const UG_ERRCODE prepared = g_.PrepareFrameBuffers();
        if (prepared != UG_OK)
            return prepared;
    }
    FrameWait wait;
    wait.wanted = frames == 0 ? 1 : frames;
    wait.event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!wait.event)
        return UG_ERR_FAILED;
    g_.InstPostProcessCallBack(&FrameWait::Callback, &wait);
    LARGE_INTEGER frequency, start;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    wait.last = start;
    UG_ERRCODE result = g_.Snap(type);
    if (result == UG_OK && (type == UG_SNAP_CONTINUOUS || type == UG_SNAP_ASYNC_SINGLE)) {
        // Bounded: 5 s and 100 ms per frame, at most 60 s.
        const uint64_t limit = 5000 + 100 * wait.wanted;
        const DWORD ms = limit > 60000 ? 60000 : static_cast<DWORD>(limit);
        if (WaitForSingleObject(wait.event, ms) != WAIT_OBJECT_0) {
            out_.Line(Format("snap: %llu of %llu frames within %lu ms", static_cast<unsigned long long>(wait.frames.load()),
                             static_cast<unsigned long long>(wait.wanted), ms));
            result = UG_ERR_ACQUISITION_FAILED;
        }
        const UG_ERRCODE stopped = g_.StopSnap();
        if (result == UG_OK)
            result = stopped;
    }
    g_.InstPostProcessCallBack(nullptr, nullptr);
    const uint64_t received = wait.frames.load();
    const double seconds = double(wait.last.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    uint64_t counted = 0;
    std::string lost = "unknown";
    if (g_.GetGrabberParam(UG_FEATURE_FRAME_COUNTER, &counted, nullptr) == UG_OK)
        lost = std::to_string(counted > received ? counted - received : 0);
    if (result == UG_OK || received > 0)
        out_.Line(Format("snap: frames received %llu, frames per second %.1f, frames lost %s",
                         static_cast<unsigned long long>(received), seconds > 0 ? double(received) / seconds : 0.0,
                         lost.c_str()));
    CloseHandle(wait.event);
    return result;
}

UG_ERRCODE HostRunner::Save(const std::string& file)
{
    uint64_t index = 0;
    UG_ERRCODE r = g_.GetLastFilledBuffer(&index);
    if (r != UG_OK)
        return r;
    CUnifiedCamera* camera = g_.GetActCamera();
    CUnifiedGfxMode* mode = camera ? camera->GetActGfxMode() : nullptr;
    if (!mode)
        return UG_ERR_NO_GFXMODE;
    FrameImage image;
    image.pixels = g_.GetFrameBuffer(index);
    image.width = mode->GetxRes();
    image.height = mode->GetyRes();
    image.components = mode->GetNumComponents();
    image.allocatedBits = mode->GetAllocatedBitPerComponent();
    image.colorCoding = mode->GetColorCoding();
    if (!image.pixels)
        return UG_ERR_NO_FILLED_BUFFER;
    const std::string error = WritePng(file, image);
    if (!error.empty()) {
        out_.Line("save: " + file + ": " + error);
        return UG_ERR_FAILED;
    }
    out_.Line(Format("save: buffer %llu, %u x %u, to %s", static_cast<unsigned long long>(index), image.width, image.height,
                     file.c_str()));
    return UG_OK;
}

UG_ERRCODE HostRunner::Param(const framix::HostCommand& c)
{
    const uint32_t feature = static_cast<uint32_t>(Number(c.args[0]));
    uint64_t v1 = 0, v2 = 0;
    UG_ERRCODE r;
    if (c.args.size() > 1) {
        r = g_.SetGrabberParam(feature, Number(c.args[1]), c.args.size() > 2 ? Number(c.args[2]) : 0);
        out_.Line(Format("param %u set: code %u", feature, r));
        if (r != UG_OK)
            return r;
    }
    r = g_.GetGrabberParam(feature, &v1, &v2);
    out_.Line(Format("param %u: code %u, values %llu %llu (signed %lld %lld)", feature, r, static_cast<unsigned long long>(v1),
                     static_cast<unsigned long long>(v2), static_cast<long long>(v1), static_cast<long long>(v2)));
    return r;
}

UG_ERRCODE HostRunner::Limits(uint32_t feature)
{
    uint64_t min1 = 0, max1 = 0, min2 = 0, max2 = 0;
    const UG_ERRCODE r = g_.GetGrabberParamLimits(feature, &min1, &max1, &min2, &max2);
    out_.Line(Format("limits %u: code %u, value1 %lld..%llu, value2 %lld..%llu", feature, r, static_cast<long long>(min1),
                     static_cast<unsigned long long>(max1), static_cast<long long>(min2), static_cast<unsigned long long>(max2)));
    return r;
}

UG_ERRCODE HostRunner::Timer(const framix::HostCommand& c)
{
    if (c.args.size() == 2) {
        const UG_ERRCODE r = g_.SetTimerPeriod(Number(c.args[0]), Number(c.args[1]));
        if (r != UG_OK)
            return r;
    }
    uint64_t first = 0, second = 0;
    const UG_ERRCODE r = g_.GetTimerPeriod(&first, &second);
    if (r == UG_OK)
        out_.Line(Format("timer: first %llu us, second %llu us", static_cast<unsigned long long>(first),
                         static_cast<unsigned long long>(second)));
    return r;
}

UG_ERRCODE HostRunner::Channel(uint32_t type)
{
    if (type >= g_.GetNumCmdChannelTypes()) {
        out_.Line(Format("channel: the grabber has %u channel types", g_.GetNumCmdChannelTypes()));
        return UG_ERR_OUT_OF_RANGE;
    }
    CCmdChannel* channel = g_.CreateCmdChannel(type);
    if (!channel)
        return UG_ERR_NOT_SUPPORTED;
    UG_ERRCODE r = g_.AddCmdChannel(channel, type);
    if (r != UG_OK) {
        g_.DeleteCmdChannel(channel);
        return r;
    }
    r = g_.SetActCmdChannelIndex(g_.GetNumCmdChannels() - 1);
    out_.Line(Format("channel %lld: %s", static_cast<long long>(g_.GetActCmdChannelIndex()), channel->GetTypeName()));
    return r;
}

UG_ERRCODE HostRunner::Write(const std::string& text)
{
    const auto bytes = framix::Unescape(text);
    if (!bytes)
        return UG_ERR_PARAMETER; // checked before the run; kept for safety
    uint64_t written = 0;
    const UG_ERRCODE r = g_.CMDWriteBuffer(bytes->data(), bytes->size(), &written);
    out_.Line(Format("write: %llu bytes", static_cast<unsigned long long>(written)));
    return r;
}

UG_ERRCODE HostRunner::Read(uint32_t milliseconds)
{
    std::string got;
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        char buffer[4096];
        uint64_t n = 0;
        const UG_ERRCODE r = g_.CMDReadBuffer(buffer, sizeof buffer, &n);
        if (r != UG_OK)
            return r;
        got.append(buffer, static_cast<size_t>(n));
        if (GetTickCount64() >= deadline)
            break;
        if (n == 0)
            Sleep(10); // the port's own pace
    }
    out_.Line(Format("read: %u bytes \"", static_cast<unsigned>(got.size())) + framix::Escape(got) + "\"");
    return UG_OK;
}

UG_ERRCODE HostRunner::Dialog(const std::string& which)
{
    int32_t exitCode = 0;
    if (which == "finder") {
        const UG_ERRCODE r = g_.SelectCameraDialog(nullptr, &exitCode);
        if (r == UG_OK)
            out_.Line(Format("dialog finder: exit %d, active camera %lld", exitCode, static_cast<long long>(g_.GetActCameraIndex())));
        return r;
    }
    if (which == "serial") {
        const UG_ERRCODE r = g_.SelectCmdDialog(nullptr, &exitCode);
        if (r == UG_OK)
            out_.Line(Format("dialog serial: exit %d", exitCode));
        return r;
    }
    if (which == "features") {
        const UG_ERRCODE r = g_.CamCntrlDialog(nullptr);
        if (r != UG_OK)
            return r;
        // Returns when the user has closed (hidden) the dialog.
        PumpWhile([&] { return g_.IsCamCntrlDialogOpen() != 0; });
        out_.Line("dialog features: closed");
        return UG_OK;
    }
    out_.Line("dialog: unknown dialog \"" + which + "\" (finder, serial or features)");
    return UG_ERR_PARAMETER;
}

UG_ERRCODE HostRunner::Sim(const framix::HostCommand& c)
{
    const auto control = win32::BindExport<MkSimControlFn>(CameraLibrary(), "MkSimControl");
    if (!control) {
        out_.Line("sim: no camera library with a control entry point is loaded");
        return UG_ERR_NOT_SUPPORTED;
    }
    std::string line;
    for (const auto& a : c.args) line += (line.empty() ? "" : " ") + a;
    std::vector<char> reply(65536);
    const uint32_t code = control(line.c_str(), reply.data(), static_cast<uint32_t>(reply.size()));
    reply.back() = 0;
    out_.Line(Format("sim: code %u: ", code) + reply.data());
    return code;
}
