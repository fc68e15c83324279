// KIVInst.dll bound by name, and its instance from CreateKIVInstance to DeleteKIVInstance.
#include "host_common/FrameworkLibrary.h"

#include "host_common/FrameworkObjects.h"
#include "win32/module.h"

namespace host_common {

FrameworkLibrary::FrameworkLibrary(const char* fileName)
    : library_(LoadLibraryA(fileName ? fileName : kFrameworkLibrary))
{
    if (!library_)
        return;
    auto create = win32::BindExport<PFN_CreateKIVInstance>(library_.get(), "CreateKIVInstance");
    delete_ = win32::BindExport<PFN_DeleteKIVInstance>(library_.get(), "DeleteKIVInstance");
    instance_ = create ? create() : nullptr;
    if (!instance_) {
        status_ = Status::NoInstance;
        return;
    }
    status_ = Status::Ready;
}

FrameworkLibrary::~FrameworkLibrary()
{
    if (instance_ && delete_)
        delete_(instance_);
    instance_ = nullptr;
}

} // namespace host_common
