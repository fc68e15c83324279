// The attribute dump over a scripted camera with every data type, unreadable
// attributes, failing reads and long texts.
#include "zelmk/PrintParameters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace zelmk {
namespace {

struct Attr {
    uint32_t type;
    uint32_t flags;
    std::string text;      // string and enum values
    double number = 0;     // uint32, float32, int64, bool values
    uint32_t readCode = 0; // non-zero: every read fails with it
    uint32_t infoCode = 0; // non-zero: MkAttrInfo fails with it
};

std::vector<std::pair<std::string, Attr>> g_attrs;
uint32_t g_listCode = 0;
bool g_tooSmallCode = false; // answer a short buffer with code 13, as some libraries do

const Attr* Find(const char* name)
{
    for (const auto& [n, a] : g_attrs)
        if (n == name) return &a;
    return nullptr;
}

uint32_t MKAPI_CALL List(MkHandle, const char* const** names, uint32_t* count)
{
    static std::vector<const char*> pointers;
    pointers.clear();
    for (const auto& entry : g_attrs) pointers.push_back(entry.first.c_str());
    *names = pointers.data();
    *count = static_cast<uint32_t>(pointers.size());
    return g_listCode;
}
uint32_t MKAPI_CALL Info(MkHandle, const char* name, struct MkAttrInfo* info)
{
    const Attr* a = Find(name);
    if (a->infoCode) return a->infoCode;
    info->type = a->type;
    info->flags = a->flags;
    return 0;
}
uint32_t MKAPI_CALL Text(MkHandle, const char* name, char* buffer, uint32_t size, uint32_t* length)
{
    const Attr* a = Find(name);
    if (a->readCode) return a->readCode;
    if (length) *length = static_cast<uint32_t>(a->text.size());
    const size_t n = std::min<size_t>(size - 1, a->text.size());
    std::memcpy(buffer, a->text.data(), n);
    buffer[n] = 0;
    return g_tooSmallCode && a->text.size() >= size ? 13 : 0;
}
uint32_t MKAPI_CALL Range(MkHandle, const char*, char* buffer, uint32_t size, uint32_t*)
{
    std::snprintf(buffer, size, "Mono8,Mono16");
    return 0;
}
uint32_t MKAPI_CALL U32(MkHandle, const char* name, uint32_t* v)
{
    const Attr* a = Find(name);
    *v = static_cast<uint32_t>(a->number);
    return a->readCode;
}
uint32_t MKAPI_CALL F32(MkHandle, const char* name, float* v)
{
    const Attr* a = Find(name);
    *v = static_cast<float>(a->number);
    return a->readCode;
}
uint32_t MKAPI_CALL I64(MkHandle, const char* name, int64_t* v)
{
    const Attr* a = Find(name);
    *v = static_cast<int64_t>(a->number);
    return a->readCode;
}
uint32_t MKAPI_CALL Bool(MkHandle, const char* name, uint8_t* v)
{
    const Attr* a = Find(name);
    *v = a->number != 0;
    return a->readCode;
}

MkApiFunctions Table()
{
    MkApiFunctions api;
    api.MkAttrList = &List;
    api.MkAttrInfo = &Info;
    api.MkAttrStringGet = &Text;
    api.MkAttrEnumGet = &Text;
    api.MkAttrRangeEnum = &Range;
    api.MkAttrUint32Get = &U32;
    api.MkAttrFloat32Get = &F32;
    api.MkAttrInt64Get = &I64;
    api.MkAttrBooleanGet = &Bool;
    return api;
}

std::vector<std::string> Dump()
{
    std::vector<std::string> lines;
    PrintCameraParameters(Table(), reinterpret_cast<MkHandle>(1), [&](int level, const std::string& text) {
        lines.push_back(std::to_string(level) + " " + text);
    });
    return lines;
}

TEST(PrintParametersTest, EveryTypeUnreadableFailingAndLong)
{
    const uint32_t R = MK_FLAG_READ;
    g_listCode = 0;
    g_attrs = {
        {"AcquisitionStart", {MK_ATTR_COMMAND, 0, ""}},
        {"LUT", {MK_ATTR_RAW, R, ""}},
        {"DeviceModelName", {MK_ATTR_STRING, R, "Zel GX-1234 with a long model name"}},
        {"Short", {MK_ATTR_STRING, R, "abc"}},
        {"PixelFormat", {MK_ATTR_ENUM, R, "Mono8"}},
        {"Width", {MK_ATTR_UINT32, R, "", 640}},
        {"Gain", {MK_ATTR_FLOAT32, R, "", 1.5}},
        {"Offset", {MK_ATTR_INT64, R, "", -5000000000.0}},
        {"ReverseX", {MK_ATTR_BOOLEAN, R, "", 1}},
        {"ReverseY", {MK_ATTR_BOOLEAN, R, "", 0}},
        {"Odd", {99, R, ""}},
        {"HiddenS", {MK_ATTR_STRING, 0, "x"}},
        {"HiddenE", {MK_ATTR_ENUM, 2, "x"}},
        {"HiddenU", {MK_ATTR_UINT32, 0, ""}},
        {"HiddenF", {MK_ATTR_FLOAT32, 0, ""}},
        {"HiddenI", {MK_ATTR_INT64, 0, ""}},
        {"HiddenB", {MK_ATTR_BOOLEAN, 0, ""}},
        {"BadS", {MK_ATTR_STRING, R, "", 0, 21}},
        {"BadE", {MK_ATTR_ENUM, R, "", 0, 6}},
        {"BadU", {MK_ATTR_UINT32, R, "", 0, 8}},
        {"BadF", {MK_ATTR_FLOAT32, R, "", 0, 19}},
        {"BadI", {MK_ATTR_INT64, R, "", 0, 30}},
        {"BadB", {MK_ATTR_BOOLEAN, R, "", 0, 3}},
        {"NoInfo", {MK_ATTR_UINT32, R, "", 0, 0, 6}},
        {"100%s", {MK_ATTR_UINT32, R, "", 7}},
    };
    const std::vector<std::string> expected = {
        "1 AcquisitionStart is a command",
        "1 LUT has raw data type",
        "1 DeviceModelName (string) = \"Zel GX-1234 with a long model name\"",
        "1 Short (string) = \"abc\"",
        "1 PixelFormat (enum) = \"Mono8\"",
        "1 Width (uint32) = 640",
        "1 Gain (float32) = 1.500000",
        "1 Offset (int64) = -5000000000",
        "1 ReverseX (bool) = On",
        "1 ReverseY (bool) = Off",
        "1 Odd has an unknown datatype",
        "1 HiddenS (string) is not readable",
        "1 HiddenE (enum) is not readable",
        "1 HiddenU (uint32) is not readable",
        "1 HiddenF (float32) is not readable",
        "1 HiddenI (int64) is not readable",
        "1 HiddenB (bool) is not readable",
        "0 Can't retrieve attribute BadS: Attribute is not available at this time",
        "0 Can't retrieve attribute BadE (enum) [Mono8,Mono16]: Camera or attribute not found",
        "0 Can't retrieve attribute BadU (uint32): Camera was unplugged",
        "0 Can't retrieve attribute BadF (float32): Attribute is not this type (wrong access function)",
        "0 Can't retrieve attribute BadI (int64): unknown error (30)",
        "0 Can't retrieve attribute BadB (bool): Camera handle is invalid",
        "0 Can't retrieve info for attribute NoInfo: Camera or attribute not found",
        "1 100%s (uint32) = 7",
    };
    for (bool tooSmall : {false, true}) {
        SCOPED_TRACE(tooSmall ? "short buffer answered with code 13" : "short buffer answered with 0");
        g_tooSmallCode = tooSmall;
        EXPECT_EQ(expected, Dump());
    }
    g_tooSmallCode = false;
}

TEST(PrintParametersTest, ListFailureStops)
{
    g_attrs = {{"Width", {MK_ATTR_UINT32, MK_FLAG_READ, "", 1}}};
    g_listCode = 2;
    const std::vector<std::string> expected = {
        "0 CFramixZelmkAPIClass::PrintParameters: Cannot access camera attribute list: Unexpected fault in MkApi or driver"};
    EXPECT_EQ(expected, Dump());
    g_listCode = 0;
}

} // namespace
} // namespace zelmk
