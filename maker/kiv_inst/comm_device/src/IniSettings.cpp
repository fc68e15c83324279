// The communication device's settings in the host's configuration store.
#include "kiv_comm_device/PortConfig.h"
#include "kiv_comm_device/SettingsStore.h"

#include "config_store/IniFile.h"

#include <vector>

namespace kivinst {
namespace {

class IniSettings final : public SettingsStore {
public:
    explicit IniSettings(CIniFile_0* store) : store_(store) {}

    // Only plain buffers cross to the host's store: it may live in another
    // module with its own run-time library.
    std::optional<std::string> read(const char* key) override
    {
        std::vector<char> buffer(256);
        for (;;) {
            int found = 0;
            const size_t length = store_->GetString(kStoreSection, key, "", buffer.data(), buffer.size(), &found);
            if (!found)
                return std::nullopt;
            if (length + 1 < buffer.size() || buffer.size() >= 65536)
                return std::string(buffer.data(), length < buffer.size() ? length : buffer.size() - 1);
            buffer.resize(buffer.size() * 4); // the text may have been cut
        }
    }

    void write(const char* key, const std::string& value) override
    {
        store_->WriteString(kStoreSection, key, value.c_str());
    }

    bool save() override { return store_->Save() == 0; }

private:
    CIniFile_0* store_;
};

} // namespace

std::unique_ptr<SettingsStore> makeIniSettings(CIniFile_0* store)
{
    if (!store)
        return nullptr;
    return std::make_unique<IniSettings>(store);
}

} // namespace kivinst
