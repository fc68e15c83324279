// A simulated camera's attributes and their rules, its registers and its acquisition.
#include "gige_sim/SimCamera.h"

#include "mk_api/MkApi.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace gigesim {
namespace {

using mkapi::AttrValue;
using mkapi::Code;

constexpr uint32_t kR = MK_FLAG_READ, kRW = MK_FLAG_READ | MK_FLAG_WRITE, kRV = MK_FLAG_READ | MK_FLAG_VOLATILE;
constexpr uint32_t kStreamPacketSizeRegister = 0x0D04; // the stream channel's packet size (bootstrap)
constexpr uint32_t kUnknownType = 11;                  // a type no caller knows
constexpr int kMaxCatchUpFrames = 64;

bool sameKind(uint32_t attributeType, uint32_t callerType)
{
    return attributeType == callerType;
}

std::vector<std::string> defaultFormats(bool colour)
{
    if (!colour)
        return {"Mono8", "Mono10", "Mono12", "Mono12Packed", "Mono14", "Mono16"};
    return {"Bayer8", "Bayer10", "Bayer12", "Bayer12Packed", "Bayer16", "Rgb24", "Bgr24", "Rgba32",
            "Bgra32", "Yuv411", "Yuv422", "Yuv444", "Rgb48", "Mono8"};
}

Attribute makeAttribute(std::string name, uint32_t type, uint32_t flags, std::string category, std::string impacts,
                        AttrValue value)
{
    Attribute a;
    a.name = std::move(name), a.type = type, a.flags = flags, a.category = std::move(category);
    a.impacts = std::move(impacts), a.value = std::move(value);
    return a;
}

} // namespace

SimCamera::SimCamera(CameraSetup setup) : setup_(std::move(setup))
{
    if (setup_.pixelFormats.empty())
        setup_.pixelFormats = defaultFormats(setup_.colour);
    for (int i = 0; i < std::clamp(setup_.serialPorts, 0, 3); ++i) ports_[i] = std::make_unique<SerialPort>();
    buildAttributes();
}

void SimCamera::add(Attribute attribute)
{
    index_[attribute.name] = attributes_.size();
    names_.push_back(attribute.name);
    attributes_.push_back(std::move(attribute));
}

void SimCamera::buildAttributes()
{
    const CameraSetup& s = setup_;
    const auto str = [&](const char* name, uint32_t flags, const char* category, std::string value) {
        add(makeAttribute(name, MK_ATTR_STRING, flags, category, "", std::move(value)));
    };
    const auto u32 = [&](const char* name, uint32_t flags, const char* category, uint32_t value, uint32_t min,
                         uint32_t max, const char* impacts = "", uint32_t increment = 1) {
        Attribute a = makeAttribute(name, MK_ATTR_UINT32, flags, category, impacts, value);
        a.minimum = min, a.maximum = max, a.increment = increment;
        add(std::move(a));
    };
    const auto f32 = [&](const char* name, uint32_t flags, const char* category, float value, float min, float max,
                         const char* impacts = "") {
        Attribute a = makeAttribute(name, MK_ATTR_FLOAT32, flags, category, impacts, value);
        a.minimum = min, a.maximum = max;
        add(std::move(a));
    };
    const auto i64 = [&](const char* name, uint32_t flags, const char* category, int64_t value, int64_t min,
                         int64_t max) {
        Attribute a = makeAttribute(name, MK_ATTR_INT64, flags, category, "", value);
        a.minimum = min, a.maximum = max;
        add(std::move(a));
    };
    const auto enm = [&](const char* name, const char* category, std::vector<std::string> choices,
                         const char* impacts = "") {
        Attribute a = makeAttribute(name, MK_ATTR_ENUM, kRW, category, impacts, choices.front());
        a.choices = std::move(choices);
        add(std::move(a));
    };
    const auto boolean = [&](const char* name, const char* category, bool value) {
        add(makeAttribute(name, MK_ATTR_BOOLEAN, kRW, category, "", value));
    };
    const auto command = [&](const char* name, const char* category, const char* impacts = "") {
        add(makeAttribute(name, MK_ATTR_COMMAND, MK_FLAG_WRITE, category, impacts, uint32_t(0)));
    };
    const auto computed = [&](const char* name) { attributes_[index_.at(name)].computed = true; };
    const auto fixed = [&](const char* name) { attributes_[index_.at(name)].fixedWhileAcquiring = true; };

    str("DeviceVendorName", kR, "/DeviceInformation", s.vendor);
    str("DeviceModelName", kR, "/DeviceInformation", s.model);
    str("DeviceSerialNumber", kR, "/DeviceInformation", s.serialNumber);
    str("DeviceFirmwareVersion", kR, "/DeviceInformation", s.firmware);
    str("DeviceUserID", kRW, "/DeviceInformation", s.name);
    f32("DeviceTemperature", kRV, "/DeviceInformation", 0, -40, 125);
    computed("DeviceTemperature");
    u32("SensorWidth", kR, "/DeviceInformation/Sensor", s.sensorWidth, s.sensorWidth, s.sensorWidth);
    u32("SensorHeight", kR, "/DeviceInformation/Sensor", s.sensorHeight, s.sensorHeight, s.sensorHeight);
    u32("SensorBits", kR, "/DeviceInformation/Sensor", s.sensorBits, s.sensorBits, s.sensorBits);

    u32("Width", kRW, "/ImageFormat", s.sensorWidth, 16, s.sensorWidth, "TotalBytesPerFrame,OffsetX", 4);
    u32("Height", kRW, "/ImageFormat", s.sensorHeight, 1, s.sensorHeight, "TotalBytesPerFrame,OffsetY");
    u32("OffsetX", kRW, "/ImageFormat/Region", 0, 0, 0, "", 4);
    u32("OffsetY", kRW, "/ImageFormat/Region", 0, 0, 0);
    enm("PixelFormat", "/ImageFormat", s.pixelFormats, "TotalBytesPerFrame");
    u32("TotalBytesPerFrame", kR, "/ImageFormat", 0, 0, UINT32_MAX);
    computed("TotalBytesPerFrame");
    boolean("ReverseX", "/ImageFormat", false);
    for (const char* name : {"Width", "Height", "OffsetX", "OffsetY", "PixelFormat"}) fixed(name);

    enm("AcquisitionMode", "/Acquisition", {"Continuous", "SingleFrame", "MultiFrame"}, "AcquisitionFrameCount");
    fixed("AcquisitionMode");
    u32("AcquisitionFrameCount", kRW, "/Acquisition", 10, 1, 65535);
    command("AcquisitionStart", "/Acquisition", "/Statistics");
    command("AcquisitionStop", "/Acquisition", "/Statistics");
    f32("AcquisitionFrameRate", kRW, "/Acquisition", 30.0f, 0.5f, 10000.0f);
    enm("TriggerMode", "/Acquisition/Trigger", {"Off", "On"}, "TriggerSoftware");
    command("TriggerSoftware", "/Acquisition/Trigger");

    f32("ExposureTimeAbs", kRW, "/Exposure", 10000.0f, 10.0f, 1000000.0f);
    enm("ExposureAuto", "/Exposure", {"Off", "Continuous"}, "ExposureTimeAbs");
    f32("Gain", kRW, "/Exposure", 0.0f, 0.0f, 24.0f);
    i64("BlackLevel", kRW, "/Exposure", 0, -64, 64);

    u32("PacketSize", kRW, "/GigE", 1500, 576, 9000, "", 4);
    fixed("PacketSize");
    u32("GvcpRetries", kRW, "/GigE", 3, 0, 20);
    u32("GvcpTimeout", kRW, "/GigE", 200, 10, 5000);
    u32("HeartbeatTimeout", kRW, "/GigE", 3000, 500, 60000);
    u32("CurrentIPAddress", kR, "/GigE/Network", 0, 0, UINT32_MAX);
    computed("CurrentIPAddress");
    u32("CurrentSubnetMask", kR, "/GigE/Network", 0, 0, UINT32_MAX);
    computed("CurrentSubnetMask");
    i64("DeviceMACAddress", kR, "/GigE/Network", int64_t(s.macAddress), 0, INT64_MAX);
    boolean("StreamHoldEnable", "/GigE", false);
    i64("TimestampValue", kRV, "/GigE/Timestamp", 0, 0, INT64_MAX);
    computed("TimestampValue");
    command("TimestampReset", "/GigE/Timestamp", "TimestampValue");

    for (const char* name : {"StatFramesCompleted", "StatFramesDropped", "StatFramesFailed"}) {
        u32(name, kRV, "/Statistics", 0, 0, UINT32_MAX);
        computed(name);
    }
    f32("StatFrameRate", kRV, "/Statistics", 0, 0, 10000.0f);
    computed("StatFrameRate");

    u32("SerialPortCount", kR, "/SerialPorts", uint32_t(std::clamp(s.serialPorts, 0, 3)), 0, 3);
    u32("SerialRxOverflows", kRV, "/SerialPorts", 0, 0, UINT32_MAX);
    computed("SerialRxOverflows");

    add(makeAttribute("UserData", MK_ATTR_RAW, kRW, "/Advanced", "", std::string(64, '\0')));
    add(makeAttribute("ChunkLayout", kUnknownType, kR, "/Advanced", "", uint32_t(0)));

    buildExtraAttributes();
    for (const auto& [name, value] : setup_.initialValues) setFromText(name, value, 0);
}

void SimCamera::buildExtraAttributes()
{
    const uint32_t count = setup_.extraAttributes, drifting = std::min(setup_.extraVolatile, count);
    constexpr uint32_t kGroup = 25;
    static const char* const kLevels[] = {"Low", "Medium", "High"};
    for (uint32_t i = 0, drifted = 0; i < count; ++i) {
        char name[32], category[32];
        std::snprintf(name, sizeof name, "Extra%04u", i + 1);
        std::snprintf(category, sizeof category, "/Extra/Group%02u", i / kGroup + 1);
        // Attribute i drifts when the evenly spread count steps at it.
        const bool drifts = drifting && uint64_t(i + 1) * drifting / count > uint64_t(i) * drifting / count;
        Attribute a;
        a.name = name, a.category = category, a.flags = drifts ? kRV : kRW;
        switch (drifts ? drifted++ % 3 : i % 6) {
        case 0: a.type = MK_ATTR_UINT32, a.value = i, a.minimum = uint32_t(0), a.maximum = UINT32_MAX; break;
        case 1: a.type = MK_ATTR_FLOAT32, a.value = float(i) / 2, a.minimum = -1e6f, a.maximum = 1e9f; break;
        case 2: a.type = MK_ATTR_INT64, a.value = -int64_t(i), a.minimum = INT64_MIN, a.maximum = INT64_MAX; break;
        case 3: a.type = MK_ATTR_BOOLEAN, a.value = i % 2 == 0; break;
        case 4: a.type = MK_ATTR_STRING, a.value = std::string("text ") + name; break;
        default:
            a.type = MK_ATTR_ENUM, a.value = std::string(kLevels[i % 3]);
            a.choices.assign(std::begin(kLevels), std::end(kLevels));
            break;
        }
        a.computed = a.drifts = drifts;
        add(std::move(a));
    }
}

Attribute* SimCamera::find(std::string_view name)
{
    const auto it = index_.find(name);
    return it == index_.end() ? nullptr : &attributes_[it->second];
}

const Attribute* SimCamera::find(std::string_view name) const
{
    const auto it = index_.find(name);
    return it == index_.end() ? nullptr : &attributes_[it->second];
}

uint32_t SimCamera::u32(std::string_view name) const { return std::get<uint32_t>(find(name)->value); }
std::string SimCamera::text(std::string_view name) const { return std::get<std::string>(find(name)->value); }

Code SimCamera::describe(std::string_view name, mkapi::AttrDescription& description) const
{
    const Attribute* a = find(name);
    if (!a)
        return MK_ERR_NOT_FOUND;
    description = {a->type, a->flags, a->category, a->impacts};
    return 0;
}

Code SimCamera::isAvailable(std::string_view name) const
{
    const Attribute* a = find(name);
    if (!a)
        return MK_ERR_NOT_FOUND;
    if (name == "AcquisitionFrameCount" && text("AcquisitionMode") != "MultiFrame")
        return MK_ERR_UNAVAILABLE;
    if (name == "TriggerSoftware" && text("TriggerMode") != "On")
        return MK_ERR_UNAVAILABLE;
    if (name == "ExposureTimeAbs" && text("ExposureAuto") == "Continuous")
        return MK_ERR_UNAVAILABLE;
    return 0;
}

mkapi::AttrRange SimCamera::currentRange(const Attribute& a) const
{
    mkapi::AttrRange range{a.minimum, a.maximum, a.choices};
    // A region's offset may move only as far as the region still fits the sensor.
    if (a.name == "OffsetX")
        range.maximum = setup_.sensorWidth - std::min(setup_.sensorWidth, u32("Width"));
    else if (a.name == "OffsetY")
        range.maximum = setup_.sensorHeight - std::min(setup_.sensorHeight, u32("Height"));
    return range;
}

Code SimCamera::isValid(std::string_view name) const
{
    const Attribute* a = find(name);
    if (!a)
        return MK_ERR_NOT_FOUND;
    if (a->type != MK_ATTR_UINT32 || a->computed)
        return 0;
    const mkapi::AttrRange r = currentRange(*a);
    const uint32_t v = std::get<uint32_t>(a->value);
    return v < std::get<uint32_t>(r.minimum) || v > std::get<uint32_t>(r.maximum) ? MK_ERR_OUT_OF_RANGE : 0;
}

Code SimCamera::range(std::string_view name, uint32_t type, mkapi::AttrRange& range) const
{
    const Attribute* a = find(name);
    if (!a)
        return MK_ERR_NOT_FOUND;
    const bool ranged = a->type == MK_ATTR_ENUM || a->type == MK_ATTR_UINT32 || a->type == MK_ATTR_FLOAT32 ||
        a->type == MK_ATTR_INT64;
    if (!ranged || !sameKind(a->type, type))
        return MK_ERR_WRONG_TYPE;
    range = currentRange(*a);
    return 0;
}

uint32_t SimCamera::frameBytes() const
{
    const PixelFormat* format = findPixelFormat(text("PixelFormat"));
    return format ? uint32_t(std::min<uint64_t>(UINT32_MAX, gigesim::frameBytes(*format, u32("Width"), u32("Height"))))
                  : 0;
}

uint32_t SimCamera::pixelFormatCode() const
{
    const PixelFormat* format = findPixelFormat(text("PixelFormat"));
    return format ? registerCode(*format, setup_.sensorBits, setup_.layout) : 0;
}

uint64_t SimCamera::framePeriodUs() const
{
    const float rate = std::get<float>(find("AcquisitionFrameRate")->value);
    return std::max<uint64_t>(1, uint64_t(std::llround(1e6 / double(rate))));
}

AttrValue SimCamera::computedValue(const Attribute& a, uint64_t nowUs) const
{
    if (a.drifts) {
        const uint64_t steps = nowUs / 100000;
        if (a.type == MK_ATTR_UINT32)
            return uint32_t(std::get<uint32_t>(a.value) + steps);
        if (a.type == MK_ATTR_FLOAT32)
            return std::get<float>(a.value) + float(steps % 1000000);
        return std::get<int64_t>(a.value) + int64_t(steps);
    }
    if (a.name == "DeviceTemperature") // warms while streaming, drifts slowly otherwise
        return float(38.5 + 0.25 * double((nowUs / 1000000) % 8) + (acquiring_ ? 1.5 : 0.0));
    if (a.name == "TotalBytesPerFrame")
        return frameBytes();
    if (a.name == "CurrentIPAddress")
        return setup_.ip.address;
    if (a.name == "CurrentSubnetMask")
        return setup_.ip.mask;
    if (a.name == "TimestampValue")
        return int64_t(nowUs - std::min(nowUs, timestampZeroUs_));
    if (a.name == "StatFramesCompleted")
        return completed_;
    if (a.name == "StatFramesDropped")
        return dropped_;
    if (a.name == "StatFramesFailed")
        return failed_;
    if (a.name == "StatFrameRate")
        return acquiring_ && text("TriggerMode") == "Off" ? std::get<float>(find("AcquisitionFrameRate")->value) : 0.0f;
    if (a.name == "SerialRxOverflows") {
        uint32_t total = 0;
        for (const auto& port : ports_)
            if (port)
                total += port->overflows();
        return total;
    }
    return a.value;
}

Code SimCamera::get(std::string_view name, uint32_t type, AttrValue& value, uint64_t nowUs) const
{
    const Attribute* a = find(name);
    if (!a)
        return MK_ERR_NOT_FOUND;
    if (a->type == MK_ATTR_COMMAND || a->type == MK_ATTR_RAW || !sameKind(a->type, type))
        return MK_ERR_WRONG_TYPE;
    if (!(a->flags & MK_FLAG_READ))
        return MK_ERR_FORBIDDEN;
    if (const Code code = isAvailable(name))
        return code;
    value = a->computed ? computedValue(*a, nowUs) : a->value;
    return 0;
}

Code SimCamera::set(std::string_view name, uint32_t type, const AttrValue& value, uint64_t nowUs)
{
    Attribute* a = find(name);
    if (!a)
        return MK_ERR_NOT_FOUND;
    if (a->type == MK_ATTR_COMMAND || a->type == MK_ATTR_RAW || !sameKind(a->type, type))
        return MK_ERR_WRONG_TYPE;
    if (!(a->flags & MK_FLAG_WRITE))
        return MK_ERR_FORBIDDEN;
    if (const Code code = isAvailable(name))
        return code;
    if (a->fixedWhileAcquiring && acquiring_)
        return MK_ERR_FORBIDDEN;
    const mkapi::AttrRange r = currentRange(*a);
    switch (a->type) {
    case MK_ATTR_STRING:
        if (std::get<std::string>(value).size() > 31)
            return MK_ERR_OUT_OF_RANGE;
        break;
    case MK_ATTR_ENUM:
        if (std::find(r.choices.begin(), r.choices.end(), std::get<std::string>(value)) == r.choices.end())
            return MK_ERR_OUT_OF_RANGE;
        break;
    case MK_ATTR_UINT32: {
        const uint32_t v = std::get<uint32_t>(value), min = std::get<uint32_t>(r.minimum);
        if (v < min || v > std::get<uint32_t>(r.maximum) || (v - min) % a->increment != 0)
            return MK_ERR_OUT_OF_RANGE;
        break;
    }
    case MK_ATTR_FLOAT32: {
        const float v = std::get<float>(value);
        if (!(v >= std::get<float>(r.minimum) && v <= std::get<float>(r.maximum)))
            return MK_ERR_OUT_OF_RANGE;
        break;
    }
    case MK_ATTR_INT64: {
        const int64_t v = std::get<int64_t>(value);
        if (v < std::get<int64_t>(r.minimum) || v > std::get<int64_t>(r.maximum))
            return MK_ERR_OUT_OF_RANGE;
        break;
    }
    default: break;
    }
    a->value = value;
    if (name == "AcquisitionFrameRate" && acquiring_)
        nextFrameUs_ = std::min(nextFrameUs_, nowUs + framePeriodUs());
    return 0;
}

Code SimCamera::setFromText(std::string_view name, std::string_view textValue, uint64_t nowUs)
{
    const Attribute* a = find(name);
    if (!a)
        return MK_ERR_NOT_FOUND;
    const std::string t(textValue);
    char* end = nullptr;
    AttrValue value;
    switch (a->type) {
    case MK_ATTR_STRING:
    case MK_ATTR_ENUM: value = t; break;
    case MK_ATTR_UINT32: {
        const unsigned long long v = std::strtoull(t.c_str(), &end, 0);
        if (t.empty() || *end || t[0] == '-' || v > UINT32_MAX)
            return MK_ERR_BAD_PARAMETER;
        value = uint32_t(v);
        break;
    }
    case MK_ATTR_FLOAT32:
        value = std::strtof(t.c_str(), &end);
        if (t.empty() || *end)
            return MK_ERR_BAD_PARAMETER;
        break;
    case MK_ATTR_INT64:
        value = int64_t(std::strtoll(t.c_str(), &end, 0));
        if (t.empty() || *end)
            return MK_ERR_BAD_PARAMETER;
        break;
    case MK_ATTR_BOOLEAN:
        if (t == "1" || t == "True" || t == "true")
            value = true;
        else if (t == "0" || t == "False" || t == "false")
            value = false;
        else
            return MK_ERR_BAD_PARAMETER;
        break;
    default: return MK_ERR_WRONG_TYPE;
    }
    // Set behind a caller's back: the write permission is not asked, the value's rules are.
    Attribute* writable = find(name);
    const uint32_t flags = writable->flags;
    writable->flags |= MK_FLAG_WRITE;
    const Code code = set(name, a->type, value, nowUs);
    writable->flags = flags;
    return code;
}

std::string SimCamera::valueText(std::string_view name, uint64_t nowUs) const
{
    const Attribute* a = find(name);
    if (!a)
        return {};
    const AttrValue v = a->computed ? computedValue(*a, nowUs) : a->value;
    switch (v.index()) {
    case 0: return a->type == MK_ATTR_RAW ? std::string() : std::get<std::string>(v);
    case 1: return std::to_string(std::get<uint32_t>(v));
    case 2: return std::to_string(std::get<float>(v));
    case 3: return std::to_string(std::get<int64_t>(v));
    default: return std::get<bool>(v) ? "True" : "False";
    }
}

Code SimCamera::run(std::string_view command, uint64_t nowUs)
{
    const Attribute* a = find(command);
    if (!a)
        return MK_ERR_NOT_FOUND;
    if (a->type != MK_ATTR_COMMAND)
        return MK_ERR_WRONG_TYPE;
    if (const Code code = isAvailable(command))
        return code;
    if (command == "AcquisitionStart")
        return startAcquisition(nowUs);
    if (command == "AcquisitionStop") {
        stopAcquisition();
        return 0;
    }
    if (command == "TriggerSoftware") {
        if (acquiring_)
            produceFrame(nowUs);
        return 0;
    }
    if (command == "TimestampReset")
        timestampZeroUs_ = nowUs;
    return 0;
}

Code SimCamera::startAcquisition(uint64_t nowUs)
{
    if (acquiring_)
        return 0;
    if (isValid("OffsetX") || isValid("OffsetY"))
        return MK_ERR_INVALID_SETUP;
    const PixelFormat* format = findPixelFormat(text("PixelFormat"));
    if (!format || frameBytes() == 0)
        return MK_ERR_INVALID_SETUP;
    const uint32_t width = u32("Width"), height = u32("Height");
    if (patternFormat_ != format->code || patternWidth_ != width || patternHeight_ != height) {
        const uint32_t bits = format->followsSensor ? std::min(16u, setup_.sensorBits) : format->bits;
        pattern_ = TestPattern(*format, width, height, bits);
        patternFormat_ = format->code, patternWidth_ = width, patternHeight_ = height;
    }
    const std::string mode = text("AcquisitionMode");
    framesLeft_ = mode == "SingleFrame" ? 1 : mode == "MultiFrame" ? u32("AcquisitionFrameCount")
                                                                   : 0;
    acquiring_ = true;
    frameNumber_ = 0;
    nextFrameUs_ = nowUs + framePeriodUs();
    if (sink_)
        sink_->cameraEvent(MK_EVENT_ACQUISITION_START, nowUs - std::min(nowUs, timestampZeroUs_));
    return 0;
}

void SimCamera::stopAcquisition()
{
    if (!acquiring_)
        return;
    acquiring_ = false;
    if (sink_)
        sink_->cameraEvent(MK_EVENT_ACQUISITION_END, 0);
}

Code SimCamera::adjustPacketSize(uint32_t largest)
{
    if (largest < 576)
        return MK_ERR_OUT_OF_RANGE;
    if (acquiring_)
        return MK_ERR_FORBIDDEN;
    find("PacketSize")->value = std::min<uint32_t>(9000, largest & ~3u);
    return 0;
}

void SimCamera::produceFrame(uint64_t nowUs)
{
    ++frameNumber_;
    const uint64_t stamp = nowUs - std::min(nowUs, timestampZeroUs_);
    std::optional<mkapi::FrameSlot> slot;
    if (sink_)
        slot = sink_->takeBuffer();
    if (!slot) {
        ++dropped_;
        if (sink_)
            sink_->cameraEvent(MK_EVENT_FRAME_DROPPED, stamp);
    } else {
        mkapi::FrameResult result;
        result.width = u32("Width"), result.height = u32("Height");
        result.offsetX = u32("OffsetX"), result.offsetY = u32("OffsetY");
        result.pixelFormat = pixelFormatCode();
        const PixelFormat* format = findPixelFormat(text("PixelFormat"));
        result.bitDepth = format->followsSensor ? std::min(16u, setup_.sensorBits) : format->bits;
        result.frameNumber = frameNumber_;
        result.timestampUs = stamp;
        if (slot->size < pattern_.frameBytes()) {
            result.status = MK_ERR_BUFFER_TOO_SMALL;
            ++failed_;
        } else {
            pattern_.fill(slot->data, frameNumber_);
            result.bytes = uint32_t(pattern_.frameBytes());
            ++completed_;
        }
        sink_->frameDone(*slot, result);
    }
    if (framesLeft_ > 0 && --framesLeft_ == 0)
        stopAcquisition();
}

void SimCamera::advance(uint64_t nowUs)
{
    for (auto& port : ports_)
        if (port)
            port->update(nowUs);
    if (!acquiring_ || text("TriggerMode") == "On")
        return;
    const uint64_t period = framePeriodUs();
    for (int i = 0; i < kMaxCatchUpFrames && acquiring_ && nextFrameUs_ <= nowUs; ++i) {
        produceFrame(nextFrameUs_);
        nextFrameUs_ += period;
    }
    if (acquiring_ && nextFrameUs_ <= nowUs && framesLeft_ == 0) {
        // Far behind (a host that stalled): the frames it missed are lost, as on a wire.
        const uint64_t missed = (nowUs - nextFrameUs_) / period + 1;
        dropped_ += uint32_t(missed);
        frameNumber_ += uint32_t(missed);
        nextFrameUs_ += missed * period;
    }
}

uint64_t SimCamera::nextDueUs() const
{
    uint64_t due = mkapi::Backend::kNever;
    if (acquiring_ && text("TriggerMode") == "Off")
        due = nextFrameUs_;
    for (const auto& port : ports_)
        if (port)
            if (const auto d = port->nextDueUs())
                due = std::min(due, *d);
    return due;
}

SerialPort* SimCamera::serialPort(int index) { return index >= 0 && index < 3 ? ports_[index].get() : nullptr; }

Code SimCamera::readRegister(uint32_t address, uint32_t& value, uint64_t nowUs)
{
    if (address % 4 != 0)
        return MK_ERR_BAD_PARAMETER;
    if (address == kPixelFormatRegister) {
        value = pixelFormatCode();
        return 0;
    }
    if (address == kStreamPacketSizeRegister) {
        value = u32("PacketSize");
        return 0;
    }
    for (int i = 0; i < 3; ++i) {
        const uint32_t base = kSerialPortBases[i];
        if (address < base || address >= base + serial_reg::kSpan)
            continue;
        if (!ports_[i]) {
            // A port the camera lacks says so in its capability register.
            if (address != base)
                return MK_ERR_BAD_PARAMETER;
            value = 0;
            return 0;
        }
        return ports_[i]->read(address - base, value, nowUs) ? 0 : MK_ERR_BAD_PARAMETER;
    }
    return MK_ERR_BAD_PARAMETER;
}

Code SimCamera::writeRegister(uint32_t address, uint32_t value, uint64_t nowUs)
{
    if (address % 4 != 0)
        return MK_ERR_BAD_PARAMETER;
    if (address == kPixelFormatRegister) {
        for (const std::string& name : setup_.pixelFormats) {
            const PixelFormat* format = findPixelFormat(name);
            if (format && registerCode(*format, setup_.sensorBits, setup_.layout) == value)
                return set("PixelFormat", MK_ATTR_ENUM, name, nowUs);
        }
        return MK_ERR_OUT_OF_RANGE;
    }
    if (address == kStreamPacketSizeRegister)
        return set("PacketSize", MK_ATTR_UINT32, value & 0xFFFF, nowUs);
    for (int i = 0; i < 3; ++i) {
        const uint32_t base = kSerialPortBases[i];
        if (address < base || address >= base + serial_reg::kSpan)
            continue;
        if (!ports_[i])
            return MK_ERR_BAD_PARAMETER;
        uint32_t code = 0;
        return ports_[i]->write(address - base, value, nowUs, code) ? 0 : code;
    }
    return MK_ERR_BAD_PARAMETER;
}

} // namespace gigesim
