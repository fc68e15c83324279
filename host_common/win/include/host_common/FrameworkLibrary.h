// KIVInst.dll bound by name, and its instance from CreateKIVInstance to DeleteKIVInstance.
#pragma once

#include "KIVInst.h"
#include "win32/unique_handle.h"

namespace host_common {

class FrameworkLibrary {
public:
    enum class Status {
        Ready,      // the instance exists
        NoLibrary,  // the library could not be loaded
        NoInstance, // no CreateKIVInstance export, or it returned null
    };

    // Loads the library (kFrameworkLibrary unless a test names another) and
    // creates the instance.
    explicit FrameworkLibrary(const char* fileName = nullptr);
    // DeleteKIVInstance with the instance (when the export exists), then the
    // library is freed: the instance goes last of everything taken from it.
    ~FrameworkLibrary();
    FrameworkLibrary(const FrameworkLibrary&) = delete;
    FrameworkLibrary& operator=(const FrameworkLibrary&) = delete;

    Status status() const { return status_; }
    CKIVInstance_0* instance() const { return instance_; }

private:
    win32::UniqueModule library_;
    PFN_DeleteKIVInstance delete_ = nullptr;
    CKIVInstance_0* instance_ = nullptr;
    Status status_ = Status::NoLibrary;
};

} // namespace host_common
