// The configuration store interface: section/key/field stores behind CIniFile_0,
// the common base CIniFile, the error codes and the factory.
// Libraries outside the suite call a store through the CIniFile_0 table, so the
// order of its virtual operations is a calling contract: never reorder or insert.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Result codes of the store; 0 means success.
enum : int {
    INIERR_OPEN = static_cast<int>(0x80000001u),   // backing medium cannot be opened
    INIERR_SYNTAX = static_cast<int>(0x80000002u), // text does not parse
    INIERR_WRITE = static_cast<int>(0x80000003u),  // writing or deleting the medium failed
    INIERR_PARAM = static_cast<int>(0x80000004u),  // null pointer or zero buffer length
    INIERR_EMPTY = static_cast<int>(0x80000005u),  // the store holds no entries
    INIERR_DELETE = static_cast<int>(0x80000006u), // registry delete failed or no key open
    INIERR_LIST = static_cast<int>(0x80000007u),   // malformed field list
};

// Store kinds, as reported by GetType and accepted by CreateIniFile.
enum : int {
    INIKIND_FAST = 0,
    INIKIND_SECURE = 1,
    INIKIND_REG = 2,
    INIKIND_MEM = 3,
};

// Results that are lengths or counts carry an error code widened to 64 bits.
inline size_t IniErrorAsSize(int code) { return static_cast<size_t>(static_cast<uint32_t>(code)); }

class CIniFile_0 {
public:
    virtual int GetType() = 0;                                                                  // 0
    virtual int SetFileName(const char* name) = 0;                                              // 1
    virtual int Load() = 0;                                                                     // 2
    virtual int Save() = 0;                                                                     // 3
    virtual size_t GetSectionCount() = 0;                                                       // 4
    virtual size_t GetSectionName(size_t index, char* buf, size_t bufLen) = 0;                  // 5
    virtual int SectionExists(const char* section) = 0;                                         // 6
    virtual size_t GetKeyCount(const char* section) = 0;                                        // 7
    virtual size_t GetKeyName(const char* section, size_t index, char* buf, size_t bufLen) = 0; // 8
    virtual int KeyExists(const char* section, const char* key) = 0;                            // 9
    virtual int DeleteAll() = 0;                                                                // 10
    virtual int DeleteSection(const char* section) = 0;                                         // 11
    virtual int DeleteKey(const char* section, const char* key) = 0;                            // 12

    virtual size_t GetString(const char* section, const char* key, const char* def, char* buf, size_t bufLen,
                             int* found) = 0;                                                       // 13
    virtual uint32_t GetUInt(const char* section, const char* key, uint32_t def, int* found) = 0;   // 14
    virtual int32_t GetInt(const char* section, const char* key, int32_t def, int* found) = 0;      // 15
    virtual uint64_t GetUInt64(const char* section, const char* key, uint64_t def, int* found) = 0; // 16
    virtual int64_t GetInt64(const char* section, const char* key, int64_t def, int* found) = 0;    // 17
    virtual double GetDouble(const char* section, const char* key, double def, int* found) = 0;     // 18
    virtual size_t GetBinary(const char* section, const char* key, const void* def, size_t defLen, void* buf,
                             size_t bufLen, int* found) = 0; // 19

    virtual int WriteString(const char* section, const char* key, const char* value) = 0;            // 20
    virtual int WriteUInt(const char* section, const char* key, uint32_t value) = 0;                 // 21
    virtual int WriteInt(const char* section, const char* key, int32_t value) = 0;                   // 22
    virtual int WriteHex(const char* section, const char* key, uint32_t value) = 0;                  // 23
    virtual int WriteUInt64(const char* section, const char* key, uint64_t value) = 0;               // 24
    virtual int WriteInt64(const char* section, const char* key, int64_t value) = 0;                 // 25
    virtual int WriteHex64(const char* section, const char* key, uint64_t value) = 0;                // 26
    virtual int WriteDouble(const char* section, const char* key, double value) = 0;                 // 27
    virtual int WriteBinary(const char* section, const char* key, const void* data, size_t len) = 0; // 28

    virtual size_t GetFieldString(const char* section, const char* key, const char* field, const char* def,
                                  char* buf, size_t bufLen, int* found) = 0; // 29
    virtual uint32_t GetFieldUInt(const char* section, const char* key, const char* field, uint32_t def,
                                  int* found) = 0; // 30
    virtual int32_t GetFieldInt(const char* section, const char* key, const char* field, int32_t def,
                                int* found) = 0; // 31
    virtual uint64_t GetFieldUInt64(const char* section, const char* key, const char* field, uint64_t def,
                                    int* found) = 0; // 32
    virtual int64_t GetFieldInt64(const char* section, const char* key, const char* field, int64_t def,
                                  int* found) = 0; // 33
    virtual double GetFieldDouble(const char* section, const char* key, const char* field, double def,
                                  int* found) = 0; // 34
    virtual size_t GetFieldBinary(const char* section, const char* key, const char* field, const void* def,
                                  size_t defLen, void* buf, size_t bufLen, int* found) = 0; // 35

    virtual int WriteFieldString(const char* section, const char* key, const char* field, const char* value) = 0; // 36
    virtual int WriteFieldUInt(const char* section, const char* key, const char* field, uint32_t value) = 0;      // 37
    virtual int WriteFieldInt(const char* section, const char* key, const char* field, int32_t value) = 0;        // 38
    virtual int WriteFieldHex(const char* section, const char* key, const char* field, uint32_t value) = 0;       // 39
    virtual int WriteFieldUInt64(const char* section, const char* key, const char* field, uint64_t value) = 0;    // 40
    virtual int WriteFieldInt64(const char* section, const char* key, const char* field, int64_t value) = 0;      // 41
    virtual int WriteFieldHex64(const char* section, const char* key, const char* field, uint64_t value) = 0;     // 42
    virtual int WriteFieldDouble(const char* section, const char* key, const char* field, double value) = 0;      // 43
    virtual int WriteFieldBinary(const char* section, const char* key, const char* field, const void* data,
                                 size_t len) = 0; // 44

    virtual size_t GetFieldCount(const char* section, const char* key) = 0; // 45
    virtual size_t GetFieldName(const char* section, const char* key, size_t index, char* buf,
                                size_t bufLen) = 0;                                       // 46
    virtual int FieldExists(const char* section, const char* key, const char* field) = 0; // 47
    virtual int DeleteField(const char* section, const char* key, const char* field) = 0; // 48

    virtual void ReadRaw(const char* section, const char* key, const std::string& def, std::string& out,
                         int* found) = 0;                                               // 49
    virtual void WriteRaw(const char* section, const char* key, const char* value) = 0; // 50
    virtual void ReadFieldRaw(const char* section, const char* key, const char* field, const std::string& def,
                              std::string& out, int* found) = 0;                                               // 51
    virtual int WriteFieldRaw(const char* section, const char* key, const char* field, const char* value) = 0; // 52

    virtual ~CIniFile_0() = default; // 53 (last)
};

// Common base: typed reads and writes and field lists, all built on ReadRaw and
// WriteRaw; holds the file name.
class CIniFile : public CIniFile_0 {
public:
    int SetFileName(const char* name) override;
    const std::string& FileName() const { return fileName_; }

    size_t GetString(const char* section, const char* key, const char* def, char* buf, size_t bufLen,
                     int* found) override;
    uint32_t GetUInt(const char* section, const char* key, uint32_t def, int* found) override;
    int32_t GetInt(const char* section, const char* key, int32_t def, int* found) override;
    uint64_t GetUInt64(const char* section, const char* key, uint64_t def, int* found) override;
    int64_t GetInt64(const char* section, const char* key, int64_t def, int* found) override;
    double GetDouble(const char* section, const char* key, double def, int* found) override;
    size_t GetBinary(const char* section, const char* key, const void* def, size_t defLen, void* buf,
                     size_t bufLen, int* found) override;

    int WriteString(const char* section, const char* key, const char* value) override;
    int WriteUInt(const char* section, const char* key, uint32_t value) override;
    int WriteInt(const char* section, const char* key, int32_t value) override;
    int WriteHex(const char* section, const char* key, uint32_t value) override;
    int WriteUInt64(const char* section, const char* key, uint64_t value) override;
    int WriteInt64(const char* section, const char* key, int64_t value) override;
    int WriteHex64(const char* section, const char* key, uint64_t value) override;
    int WriteDouble(const char* section, const char* key, double value) override;
    int WriteBinary(const char* section, const char* key, const void* data, size_t len) override;

    size_t GetFieldString(const char* section, const char* key, const char* field, const char* def, char* buf,
                          size_t bufLen, int* found) override;
    uint32_t GetFieldUInt(const char* section, const char* key, const char* field, uint32_t def,
                          int* found) override;
    int32_t GetFieldInt(const char* section, const char* key, const char* field, int32_t def, int* found) override;
    uint64_t GetFieldUInt64(const char* section, const char* key, const char* field, uint64_t def,
                            int* found) override;
    int64_t GetFieldInt64(const char* section, const char* key, const char* field, int64_t def,
                          int* found) override;
    double GetFieldDouble(const char* section, const char* key, const char* field, double def, int* found) override;
    size_t GetFieldBinary(const char* section, const char* key, const char* field, const void* def, size_t defLen,
                          void* buf, size_t bufLen, int* found) override;

    int WriteFieldString(const char* section, const char* key, const char* field, const char* value) override;
    int WriteFieldUInt(const char* section, const char* key, const char* field, uint32_t value) override;
    int WriteFieldInt(const char* section, const char* key, const char* field, int32_t value) override;
    int WriteFieldHex(const char* section, const char* key, const char* field, uint32_t value) override;
    int WriteFieldUInt64(const char* section, const char* key, const char* field, uint64_t value) override;
    int WriteFieldInt64(const char* section, const char* key, const char* field, int64_t value) override;
    int WriteFieldHex64(const char* section, const char* key, const char* field, uint64_t value) override;
    int WriteFieldDouble(const char* section, const char* key, const char* field, double value) override;
    int WriteFieldBinary(const char* section, const char* key, const char* field, const void* data,
                         size_t len) override;

    size_t GetFieldCount(const char* section, const char* key) override;
    size_t GetFieldName(const char* section, const char* key, size_t index, char* buf, size_t bufLen) override;
    int FieldExists(const char* section, const char* key, const char* field) override;
    int DeleteField(const char* section, const char* key, const char* field) override;

    void ReadFieldRaw(const char* section, const char* key, const char* field, const std::string& def,
                      std::string& out, int* found) override;
    int WriteFieldRaw(const char* section, const char* key, const char* field, const char* value) override;

private:
    std::string fileName_;
};

// Creates a store of the given kind (0 file, 1 profile functions, 2 registry,
// 3 memory block); null for an unknown or unavailable kind.
CIniFile* CreateIniFile(int kind);

// Destroys a store made by CreateIniFile; null and unknown kinds are left alone.
void DeleteIniFile(CIniFile* store);
