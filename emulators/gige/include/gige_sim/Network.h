// The simulated GigE network behind the camera library's backend interface: cameras that
// can be plugged, unplugged and reconfigured, sessions on them, and the control commands.
#pragma once

#include "gige_sim/SimCamera.h"
#include "mk_api_core/Backend.h"
#include "mk_api_core/BackendFactory.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace gigesim {

struct DeviceAttachment {
    uint32_t uniqueId = 0;
    int port = 0;
    std::string device; // "kl7700", "loopback", "tcp:HOST:PORT" or "none"
    std::string origin; // "FILE:LINE" of the description entry, empty when there is none
};

struct NetworkSetup {
    uint32_t hostAddress = 0x010AA8C0; // 192.168.10.1, first octet in the lowest byte
    uint32_t hostMask = 0x00FFFFFF;    // 255.255.255.0
    uint64_t reconfigureUs = 2000000;  // how long a camera is gone after a new IP configuration
    std::vector<CameraSetup> cameras;
    std::vector<DeviceAttachment> attachments;
};

// A device for a serial port by its name; null for an unknown name or an endpoint that
// cannot be reached (`error` says which). "none" gives null too, with `known` set.
std::unique_ptr<SerialDevice> makeSerialDevice(std::string_view name, bool& known, std::string& error);

class Network : public mkapi::Backend {
public:
    Network(NetworkSetup setup, const mkapi::Clock& clock);
    ~Network() override;

    void start(mkapi::BackendEvents& events) override;
    void stop() override;
    std::vector<mkapi::CameraEntry> cameras() override;
    mkapi::Code ipSettings(uint32_t uniqueId, mkapi::IpConfig& config) override;
    mkapi::Code changeIpSettings(uint32_t uniqueId, const mkapi::IpConfig& config) override;
    mkapi::Code open(uint32_t uniqueId, uint32_t accessMode, std::unique_ptr<mkapi::CameraSession>& session) override;
    void advance(uint64_t nowUs) override;
    uint64_t nextDueUs() override;
    bool control(std::string_view command, mkapi::Code& code, std::string& reply) override;
    // Serial ports left without the device they were described with, and devices that
    // stopped working (a TCP peer gone).
    std::vector<std::string> problems() override;

    // Test and control hooks.
    mkapi::Code unplug(uint32_t uniqueId);
    mkapi::Code plug(uint32_t uniqueId);
    // Replaces the port's device (null: none) and forgets why the port had none.
    mkapi::Code attach(uint32_t uniqueId, int port, std::unique_ptr<SerialDevice> device);
    // Runs `work` on the camera under the network's lock (null camera: unknown id).
    template <class Work>
    auto withCamera(uint32_t uniqueId, Work work)
    {
        std::lock_guard lock(mutex_);
        Node* node = findNode(uniqueId);
        return work(node ? node->camera.get() : nullptr);
    }

private:
    class Session;
    struct Node {
        std::unique_ptr<SimCamera> camera;
        bool plugged = true;
        uint64_t returnsAtUs = kNever; // back on the wire after a reconfiguration
        std::vector<Session*> sessions;
        Session* master = nullptr;
    };
    Node* findNode(uint32_t uniqueId);
    bool reachable(const Node& node) const;
    void disconnect(Node& node); // every session lost, the stream ended
    void detach(Session& session);

    NetworkSetup setup_;
    const mkapi::Clock& clock_;
    mkapi::BackendEvents* events_ = nullptr;
    std::mutex mutex_;
    std::vector<Node> nodes_;
    // Why a port has no device although one was described, by camera and port.
    std::map<std::pair<uint32_t, int>, std::string> portProblems_;
};

// The built-in network: a monochrome camera with the KL-7700 on its serial port 0, a colour
// camera and one camera outside the host's subnet, as a description text.
const char* defaultNetworkDescription();

// Reads the network from a description's "[Network]" and "[Camera NAME]" sections; errors
// name the file and line. Nullopt when anything was wrong.
std::optional<NetworkSetup> readNetworkSetup(const mkapi::Description& description,
                                             std::vector<mkapi::DescriptionError>& errors);

// The backend factory of the simulated network ("simulated" in "[Library] Backends=").
mkapi::BackendFactory simulatedNetworkFactory();

} // namespace gigesim
