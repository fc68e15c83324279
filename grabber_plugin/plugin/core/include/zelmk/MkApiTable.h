// The 55 functions of the camera library, in the order the binding looks them
// up: one list that gives both the table's fields and the names.
#pragma once

#include "mk_api/MkApi.h"

#include <cstddef>

#define ZELMK_MKAPI_FUNCTIONS(X)     \
    X(MkVersion)                     \
    X(MkInitialize)                  \
    X(MkInitializeNoDiscovery)       \
    X(MkUnInitialize)                \
    X(MkLinkCallbackRegister)        \
    X(MkLinkCallbackUnRegister)      \
    X(MkCameraListEx)                \
    X(MkCameraList)                  \
    X(MkCameraCount)                 \
    X(MkCameraInfoEx)                \
    X(MkCameraInfo)                  \
    X(MkCameraInfoByAddrEx)          \
    X(MkCameraInfoByAddr)            \
    X(MkCameraListUnreachableEx)     \
    X(MkCameraListUnreachable)       \
    X(MkCameraOpen)                  \
    X(MkCameraOpenByAddr)            \
    X(MkCameraClose)                 \
    X(MkCameraIpSettingsGet)         \
    X(MkCameraIpSettingsChange)      \
    X(MkCaptureStart)                \
    X(MkCaptureEnd)                  \
    X(MkCaptureQuery)                \
    X(MkCaptureAdjustPacketSize)     \
    X(MkCaptureQueueFrame)           \
    X(MkCaptureQueueClear)           \
    X(MkCaptureWaitForFrameDone)     \
    X(MkAttrList)                    \
    X(MkAttrInfo)                    \
    X(MkAttrExists)                  \
    X(MkAttrIsAvailable)             \
    X(MkAttrIsValid)                 \
    X(MkAttrRangeEnum)               \
    X(MkAttrRangeUint32)             \
    X(MkAttrRangeFloat32)            \
    X(MkAttrRangeInt64)              \
    X(MkCommandRun)                  \
    X(MkAttrStringGet)               \
    X(MkAttrStringSet)               \
    X(MkAttrEnumGet)                 \
    X(MkAttrEnumSet)                 \
    X(MkAttrUint32Get)               \
    X(MkAttrUint32Set)               \
    X(MkAttrFloat32Get)              \
    X(MkAttrFloat32Set)              \
    X(MkAttrInt64Get)                \
    X(MkAttrInt64Set)                \
    X(MkAttrBooleanGet)              \
    X(MkAttrBooleanSet)              \
    X(MkCameraEventCallbackRegister) \
    X(MkUtilityColorInterpolate)     \
    X(_Mk_Factory_Test_10)           \
    X(_Mk_Factory_Test_11)           \
    X(_Mk_Factory_Test_12)           \
    X(_Mk_Factory_Test_13)

namespace zelmk {

// One pointer per function, null when the library lacks it. Only the binding
// writes it; afterwards any thread reads it without a lock.
struct MkApiFunctions {
#define ZELMK_MKAPI_FIELD(name) decltype(&::name) name = nullptr;
    ZELMK_MKAPI_FUNCTIONS(ZELMK_MKAPI_FIELD)
#undef ZELMK_MKAPI_FIELD
};

inline constexpr const char* kMkApiFunctionNames[] = {
#define ZELMK_MKAPI_NAME(name) #name,
    ZELMK_MKAPI_FUNCTIONS(ZELMK_MKAPI_NAME)
#undef ZELMK_MKAPI_NAME
};
inline constexpr size_t kMkApiFunctionCount = sizeof(kMkApiFunctionNames) / sizeof(kMkApiFunctionNames[0]);
static_assert(kMkApiFunctionCount == 55, "the binding holds 55 functions");
static_assert(sizeof(MkApiFunctions) == kMkApiFunctionCount * sizeof(void*), "one pointer per function");

} // namespace zelmk
