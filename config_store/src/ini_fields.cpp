// The common base's field operations: the third addressing level, a list of
// named fields inside a key's text, read and rebuilt through ReadRaw and WriteRaw.
#include "config_store/IniFile.h"

#include "caller_buffer.h"
#include "field_list.h"
#include "guarded.h"
#include "typed_text.h"
#include "value_format.h"

using namespace config_store;

// ---------------------------------------------------------------- field reads

size_t CIniFile::GetFieldString(const char* section, const char* key, const char* field, const char* def,
                                char* buf, size_t bufLen, int* found)
{
    return GuardedRead<size_t>(size_t(0), found, [&]() -> size_t {
        std::string text;
        ReadFieldRaw(section, key, field, OrEmpty(def), text, found);
        return CopyToCallerBuffer(text.c_str(), buf, bufLen);
    });
}

uint32_t CIniFile::GetFieldUInt(const char* section, const char* key, const char* field, uint32_t def, int* found)
{
    return GuardedRead<uint32_t>(def, found, [&]() -> uint32_t {
        std::string text;
        bool present = ReadFieldText(*this, section, key, field, text);
        return ParseUnsigned<uint32_t>(present, text, 32, def, found);
    });
}

int32_t CIniFile::GetFieldInt(const char* section, const char* key, const char* field, int32_t def, int* found)
{
    return GuardedRead<int32_t>(def, found, [&]() -> int32_t {
        std::string text;
        bool present = ReadFieldText(*this, section, key, field, text);
        return ParseSigned<int32_t>(present, text, 32, def, found);
    });
}

uint64_t CIniFile::GetFieldUInt64(const char* section, const char* key, const char* field, uint64_t def,
                                  int* found)
{
    return GuardedRead<uint64_t>(def, found, [&]() -> uint64_t {
        std::string text;
        bool present = ReadFieldText(*this, section, key, field, text);
        return ParseUnsigned<uint64_t>(present, text, 64, def, found);
    });
}

int64_t CIniFile::GetFieldInt64(const char* section, const char* key, const char* field, int64_t def, int* found)
{
    return GuardedRead<int64_t>(def, found, [&]() -> int64_t {
        std::string text;
        bool present = ReadFieldText(*this, section, key, field, text);
        return ParseSigned<int64_t>(present, text, 64, def, found);
    });
}

double CIniFile::GetFieldDouble(const char* section, const char* key, const char* field, double def, int* found)
{
    return GuardedRead<double>(def, found, [&]() -> double {
        std::string text;
        bool present = ReadFieldText(*this, section, key, field, text);
        return ParseDouble(present, text, def, found);
    });
}

size_t CIniFile::GetFieldBinary(const char* section, const char* key, const char* field, const void* def,
                                size_t defLen, void* buf, size_t bufLen, int* found)
{
    return GuardedRead<size_t>(size_t(0), found, [&]() -> size_t {
        if (bufLen == 0 || !buf) return 0;
        std::string text;
        bool present = ReadFieldText(*this, section, key, field, text);
        return DecodeBinaryText(present, text, def, defLen, buf, bufLen, found);
    });
}

// ---------------------------------------------------------------- field writes

int CIniFile::WriteFieldString(const char* section, const char* key, const char* field, const char* value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        return WriteFieldRaw(section, key, field, OrEmpty(value));
    });
}

int CIniFile::WriteFieldUInt(const char* section, const char* key, const char* field, uint32_t value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        return WriteFieldRaw(section, key, field, FormatUnsigned(value).c_str());
    });
}

int CIniFile::WriteFieldInt(const char* section, const char* key, const char* field, int32_t value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        return WriteFieldRaw(section, key, field, FormatSigned(value).c_str());
    });
}

int CIniFile::WriteFieldHex(const char* section, const char* key, const char* field, uint32_t value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        return WriteFieldRaw(section, key, field, FormatHex32(value).c_str());
    });
}

int CIniFile::WriteFieldUInt64(const char* section, const char* key, const char* field, uint64_t value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        return WriteFieldRaw(section, key, field, FormatUnsigned(value).c_str());
    });
}

int CIniFile::WriteFieldInt64(const char* section, const char* key, const char* field, int64_t value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        return WriteFieldRaw(section, key, field, FormatSigned(value).c_str());
    });
}

int CIniFile::WriteFieldHex64(const char* section, const char* key, const char* field, uint64_t value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        return WriteFieldRaw(section, key, field, FormatHex64(value).c_str());
    });
}

int CIniFile::WriteFieldDouble(const char* section, const char* key, const char* field, double value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        return WriteFieldRaw(section, key, field, FormatDouble(value).c_str());
    });
}

int CIniFile::WriteFieldBinary(const char* section, const char* key, const char* field, const void* data,
                               size_t len)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        return WriteFieldRaw(section, key, field, FormatBinary(data, len).c_str());
    });
}

// ---------------------------------------------------------------- field lists

size_t CIniFile::GetFieldCount(const char* section, const char* key)
{
    return Guarded<size_t>(size_t(0), [&]() -> size_t {
        std::string text;
        int present = 0;
        ReadRaw(section, key, std::string(), text, &present);
        return present ? CountListFields(text.c_str()) : 0;
    });
}

size_t CIniFile::GetFieldName(const char* section, const char* key, size_t index, char* buf, size_t bufLen)
{
    return Guarded<size_t>(size_t(0), [&]() -> size_t {
        std::string text;
        int present = 0;
        ReadRaw(section, key, std::string(), text, &present);
        if (!present) return 0;
        auto name = ListFieldName(text.c_str(), index);
        return name ? CopyToCallerBuffer(*name, buf, bufLen) : 0;
    });
}

int CIniFile::FieldExists(const char* section, const char* key, const char* field)
{
    return Guarded<int>(0, [&]() -> int {
        std::string text;
        int found = 0;
        ReadFieldRaw(section, key, field, std::string(), text, &found);
        return found;
    });
}

int CIniFile::DeleteField(const char* section, const char* key, const char* field)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        std::string text;
        ReadRaw(section, key, std::string(), text, nullptr);
        auto list = ListWithoutField(text.c_str(), OrEmpty(field));
        if (!list) return INIERR_LIST;
        WriteRaw(section, key, list->c_str());
        return 0;
    });
}

void CIniFile::ReadFieldRaw(const char* section, const char* key, const char* field, const std::string& def,
                            std::string& out, int* found)
{
    GuardedRead(found, [&] {
        std::string text;
        int present = 0;
        ReadRaw(section, key, std::string(), text, &present);
        std::optional<std::string> value;
        if (present) value = FindListField(text.c_str(), OrEmpty(field));
        SetFound(found, value ? 1 : 0);
        out = value ? std::move(*value) : def;
    });
}

int CIniFile::WriteFieldRaw(const char* section, const char* key, const char* field, const char* value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        std::string text;
        ReadRaw(section, key, std::string(), text, nullptr);
        auto list = ListWithField(text.c_str(), OrEmpty(field), OrEmpty(value));
        if (!list) return INIERR_LIST;
        WriteRaw(section, key, list->c_str());
        return 0;
    });
}
