// The store variants that need no registry: the buffered ini tree with its file
// (kind 0) and memory-block (kind 3) media, and the profile-function store (kind 1).
#pragma once

#include "config_store/IniFile.h"

#include <memory>

namespace config_store {
class IniTree;
class ProfileAccess;
} // namespace config_store

// Keeps a whole ini text in memory as an ordered tree that preserves comments,
// blank lines and order; the medium is left to the derived stores.
class CIniFile_Buffered : public CIniFile {
public:
    CIniFile_Buffered();
    ~CIniFile_Buffered() override;

    size_t GetSectionCount() override;
    size_t GetSectionName(size_t index, char* buf, size_t bufLen) override;
    int SectionExists(const char* section) override;
    size_t GetKeyCount(const char* section) override;
    size_t GetKeyName(const char* section, size_t index, char* buf, size_t bufLen) override;
    int KeyExists(const char* section, const char* key) override;
    int DeleteAll() override;
    int DeleteSection(const char* section) override;
    int DeleteKey(const char* section, const char* key) override;
    void ReadRaw(const char* section, const char* key, const std::string& def, std::string& out,
                 int* found) override;
    void WriteRaw(const char* section, const char* key, const char* value) override;

    const config_store::IniTree& Tree() const { return *tree_; }

protected:
    config_store::IniTree& MutableTree() { return *tree_; }

private:
    std::unique_ptr<config_store::IniTree> tree_;
};

// Kind 0: the buffered store read from and written to the file named by
// SetFileName.
class CIniFile_Fast : public CIniFile_Buffered {
public:
    int GetType() override { return INIKIND_FAST; }
    int Load() override;
    // Writes a temporary file beside the target and replaces the target only when
    // the whole text is written; creates missing folders.
    int Save() override;
};

// Medium of the memory store: the caller owns it, the store keeps a pointer.
struct IniMemBlock {
    const char* inData = nullptr; // text to load
    size_t inSize = 0;            // bytes available at inData
    char* outData = nullptr;      // set by Save: the text and a NUL; owned by the store
    size_t outSize = 0;           // set by Save: size of the block at outData
};

// Kind 3: the buffered store loaded from and saved to a memory block whose
// address is passed to SetFileName in place of a name.
class CIniFile_Mem : public CIniFile_Buffered {
public:
    CIniFile_Mem() = default;
    CIniFile_Mem(const CIniFile_Mem&) = delete;
    CIniFile_Mem& operator=(const CIniFile_Mem&) = delete;
    ~CIniFile_Mem() override;

    int GetType() override { return INIKIND_MEM; }
    int SetFileName(const char* name) override;
    int Load() override;
    int Save() override;

private:
    IniMemBlock* block_ = nullptr;
    char* outBuffer_ = nullptr; // kept across saves, freed by the destructor
    size_t outCapacity_ = 0;
};

// Kind 1: every operation goes straight to the file through the system's profile
// functions (or, where there are none, an equivalent over the file store).
class CIniFile_Secure : public CIniFile {
public:
    CIniFile_Secure();
    // Works through the given profile functions (tests hand in their own).
    explicit CIniFile_Secure(std::unique_ptr<config_store::ProfileAccess> access);
    ~CIniFile_Secure() override;

    int GetType() override { return INIKIND_SECURE; }
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
    void ReadRaw(const char* section, const char* key, const std::string& def, std::string& out,
                 int* found) override;
    void WriteRaw(const char* section, const char* key, const char* value) override;

private:
    std::unique_ptr<config_store::ProfileAccess> access_;
};
