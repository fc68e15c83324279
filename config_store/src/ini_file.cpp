// The common base of every store: typed reads and writes and field lists, all
// built on the variant's ReadRaw and WriteRaw.
#include "config_store/IniFile.h"

#include "caller_buffer.h"
#include "field_list.h"
#include "guarded.h"
#include "value_format.h"

#include <algorithm>
#include <cstring>

using namespace config_store;

namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

void SetFound(int* found, int value)
{
    if (found) *found = value;
}

size_t CopyDefault(const void* def, size_t defLen, void* buf, size_t bufLen)
{
    size_t n = def ? std::min(defLen, bufLen) : 0;
    if (n) std::memcpy(buf, def, n);
    return n;
}

// The shared logic of the typed reads over an already read text.
template <class T>
T ParseUnsigned(bool present, const std::string& text, unsigned bits, T def, int* found)
{
    std::optional<uint64_t> value;
    if (present) value = ParseUnsignedText(text.c_str(), bits);
    SetFound(found, value ? 1 : 0);
    return value ? static_cast<T>(*value) : def;
}

template <class T>
T ParseSigned(bool present, const std::string& text, unsigned bits, T def, int* found)
{
    std::optional<int64_t> value;
    if (present) value = ParseSignedText(text.c_str(), bits);
    SetFound(found, value ? 1 : 0);
    return value ? static_cast<T>(*value) : def;
}

double ParseDouble(bool present, const std::string& text, double def, int* found)
{
    std::optional<double> value;
    if (present) value = ParseDoubleText(text.c_str());
    SetFound(found, value ? 1 : 0);
    return value ? *value : def;
}

size_t DecodeBinaryText(bool present, const std::string& text, const void* def, size_t defLen, void* buf,
                        size_t bufLen, int* found)
{
    std::optional<size_t> decoded;
    if (present) decoded = DecodeBinary(text.c_str(), buf, bufLen);
    SetFound(found, decoded ? 1 : 0);
    return decoded ? *decoded : CopyDefault(def, defLen, buf, bufLen);
}

// Raw reads with the empty default; true when the key (or field) exists.
bool ReadText(CIniFile_0& store, const char* section, const char* key, std::string& text)
{
    int present = 0;
    store.ReadRaw(section, key, std::string(), text, &present);
    return present != 0;
}

bool ReadFieldText(CIniFile_0& store, const char* section, const char* key, const char* field, std::string& text)
{
    int present = 0;
    store.ReadFieldRaw(section, key, field, std::string(), text, &present);
    return present != 0;
}

} // namespace

int CIniFile::SetFileName(const char* name)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        fileName_ = OrEmpty(name);
        return 0;
    });
}

// ---------------------------------------------------------------- typed reads

size_t CIniFile::GetString(const char* section, const char* key, const char* def, char* buf, size_t bufLen,
                           int* found)
{
    return GuardedRead<size_t>(size_t(0), found, [&]() -> size_t {
        std::string text;
        ReadRaw(section, key, OrEmpty(def), text, found);
        return CopyToCallerBuffer(text.c_str(), buf, bufLen);
    });
}

uint32_t CIniFile::GetUInt(const char* section, const char* key, uint32_t def, int* found)
{
    return GuardedRead<uint32_t>(def, found, [&]() -> uint32_t {
        std::string text;
        bool present = ReadText(*this, section, key, text);
        return ParseUnsigned<uint32_t>(present, text, 32, def, found);
    });
}

int32_t CIniFile::GetInt(const char* section, const char* key, int32_t def, int* found)
{
    return GuardedRead<int32_t>(def, found, [&]() -> int32_t {
        std::string text;
        bool present = ReadText(*this, section, key, text);
        return ParseSigned<int32_t>(present, text, 32, def, found);
    });
}

uint64_t CIniFile::GetUInt64(const char* section, const char* key, uint64_t def, int* found)
{
    return GuardedRead<uint64_t>(def, found, [&]() -> uint64_t {
        std::string text;
        bool present = ReadText(*this, section, key, text);
        return ParseUnsigned<uint64_t>(present, text, 64, def, found);
    });
}

int64_t CIniFile::GetInt64(const char* section, const char* key, int64_t def, int* found)
{
    return GuardedRead<int64_t>(def, found, [&]() -> int64_t {
        std::string text;
        bool present = ReadText(*this, section, key, text);
        return ParseSigned<int64_t>(present, text, 64, def, found);
    });
}

double CIniFile::GetDouble(const char* section, const char* key, double def, int* found)
{
    return GuardedRead<double>(def, found, [&]() -> double {
        std::string text;
        bool present = ReadText(*this, section, key, text);
        return ParseDouble(present, text, def, found);
    });
}

size_t CIniFile::GetBinary(const char* section, const char* key, const void* def, size_t defLen, void* buf,
                           size_t bufLen, int* found)
{
    return GuardedRead<size_t>(size_t(0), found, [&]() -> size_t {
        if (bufLen == 0 || !buf) return 0;
        std::string text;
        bool present = ReadText(*this, section, key, text);
        return DecodeBinaryText(present, text, def, defLen, buf, bufLen, found);
    });
}

// ---------------------------------------------------------------- typed writes

int CIniFile::WriteString(const char* section, const char* key, const char* value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        WriteRaw(section, key, OrEmpty(value));
        return 0;
    });
}

int CIniFile::WriteUInt(const char* section, const char* key, uint32_t value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        WriteRaw(section, key, FormatUnsigned(value).c_str());
        return 0;
    });
}

int CIniFile::WriteInt(const char* section, const char* key, int32_t value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        WriteRaw(section, key, FormatSigned(value).c_str());
        return 0;
    });
}

int CIniFile::WriteHex(const char* section, const char* key, uint32_t value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        WriteRaw(section, key, FormatHex32(value).c_str());
        return 0;
    });
}

int CIniFile::WriteUInt64(const char* section, const char* key, uint64_t value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        WriteRaw(section, key, FormatUnsigned(value).c_str());
        return 0;
    });
}

int CIniFile::WriteInt64(const char* section, const char* key, int64_t value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        WriteRaw(section, key, FormatSigned(value).c_str());
        return 0;
    });
}

int CIniFile::WriteHex64(const char* section, const char* key, uint64_t value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        WriteRaw(section, key, FormatHex64(value).c_str());
        return 0;
    });
}

int CIniFile::WriteDouble(const char* section, const char* key, double value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        WriteRaw(section, key, FormatDouble(value).c_str());
        return 0;
    });
}

int CIniFile::WriteBinary(const char* section, const char* key, const void* data, size_t len)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        WriteRaw(section, key, FormatBinary(data, len).c_str());
        return 0;
    });
}

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
