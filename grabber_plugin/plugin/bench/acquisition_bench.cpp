// Acquisition through the plug-in at the simulated camera's highest rate:
// 1920 x 1200, Mono8 and Yuv422 (converted on every frame), 8 and 100 buffers.
// Prints frames per second delivered, frames lost and CPU time per frame.
#include "FramixZelmkAPIClass.h"
#include "UnifiedCamera.h"
#include "Win32BindingPlatform.h"
#include "grabber_pixel/conversions.h"
#include "win32/module.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const char kNetwork[] = "[Network]\nHostAddress=192.168.10.1\nHostMask=255.255.255.0\n"
                        "[Camera Bench]\nUniqueId=701\nAddress=192.168.10.41\nMask=255.255.255.0\nSensorWidth=1920\n"
                        "SensorHeight=1200\nPixelFormats=Mono8,Yuv422\nFrameRate=10000\n";

std::atomic<uint64_t> g_delivered{0};
void Delivered(void*, uint64_t, uint32_t) { g_delivered.fetch_add(1); }

double Seconds(const FILETIME& t) { return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7; }
double ProcessCpuSeconds()
{
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    return Seconds(kernel) + Seconds(user);
}

std::string Sim(const zelmk::CmkAPIAccess& api, const std::string& command)
{
    using Control = uint32_t(MKAPI_CALL*)(const char*, char*, uint32_t);
    const auto control = win32::BindExport<Control>(static_cast<HMODULE>(api.Module()), "MkSimControl");
    char reply[512] = {};
    return control && control(command.c_str(), reply, sizeof reply) == 0 ? reply : "";
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "zelmk_bench_network.ini";
    std::ofstream(file) << kNetwork;
    _putenv(("MKAPI_NETWORK=" + file.string()).c_str());
    static zelmk::Win32BindingPlatform platform;
    const zelmk::CmkAPIAccess api(platform);
    if (!api.IsValid()) {
        std::printf("camera library not usable\n");
        return 1;
    }

    struct Grabber : CFramixZelmkAPIClass {
        using CFramixZelmkAPIClass::CFramixZelmkAPIClass;
        void SetRequestedBuffers(uint64_t n) { m_NumFrameBuffers = n; }
    } grabber(::GetModuleHandleA(nullptr), &api);
    grabber.InitMembers();
    grabber.SetLinkWait([](HANDLE, DWORD) -> DWORD { return WAIT_TIMEOUT; });
    grabber.SetSelectedUniqueId(701);
    if (grabber.Init() != UG_OK || grabber.OpenActCamera() != UG_OK) {
        std::printf("camera 701 not opened\n");
        return 1;
    }
    grabber.InstPostProcessCallBack(&Delivered, nullptr);
    std::printf("Acquisition through FramixZelmkAPI, 1920 x 1200, %.1f s per row, no log; the simulated camera fills each\n"
                "frame on the library's thread too, so its cost is in the CPU figure and its limit in the rate\n",
                seconds);
    std::printf("conversion kernels: %s path; load average of the machine counts in every figure\n",
                grabber_pixel::PathName(grabber_pixel::ActivePath()));
    std::printf("%-8s %10s %8s %14s %10s %12s %18s\n", "format", "requested", "buffers", "frames/s", "lost", "lost %", "CPU ms per frame");
    for (const float rate : {10000.0f, 200.0f})
        for (const char* format : {"Mono8", "Yuv422"}) {
            api->MkAttrEnumSet(grabber.GetCameraHandle(), "PixelFormat", format);
            api->MkAttrFloat32Set(grabber.GetCameraHandle(), "AcquisitionFrameRate", rate);
            for (const uint64_t buffers : {uint64_t{8}, uint64_t{100}}) {
                grabber.SetRequestedBuffers(buffers);
                if (grabber.PrepareFrameBuffers() != UG_OK) {
                    std::printf("%-8s %10.0f %8llu buffers not prepared\n", format, rate, static_cast<unsigned long long>(buffers));
                    continue;
                }
                const uint32_t droppedBefore = static_cast<uint32_t>(std::stoul("0" + Sim(api, "get 701 StatFramesDropped")));
                g_delivered = 0;
                LARGE_INTEGER frequency, start, end;
                ::QueryPerformanceFrequency(&frequency);
                const double cpuStart = ProcessCpuSeconds();
                ::QueryPerformanceCounter(&start);
                grabber.Snap(UG_SNAP_CONTINUOUS);
                ::Sleep(static_cast<DWORD>(seconds * 1000));
                grabber.StopSnap();
                ::QueryPerformanceCounter(&end);
                const double cpu = ProcessCpuSeconds() - cpuStart;
                const double wall = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
                const uint64_t delivered = g_delivered.load();
                const uint32_t lost = static_cast<uint32_t>(std::stoul("0" + Sim(api, "get 701 StatFramesDropped"))) - droppedBefore;
                std::printf("%-8s %10.0f %8llu %14.0f %10u %11.1f%% %18.3f\n", format, rate, static_cast<unsigned long long>(buffers), double(delivered) / wall,
                            lost, delivered + lost ? 100.0 * lost / double(delivered + lost) : 0.0, delivered ? 1000.0 * cpu / double(delivered) : 0.0);
            }
        }
    grabber.InstPostProcessCallBack(nullptr, nullptr);
    return 0;
}
