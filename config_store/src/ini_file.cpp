// The common base of every store: the file name and the typed reads and
// writes, all built on the variant's ReadRaw and WriteRaw.
#include "config_store/IniFile.h"

#include "caller_buffer.h"
#include "guarded.h"
#include "typed_text.h"
#include "value_format.h"

using namespace config_store;

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
