/* A camera library for the binding's tests: every function of the header, each
   answering "sequence incorrect" except the version and the initialisation,
   which it counts. The .def files choose which names it exports. */
#include "mk_api/MkApi.h"

static uint32_t g_initializeCalls;

uint32_t FakeMkInitializeCount(void) { return g_initializeCalls; }

void MKAPI_CALL MkVersion(uint32_t* major, uint32_t* minor)
{
    *major = 9;
    *minor = 4;
}
uint32_t MKAPI_CALL MkInitialize(void)
{
    ++g_initializeCalls;
    return MK_ERR_SUCCESS;
}

#define NO(name, ...) \
    uint32_t MKAPI_CALL name(__VA_ARGS__) { return MK_ERR_BAD_SEQUENCE; }

NO(MkInitializeNoDiscovery, void)
void MKAPI_CALL MkUnInitialize(void) {}
NO(MkLinkCallbackRegister, MkLinkCallback c, uint32_t e, void* x)
NO(MkLinkCallbackUnRegister, MkLinkCallback c, uint32_t e)
NO(MkCameraListEx, struct MkCameraInfo* l, uint32_t n, uint32_t* t, uint32_t s)
NO(MkCameraList, struct MkCameraInfo* l, uint32_t n, uint32_t* t)
NO(MkCameraCount, void)
NO(MkCameraInfoEx, uint32_t u, struct MkCameraInfo* i, uint32_t s)
NO(MkCameraInfo, uint32_t u, struct MkCameraInfo* i)
NO(MkCameraInfoByAddrEx, uint32_t a, struct MkCameraInfo* i, uint32_t s)
NO(MkCameraInfoByAddr, uint32_t a, struct MkCameraInfo* i)
NO(MkCameraListUnreachableEx, struct MkCameraInfo* l, uint32_t n, uint32_t* t, uint32_t s)
NO(MkCameraListUnreachable, struct MkCameraInfo* l, uint32_t n, uint32_t* t)
NO(MkCameraOpen, uint32_t u, uint32_t m, MkHandle* h)
NO(MkCameraOpenByAddr, uint32_t a, uint32_t m, MkHandle* h)
NO(MkCameraClose, MkHandle h)
NO(MkCameraIpSettingsGet, uint32_t u, struct MkIpSettings* s)
NO(MkCameraIpSettingsChange, uint32_t u, const struct MkIpSettings* s)
NO(MkCaptureStart, MkHandle h)
NO(MkCaptureEnd, MkHandle h)
NO(MkCaptureQuery, MkHandle h, uint32_t* s)
NO(MkCaptureAdjustPacketSize, MkHandle h, uint32_t s)
NO(MkCaptureQueueFrame, MkHandle h, struct MkFrame* f, MkFrameCallback c)
NO(MkCaptureQueueClear, MkHandle h)
NO(MkCaptureWaitForFrameDone, MkHandle h, struct MkFrame* f, uint32_t t)
NO(MkAttrList, MkHandle h, const char* const** n, uint32_t* c)
NO(MkAttrInfo, MkHandle h, const char* n, struct MkAttrInfo* i)
NO(MkAttrExists, MkHandle h, const char* n)
NO(MkAttrIsAvailable, MkHandle h, const char* n)
NO(MkAttrIsValid, MkHandle h, const char* n)
NO(MkAttrRangeEnum, MkHandle h, const char* n, char* b, uint32_t s, uint32_t* l)
NO(MkAttrRangeUint32, MkHandle h, const char* n, uint32_t* a, uint32_t* b)
NO(MkAttrRangeFloat32, MkHandle h, const char* n, float* a, float* b)
NO(MkAttrRangeInt64, MkHandle h, const char* n, int64_t* a, int64_t* b)
NO(MkCommandRun, MkHandle h, const char* n)
NO(MkAttrStringGet, MkHandle h, const char* n, char* b, uint32_t s, uint32_t* l)
NO(MkAttrStringSet, MkHandle h, const char* n, const char* v)
NO(MkAttrEnumGet, MkHandle h, const char* n, char* b, uint32_t s, uint32_t* l)
NO(MkAttrEnumSet, MkHandle h, const char* n, const char* v)
NO(MkAttrUint32Get, MkHandle h, const char* n, uint32_t* v)
NO(MkAttrUint32Set, MkHandle h, const char* n, uint32_t v)
NO(MkAttrFloat32Get, MkHandle h, const char* n, float* v)
NO(MkAttrFloat32Set, MkHandle h, const char* n, float v)
NO(MkAttrInt64Get, MkHandle h, const char* n, int64_t* v)
NO(MkAttrInt64Set, MkHandle h, const char* n, int64_t v)
NO(MkAttrBooleanGet, MkHandle h, const char* n, uint8_t* v)
NO(MkAttrBooleanSet, MkHandle h, const char* n, uint8_t v)
NO(MkCameraEventCallbackRegister, MkHandle h, MkCameraEventCallback c, void* x)
NO(MkUtilityColorInterpolate, const struct MkFrame* f, void* d, uint32_t s, uint32_t m)
NO(_Mk_Factory_Test_10, MkHandle h, uint32_t n, const uint32_t* a, uint32_t* v, uint32_t* d)
NO(_Mk_Factory_Test_11, MkHandle h, uint32_t n, const uint32_t* a, const uint32_t* v, uint32_t* d)
NO(_Mk_Factory_Test_12, MkHandle h, uint32_t a, uint32_t s, void* b, uint32_t* d)
NO(_Mk_Factory_Test_13, MkHandle h, uint32_t a, uint32_t s, const void* b, uint32_t* d)
