// The framework's plain types: result codes, features, colour codings, the
// notification callbacks, and the handle types of its interfaces (declared
// here without <windows.h> so the interface headers also build natively).
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include "win32/lean_windows.h"
#ifdef FRAMIX_BUILDING
#define FRAMIX_API __declspec(dllexport)
#else
#define FRAMIX_API __declspec(dllimport)
#endif
#else
// The same types the system header declares under STRICT.
struct HWND__;
typedef HWND__* HWND;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef void* HANDLE;
typedef unsigned int UINT;
typedef unsigned long DWORD;
#define FRAMIX_API
#endif

// Result of every framework operation; 0 is success.
typedef uint32_t UG_ERRCODE;
enum : UG_ERRCODE {
    UG_OK = 0,
    UG_ERR_ALREADY_INITIALIZED = 1,
    UG_ERR_NOT_INITIALIZED = 2,
    UG_ERR_ACQUISITION_RUNNING = 3,
    UG_ERR_FAILED = 4,    // out of memory, library unusable, open failed
    UG_ERR_PARAMETER = 5, // a null pointer or a bad argument
    UG_ERR_NOT_FOUND = 6, // index or id not in the list
    UG_ERR_NO_GFXMODE = 7,
    UG_ERR_NO_ACTIVE_CAMERA = 8,
    UG_ERR_NO_CMD_CHANNEL = 9, // no active command channel
    UG_ERR_CAMERA_NOT_OPEN = 10,
    UG_ERR_NO_CONFIG_STORE = 11,
    UG_ERR_BUFFERS_NOT_PREPARED = 12,
    UG_ERR_NO_FILLED_BUFFER = 13,
    UG_ERR_OUT_OF_RANGE = 14,
    UG_ERR_DIALOG = 15, // a dialog could not be created
    UG_ERR_CMD_ALREADY_OPEN = 16,
    UG_ERR_CMD_NOT_OPEN = 17,
    UG_ERR_CMD_OPEN_FAILED = 18,
    UG_ERR_CMD_READ_FAILED = 19,
    UG_ERR_CMD_WRITE_FAILED = 20,
    UG_ERR_CMD_PURGE_FAILED = 21,
    UG_ERR_CMD_CONFIG_NOT_SAVED = 22,
    UG_ERR_EXCEPTION = 23, // an operation threw; caught at the boundary
    UG_ERR_ACQUISITION_FAILED = 29,
    UG_ERR_NOT_SUPPORTED = 34,
};

// Features of GetGrabberParam, SetGrabberParam and GetGrabberParamLimits.
typedef uint32_t UG_GRABBERFEATURE;
enum : UG_GRABBERFEATURE {
    UG_FEATURE_NUM_BUFFERS = 1,      // value1: requested number of frame buffers
    UG_FEATURE_TIMER_MODE = 256,     // value1: timer word A, value2: timer word B
    UG_FEATURE_TIMER_TIMEBASE = 261, // value1: time-base exponent (-6..0, signed)
    UG_FEATURE_TRIGGER_SOURCE = 262,
    UG_FEATURE_TRIGGER_POLARITY = 263,
    UG_FEATURE_STROBE = 265,
    UG_FEATURE_TIMER_OUTPUT = 267,
    UG_FEATURE_FRAME_COUNTER = 4096, // value1 and value2: frames since the last snap start
};

// Colour coding of a graphics mode.
typedef uint32_t UG_COLORCODING;
enum : UG_COLORCODING {
    UG_CC_MONO = 0,
    UG_CC_RAW_CFA = 1,
    UG_CC_RGB = 3,
    UG_CC_RGBA = 7,
    UG_CC_BGR = 8,
    UG_CC_BGRA = 12,
};

// Snap types (and the snap mode while one runs; 0 = idle).
enum : int32_t {
    UG_SNAP_IDLE = 0,
    UG_SNAP_CONTINUOUS = 1,
    UG_SNAP_ASYNC_SINGLE = 2,
    UG_SNAP_SYNC_SINGLE = 3, // 4 and 5 behave alike
};

// Events of SignalCamCntrlDlgEvent.
enum : uint32_t {
    UG_DLGEVENT_CLOSE = 1,                  // the dialog asks to be hidden; answered 1
    UG_DLGEVENT_STOP_ACQUISITION = 4096,    // stop a running acquisition before a format change; 1 = go ahead
    UG_DLGEVENT_RESTART_ACQUISITION = 4097, // restart what 4096 stopped; 1 = done
};

// Channel type tags of CCmdChannel::GetChannelType.
enum : uint32_t {
    UG_CMDTYPE_SERIAL = 1,           // the framework's serial-port channel
    UG_CMDTYPE_PLUGIN = 0x80000000u, // a channel the plug-in made and deletes
};

// Purge flags of the command channels.
enum : uint32_t {
    UG_PURGE_RX = 1,
    UG_PURGE_TX = 2,
};

// Host notifications. A frame: buffer index and the flag of DoPostProcess
// (1 from the frame callback, 0 from a synchronous snap), called on the
// thread that delivered the frame. A configuration change: no arguments. A
// dialog event: the event number; the result is what the dialog receives.
typedef void (*UG_POSTPROCESS_CALLBACK)(void* context, uint64_t bufferIndex, uint32_t flag);
typedef void (*UG_CAMCFGCHANGE_CALLBACK)(void* context);
typedef uint32_t (*UG_CAMCNTRL_CALLBACK)(void* context, uint32_t event);

// The stored record of a graphics mode (assignment from, reading into and
// comparison with it).
struct UG_GFXMODE_RECORD {
    uint32_t xRes, yRes;
    uint32_t compressed, binning, lineScan;
    uint32_t numComponents, allocatedBitPerComponent, bitStartComponent, bitPerComponent;
    uint32_t framesPerImage, interlace;
    UG_COLORCODING colorCoding;
    uint32_t cfaXOffset, cfaYOffset;
    uint64_t pixelPerSecond, linesPerSecond;
    uint32_t minDarkTime, frameTransferDuration;
    char modeDesc[256];
};

// The conversion a graphics mode asks the frame buffers to run: routine(source, destination, pixel count).
typedef void (*UG_CONVERSION_FUNCTION)(const void* source, void* destination, uint64_t pixelCount);
