// The scripted camera's library functions.
#include "ScriptedCamera.h"

#include <cstdlib>
#include <cstring>

namespace attr_editor {

struct ScriptedCameraFunctions {
    static ScriptedCamera& Camera(MkHandle handle) { return *reinterpret_cast<ScriptedCamera*>(handle); }

    static const ScriptedAttr* Read(MkHandle handle, const char* name, const char* function, uint32_t type,
                                    uint32_t& code)
    {
        ScriptedCamera& camera = Camera(handle);
        ++camera.calls[function];
        camera.readNames.push_back(name);
        const ScriptedAttr* a = camera.Find(name);
        code = !a ? uint32_t(MK_ERR_NOT_FOUND) : a->type != type ? uint32_t(MK_ERR_WRONG_TYPE)
                                                                 : a->readCode;
        return code ? nullptr : a;
    }

    static uint32_t MKAPI_CALL List(MkHandle handle, const char* const** names, uint32_t* count)
    {
        ScriptedCamera& camera = Camera(handle);
        ++camera.calls["MkAttrList"];
        camera.m_names.clear();
        for (const ScriptedAttr& a : camera.attrs) camera.m_names.push_back(a.name.c_str());
        for (const std::string& n : camera.extraNames) camera.m_names.push_back(n.c_str());
        *names = camera.m_names.data();
        *count = static_cast<uint32_t>(camera.m_names.size());
        return camera.listCode;
    }

    static uint32_t MKAPI_CALL Info(MkHandle handle, const char* name, struct MkAttrInfo* info)
    {
        ScriptedCamera& camera = Camera(handle);
        ++camera.calls["MkAttrInfo"];
        const ScriptedAttr* a = camera.Find(name);
        if (!a) return MK_ERR_NOT_FOUND;
        if (a->infoCode) return a->infoCode;
        std::memset(info, 0, sizeof *info);
        info->type = a->type;
        info->flags = a->flags;
        info->category = a->category.c_str();
        info->impacts = a->impacts.c_str();
        return 0;
    }

    static uint32_t Text(MkHandle handle, const char* name, const char* function, uint32_t type, char* buffer,
                         uint32_t size, uint32_t* length)
    {
        uint32_t code = 0;
        const ScriptedAttr* a = Read(handle, name, function, type, code);
        if (!a) return code;
        if (length) *length = static_cast<uint32_t>(a->value.size());
        if (a->value.size() + 1 > size) return MK_ERR_BAD_PARAMETER; // as the library refuses a short buffer
        std::memcpy(buffer, a->value.c_str(), a->value.size() + 1);
        return 0;
    }
    static uint32_t MKAPI_CALL String(MkHandle h, const char* n, char* b, uint32_t s, uint32_t* l)
    {
        return Text(h, n, "MkAttrStringGet", MK_ATTR_STRING, b, s, l);
    }
    static uint32_t MKAPI_CALL Enum(MkHandle h, const char* n, char* b, uint32_t s, uint32_t* l)
    {
        return Text(h, n, "MkAttrEnumGet", MK_ATTR_ENUM, b, s, l);
    }
    static uint32_t MKAPI_CALL Uint32(MkHandle h, const char* n, uint32_t* v)
    {
        uint32_t code = 0;
        if (const ScriptedAttr* a = Read(h, n, "MkAttrUint32Get", MK_ATTR_UINT32, code))
            *v = static_cast<uint32_t>(std::strtoul(a->value.c_str(), nullptr, 10));
        return code;
    }
    static uint32_t MKAPI_CALL Float32(MkHandle h, const char* n, float* v)
    {
        uint32_t code = 0;
        if (const ScriptedAttr* a = Read(h, n, "MkAttrFloat32Get", MK_ATTR_FLOAT32, code))
            *v = std::strtof(a->value.c_str(), nullptr);
        return code;
    }
    static uint32_t MKAPI_CALL Int64(MkHandle h, const char* n, int64_t* v)
    {
        uint32_t code = 0;
        if (const ScriptedAttr* a = Read(h, n, "MkAttrInt64Get", MK_ATTR_INT64, code))
            *v = std::strtoll(a->value.c_str(), nullptr, 10);
        return code;
    }
    static uint32_t MKAPI_CALL Boolean(MkHandle h, const char* n, uint8_t* v)
    {
        uint32_t code = 0;
        if (const ScriptedAttr* a = Read(h, n, "MkAttrBooleanGet", MK_ATTR_BOOLEAN, code))
            *v = a->value == "1" ? 1 : 0;
        return code;
    }
};

ScriptedAttr* ScriptedCamera::Find(const std::string& name)
{
    for (ScriptedAttr& a : attrs)
        if (a.name == name) return &a;
    return nullptr;
}

int ScriptedCamera::Reads() const
{
    int total = 0;
    for (const char* f : {"MkAttrStringGet", "MkAttrEnumGet", "MkAttrUint32Get", "MkAttrFloat32Get", "MkAttrInt64Get",
                          "MkAttrBooleanGet"}) {
        const auto it = calls.find(f);
        if (it != calls.end()) total += it->second;
    }
    return total;
}

const zelmk::MkApiFunctions& ScriptedCamera::Api()
{
    static const zelmk::MkApiFunctions api = [] {
        zelmk::MkApiFunctions t;
        using F = ScriptedCameraFunctions;
        t.MkAttrList = &F::List;
        t.MkAttrInfo = &F::Info;
        t.MkAttrStringGet = &F::String;
        t.MkAttrEnumGet = &F::Enum;
        t.MkAttrUint32Get = &F::Uint32;
        t.MkAttrFloat32Get = &F::Float32;
        t.MkAttrInt64Get = &F::Int64;
        t.MkAttrBooleanGet = &F::Boolean;
        return t;
    }();
    return api;
}

} // namespace attr_editor
