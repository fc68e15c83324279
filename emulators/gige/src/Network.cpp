// The simulated network: cameras on the wire, their sessions, reconfiguration and unplugs.
#include "gige_sim/Network.h"

#include "gige_sim/TcpDevice.h"
#include "mk_api/MkApi.h"

#include <algorithm>
#include <sstream>

namespace gigesim {

using mkapi::Code;

std::unique_ptr<SerialDevice> makeSerialDevice(std::string_view name, bool& known, std::string& error)
{
    known = true;
    if (name.substr(0, 4) == "tcp:") {
        auto device = makeTcpDevice(name.substr(4), error);
        known = device != nullptr;
        return device;
    }
    if (name == "kl7700")
        return makeKl7700();
    if (name == "loopback")
        return makeLoopback();
    known = name == "none";
    if (!known)
        error = "unknown device '" + std::string(name) + "' (kl7700, loopback, tcp:HOST:PORT or none)";
    return nullptr;
}

class Network::Session : public mkapi::CameraSession {
public:
    Session(Network& network, Node& node, uint32_t accessMode)
        : network_(network), uniqueId_(node.camera->uniqueId()), master_(accessMode == MK_ACCESS_MASTER)
    {
    }
    ~Session() override { close(); }

    bool lost() const override
    {
        std::lock_guard lock(network_.mutex_);
        return lost_;
    }
    Code close() override
    {
        std::lock_guard lock(network_.mutex_);
        if (!closed_ && !lost_)
            network_.detach(*this);
        closed_ = true;
        return 0;
    }
    void markLost() { lost_ = true; }
    bool master() const { return master_; }
    bool streaming() const { return streaming_; }
    void setStreaming(bool on) { streaming_ = on; }

    Code attributeNames(std::vector<std::string>& names) override
    {
        return withCamera([&](SimCamera& c) {
            names = c.attributeNames();
            return Code(0);
        });
    }
    Code describe(std::string_view name, mkapi::AttrDescription& d) override
    {
        return withCamera([&](SimCamera& c) { return c.describe(name, d); });
    }
    Code isAvailable(std::string_view name) override
    {
        return withCamera([&](SimCamera& c) { return c.isAvailable(name); });
    }
    Code isValid(std::string_view name) override
    {
        return withCamera([&](SimCamera& c) { return c.isValid(name); });
    }
    Code range(std::string_view name, uint32_t type, mkapi::AttrRange& r) override
    {
        return withCamera([&](SimCamera& c) { return c.range(name, type, r); });
    }
    Code get(std::string_view name, uint32_t type, mkapi::AttrValue& v) override
    {
        return withCamera([&](SimCamera& c) { return c.get(name, type, v, now()); });
    }
    Code set(std::string_view name, uint32_t type, const mkapi::AttrValue& v) override
    {
        return withCamera([&](SimCamera& c) { return master_ ? c.set(name, type, v, now()) : Code(MK_ERR_FORBIDDEN); });
    }
    Code run(std::string_view command) override
    {
        return withCamera([&](SimCamera& c) { return master_ ? c.run(command, now()) : Code(MK_ERR_FORBIDDEN); });
    }
    Code readRegisters(std::span<const uint32_t> addresses, std::span<uint32_t> values, uint32_t& done) override
    {
        done = 0;
        return withCamera([&](SimCamera& c) {
            for (size_t i = 0; i < addresses.size(); ++i, ++done)
                if (const Code code = c.readRegister(addresses[i], values[i], now()))
                    return code;
            return Code(0);
        });
    }
    Code writeRegisters(std::span<const uint32_t> addresses, std::span<const uint32_t> values,
                        uint32_t& done) override
    {
        done = 0;
        return withCamera([&](SimCamera& c) {
            if (!master_)
                return Code(MK_ERR_FORBIDDEN);
            for (size_t i = 0; i < addresses.size(); ++i, ++done)
                if (const Code code = c.writeRegister(addresses[i], values[i], now()))
                    return code;
            return Code(0);
        });
    }
    // Memory is the registers' values in network byte order, as on the wire.
    Code readMemory(uint32_t address, std::span<uint8_t> bytes, uint32_t& done) override
    {
        done = 0;
        if (address % 4 || bytes.size() % 4)
            return MK_ERR_BAD_PARAMETER;
        return withCamera([&](SimCamera& c) {
            for (size_t i = 0; i < bytes.size(); i += 4, done += 4) {
                uint32_t v = 0;
                if (const Code code = c.readRegister(address + uint32_t(i), v, now()))
                    return code;
                bytes[i] = uint8_t(v >> 24), bytes[i + 1] = uint8_t(v >> 16), bytes[i + 2] = uint8_t(v >> 8),
                bytes[i + 3] = uint8_t(v);
            }
            return Code(0);
        });
    }
    Code writeMemory(uint32_t address, std::span<const uint8_t> bytes, uint32_t& done) override
    {
        done = 0;
        if (address % 4 || bytes.size() % 4)
            return MK_ERR_BAD_PARAMETER;
        return withCamera([&](SimCamera& c) {
            if (!master_)
                return Code(MK_ERR_FORBIDDEN);
            for (size_t i = 0; i < bytes.size(); i += 4, done += 4) {
                const uint32_t v = uint32_t(bytes[i]) << 24 | uint32_t(bytes[i + 1]) << 16 |
                    uint32_t(bytes[i + 2]) << 8 | bytes[i + 3];
                if (const Code code = c.writeRegister(address + uint32_t(i), v, now()))
                    return code;
            }
            return Code(0);
        });
    }
    Code adjustPacketSize(uint32_t largest) override
    {
        return withCamera([&](SimCamera& c) { return master_ ? c.adjustPacketSize(largest) : Code(MK_ERR_FORBIDDEN); });
    }
    Code startStream(mkapi::StreamSink& sink) override
    {
        return withCamera([&](SimCamera& c) {
            if (!master_)
                return Code(MK_ERR_ACCESS_DENIED);
            if (streaming_)
                return Code(MK_ERR_BAD_SEQUENCE);
            streaming_ = true;
            c.setSink(&sink);
            return Code(0);
        });
    }
    void stopStream() override
    {
        withCamera([&](SimCamera& c) {
            if (streaming_)
                c.setSink(nullptr);
            streaming_ = false;
            return Code(0);
        });
    }

private:
    uint64_t now() const { return network_.clock_.nowUs(); }
    // Runs work on the camera under the network's lock; a lost session answers 8.
    template <class Work>
    Code withCamera(Work work)
    {
        std::lock_guard lock(network_.mutex_);
        if (lost_ || closed_)
            return lost_ ? MK_ERR_UNPLUGGED : MK_ERR_BAD_HANDLE;
        Node* node = network_.findNode(uniqueId_);
        if (!node)
            return MK_ERR_UNPLUGGED;
        const Code code = work(*node->camera);
        // A write may have made work due sooner (acquisition started, bytes to send).
        if (network_.events_)
            network_.events_->wake();
        return code;
    }

    Network& network_;
    const uint32_t uniqueId_;
    const bool master_;
    bool lost_ = false, closed_ = false, streaming_ = false;
};

Network::Network(NetworkSetup setup, const mkapi::Clock& clock) : setup_(std::move(setup)), clock_(clock)
{
    for (const CameraSetup& camera : setup_.cameras) {
        Node node;
        node.camera = std::make_unique<SimCamera>(camera);
        nodes_.push_back(std::move(node));
    }
    // An endpoint that cannot be reached now leaves its port without a device and says so
    // in problems(); connecting again is the "attach" command's, so that no call ever waits
    // on a connection while frames are due.
    for (const DeviceAttachment& a : setup_.attachments) {
        Node* node = findNode(a.uniqueId);
        SerialPort* port = node ? node->camera->serialPort(a.port) : nullptr;
        if (!port)
            continue;
        bool known = false;
        std::string error;
        port->attach(makeSerialDevice(a.device, known, error));
        if (!known)
            portProblems_[{a.uniqueId, a.port}] = (a.origin.empty() ? "" : a.origin + ": ") + "camera " +
                node->camera->setup().name + " (" + std::to_string(a.uniqueId) + ") serial port " +
                std::to_string(a.port) + ": " + error + "; the port has no device (try again with 'attach " +
                std::to_string(a.uniqueId) + " " + std::to_string(a.port) + " " + a.device + "')";
    }
}

Network::~Network() = default;

void Network::start(mkapi::BackendEvents& events) { events_ = &events; }

void Network::stop()
{
    std::lock_guard lock(mutex_);
    for (Node& node : nodes_) disconnect(node);
}

Network::Node* Network::findNode(uint32_t uniqueId)
{
    for (Node& node : nodes_)
        if (node.camera->uniqueId() == uniqueId)
            return &node;
    return nullptr;
}

bool Network::reachable(const Node& node) const
{
    const mkapi::IpConfig& ip = node.camera->setup().ip;
    return (ip.address & setup_.hostMask) == (setup_.hostAddress & setup_.hostMask);
}

void Network::disconnect(Node& node)
{
    for (Session* session : node.sessions) session->markLost();
    node.sessions.clear();
    node.master = nullptr;
    node.camera->setSink(nullptr);
    node.camera->stopAcquisition();
}

void Network::detach(Session& session)
{
    for (Node& node : nodes_) {
        const auto it = std::find(node.sessions.begin(), node.sessions.end(), &session);
        if (it == node.sessions.end())
            continue;
        if (session.streaming())
            node.camera->setSink(nullptr);
        node.sessions.erase(it);
        if (node.master == &session)
            node.master = nullptr;
    }
}

std::vector<mkapi::CameraEntry> Network::cameras()
{
    std::lock_guard lock(mutex_);
    std::vector<mkapi::CameraEntry> list;
    for (const Node& node : nodes_) {
        if (!node.plugged || node.returnsAtUs != kNever)
            continue;
        const CameraSetup& s = node.camera->setup();
        // The name is the user-defined one as the camera holds it now, else the model.
        std::string name = node.camera->valueText("DeviceUserID", 0);
        list.push_back({s.uniqueId, name.empty() ? s.model : name, s.model, s.vendor, s.serialNumber, s.firmware,
                        s.ip.address, reachable(node), node.master != nullptr});
    }
    return list;
}

Code Network::ipSettings(uint32_t uniqueId, mkapi::IpConfig& config)
{
    std::lock_guard lock(mutex_);
    Node* node = findNode(uniqueId);
    if (!node || !node->plugged || node->returnsAtUs != kNever)
        return MK_ERR_NOT_FOUND;
    config = node->camera->ip();
    return 0;
}

namespace {

bool contiguousMask(uint32_t mask)
{
    // Stored with the first octet lowest: in wire order the ones must come first.
    const uint32_t wire = (mask & 0xFF) << 24 | (mask & 0xFF00) << 8 | (mask >> 8 & 0xFF00) | mask >> 24;
    return wire != 0 && (~wire & (~wire + 1)) == 0;
}

} // namespace

Code Network::changeIpSettings(uint32_t uniqueId, const mkapi::IpConfig& config)
{
    std::lock_guard lock(mutex_);
    Node* node = findNode(uniqueId);
    if (!node || !node->plugged || node->returnsAtUs != kNever)
        return MK_ERR_NOT_FOUND;
    mkapi::IpConfig& ip = node->camera->ip();
    const uint32_t mode = config.mode & 7;
    if (mode == 0 || config.mode != mode || (mode & ~ip.supportedModes) != 0)
        return MK_ERR_BAD_PARAMETER;
    if ((mode & MK_IP_PERSISTENT) && (config.persistentAddress == 0 || !contiguousMask(config.persistentMask)))
        return MK_ERR_BAD_PARAMETER;
    ip.mode = mode;
    ip.persistentAddress = config.persistentAddress;
    ip.persistentMask = config.persistentMask;
    ip.persistentGateway = config.persistentGateway;
    const uint32_t index = uint32_t(node - nodes_.data());
    if (mode & MK_IP_PERSISTENT) {
        ip.address = ip.persistentAddress, ip.mask = ip.persistentMask, ip.gateway = ip.persistentGateway;
    } else if (mode & MK_IP_DHCP) { // the host's subnet serves the lease
        ip.address = (setup_.hostAddress & setup_.hostMask) | (~setup_.hostMask & ((100u + index) << 24));
        ip.mask = setup_.hostMask, ip.gateway = setup_.hostAddress;
    } else { // link-local
        ip.address = 169u | 254u << 8 | (index + 1) << 16 | 100u << 24;
        ip.mask = 0x0000FFFF, ip.gateway = 0;
    }
    // The camera restarts its network interface: it leaves the wire and comes back later.
    disconnect(*node);
    node->returnsAtUs = clock_.nowUs() + setup_.reconfigureUs;
    if (events_) {
        events_->linkEvent(MK_LINK_REMOVE, uniqueId);
        events_->wake();
    }
    return 0;
}

Code Network::open(uint32_t uniqueId, uint32_t accessMode, std::unique_ptr<mkapi::CameraSession>& session)
{
    std::unique_ptr<Session> made;
    {
        std::lock_guard lock(mutex_);
        Node* node = findNode(uniqueId);
        if (!node || !node->plugged || node->returnsAtUs != kNever)
            return MK_ERR_NOT_FOUND;
        if (!reachable(*node))
            return MK_ERR_ACCESS_DENIED;
        if (accessMode == MK_ACCESS_MASTER && node->master)
            return MK_ERR_ACCESS_DENIED;
        made = std::make_unique<Session>(*this, *node, accessMode);
        node->sessions.push_back(made.get());
        if (accessMode == MK_ACCESS_MASTER)
            node->master = made.get();
    }
    // Outside the lock: a session the caller's pointer held before closes itself on release.
    session = std::move(made);
    return 0;
}

void Network::advance(uint64_t nowUs)
{
    std::lock_guard lock(mutex_);
    for (Node& node : nodes_) {
        if (node.returnsAtUs <= nowUs) {
            node.returnsAtUs = kNever;
            if (node.plugged && reachable(node) && events_)
                events_->linkEvent(MK_LINK_ADD, node.camera->uniqueId());
        }
        if (node.plugged && node.returnsAtUs == kNever)
            node.camera->advance(nowUs);
    }
}

uint64_t Network::nextDueUs()
{
    std::lock_guard lock(mutex_);
    uint64_t due = kNever;
    for (const Node& node : nodes_) {
        due = std::min(due, node.returnsAtUs);
        if (node.plugged && node.returnsAtUs == kNever)
            due = std::min(due, node.camera->nextDueUs());
    }
    return due;
}

Code Network::unplug(uint32_t uniqueId)
{
    std::lock_guard lock(mutex_);
    Node* node = findNode(uniqueId);
    if (!node)
        return MK_ERR_NOT_FOUND;
    if (!node->plugged)
        return 0;
    const bool wasSeen = node->returnsAtUs == kNever;
    disconnect(*node);
    node->plugged = false;
    if (wasSeen && events_)
        events_->linkEvent(MK_LINK_REMOVE, uniqueId);
    return 0;
}

Code Network::plug(uint32_t uniqueId)
{
    std::lock_guard lock(mutex_);
    Node* node = findNode(uniqueId);
    if (!node)
        return MK_ERR_NOT_FOUND;
    if (node->plugged)
        return 0;
    node->plugged = true;
    if (node->returnsAtUs == kNever && reachable(*node) && events_)
        events_->linkEvent(MK_LINK_ADD, uniqueId);
    return 0;
}

Code Network::attach(uint32_t uniqueId, int port, std::unique_ptr<SerialDevice> device)
{
    std::lock_guard lock(mutex_);
    Node* node = findNode(uniqueId);
    if (!node)
        return MK_ERR_NOT_FOUND;
    SerialPort* serial = node->camera->serialPort(port);
    if (!serial)
        return MK_ERR_BAD_PARAMETER;
    serial->attach(std::move(device));
    portProblems_.erase({uniqueId, port});
    return 0;
}

std::vector<std::string> Network::problems()
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> lines;
    for (const auto& [where, text] : portProblems_) lines.push_back(text);
    for (const Node& node : nodes_)
        for (int p = 0; p < 3; ++p)
            if (const SerialPort* port = node.camera->serialPort(p))
                if (const SerialDevice* device = port->device())
                    if (std::string text = device->problem(); !text.empty())
                        lines.push_back("camera " + node.camera->setup().name + " (" +
                                        std::to_string(node.camera->uniqueId()) + ") serial port " +
                                        std::to_string(p) + ": " + text);
    return lines;
}

bool Network::control(std::string_view command, Code& code, std::string& reply)
{
    std::istringstream in{std::string(command)};
    std::string verb, idText;
    in >> verb;
    static const char* const kVerbs[] = {"plug", "unplug", "attach", "set", "get", "list"};
    if (std::find(std::begin(kVerbs), std::end(kVerbs), verb) == std::end(kVerbs))
        return false;
    const auto fail = [&](Code c, std::string text) {
        code = c;
        reply = "error: " + text;
        return true;
    };
    if (verb == "list") {
        std::lock_guard lock(mutex_);
        std::ostringstream out;
        for (const Node& node : nodes_) {
            const CameraSetup& s = node.camera->setup();
            out << s.uniqueId << ' ' << s.name << (node.plugged ? "" : " unplugged")
                << (node.returnsAtUs != kNever ? " restarting" : "") << (reachable(node) ? "" : " unreachable") << '\n';
        }
        code = 0;
        reply = out.str();
        return true;
    }
    in >> idText;
    char* end = nullptr;
    const unsigned long id = std::strtoul(idText.c_str(), &end, 0);
    if (idText.empty() || *end)
        return fail(MK_ERR_BAD_PARAMETER, "expected a camera's unique id after '" + verb + "'");
    if (verb == "plug" || verb == "unplug") {
        code = verb == "plug" ? plug(uint32_t(id)) : unplug(uint32_t(id));
        if (code)
            return fail(code, "no camera " + idText);
        reply = "ok";
        return true;
    }
    if (verb == "attach") {
        int port = -1;
        std::string device;
        in >> port >> device;
        bool known = false;
        std::string error;
        auto made = makeSerialDevice(device, known, error);
        if (!known && device.compare(0, 4, "tcp:") == 0)
            return fail(MK_ERR_BAD_PARAMETER, error);
        if (!known)
            return fail(MK_ERR_BAD_PARAMETER, "unknown or unreachable device '" + device + "' (kl7700, loopback, tcp:HOST:PORT or none)");
        code = attach(uint32_t(id), port, std::move(made));
        if (code)
            return fail(code, "no camera " + idText + " or no serial port " + std::to_string(port));
        reply = "ok";
        return true;
    }
    std::string name, value;
    in >> name;
    std::getline(in >> std::ws, value);
    const uint64_t now = clock_.nowUs();
    return withCamera(uint32_t(id), [&](SimCamera* camera) {
        if (!camera)
            return fail(MK_ERR_NOT_FOUND, "no camera " + idText);
        if (verb == "get") {
            mkapi::AttrDescription d;
            if (camera->describe(name, d))
                return fail(MK_ERR_NOT_FOUND, "no attribute '" + name + "'");
            code = 0;
            reply = camera->valueText(name, now);
            return true;
        }
        code = camera->setFromText(name, value, now);
        if (code)
            return fail(code, "cannot set '" + name + "' to '" + value + "'");
        reply = "ok";
        if (events_)
            events_->wake();
        return true;
    });
}

} // namespace gigesim
