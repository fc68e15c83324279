// Building the camera's command texts and parsing its replies into a record.
#include "kl7700/Commands.h"

#include <algorithm>
#include <cstdio>

namespace kl7700 {

namespace {

constexpr char kCr = '\r';

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Shared body of the number readers: blanks, sign, optional prefix, digits.
std::optional<uint32_t> readNumber(std::string_view text, uint32_t base)
{
    size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (base == 16 && i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        hexDigit(text[i + 2]) >= 0) {
        i += 2;
    }
    uint64_t value = 0;
    size_t digits = 0;
    for (; i < text.size(); ++i) {
        int d = hexDigit(text[i]);
        if (d < 0 || static_cast<uint32_t>(d) >= base) break;
        value = std::min<uint64_t>(value * base + static_cast<uint64_t>(d), UINT32_MAX);
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    auto result = static_cast<uint32_t>(value);
    return negative ? 0u - result : result;
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The text from `from` up to the next CR (or the end of the reply).
std::string_view lineFrom(std::string_view reply, size_t from)
{
    size_t end = reply.find(kCr, from);
    return reply.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from);
}

int32_t clampTo(int64_t value, const Parameter& p)
{
    return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(value, p.min), p.max));
}

void clearCameraLink(ParameterRecord& record)
{
    record.S.value = 0;
    record.dualOutput = 0;
}

void storeValue(const ParameterEntry& entry, uint32_t raw, ParameterRecord& record)
{
    Parameter& p = record.*entry.field;
    const auto value = static_cast<int32_t>(raw);
    switch (entry.readRule) {
    case ReadRule::Clamped: p.value = clampTo(value, p); break;
    case ReadRule::Raw: p.value = value; break;
    case ReadRule::Flag: p.value = value != 0 ? 1 : 0; break;
    case ReadRule::CountClamped: p.value = clampTo(int64_t{value} + 1, p); break;
    case ReadRule::CameraLink:
        p.value = value;
        record.dualOutput = is200FpsVariant(record.variantCode) ? 0 : 1;
        break;
    }
}

// The number after the first LF "=" of a single-value reply.
std::optional<uint32_t> singleValue(std::string_view reply)
{
    size_t at = reply.find("\n=");
    if (at == std::string_view::npos) return std::nullopt;
    return readHex(reply.substr(at + 2));
}

bool parseParameter(const ParameterEntry& entry, std::string_view reply, ParameterRecord& record)
{
    auto value = singleValue(reply);
    if (!value) {
        if (entry.readRule == ReadRule::CameraLink) clearCameraLink(record);
        return false;
    }
    storeValue(entry, *value, record);
    return true;
}

bool parseDump(std::string_view reply, ParameterRecord& record)
{
    bool channelFound = false;
    for (const auto& entry : parameterTable()) {
        const char key[] = {entry.letter, '='};
        size_t at = reply.find(std::string_view(key, 2));
        std::optional<uint32_t> value;
        if (at != std::string_view::npos) value = readHex(reply.substr(at + 2));
        if (value) {
            storeValue(entry, *value, record);
        } else if (entry.readRule == ReadRule::CameraLink) {
            clearCameraLink(record);
        }
        if (entry.item == Item::s) channelFound = value.has_value();
    }
    return channelFound;
}

// Reads the version text (and from it the firmware generation) and the camera
// name; the name decides success.
bool parseVersion(std::string_view reply, ParameterRecord& record)
{
    constexpr std::string_view kVersionKey = "Version: ";
    if (size_t at = reply.find(kVersionKey); at != std::string_view::npos) {
        std::string_view version = trimBlanks(lineFrom(reply, at + kVersionKey.size()));
        record.versionText.assign(version);
        size_t dot1 = version.find('.');
        size_t dot2 = dot1 == std::string_view::npos ? dot1 : version.find('.', dot1 + 1);
        size_t dot3 = dot2 == std::string_view::npos ? dot2 : version.find('.', dot2 + 1);
        if (dot3 != std::string_view::npos) {
            record.versionField3 = readDecimal(version.substr(dot2 + 1, dot3 - dot2 - 1)).value_or(0);
            record.versionField4 = readDecimal(version.substr(dot3 + 1)).value_or(0);
        } else {
            record.versionField3 = 0;
            record.versionField4 = 0;
        }
    }
    constexpr std::string_view kNameMark = "\r\r\n";
    size_t at = reply.find(kNameMark);
    if (at == std::string_view::npos) return false;
    record.cameraName.assign(trimBlanks(lineFrom(reply, at + kNameMark.size())));
    return true;
}

} // namespace

std::optional<uint32_t> readHex(std::string_view text) { return readNumber(text, 16); }
std::optional<uint32_t> readDecimal(std::string_view text) { return readNumber(text, 10); }

std::string MakeCommand(Item item, CommandForm form, const ParameterRecord& record)
{
    const bool query = form == CommandForm::Query;
    if (isParameter(item)) {
        const ParameterEntry& entry = parameterEntry(item);
        std::string text{entry.letter, '='};
        const Parameter& p = record.*entry.field;
        if (query) {
            text += '?';
        } else if (entry.hexDigits == 0) {
            text += p.value != 0 ? '1' : '0';
        } else {
            char digits[16];
            const uint32_t sent = static_cast<uint32_t>(p.value) - static_cast<uint32_t>(entry.sendOffset);
            std::snprintf(digits, sizeof digits, "%0*X", entry.hexDigits, static_cast<unsigned>(sent));
            text += digits;
        }
        return text + kCr;
    }
    std::string_view text;
    switch (item) {
    case Item::Calibration: text = query ? "" : "C=1"; break;
    case Item::Version: text = query ? "V" : ""; break;
    case Item::Dump: text = query ? "Y=1" : ""; break;
    case Item::SerialNumber: text = query ? "a=?" : ""; break;
    case Item::VariantCode: text = query ? "b=?" : ""; break;
    case Item::SaveDefaults: text = query ? "" : "X=1"; break;
    case Item::LoadDefaults: text = query ? "" : "Z=1"; break;
    default: break;
    }
    return text.empty() ? std::string() : std::string(text) + kCr;
}

bool ParseReply(Item item, std::string_view reply, ParameterRecord& record)
{
    if (isParameter(item)) return parseParameter(parameterEntry(item), reply, record);
    switch (item) {
    case Item::Version: return parseVersion(reply, record);
    case Item::Dump: return parseDump(reply, record);
    case Item::SerialNumber:
        if (auto value = singleValue(reply)) {
            record.serialNumber = static_cast<int32_t>(*value);
            return true;
        }
        return false;
    case Item::VariantCode:
        if (auto value = singleValue(reply)) {
            record.variantCode = static_cast<int32_t>(*value);
            if (is200FpsVariant(record.variantCode)) record.dualOutput = 0;
            return true;
        }
        return false;
    default: return false; // commands without a reply value
    }
}

void SetBuiltInDefaults(ParameterRecord& record)
{
    const bool newFirmware = isNewFirmware(record);
    for (const auto& entry : parameterTable()) {
        record.*entry.field = {newFirmware ? entry.defaultNew : entry.defaultOld, entry.baseMin, entry.baseMax};
    }
}

std::string lastCommandStatus(std::string_view command)
{
    std::string status = "Last command: ";
    for (char c : command) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 32 && byte < 128) status += c;
    }
    return status;
}

} // namespace kl7700
