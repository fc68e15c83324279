// Profile functions over the file store, for platforms that have none: each call
// reads the file, and each change writes it back at once.
#include "profile_access.h"

#include "config_store/IniStores.h"
#include "file_io.h"
#include "ini_tree.h"

namespace config_store {
namespace {

class FileProfileAccess : public ProfileAccess {
public:
    std::vector<std::string> SectionNames(const std::string& file, size_t bufferSize) override
    {
        CIniFile_Fast store;
        Open(store, file);
        std::vector<std::string> names;
        for (size_t i = 0; i < store.Tree().SectionCount(); ++i) names.push_back(store.Tree().SectionAt(i)->text);
        return names;
    }

    std::vector<std::string> SectionEntries(const std::string& file, const char* section, size_t bufferSize) override
    {
        CIniFile_Fast store;
        Open(store, file);
        std::vector<std::string> entries;
        const IniSection* found = section ? store.Tree().FindSection(section) : nullptr;
        for (size_t i = 0; found && i < IniTree::KeyCount(*found); ++i) {
            const IniLine* line = IniTree::KeyAt(*found, i);
            entries.push_back(line->key + "=" + line->value);
        }
        return entries;
    }

    std::string GetString(const std::string& file, const char* section, const char* key, const char* def,
                          size_t bufferSize) override
    {
        CIniFile_Fast store;
        Open(store, file);
        std::string out;
        store.ReadRaw(section, key, def ? def : "", out, nullptr);
        return out;
    }

    bool WriteString(const std::string& file, const char* section, const char* key, const char* value) override
    {
        CIniFile_Fast store;
        Open(store, file);
        if (value) {
            store.WriteRaw(section, key, value);
        } else {
            store.DeleteKey(section, key);
        }
        return store.Save() == 0;
    }

    bool DeleteSection(const std::string& file, const char* section) override
    {
        CIniFile_Fast store;
        Open(store, file);
        store.DeleteSection(section);
        return store.Save() == 0;
    }

    bool DeleteProfileFile(const std::string& file) override { return RemoveFile(file); }

private:
    // A missing file reads as an empty one.
    static void Open(CIniFile_Fast& store, const std::string& file)
    {
        store.SetFileName(file.c_str());
        store.Load();
    }
};

} // namespace

std::unique_ptr<ProfileAccess> CreatePlatformProfileAccess() { return std::make_unique<FileProfileAccess>(); }

} // namespace config_store
