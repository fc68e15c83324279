// The active command channel of a grabber of Framix as the communication
// device's stream: Framix opened on the host's Framix.ini, the grabber
// initialised with the camera it has selected there, its channel opened.
// Every call is bounded: the channel's own writes are, and reads poll it only
// until their time limit.
#include "CmdChannel.h"
#include "FramixExports.h"
#include "UnifiedGrabber.h"

#include "WinTransports.h"
#include "win32/module.h"

#include <string>

namespace kivinst {
namespace {

struct FramixFunctions {
    decltype(&::FramixOpen) open = nullptr;
    decltype(&::FramixGetNumGrabbers) count = nullptr;
    decltype(&::FramixGetGrabber) grabber = nullptr;
    decltype(&::FramixGetGrabberFile) file = nullptr;
    decltype(&::FramixClose) close = nullptr;
    bool valid() const { return open && count && grabber && file && close; }
};

// Framix.dll beside this module (KIVInst.dll in the program folder), else on the
// search path. It stays loaded: grabbers it loaded may still be going away.
const FramixFunctions& Framix()
{
    static const FramixFunctions functions = [] {
        std::string folder = win32::ModulePath(win32::ModuleOfAddress(reinterpret_cast<const void*>(&Framix)));
        folder = folder.substr(0, folder.find_last_of("\\/") + 1);
        HMODULE module = ::LoadLibraryA((folder + "Framix.dll").c_str());
        if (!module) module = ::LoadLibraryA("Framix.dll");
        FramixFunctions f;
        f.open = win32::BindExport<decltype(f.open)>(module, "FramixOpen");
        f.count = win32::BindExport<decltype(f.count)>(module, "FramixGetNumGrabbers");
        f.grabber = win32::BindExport<decltype(f.grabber)>(module, "FramixGetGrabber");
        f.file = win32::BindExport<decltype(f.file)>(module, "FramixGetGrabberFile");
        f.close = win32::BindExport<decltype(f.close)>(module, "FramixClose");
        return f;
    }();
    return functions;
}

class GrabberTransport final : public Transport {
public:
    explicit GrabberTransport(const PortConfig& config) : config_(config) {}
    ~GrabberTransport() override { close(); }

    bool open(std::string& error) override
    {
        close();
        const FramixFunctions& framix = Framix();
        if (!framix.valid()) {
            error = "Framix.dll cannot be loaded";
            return false;
        }
        framework_ = framix.open(config_.framixIni.c_str(), &GrabberTransport::log, this);
        if (!framework_) {
            error = "Framix cannot start";
            return false;
        }
        const std::string name = "grabber " + std::to_string(config_.grabber);
        if (config_.grabber >= framix.count(framework_)) {
            return fail(error, config_.framixIni + " loads no " + name);
        }
        grabber_ = framix.grabber(framework_, config_.grabber);
        const std::string file = framix.file(framework_, config_.grabber);
        UG_ERRCODE code = grabber_->Init();
        if (code != UG_OK && code != UG_ERR_ALREADY_INITIALIZED)
            return fail(error, "The " + name + " (" + file + ") cannot start (code " + std::to_string(code) + ")");
        if (grabber_->GetActCameraIndex() < 0)
            return fail(error, "The " + name + " has no camera selected in " + config_.framixIni + ", or the camera is not on the network");
        code = grabber_->OpenActCamera();
        if (code != UG_OK)
            return fail(error, "The camera of the " + name + " cannot be opened (code " + std::to_string(code) + ")");
        cameraOpen_ = true;
        channel_ = grabber_->GetActCmdChannel();
        if (!channel_)
            return fail(error, "The " + name + " has no command channel in " + config_.framixIni);
        code = channel_->Open();
        if (code != UG_OK) {
            const std::string port = channel_->GetCmdName();
            channel_ = nullptr;
            return fail(error, "The command channel \"" + port + "\" of the " + name + " cannot be opened (code " + std::to_string(code) + ")");
        }
        port_ = channel_->GetCmdName();
        return true;
    }

    void close() override
    {
        if (channel_) channel_->Close();
        channel_ = nullptr;
        if (grabber_ && cameraOpen_) grabber_->CloseActCamera();
        cameraOpen_ = false;
        grabber_ = nullptr;
        if (framework_) Framix().close(framework_);
        framework_ = nullptr;
    }

    IoStatus write(const char* data, size_t size, size_t& written) override
    {
        written = 0;
        if (!channel_) return IoStatus::Broken;
        uint64_t count = 0;
        const UG_ERRCODE code = channel_->WriteBuffer(data, size, &count);
        written = static_cast<size_t>(count);
        // A port that stays busy fails the write; the channel is still there.
        return code == UG_OK ? IoStatus::Ok : IoStatus::Timeout;
    }

    IoStatus read(char* buffer, size_t size, uint32_t timeoutMs, size_t& got) override
    {
        got = 0;
        if (!channel_) return IoStatus::Broken;
        const ULONGLONG start = ::GetTickCount64();
        // Polled: the camera tells nobody when bytes arrive. Bounded in count as well.
        for (uint32_t poll = 0; poll <= timeoutMs; ++poll) {
            uint64_t count = 0;
            if (channel_->ReadBuffer(buffer, size, &count) != UG_OK) return IoStatus::Broken; // the camera is gone
            if (count > 0) {
                got = static_cast<size_t>(count);
                return IoStatus::Ok;
            }
            if (::GetTickCount64() - start >= timeoutMs) break;
            ::Sleep(1);
        }
        return IoStatus::Ok;
    }

    bool purge(unsigned long flags) override { return channel_ && channel_->Purge(flags) == UG_OK; }

    std::string describe() const override
    {
        return (port_.empty() ? std::string("the command channel") : port_) + " of grabber " +
            std::to_string(config_.grabber);
    }

private:
    static void log(void* context, int level, const char* text)
    {
        // The last error line says best why an open failed.
        if (level == 0 && text) static_cast<GrabberTransport*>(context)->lastError_ = text;
    }
    bool fail(std::string& error, std::string text)
    {
        if (!lastError_.empty()) text += " (" + lastError_ + ")";
        error = std::move(text);
        close();
        return false;
    }

    PortConfig config_;
    FramixFramework* framework_ = nullptr;
    CUnifiedGrabber* grabber_ = nullptr;
    CCmdChannel* channel_ = nullptr;
    bool cameraOpen_ = false;
    std::string port_;
    std::string lastError_;
};

} // namespace

std::unique_ptr<Transport> makeGrabberTransport(const PortConfig& config)
{
    return std::make_unique<GrabberTransport>(config);
}

} // namespace kivinst
