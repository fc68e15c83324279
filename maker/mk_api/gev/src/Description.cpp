// Description reading: URL, memory, zip.
#include "mk_gev/Description.h"

#include "mk_gev/Wire.h"

#include <zlib.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <optional>

namespace mkgev {

namespace {

uint16_t le16(std::span<const uint8_t> b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }
uint32_t le32(std::span<const uint8_t> b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

bool endsWithXml(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail)
        c = char(std::tolower(uint8_t(c)));
    return tail == ".xml";
}

} // namespace

std::string unzipDescription(std::span<const uint8_t> zip, std::string& xml)
{
    if (zip.size() > kMaxDescriptionBytes)
        return "the description archive is too large";
    // The end record lies within the last 64 KiB + 22 bytes (its comment is at most 64 KiB).
    constexpr size_t kEndSize = 22;
    if (zip.size() < kEndSize)
        return "the description archive is cut short";
    size_t end = SIZE_MAX;
    size_t lowest = zip.size() > 0xFFFF + kEndSize ? zip.size() - 0xFFFF - kEndSize : 0;
    for (size_t at = zip.size() - kEndSize + 1; at-- > lowest;)
        if (le32(zip, at) == 0x06054b50) {
            end = at;
            break;
        }
    if (end == SIZE_MAX)
        return "the description is not a zip archive";
    uint16_t entries = le16(zip, end + 10);
    uint32_t directory = le32(zip, end + 16);
    size_t at = directory;
    struct Entry {
        uint16_t method = 0;
        uint32_t crc = 0, packed = 0, size = 0, local = 0;
        std::string name;
    };
    std::optional<Entry> chosen;
    for (uint16_t i = 0; i < entries; ++i) {
        if (at + 46 > zip.size() || le32(zip, at) != 0x02014b50)
            return "the description archive's directory is damaged";
        Entry e;
        e.method = le16(zip, at + 10);
        e.crc = le32(zip, at + 16);
        e.packed = le32(zip, at + 20);
        e.size = le32(zip, at + 24);
        uint16_t nameLength = le16(zip, at + 28), extra = le16(zip, at + 30), comment = le16(zip, at + 32);
        e.local = le32(zip, at + 42);
        if (at + 46 + nameLength > zip.size())
            return "the description archive's directory is damaged";
        e.name.assign(reinterpret_cast<const char*>(zip.data() + at + 46), nameLength);
        at += 46 + size_t(nameLength) + extra + comment;
        bool isFile = !e.name.empty() && e.name.back() != '/';
        if (isFile && (!chosen || (endsWithXml(e.name) && !endsWithXml(chosen->name))))
            chosen = e;
    }
    if (!chosen)
        return "the description archive holds no file";
    const Entry& e = *chosen;
    if (e.size > kMaxDescriptionBytes)
        return "the description in the archive is too large";
    if (size_t(e.local) + 30 > zip.size() || le32(zip, e.local) != 0x04034b50)
        return "the description archive's file header is damaged";
    size_t data = size_t(e.local) + 30 + le16(zip, e.local + 26) + le16(zip, e.local + 28);
    if (data > zip.size() || e.packed > zip.size() - data)
        return "the description archive is cut short";
    std::span<const uint8_t> packed = zip.subspan(data, e.packed);
    std::string out;
    if (e.method == 0) {
        if (e.packed != e.size)
            return "the description archive's stored file has the wrong size";
        out.assign(packed.begin(), packed.end());
    } else if (e.method == 8) {
        out.resize(e.size);
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return "cannot start inflating the description";
        z.next_in = const_cast<Bytef*>(packed.data());
        z.avail_in = uInt(packed.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = uInt(out.size());
        int status = inflate(&z, Z_FINISH);
        uLong produced = z.total_out;
        inflateEnd(&z);
        // The stream must end exactly at the size the directory gives: nothing more is
        // ever written, and less means the archive lies.
        if (status != Z_STREAM_END || produced != e.size)
            return "the description in the archive does not inflate";
    } else {
        return "the description archive uses compression method " + std::to_string(e.method);
    }
    uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(out.data()), uInt(out.size()));
    if (crc != e.crc)
        return "the description in the archive fails its CRC check";
    xml = std::move(out);
    return {};
}

std::string readDescription(GvcpClient& client, std::string& xml, std::string* source)
{
    std::string firstError;
    for (uint32_t urlAddress : {bootstrap::FirstUrl, bootstrap::SecondUrl}) {
        std::vector<uint8_t> urlBytes(bootstrap::UrlSize);
        size_t done = 0;
        GvcpResult result = client.readMemory(urlAddress, urlBytes, done);
        if (!result.ok())
            return "cannot read the description URL: " + result.message();
        std::string url = registerText(urlBytes);
        DescriptionLocation location;
        std::string error = parseDescriptionUrl(url, location);
        if (error.empty() && location.length > kMaxDescriptionBytes)
            error = "the description at \"" + url + "\" is too large";
        if (!error.empty()) {
            if (firstError.empty())
                firstError = error;
            continue;
        }
        std::vector<uint8_t> bytes(location.length);
        result = client.readMemory(location.address, bytes, done);
        if (!result.ok())
            return "cannot read the description at \"" + url + "\": " + result.message();
        if (location.zipped) {
            error = unzipDescription(bytes, xml);
            if (!error.empty())
                return error;
        } else {
            xml.assign(bytes.begin(), bytes.end());
        }
        // Some devices count a terminating zero into the length.
        while (!xml.empty() && xml.back() == '\0')
            xml.pop_back();
        if (source)
            *source = url;
        return {};
    }
    return firstError;
}

bool GvcpPort::read(uint64_t address, std::span<uint8_t> bytes)
{
    if (address > UINT32_MAX || bytes.size() > UINT32_MAX - address)
        return false;
    if (bytes.size() == 4 && address % 4 == 0) {
        uint32_t value = 0;
        last_ = client_.readRegister(uint32_t(address), value);
        if (last_.ok())
            store32(bytes.data(), value);
        return last_.ok();
    }
    size_t done = 0;
    last_ = client_.readMemory(uint32_t(address), bytes, done);
    return last_.ok();
}

bool GvcpPort::write(uint64_t address, std::span<const uint8_t> bytes)
{
    if (address > UINT32_MAX || bytes.size() > UINT32_MAX - address || address % 4 != 0 || bytes.size() % 4 != 0 ||
        bytes.empty()) {
        last_ = {GvcpOutcome::BadArgument};
        return false;
    }
    size_t done = 0;
    if (writeMemory_ && bytes.size() > 4) {
        last_ = client_.writeMemory(uint32_t(address), bytes, done);
        return last_.ok();
    }
    std::vector<uint32_t> addresses, values;
    for (size_t i = 0; i < bytes.size(); i += 4) {
        addresses.push_back(uint32_t(address + i));
        values.push_back(load32(bytes, i));
    }
    last_ = client_.writeRegisters(addresses, values, done);
    return last_.ok();
}

} // namespace mkgev
