// The programs' configuration store and the "UGIni" key they write into it.
#include "host_common/HostStore.h"

namespace host_common {

HostStore CreateHostStore()
{
    return HostStore(CreateIniFile(INIKIND_FAST));
}

void PrepareHostStore(CIniFile& store, const HostPaths& paths)
{
    store.SetFileName(paths.configFile.c_str());
    store.Load();
    store.WriteString(kCommDeviceSection, kGrabberConfigKey, paths.grabberConfigFile.c_str());
}

} // namespace host_common
