// The framework instance's start on the program folder, and the communication device's life.
#include "host_common/FrameworkObjects.h"

#include "KIVObject.h"

namespace host_common {

void InitInstance(CKIVInstance_0& instance, const std::string& programFolder)
{
    instance.Init(programFolder.c_str(), kPluginPattern, 1);
}

CommDevice::CommDevice(CKIVInstance_0& instance)
    : instance_(&instance), device_(static_cast<CHapDeviceComm_0*>(instance.CreateObj(KIV_ID_COMM_DEVICE)))
{
}

int CommDevice::Configure(CIniFile_0* store)
{
    device_->SetConfigStore(store);
    device_->Init();
    return device_->RestoreConfig();
}

void CommDevice::reset()
{
    if (!device_)
        return;
    CHapDeviceComm_0* device = device_;
    device_ = nullptr;
    device->Detach();
    device->Exit();
    instance_->DeleteObj(device);
}

} // namespace host_common
