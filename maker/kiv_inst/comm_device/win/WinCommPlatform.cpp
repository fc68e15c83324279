// The communication device on Windows: serial ports, TCP, the in-process
// emulator, named port mutexes and the configuration dialog.
#include "kiv_comm_device/CommDevice.h"

#include "ConfigDialog.h"
#include "WinTransports.h"
#include "kiv_comm_device/CKIVCommDevice.h"
#include "kiv_comm_device/EmulatorTransport.h"
#include "kl7700emu/Camera.h"

#include <new>

namespace kivinst {
namespace {

class WinCommPlatform final : public CommPlatform {
public:
    std::unique_ptr<Transport> makeTransport(const PortConfig& config) override
    {
        switch (config.kind) {
        case PortKind::Serial: return makeSerialTransport(config);
        case PortKind::Tcp: return makeTcpTransport(config);
        case PortKind::Grabber: return makeGrabberTransport(config);
        case PortKind::Emulator:
            if (!camera_)
                camera_ = std::make_shared<kl7700emu::Camera>();
            return std::make_unique<EmulatorTransport>(clock_, camera_);
        }
        return nullptr;
    }

    std::unique_ptr<PortMutex> makePortMutex(const std::string& name) override { return makeNamedPortMutex(name); }

    bool editPortConfig(HWND parent, PortConfig& config) override { return runConfigDialog(parent, config); }

private:
    std::shared_ptr<Clock> clock_ = makeSteadyClock();
    std::shared_ptr<kl7700emu::Camera> camera_; // one camera per device, made at the first open
};

} // namespace

CHapDeviceComm_0* CreateCommDevice()
{
    try {
        return new CKIVCommDevice(std::make_unique<WinCommPlatform>());
    } catch (...) {
        return nullptr;
    }
}

} // namespace kivinst
