// Kind 2: the store on a registry key (Windows only). Sections are subkeys of
// the base key, keys are their values, fields are values of a subkey per key.
#pragma once

#include "config_store/IniFile.h"

#include "win32/unique_handle.h"

class CIniFile_Reg : public CIniFile {
public:
    CIniFile_Reg() = default;
    CIniFile_Reg(const CIniFile_Reg&) = delete;
    CIniFile_Reg& operator=(const CIniFile_Reg&) = delete;

    int GetType() override { return INIKIND_REG; }
    // Opens (creating it if needed) a path such as "HKEY_CURRENT_USER\Software\X".
    int SetFileName(const char* path) override;
    int Load() override { return 0; }
    int Save() override { return 0; }

    size_t GetSectionCount() override;
    size_t GetSectionName(size_t index, char* buf, size_t bufLen) override;
    int SectionExists(const char* section) override;
    size_t GetKeyCount(const char* section) override;
    size_t GetKeyName(const char* section, size_t index, char* buf, size_t bufLen) override;
    int KeyExists(const char* section, const char* key) override;
    int DeleteAll() override;
    int DeleteSection(const char* section) override;
    int DeleteKey(const char* section, const char* key) override;

    uint32_t GetUInt(const char* section, const char* key, uint32_t def, int* found) override;
    int32_t GetInt(const char* section, const char* key, int32_t def, int* found) override;
    uint64_t GetUInt64(const char* section, const char* key, uint64_t def, int* found) override;
    int64_t GetInt64(const char* section, const char* key, int64_t def, int* found) override;
    size_t GetBinary(const char* section, const char* key, const void* def, size_t defLen, void* buf,
                     size_t bufLen, int* found) override;
    int WriteUInt(const char* section, const char* key, uint32_t value) override;
    int WriteInt(const char* section, const char* key, int32_t value) override;
    int WriteHex(const char* section, const char* key, uint32_t value) override;
    int WriteUInt64(const char* section, const char* key, uint64_t value) override;
    int WriteInt64(const char* section, const char* key, int64_t value) override;
    int WriteHex64(const char* section, const char* key, uint64_t value) override;
    int WriteBinary(const char* section, const char* key, const void* data, size_t len) override;

    uint32_t GetFieldUInt(const char* section, const char* key, const char* field, uint32_t def,
                          int* found) override;
    int32_t GetFieldInt(const char* section, const char* key, const char* field, int32_t def, int* found) override;
    uint64_t GetFieldUInt64(const char* section, const char* key, const char* field, uint64_t def,
                            int* found) override;
    int64_t GetFieldInt64(const char* section, const char* key, const char* field, int64_t def,
                          int* found) override;
    size_t GetFieldBinary(const char* section, const char* key, const char* field, const void* def, size_t defLen,
                          void* buf, size_t bufLen, int* found) override;
    int WriteFieldUInt(const char* section, const char* key, const char* field, uint32_t value) override;
    int WriteFieldInt(const char* section, const char* key, const char* field, int32_t value) override;
    int WriteFieldHex(const char* section, const char* key, const char* field, uint32_t value) override;
    int WriteFieldUInt64(const char* section, const char* key, const char* field, uint64_t value) override;
    int WriteFieldInt64(const char* section, const char* key, const char* field, int64_t value) override;
    int WriteFieldHex64(const char* section, const char* key, const char* field, uint64_t value) override;
    int WriteFieldBinary(const char* section, const char* key, const char* field, const void* data,
                         size_t len) override;

    size_t GetFieldCount(const char* section, const char* key) override;
    size_t GetFieldName(const char* section, const char* key, size_t index, char* buf, size_t bufLen) override;
    int FieldExists(const char* section, const char* key, const char* field) override;
    int DeleteField(const char* section, const char* key, const char* field) override;

    void ReadRaw(const char* section, const char* key, const std::string& def, std::string& out,
                 int* found) override;
    void WriteRaw(const char* section, const char* key, const char* value) override;
    void ReadFieldRaw(const char* section, const char* key, const char* field, const std::string& def,
                      std::string& out, int* found) override;
    int WriteFieldRaw(const char* section, const char* key, const char* field, const char* value) override;

    ~CIniFile_Reg() override;

    // Removes every subkey and value below `key` (the key itself stays). Ends
    // even when some entries cannot be enumerated or deleted.
    virtual void DeleteTree(HKEY key);

private:
    std::string path_;
    win32::UniqueRegKey baseKey_;
    HKEY rootKey_ = nullptr;
};
