// One simulated GigE camera: identity, IP configuration, attributes with their rules,
// registers (the pixel-format register, serial ports) and acquisition on virtual time.
// Not thread-safe: the network serialises every call.
#pragma once

#include "gige_sim/PixelFormats.h"
#include "gige_sim/SerialPort.h"
#include "mk_api_core/Backend.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace gigesim {

constexpr uint32_t kPixelFormatRegister = 0x00012120;

struct CameraSetup {
    uint32_t uniqueId = 0;
    std::string name = "Camera", model = "ZX-1", vendor = "Zel Imaging", serialNumber = "00000000",
                firmware = "1.0.0";
    mkapi::IpConfig ip;
    uint64_t macAddress = 0x000F31000000;
    bool colour = false;
    BayerLayout layout = BayerLayout::RG;
    uint32_t sensorWidth = 640, sensorHeight = 480, sensorBits = 12;
    std::vector<std::string> pixelFormats;                          // the enumeration's values; empty: by sensor kind
    int serialPorts = 1;                                            // 0 to 3
    std::vector<std::pair<std::string, std::string>> initialValues; // attribute name, value text
    // Attributes beyond the camera's own, for editors and benchmarks that need
    // many: "Extra0001"... in groups of 25 under "/Extra", of every value type;
    // `extraVolatile` of them (spread evenly) are read-only numbers that drift.
    uint32_t extraAttributes = 0, extraVolatile = 0;
};

// The attributes a camera has, each with the record MkAttrInfo gives.
struct Attribute {
    std::string name;
    uint32_t type = 0;  // MK_ATTR_*
    uint32_t flags = 0; // MK_FLAG_*
    std::string category, impacts;
    mkapi::AttrValue value;
    mkapi::AttrValue minimum, maximum; // numeric types
    uint32_t increment = 1;            // uint32 values step from the minimum
    std::vector<std::string> choices;  // enumerations
    bool fixedWhileAcquiring = false;  // writes answer MK_ERR_FORBIDDEN during acquisition
    bool computed = false;             // the value is worked out on every read
    bool drifts = false;               // a computed number that grows by one every 100 ms
};

class SimCamera {
public:
    explicit SimCamera(CameraSetup setup);

    const CameraSetup& setup() const { return setup_; }
    uint32_t uniqueId() const { return setup_.uniqueId; }
    mkapi::IpConfig& ip() { return setup_.ip; }

    // Attributes. `type` is the MK_ATTR_* of the calling function.
    const std::vector<std::string>& attributeNames() const { return names_; }
    mkapi::Code describe(std::string_view name, mkapi::AttrDescription& description) const;
    mkapi::Code isAvailable(std::string_view name) const;
    mkapi::Code isValid(std::string_view name) const;
    mkapi::Code range(std::string_view name, uint32_t type, mkapi::AttrRange& range) const;
    mkapi::Code get(std::string_view name, uint32_t type, mkapi::AttrValue& value, uint64_t nowUs) const;
    mkapi::Code set(std::string_view name, uint32_t type, const mkapi::AttrValue& value, uint64_t nowUs);
    mkapi::Code run(std::string_view command, uint64_t nowUs);
    // Sets from a text as a description file or a control command gives it.
    mkapi::Code setFromText(std::string_view name, std::string_view text, uint64_t nowUs);
    std::string valueText(std::string_view name, uint64_t nowUs) const;

    // Registers.
    mkapi::Code readRegister(uint32_t address, uint32_t& value, uint64_t nowUs);
    mkapi::Code writeRegister(uint32_t address, uint32_t value, uint64_t nowUs);
    SerialPort* serialPort(int index);

    // Acquisition. The sink (null: none) receives frames while the camera acquires.
    void setSink(mkapi::StreamSink* sink) { sink_ = sink; }
    bool acquiring() const { return acquiring_; }
    void stopAcquisition();
    mkapi::Code adjustPacketSize(uint32_t largest);
    // Produces what is due by nowUs; when the camera next has work.
    void advance(uint64_t nowUs);
    uint64_t nextDueUs() const;

    uint32_t framesCompleted() const { return completed_; }
    uint32_t framesDropped() const { return dropped_; }
    uint32_t frameBytes() const;
    uint32_t pixelFormatCode() const;

private:
    Attribute* find(std::string_view name);
    const Attribute* find(std::string_view name) const;
    void add(Attribute attribute);
    void buildAttributes();
    mkapi::AttrValue computedValue(const Attribute& attribute, uint64_t nowUs) const;
    void buildExtraAttributes();
    mkapi::AttrRange currentRange(const Attribute& attribute) const;
    uint32_t u32(std::string_view name) const;
    std::string text(std::string_view name) const;
    mkapi::Code startAcquisition(uint64_t nowUs);
    void produceFrame(uint64_t nowUs);
    uint64_t framePeriodUs() const;

    CameraSetup setup_;
    std::vector<Attribute> attributes_;
    std::map<std::string, size_t, std::less<>> index_;
    std::vector<std::string> names_;
    std::array<std::unique_ptr<SerialPort>, 3> ports_;

    mkapi::StreamSink* sink_ = nullptr;
    bool acquiring_ = false;
    uint32_t frameNumber_ = 0, framesLeft_ = 0;
    uint64_t nextFrameUs_ = 0, timestampZeroUs_ = 0;
    uint32_t completed_ = 0, dropped_ = 0, failed_ = 0;
    TestPattern pattern_;
    uint32_t patternFormat_ = 0, patternWidth_ = 0, patternHeight_ = 0;
};

} // namespace gigesim
