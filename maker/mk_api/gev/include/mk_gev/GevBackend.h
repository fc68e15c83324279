// The camera library's GigE Vision network: cameras found by discovery sent only to the
// addresses the description file names, opened with control privilege and a heartbeat,
// their features through the node map and their frames through the stream receiver.
#pragma once

#include "mk_api_core/Backend.h"
#include "mk_api_core/BackendFactory.h"
#include "mk_gev/Bootstrap.h"
#include "mk_gev/GevNetwork.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace mkgev {

// Where to look. Addresses in wire order (first octet in the highest byte).
struct GevSetup {
    std::vector<uint32_t> search;  // discovery goes to these addresses, one datagram each
    uint32_t interfaceAddress = 0; // the host's interface: sockets bind to it, frames come to it
    uint32_t interfaceMask = 0;    // its subnet: a camera outside it is listed as unreachable
    // Also one discovery to 255.255.255.255 from the interface (which must be named), all
    // answers taken. Never set by tests: nothing of theirs leaves 127.0.0.0/8.
    bool broadcast = false;
    uint16_t port = 3956; // the devices' control port
    uint32_t discoveryTimeoutMs = 200;
    uint32_t retries = 3; // the starting value of GvcpRetries
    uint32_t timeoutMs = 200;
};

// The "[GigEVision]" section: Search= (addresses, comma separated), Interface=ADDRESS/BITS,
// Broadcast=yes|no, Port=, DiscoveryTimeoutMs=, GvcpRetries=, GvcpTimeoutMs=. Null with errors added for a bad
// entry.
std::unique_ptr<GevSetup> readGevSetup(const mkapi::Description& description,
                                       std::vector<mkapi::DescriptionError>& errors);

class GevBackend : public mkapi::Backend {
public:
    // On the system's UDP sockets, with threads of its own.
    GevBackend(GevSetup setup, const mkapi::Clock& clock);
    // Over `network`, which outlives the backend; one on virtual time is driven by advance().
    GevBackend(GevSetup setup, const mkapi::Clock& clock, GevNetwork& network);
    ~GevBackend() override;

    void start(mkapi::BackendEvents& events) override;
    void stop() override;
    std::vector<mkapi::CameraEntry> cameras() override;
    mkapi::Code ipSettings(uint32_t uniqueId, mkapi::IpConfig& config) override;
    mkapi::Code changeIpSettings(uint32_t uniqueId, const mkapi::IpConfig& config) override;
    mkapi::Code open(uint32_t uniqueId, uint32_t accessMode, std::unique_ptr<mkapi::CameraSession>& session) override;
    void advance(uint64_t nowUs) override;
    uint64_t nextDueUs() override;

    // Unique ids of this network start here, away from the small ids of simulated cameras.
    static constexpr uint32_t kFirstUniqueId = 0x47560001;

    class Session;

private:
    struct Known {
        mkapi::CameraEntry entry;
        uint64_t mac = 0;
        uint32_t deviceAddress = 0; // where it answered (wire order)
        bool present = false;
    };
    // A client on a fresh socket to one device; null when no socket can be had.
    struct Link;
    std::unique_ptr<Link> connect(uint32_t deviceAddress, std::string& error);
    // A link to a listed, present camera; null with the code to answer otherwise.
    std::unique_ptr<Link> connectTo(uint32_t uniqueId, mkapi::Code& code);
    Known* find(uint32_t uniqueId);
    void broadcastDiscovery(std::vector<std::pair<uint32_t, DeviceInfo>>& seen);
    // Sessions that advance() drives, on a network without threads of its own.
    void drive(Session* session, bool add);

    const GevSetup setup_;
    const mkapi::Clock& clock_;
    std::unique_ptr<GevNetwork> ownNetwork_;
    GevNetwork& network_;
    mkapi::BackendEvents* events_ = nullptr;
    std::mutex drivenMutex_;
    std::vector<Session*> driven_;
    std::mutex mutex_;
    std::map<uint64_t, Known> known_; // by MAC address
    uint32_t nextId_ = kFirstUniqueId;
};

// "gigevision" for "[Library] Backends=".
mkapi::BackendFactory gigeVisionFactory();

} // namespace mkgev
