// The attribute dump of PrintParameters.
#include "zelmk/PrintParameters.h"

#include "zelmk/GrabberRules.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <vector>

namespace zelmk {

namespace {

std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<size_t>(length));
    }
    va_end(again);
    return text;
}

using TextGet = uint32_t(MKAPI_CALL*)(MkHandle, const char*, char*, uint32_t, uint32_t*);

enum class TextRead { Ok,
                      Failed,
                      NoMemory };

// Reads a text value whole: a small read learns the length, a second read
// into length + 1 bytes takes the value. A library may answer the small read
// with "buffer too small" and still give the length; the text is always
// terminated inside the buffer, whatever the library wrote.
TextRead ReadText(TextGet get, MkHandle handle, const char* name, std::string& value, uint32_t& code)
{
    char probe[16] = {};
    uint32_t length = 0;
    code = get(handle, name, probe, sizeof probe, &length);
    if (code != MK_ERR_SUCCESS && code != MK_ERR_BUFFER_TOO_SMALL) return TextRead::Failed;
    const uint64_t size = static_cast<uint64_t>(length) + 1;
    std::vector<char> buffer;
    try {
        buffer.assign(size, '\0');
    } catch (const std::bad_alloc&) {
        return TextRead::NoMemory;
    } catch (const std::length_error&) {
        return TextRead::NoMemory;
    }
    uint32_t again = 0;
    code = get(handle, name, buffer.data(), static_cast<uint32_t>(size), &again);
    if (code != MK_ERR_SUCCESS) return TextRead::Failed;
    buffer.back() = '\0';
    value.assign(buffer.data());
    return TextRead::Ok;
}

} // namespace

void PrintCameraParameters(const MkApiFunctions& api, MkHandle handle, const LogSink& log)
{
    auto report = [&](const std::string& text, uint32_t code) { log(0, ApiErrorLine(text.c_str(), code)); };
    const char* const* names = nullptr;
    uint32_t count = 0;
    uint32_t code = api.MkAttrList(handle, &names, &count);
    if (code != MK_ERR_SUCCESS) {
        report("CFramixZelmkAPIClass::PrintParameters: Cannot access camera attribute list", code);
        return;
    }
    for (uint32_t i = 0; names && i < count; ++i) {
        const char* name = names[i];
        if (!name) continue;
        struct MkAttrInfo info = {};
        code = api.MkAttrInfo(handle, name, &info);
        if (code != MK_ERR_SUCCESS) {
            report(Format("Can't retrieve info for attribute %s", name), code);
            continue;
        }
        const bool readable = (info.flags & MK_FLAG_READ) != 0;
        switch (info.type) {
        case MK_ATTR_COMMAND: log(1, Format("%s is a command", name)); break;
        case MK_ATTR_RAW: log(1, Format("%s has raw data type", name)); break;
        case MK_ATTR_STRING: {
            if (!readable) {
                log(1, Format("%s (string) is not readable", name));
                break;
            }
            std::string value;
            const TextRead read = ReadText(api.MkAttrStringGet, handle, name, value, code);
            if (read == TextRead::Ok)
                log(1, Format("%s (string) = \"%s\"", name, value.c_str()));
            else if (read == TextRead::NoMemory)
                log(1, Format("Can't allocate memory for attribute %s (string)", name));
            else
                report(Format("Can't retrieve attribute %s", name), code);
            break;
        }
        case MK_ATTR_ENUM: {
            if (!readable) {
                log(1, Format("%s (enum) is not readable", name));
                break;
            }
            char range[1024] = {};
            api.MkAttrRangeEnum(handle, name, range, sizeof range, nullptr);
            range[sizeof range - 1] = '\0';
            std::string value;
            const TextRead read = ReadText(api.MkAttrEnumGet, handle, name, value, code);
            if (read == TextRead::Ok)
                log(1, Format("%s (enum) = \"%s\"", name, value.c_str()));
            else if (read == TextRead::NoMemory)
                log(1, Format("Can't allocate memory for attribute %s (enum)", name));
            else
                report(Format("Can't retrieve attribute %s (enum) [%s]", name, range), code);
            break;
        }
        case MK_ATTR_UINT32: {
            if (!readable) {
                log(1, Format("%s (uint32) is not readable", name));
                break;
            }
            uint32_t value = 0;
            code = api.MkAttrUint32Get(handle, name, &value);
            if (code == MK_ERR_SUCCESS)
                log(1, Format("%s (uint32) = %u", name, value));
            else
                report(Format("Can't retrieve attribute %s (uint32)", name), code);
            break;
        }
        case MK_ATTR_FLOAT32: {
            if (!readable) {
                log(1, Format("%s (float32) is not readable", name));
                break;
            }
            float value = 0;
            code = api.MkAttrFloat32Get(handle, name, &value);
            if (code == MK_ERR_SUCCESS)
                log(1, Format("%s (float32) = %lf", name, static_cast<double>(value)));
            else
                report(Format("Can't retrieve attribute %s (float32)", name), code);
            break;
        }
        case MK_ATTR_INT64: {
            if (!readable) {
                log(1, Format("%s (int64) is not readable", name));
                break;
            }
            int64_t value = 0;
            code = api.MkAttrInt64Get(handle, name, &value);
            if (code == MK_ERR_SUCCESS)
                log(1, Format("%s (int64) = %" PRId64, name, value));
            else
                report(Format("Can't retrieve attribute %s (int64)", name), code);
            break;
        }
        case MK_ATTR_BOOLEAN: {
            if (!readable) {
                log(1, Format("%s (bool) is not readable", name));
                break;
            }
            uint8_t value = 0;
            code = api.MkAttrBooleanGet(handle, name, &value);
            if (code == MK_ERR_SUCCESS)
                log(1, Format("%s (bool) = %s", name, value ? "On" : "Off"));
            else
                report(Format("Can't retrieve attribute %s (bool)", name), code);
            break;
        }
        default: log(1, Format("%s has an unknown datatype", name)); break;
        }
    }
}

} // namespace zelmk
