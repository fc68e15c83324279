// Shared steps of the base store's typed reads: raw reads with the empty
// default, and turning a read text into a typed value or the caller's default.
#pragma once

#include "config_store/IniFile.h"
#include "value_format.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace config_store {

inline const char* OrEmpty(const char* text) { return text ? text : ""; }

inline void SetFound(int* found, int value)
{
    if (found) *found = value;
}

inline size_t CopyDefault(const void* def, size_t defLen, void* buf, size_t bufLen)
{
    size_t n = def ? std::min(defLen, bufLen) : 0;
    if (n) std::memcpy(buf, def, n);
    return n;
}

// The shared logic of the typed reads over an already read text.
template <class T>
inline T ParseUnsigned(bool present, const std::string& text, unsigned bits, T def, int* found)
{
    std::optional<uint64_t> value;
    if (present) value = ParseUnsignedText(text.c_str(), bits);
    SetFound(found, value ? 1 : 0);
    return value ? static_cast<T>(*value) : def;
}

template <class T>
inline T ParseSigned(bool present, const std::string& text, unsigned bits, T def, int* found)
{
    std::optional<int64_t> value;
    if (present) value = ParseSignedText(text.c_str(), bits);
    SetFound(found, value ? 1 : 0);
    return value ? static_cast<T>(*value) : def;
}

inline double ParseDouble(bool present, const std::string& text, double def, int* found)
{
    std::optional<double> value;
    if (present) value = ParseDoubleText(text.c_str());
    SetFound(found, value ? 1 : 0);
    return value ? *value : def;
}

inline size_t DecodeBinaryText(bool present, const std::string& text, const void* def, size_t defLen, void* buf,
                               size_t bufLen, int* found)
{
    std::optional<size_t> decoded;
    if (present) decoded = DecodeBinary(text.c_str(), buf, bufLen);
    SetFound(found, decoded ? 1 : 0);
    return decoded ? *decoded : CopyDefault(def, defLen, buf, bufLen);
}

// Raw reads with the empty default; true when the key (or field) exists.
inline bool ReadText(CIniFile_0& store, const char* section, const char* key, std::string& text)
{
    int present = 0;
    store.ReadRaw(section, key, std::string(), text, &present);
    return present != 0;
}

inline bool ReadFieldText(CIniFile_0& store, const char* section, const char* key, const char* field, std::string& text)
{
    int present = 0;
    store.ReadFieldRaw(section, key, field, std::string(), text, &present);
    return present != 0;
}

} // namespace config_store
