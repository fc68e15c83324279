// The 55 functions with C linkage, and MkSimControl: each checks that the library runs,
// applies a fault injected for its name, and never lets an exception out.
#include "mk_api_core/Exports.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>
#include <type_traits>

namespace mkapi {
namespace {

constexpr uint32_t kVersionMajor = 1, kVersionMinor = 4;

struct Global {
    std::mutex mutex;
    LibraryMaker maker;
    std::shared_ptr<Library> library;
    int users = 0;
};

// Never destroyed: a library still running at process exit (callers need not end it) must
// not be ended from the runtime's exit code, where its thread is already gone. As a static
// object it was destroyed at mkApi.dll's DLL_PROCESS_DETACH, after ExitProcess had ended the
// library's thread: ~Library joined that thread and took locks it may have died holding,
// and the process never finished exiting (the Wine test ProcessExitsWithTheLibraryRunning).
Global& global()
{
    static Global* g = new Global;
    return *g;
}

// The last reference may go on the library's own thread (a callback still running an export
// when MkUnInitialize ran elsewhere): the library is then ended on a thread of its own.
void deleteLibrary(Library* library)
{
    if (library->onOwnThread())
        std::thread([library] { delete library; }).detach();
    else
        delete library;
}

template <class Work>
uint32_t call(const char* function, Work work)
{
    try {
        const std::shared_ptr<Library> library = currentLibrary();
        if (!library)
            return MK_ERR_BAD_SEQUENCE;
        if (const Code code = library->injected(function))
            return code;
        return work(*library);
    } catch (...) {
        return MK_ERR_INTERNAL_FAULT;
    }
}

// Functions that answer a count: a failure counts nothing.
template <class Work>
uint32_t count(const char* function, Work work)
{
    try {
        const std::shared_ptr<Library> library = currentLibrary();
        if (!library || library->injected(function))
            return 0;
        return work(*library);
    } catch (...) {
        return 0;
    }
}

uint32_t start()
{
    Global& g = global();
    try {
        std::lock_guard lock(g.mutex);
        if (!g.library) {
            if (!g.maker)
                return MK_ERR_INTERNAL_FAULT;
            std::unique_ptr<Library> made = g.maker();
            if (!made)
                return MK_ERR_RESOURCES;
            g.library = std::shared_ptr<Library>(made.release(), deleteLibrary);
        }
        ++g.users;
        return 0;
    } catch (...) {
        return MK_ERR_RESOURCES;
    }
}

} // namespace

void setLibraryMaker(LibraryMaker maker)
{
    std::lock_guard lock(global().mutex);
    global().maker = std::move(maker);
}

std::shared_ptr<Library> currentLibrary()
{
    std::lock_guard lock(global().mutex);
    return global().library;
}

} // namespace mkapi

using mkapi::call;
using mkapi::count;
using mkapi::Library;

namespace {

template <class T>
uint32_t getValue(const char* function, MkHandle handle, const char* name, uint32_t type, T* out)
{
    return call(function, [&](Library& l) {
        if (!out)
            return mkapi::Code(MK_ERR_BAD_PARAMETER);
        mkapi::AttrValue v;
        if (const mkapi::Code code = l.valueGet(handle, name, type, v))
            return code;
        *out = T(std::get<std::conditional_t<std::is_same_v<T, uint8_t>, bool, T>>(v));
        return mkapi::Code(0);
    });
}

template <class T>
uint32_t setValue(const char* function, MkHandle handle, const char* name, uint32_t type, T value)
{
    return call(function, [&](Library& l) { return l.valueSet(handle, name, type, mkapi::AttrValue(value)); });
}

} // namespace

extern "C" {

void MKAPI_CALL MkVersion(uint32_t* major, uint32_t* minor)
{
    if (major)
        *major = mkapi::kVersionMajor;
    if (minor)
        *minor = mkapi::kVersionMinor;
}

uint32_t MKAPI_CALL MkInitialize(void) { return mkapi::start(); }

// The simulated network needs no discovery; a real one finds cameras on first listing.
uint32_t MKAPI_CALL MkInitializeNoDiscovery(void) { return mkapi::start(); }

void MKAPI_CALL MkUnInitialize(void)
{
    std::shared_ptr<Library> ending;
    {
        mkapi::Global& g = mkapi::global();
        std::lock_guard lock(g.mutex);
        if (g.users == 0 || --g.users > 0)
            return;
        ending = std::move(g.library);
    }
    // Released outside the lock: ending the library waits for its thread.
}

uint32_t MKAPI_CALL MkLinkCallbackRegister(MkLinkCallback callback, uint32_t event, void* context)
{
    return call("MkLinkCallbackRegister", [&](Library& l) { return l.linkRegister(callback, event, context); });
}

uint32_t MKAPI_CALL MkLinkCallbackUnRegister(MkLinkCallback callback, uint32_t event)
{
    return call("MkLinkCallbackUnRegister", [&](Library& l) { return l.linkUnregister(callback, event); });
}

uint32_t MKAPI_CALL MkCameraListEx(struct MkCameraInfo* list, uint32_t length, uint32_t* total, uint32_t recordSize)
{
    return count("MkCameraListEx", [&](Library& l) { return l.cameraList(list, length, total, recordSize, true); });
}

uint32_t MKAPI_CALL MkCameraList(struct MkCameraInfo* list, uint32_t length, uint32_t* total)
{
    return count("MkCameraList", [&](Library& l) { return l.cameraList(list, length, total, sizeof *list, true); });
}

uint32_t MKAPI_CALL MkCameraCount(void)
{
    return count("MkCameraCount", [&](Library& l) { return l.cameraCount(); });
}

uint32_t MKAPI_CALL MkCameraInfoEx(uint32_t uniqueId, struct MkCameraInfo* info, uint32_t recordSize)
{
    return call("MkCameraInfoEx", [&](Library& l) { return l.cameraInfo(uniqueId, info, recordSize); });
}

uint32_t MKAPI_CALL MkCameraInfo(uint32_t uniqueId, struct MkCameraInfo* info)
{
    return call("MkCameraInfo", [&](Library& l) { return l.cameraInfo(uniqueId, info, sizeof *info); });
}

uint32_t MKAPI_CALL MkCameraInfoByAddrEx(uint32_t address, struct MkCameraInfo* info, uint32_t recordSize)
{
    return call("MkCameraInfoByAddrEx", [&](Library& l) { return l.cameraInfoByAddress(address, info, recordSize); });
}

uint32_t MKAPI_CALL MkCameraInfoByAddr(uint32_t address, struct MkCameraInfo* info)
{
    return call("MkCameraInfoByAddr", [&](Library& l) { return l.cameraInfoByAddress(address, info, sizeof *info); });
}

uint32_t MKAPI_CALL MkCameraListUnreachableEx(struct MkCameraInfo* list, uint32_t length, uint32_t* total,
                                              uint32_t recordSize)
{
    return count("MkCameraListUnreachableEx",
                 [&](Library& l) { return l.cameraList(list, length, total, recordSize, false); });
}

uint32_t MKAPI_CALL MkCameraListUnreachable(struct MkCameraInfo* list, uint32_t length, uint32_t* total)
{
    return count("MkCameraListUnreachable",
                 [&](Library& l) { return l.cameraList(list, length, total, sizeof *list, false); });
}

uint32_t MKAPI_CALL MkCameraOpen(uint32_t uniqueId, uint32_t accessMode, MkHandle* handle)
{
    return call("MkCameraOpen", [&](Library& l) { return l.open(uniqueId, accessMode, handle); });
}

uint32_t MKAPI_CALL MkCameraOpenByAddr(uint32_t address, uint32_t accessMode, MkHandle* handle)
{
    return call("MkCameraOpenByAddr", [&](Library& l) { return l.openByAddress(address, accessMode, handle); });
}

uint32_t MKAPI_CALL MkCameraClose(MkHandle handle)
{
    return call("MkCameraClose", [&](Library& l) { return l.close(handle); });
}

uint32_t MKAPI_CALL MkCameraIpSettingsGet(uint32_t uniqueId, MkIpSettings* settings)
{
    return call("MkCameraIpSettingsGet", [&](Library& l) { return l.ipSettingsGet(uniqueId, settings); });
}

uint32_t MKAPI_CALL MkCameraIpSettingsChange(uint32_t uniqueId, const MkIpSettings* settings)
{
    return call("MkCameraIpSettingsChange", [&](Library& l) { return l.ipSettingsChange(uniqueId, settings); });
}

uint32_t MKAPI_CALL MkCaptureStart(MkHandle handle)
{
    return call("MkCaptureStart", [&](Library& l) { return l.captureStart(handle); });
}

uint32_t MKAPI_CALL MkCaptureEnd(MkHandle handle)
{
    return call("MkCaptureEnd", [&](Library& l) { return l.captureEnd(handle); });
}

uint32_t MKAPI_CALL MkCaptureQuery(MkHandle handle, uint32_t* started)
{
    return call("MkCaptureQuery", [&](Library& l) { return l.captureQuery(handle, started); });
}

uint32_t MKAPI_CALL MkCaptureAdjustPacketSize(MkHandle handle, uint32_t largestSize)
{
    return call("MkCaptureAdjustPacketSize", [&](Library& l) { return l.adjustPacketSize(handle, largestSize); });
}

uint32_t MKAPI_CALL MkCaptureQueueFrame(MkHandle handle, MkFrame* frame, MkFrameCallback callback)
{
    return call("MkCaptureQueueFrame", [&](Library& l) { return l.queueFrame(handle, frame, callback); });
}

uint32_t MKAPI_CALL MkCaptureQueueClear(MkHandle handle)
{
    return call("MkCaptureQueueClear", [&](Library& l) { return l.queueClear(handle); });
}

uint32_t MKAPI_CALL MkCaptureWaitForFrameDone(MkHandle handle, MkFrame* frame, uint32_t timeoutMs)
{
    return call("MkCaptureWaitForFrameDone", [&](Library& l) { return l.waitFrame(handle, frame, timeoutMs); });
}

uint32_t MKAPI_CALL MkAttrList(MkHandle handle, const char* const** names, uint32_t* countOut)
{
    return call("MkAttrList", [&](Library& l) { return l.attrList(handle, names, countOut); });
}

uint32_t MKAPI_CALL MkAttrInfo(MkHandle handle, const char* name, struct MkAttrInfo* info)
{
    return call("MkAttrInfo", [&](Library& l) { return l.attrInfo(handle, name, info); });
}

uint32_t MKAPI_CALL MkAttrExists(MkHandle handle, const char* name)
{
    return call("MkAttrExists", [&](Library& l) { return l.attrExists(handle, name); });
}

uint32_t MKAPI_CALL MkAttrIsAvailable(MkHandle handle, const char* name)
{
    return call("MkAttrIsAvailable", [&](Library& l) { return l.attrIsAvailable(handle, name); });
}

uint32_t MKAPI_CALL MkAttrIsValid(MkHandle handle, const char* name)
{
    return call("MkAttrIsValid", [&](Library& l) { return l.attrIsValid(handle, name); });
}

uint32_t MKAPI_CALL MkAttrRangeEnum(MkHandle handle, const char* name, char* buffer, uint32_t size, uint32_t* length)
{
    return call("MkAttrRangeEnum", [&](Library& l) { return l.rangeEnum(handle, name, buffer, size, length); });
}

uint32_t MKAPI_CALL MkAttrRangeUint32(MkHandle handle, const char* name, uint32_t* minimum, uint32_t* maximum)
{
    return call("MkAttrRangeUint32", [&](Library& l) { return l.rangeUint32(handle, name, minimum, maximum); });
}

uint32_t MKAPI_CALL MkAttrRangeFloat32(MkHandle handle, const char* name, float* minimum, float* maximum)
{
    return call("MkAttrRangeFloat32", [&](Library& l) { return l.rangeFloat32(handle, name, minimum, maximum); });
}

uint32_t MKAPI_CALL MkAttrRangeInt64(MkHandle handle, const char* name, int64_t* minimum, int64_t* maximum)
{
    return call("MkAttrRangeInt64", [&](Library& l) { return l.rangeInt64(handle, name, minimum, maximum); });
}

uint32_t MKAPI_CALL MkCommandRun(MkHandle handle, const char* name)
{
    return call("MkCommandRun", [&](Library& l) { return l.commandRun(handle, name); });
}

uint32_t MKAPI_CALL MkAttrStringGet(MkHandle handle, const char* name, char* buffer, uint32_t size, uint32_t* length)
{
    return call("MkAttrStringGet",
                [&](Library& l) { return l.textGet(handle, name, MK_ATTR_STRING, buffer, size, length); });
}

uint32_t MKAPI_CALL MkAttrStringSet(MkHandle handle, const char* name, const char* value)
{
    return call("MkAttrStringSet", [&](Library& l) { return l.textSet(handle, name, MK_ATTR_STRING, value); });
}

uint32_t MKAPI_CALL MkAttrEnumGet(MkHandle handle, const char* name, char* buffer, uint32_t size, uint32_t* length)
{
    return call("MkAttrEnumGet", [&](Library& l) { return l.textGet(handle, name, MK_ATTR_ENUM, buffer, size, length); });
}

uint32_t MKAPI_CALL MkAttrEnumSet(MkHandle handle, const char* name, const char* value)
{
    return call("MkAttrEnumSet", [&](Library& l) { return l.textSet(handle, name, MK_ATTR_ENUM, value); });
}

uint32_t MKAPI_CALL MkAttrUint32Get(MkHandle handle, const char* name, uint32_t* value)
{
    return getValue("MkAttrUint32Get", handle, name, MK_ATTR_UINT32, value);
}

uint32_t MKAPI_CALL MkAttrUint32Set(MkHandle handle, const char* name, uint32_t value)
{
    return setValue("MkAttrUint32Set", handle, name, MK_ATTR_UINT32, value);
}

uint32_t MKAPI_CALL MkAttrFloat32Get(MkHandle handle, const char* name, float* value)
{
    return getValue("MkAttrFloat32Get", handle, name, MK_ATTR_FLOAT32, value);
}

uint32_t MKAPI_CALL MkAttrFloat32Set(MkHandle handle, const char* name, float value)
{
    return setValue("MkAttrFloat32Set", handle, name, MK_ATTR_FLOAT32, value);
}

uint32_t MKAPI_CALL MkAttrInt64Get(MkHandle handle, const char* name, int64_t* value)
{
    return getValue("MkAttrInt64Get", handle, name, MK_ATTR_INT64, value);
}

uint32_t MKAPI_CALL MkAttrInt64Set(MkHandle handle, const char* name, int64_t value)
{
    return setValue("MkAttrInt64Set", handle, name, MK_ATTR_INT64, value);
}

uint32_t MKAPI_CALL MkAttrBooleanGet(MkHandle handle, const char* name, uint8_t* value)
{
    return getValue("MkAttrBooleanGet", handle, name, MK_ATTR_BOOLEAN, value);
}

uint32_t MKAPI_CALL MkAttrBooleanSet(MkHandle handle, const char* name, uint8_t value)
{
    return setValue("MkAttrBooleanSet", handle, name, MK_ATTR_BOOLEAN, value != 0);
}

uint32_t MKAPI_CALL MkCameraEventCallbackRegister(MkHandle handle, MkCameraEventCallback callback, void* context)
{
    return call("MkCameraEventCallbackRegister",
                [&](Library& l) { return l.eventCallbackRegister(handle, callback, context); });
}

uint32_t MKAPI_CALL MkUtilityColorInterpolate(const struct MkFrame* frame, void* destination, uint32_t destinationSize,
                                              uint32_t destinationFormat)
{
    try {
        return mkapi::colorInterpolate(frame, destination, destinationSize, destinationFormat);
    } catch (...) {
        return MK_ERR_INTERNAL_FAULT;
    }
}

uint32_t MKAPI_CALL _Mk_Factory_Test_10(MkHandle handle, uint32_t n, const uint32_t* addresses, uint32_t* values,
                                        uint32_t* done)
{
    return call("_Mk_Factory_Test_10", [&](Library& l) { return l.registersRead(handle, n, addresses, values, done); });
}

uint32_t MKAPI_CALL _Mk_Factory_Test_11(MkHandle handle, uint32_t n, const uint32_t* addresses,
                                        const uint32_t* values, uint32_t* done)
{
    return call("_Mk_Factory_Test_11", [&](Library& l) { return l.registersWrite(handle, n, addresses, values, done); });
}

uint32_t MKAPI_CALL _Mk_Factory_Test_12(MkHandle handle, uint32_t address, uint32_t size, void* buffer, uint32_t* done)
{
    return call("_Mk_Factory_Test_12", [&](Library& l) { return l.memoryRead(handle, address, size, buffer, done); });
}

uint32_t MKAPI_CALL _Mk_Factory_Test_13(MkHandle handle, uint32_t address, uint32_t size, const void* buffer,
                                        uint32_t* done)
{
    return call("_Mk_Factory_Test_13", [&](Library& l) { return l.memoryWrite(handle, address, size, buffer, done); });
}

uint32_t MKAPI_CALL MkSimControl(const char* command, char* reply, uint32_t size)
{
    try {
        const std::shared_ptr<Library> library = mkapi::currentLibrary();
        if (!library) {
            if (reply && size > 0) {
                const char text[] = "error: the library is not initialised";
                const size_t n = std::min<size_t>(sizeof text - 1, size - 1);
                std::memcpy(reply, text, n);
                reply[n] = '\0';
            }
            return MK_ERR_BAD_SEQUENCE;
        }
        return library->control(command, reply, size);
    } catch (...) {
        return MK_ERR_INTERNAL_FAULT;
    }
}

} // extern "C"
