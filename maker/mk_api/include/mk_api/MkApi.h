/* mkApi.dll, the camera access library: its codes, records and the 55 functions (plus the
   run-time control entry of the simulated network), as a caller binds them by name. */
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef _WIN32
#define MKAPI_CALL __stdcall
#else
#define MKAPI_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes: 0 = success. */
enum {
    MK_ERR_SUCCESS = 0,
    MK_ERR_CAMERA_FAULT = 1,
    MK_ERR_INTERNAL_FAULT = 2,
    MK_ERR_BAD_HANDLE = 3,
    MK_ERR_BAD_PARAMETER = 4,
    MK_ERR_BAD_SEQUENCE = 5,
    MK_ERR_NOT_FOUND = 6,
    MK_ERR_ACCESS_DENIED = 7,
    MK_ERR_UNPLUGGED = 8,
    MK_ERR_INVALID_SETUP = 9,
    MK_ERR_RESOURCES = 10,
    MK_ERR_BANDWIDTH = 11,
    MK_ERR_QUEUE_FULL = 12,
    MK_ERR_BUFFER_TOO_SMALL = 13,
    MK_ERR_CANCELLED = 14,
    MK_ERR_DATA_LOST = 15,
    MK_ERR_DATA_MISSING = 16,
    MK_ERR_TIMEOUT = 17,
    MK_ERR_OUT_OF_RANGE = 18,
    MK_ERR_WRONG_TYPE = 19,
    MK_ERR_FORBIDDEN = 20,
    MK_ERR_UNAVAILABLE = 21,
    MK_ERR_FIREWALL = 22
};

/* Link events and the interface they come from. */
enum {
    MK_LINK_ADD = 1,    /* a camera appeared */
    MK_LINK_REMOVE = 2, /* a camera vanished */
    MK_INTERFACE_ETHERNET = 1
};

/* MkCameraOpen access modes. */
enum {
    MK_ACCESS_MONITOR = 1, /* read only, beside any other opener */
    MK_ACCESS_MASTER = 4   /* full control, one opener at a time */
};

/* IP configuration mode bits (MkIpSettings). */
enum {
    MK_IP_PERSISTENT = 1,
    MK_IP_DHCP = 2,
    MK_IP_AUTO = 4
};

/* Attribute data types and flags (struct MkAttrInfo). */
enum {
    MK_ATTR_COMMAND = 1,
    MK_ATTR_RAW = 2,
    MK_ATTR_STRING = 3,
    MK_ATTR_ENUM = 4,
    MK_ATTR_UINT32 = 5,
    MK_ATTR_FLOAT32 = 6,
    MK_ATTR_INT64 = 7,
    MK_ATTR_BOOLEAN = 8,
    MK_FLAG_READ = 1,
    MK_FLAG_WRITE = 2,
    MK_FLAG_VOLATILE = 4
};

/* Camera events (MkCameraEventCallbackRegister). */
enum {
    MK_EVENT_ACQUISITION_START = 1,
    MK_EVENT_ACQUISITION_END = 2,
    MK_EVENT_FRAME_DROPPED = 3,  /* a frame found no queued buffer */
    MK_EVENT_SERIAL_OVERFLOW = 4 /* a serial port's receive buffer overflowed */
};

typedef void* MkHandle; /* 0 = none; a closed handle is never given out again */

/* Addresses are four octets in network order: the first octet in the lowest byte. */
struct MkCameraInfo {
    uint32_t interfaceType;   /*   0: MK_INTERFACE_ETHERNET */
    uint32_t uniqueId;        /*   4 */
    char name[32];            /*   8: the user-defined name, else the model */
    char model[32];           /*  40 */
    char vendor[32];          /*  72 */
    char serialNumber[32];    /* 104 */
    char firmwareVersion[32]; /* 136 */
    uint32_t permittedAccess; /* 168: access modes an open would get now (0: unreachable) */
    uint32_t address;         /* 172: current address */
    uint32_t reserved;        /* 176 */
};

struct MkIpSettings {
    uint32_t configMode;        /*  0: MK_IP_* bits */
    uint32_t configModes;       /*  4: supported MK_IP_* bits */
    uint32_t currentAddress;    /*  8 */
    uint32_t currentMask;       /* 12 */
    uint32_t currentGateway;    /* 16 */
    uint32_t persistentAddress; /* 20 */
    uint32_t persistentMask;    /* 24 */
    uint32_t persistentGateway; /* 28 */
    uint32_t reserved[8];       /* 32: not interpreted */
};

struct MkFrame {
    void* imageBuffer;        /*   0: filled by the library */
    uint32_t imageBufferSize; /*   8 */
    uint32_t reserved0;       /*  12 */
    uint64_t reserved1[2];    /*  16 */
    void* context[4];         /*  32: the caller's, never touched */
    uint64_t reserved2[4];    /*  64 */
    uint32_t status;          /*  96: MK_ERR_SUCCESS for a complete frame, else a code */
    uint32_t imageSize;       /* 100: bytes written */
    uint32_t width;           /* 104 */
    uint32_t height;          /* 108 */
    uint32_t regionX;         /* 112 */
    uint32_t regionY;         /* 116 */
    uint32_t pixelFormat;     /* 120: GigE Vision pixel-format code */
    uint32_t bitDepth;        /* 124: significant bits per component */
    uint32_t frameCount;      /* 128: the camera's frame number since acquisition start, from 1 */
    uint32_t timestampLo;     /* 132: microseconds of the camera's clock */
    uint32_t timestampHi;     /* 136 */
    uint32_t reserved3[35];   /* 140 */
};

struct MkAttrInfo {
    uint32_t type;        /*  0: MK_ATTR_*, any other value is an unknown type */
    uint32_t flags;       /*  4: MK_FLAG_* */
    const char* category; /*  8: "/A/B", owned by the library until the handle closes */
    const char* impacts;  /* 16: comma-separated names or category paths */
    uint32_t reserved[4]; /* 24 */
};

struct MkCameraEvent {
    uint32_t event; /* MK_EVENT_* */
    uint32_t reserved;
    uint64_t timestampUs;
};

typedef void(MKAPI_CALL* MkLinkCallback)(void* context, uint32_t interfaceType, uint32_t event, uint32_t uniqueId);
typedef void(MKAPI_CALL* MkFrameCallback)(struct MkFrame* frame);
typedef void(MKAPI_CALL* MkCameraEventCallback)(void* context, MkHandle handle, const struct MkCameraEvent* events,
                                                uint32_t count);

/* The 55 functions, in the order a caller binds them. */
void MKAPI_CALL MkVersion(uint32_t* major, uint32_t* minor);
uint32_t MKAPI_CALL MkInitialize(void);
uint32_t MKAPI_CALL MkInitializeNoDiscovery(void);
void MKAPI_CALL MkUnInitialize(void);
uint32_t MKAPI_CALL MkLinkCallbackRegister(MkLinkCallback callback, uint32_t event, void* context);
uint32_t MKAPI_CALL MkLinkCallbackUnRegister(MkLinkCallback callback, uint32_t event);
uint32_t MKAPI_CALL MkCameraListEx(struct MkCameraInfo* list, uint32_t length, uint32_t* total, uint32_t recordSize);
uint32_t MKAPI_CALL MkCameraList(struct MkCameraInfo* list, uint32_t length, uint32_t* total);
uint32_t MKAPI_CALL MkCameraCount(void);
uint32_t MKAPI_CALL MkCameraInfoEx(uint32_t uniqueId, struct MkCameraInfo* info, uint32_t recordSize);
uint32_t MKAPI_CALL MkCameraInfo(uint32_t uniqueId, struct MkCameraInfo* info);
uint32_t MKAPI_CALL MkCameraInfoByAddrEx(uint32_t address, struct MkCameraInfo* info, uint32_t recordSize);
uint32_t MKAPI_CALL MkCameraInfoByAddr(uint32_t address, struct MkCameraInfo* info);
uint32_t MKAPI_CALL MkCameraListUnreachableEx(struct MkCameraInfo* list, uint32_t length, uint32_t* total,
                                              uint32_t recordSize);
uint32_t MKAPI_CALL MkCameraListUnreachable(struct MkCameraInfo* list, uint32_t length, uint32_t* total);
uint32_t MKAPI_CALL MkCameraOpen(uint32_t uniqueId, uint32_t accessMode, MkHandle* handle);
uint32_t MKAPI_CALL MkCameraOpenByAddr(uint32_t address, uint32_t accessMode, MkHandle* handle);
uint32_t MKAPI_CALL MkCameraClose(MkHandle handle);
uint32_t MKAPI_CALL MkCameraIpSettingsGet(uint32_t uniqueId, struct MkIpSettings* settings);
uint32_t MKAPI_CALL MkCameraIpSettingsChange(uint32_t uniqueId, const struct MkIpSettings* settings);
uint32_t MKAPI_CALL MkCaptureStart(MkHandle handle);
uint32_t MKAPI_CALL MkCaptureEnd(MkHandle handle);
uint32_t MKAPI_CALL MkCaptureQuery(MkHandle handle, uint32_t* started);
uint32_t MKAPI_CALL MkCaptureAdjustPacketSize(MkHandle handle, uint32_t largestSize);
uint32_t MKAPI_CALL MkCaptureQueueFrame(MkHandle handle, struct MkFrame* frame, MkFrameCallback callback);
uint32_t MKAPI_CALL MkCaptureQueueClear(MkHandle handle);
uint32_t MKAPI_CALL MkCaptureWaitForFrameDone(MkHandle handle, struct MkFrame* frame, uint32_t timeoutMs);
uint32_t MKAPI_CALL MkAttrList(MkHandle handle, const char* const** names, uint32_t* count);
uint32_t MKAPI_CALL MkAttrInfo(MkHandle handle, const char* name, struct MkAttrInfo* info);
uint32_t MKAPI_CALL MkAttrExists(MkHandle handle, const char* name);
uint32_t MKAPI_CALL MkAttrIsAvailable(MkHandle handle, const char* name);
uint32_t MKAPI_CALL MkAttrIsValid(MkHandle handle, const char* name);
uint32_t MKAPI_CALL MkAttrRangeEnum(MkHandle handle, const char* name, char* buffer, uint32_t size, uint32_t* length);
uint32_t MKAPI_CALL MkAttrRangeUint32(MkHandle handle, const char* name, uint32_t* minimum, uint32_t* maximum);
uint32_t MKAPI_CALL MkAttrRangeFloat32(MkHandle handle, const char* name, float* minimum, float* maximum);
uint32_t MKAPI_CALL MkAttrRangeInt64(MkHandle handle, const char* name, int64_t* minimum, int64_t* maximum);
uint32_t MKAPI_CALL MkCommandRun(MkHandle handle, const char* name);
uint32_t MKAPI_CALL MkAttrStringGet(MkHandle handle, const char* name, char* buffer, uint32_t size, uint32_t* length);
uint32_t MKAPI_CALL MkAttrStringSet(MkHandle handle, const char* name, const char* value);
uint32_t MKAPI_CALL MkAttrEnumGet(MkHandle handle, const char* name, char* buffer, uint32_t size, uint32_t* length);
uint32_t MKAPI_CALL MkAttrEnumSet(MkHandle handle, const char* name, const char* value);
uint32_t MKAPI_CALL MkAttrUint32Get(MkHandle handle, const char* name, uint32_t* value);
uint32_t MKAPI_CALL MkAttrUint32Set(MkHandle handle, const char* name, uint32_t value);
uint32_t MKAPI_CALL MkAttrFloat32Get(MkHandle handle, const char* name, float* value);
uint32_t MKAPI_CALL MkAttrFloat32Set(MkHandle handle, const char* name, float value);
uint32_t MKAPI_CALL MkAttrInt64Get(MkHandle handle, const char* name, int64_t* value);
uint32_t MKAPI_CALL MkAttrInt64Set(MkHandle handle, const char* name, int64_t value);
uint32_t MKAPI_CALL MkAttrBooleanGet(MkHandle handle, const char* name, uint8_t* value);
uint32_t MKAPI_CALL MkAttrBooleanSet(MkHandle handle, const char* name, uint8_t value);
uint32_t MKAPI_CALL MkCameraEventCallbackRegister(MkHandle handle, MkCameraEventCallback callback, void* context);
uint32_t MKAPI_CALL MkUtilityColorInterpolate(const struct MkFrame* frame, void* destination, uint32_t destinationSize,
                                              uint32_t destinationFormat);
/* Register read and write: count 32-bit registers; `done` (may be null) receives how many went through. */
uint32_t MKAPI_CALL _Mk_Factory_Test_10(MkHandle handle, uint32_t count, const uint32_t* addresses, uint32_t* values,
                                        uint32_t* done);
uint32_t MKAPI_CALL _Mk_Factory_Test_11(MkHandle handle, uint32_t count, const uint32_t* addresses,
                                        const uint32_t* values, uint32_t* done);
/* Memory read and write: size bytes from address (both multiples of 4); `done` as above, in bytes. */
uint32_t MKAPI_CALL _Mk_Factory_Test_12(MkHandle handle, uint32_t address, uint32_t size, void* buffer, uint32_t* done);
uint32_t MKAPI_CALL _Mk_Factory_Test_13(MkHandle handle, uint32_t address, uint32_t size, const void* buffer,
                                        uint32_t* done);

/* Run-time control of the simulated network (outside the 55): one command line in, a reply
   text out (always zero-terminated when size > 0). The commands are listed in the README. */
uint32_t MKAPI_CALL MkSimControl(const char* command, char* reply, uint32_t size);

/* Pointer types of every function, for callers that bind them at run time. */
typedef uint32_t(MKAPI_CALL* MkSimControlFn)(const char*, char*, uint32_t);

#ifdef __cplusplus
} /* extern "C" */

static_assert(sizeof(void*) == 8, "mkApi records are laid out for 64-bit callers");
static_assert(sizeof(struct MkCameraInfo) == 180, "MkCameraInfo is 180 bytes");
static_assert(offsetof(struct MkCameraInfo, uniqueId) == 4 && offsetof(struct MkCameraInfo, name) == 8 &&
                  offsetof(struct MkCameraInfo, serialNumber) == 104,
              "MkCameraInfo offsets");
static_assert(sizeof(MkIpSettings) == 64, "MkIpSettings is 64 bytes");
static_assert(offsetof(MkIpSettings, configModes) == 4 && offsetof(MkIpSettings, currentAddress) == 8 &&
                  offsetof(MkIpSettings, currentMask) == 12 && offsetof(MkIpSettings, currentGateway) == 16 &&
                  offsetof(MkIpSettings, persistentAddress) == 20 && offsetof(MkIpSettings, persistentMask) == 24 &&
                  offsetof(MkIpSettings, persistentGateway) == 28,
              "MkIpSettings offsets");
static_assert(sizeof(MkFrame) == 280, "MkFrame is 280 bytes");
static_assert(offsetof(MkFrame, imageBuffer) == 0 && offsetof(MkFrame, imageBufferSize) == 8 &&
                  offsetof(MkFrame, context) == 32 && offsetof(MkFrame, status) == 96,
              "MkFrame offsets");
static_assert(sizeof(struct MkAttrInfo) == 40, "the attribute information record is 40 bytes");
static_assert(offsetof(struct MkAttrInfo, flags) == 4 && offsetof(struct MkAttrInfo, category) == 8 &&
                  offsetof(struct MkAttrInfo, impacts) == 16,
              "attribute information offsets");
#endif
