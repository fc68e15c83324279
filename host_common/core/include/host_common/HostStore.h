// The programs' configuration store: created first or after the framework,
// pointed at Varnik.ini, told where Framix.ini is, destroyed after the device.
#pragma once

#include "config_store/IniFile.h"
#include "host_common/HostPaths.h"

#include <memory>
#include <string_view>

namespace host_common {

// Where the programs tell the framework the grabber framework's configuration file.
inline constexpr const char* kCommDeviceSection = "CommDev_0";
inline constexpr const char* kGrabberConfigKey = "UGIni";

struct StoreDeleter {
    void operator()(CIniFile* store) const { DeleteIniFile(store); }
};
using HostStore = std::unique_ptr<CIniFile, StoreDeleter>;

// The file store kept in memory (kind INIKIND_FAST); null when the factory fails.
HostStore CreateHostStore();

// SetFileName(config file), Load() (a missing file leaves the store empty, so
// its result does not matter), then "UGIni" in "CommDev_0" = the grabber
// configuration file. The programs do not save the store.
void PrepareHostStore(CIniFile& store, const HostPaths& paths);

} // namespace host_common
