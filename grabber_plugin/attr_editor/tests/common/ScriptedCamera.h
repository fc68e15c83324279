// A camera scripted by a table of attributes, behind the library's function
// table: the handle given to the functions is the camera object itself, so
// several cameras can live side by side without global state.
#pragma once

#include "zelmk/MkApiTable.h"

#include <map>
#include <string>
#include <vector>

namespace attr_editor {

struct ScriptedAttr {
    std::string name;
    uint32_t type = MK_ATTR_UINT32;
    uint32_t flags = MK_FLAG_READ;
    std::string category = "/";
    std::string impacts;
    std::string value;     // the value as text: "12", "1.5", "-7", "1" (boolean), "Mono8"
    uint32_t readCode = 0; // non-zero: every value read answers it
    uint32_t infoCode = 0; // non-zero: MkAttrInfo answers it
};

class ScriptedCamera {
public:
    explicit ScriptedCamera(std::vector<ScriptedAttr> attrs = {}) : attrs(std::move(attrs)) {}

    MkHandle Handle() { return reinterpret_cast<MkHandle>(this); }
    ScriptedAttr* Find(const std::string& name);
    // The function table reaching this kind of camera (the getters, list and info).
    static const zelmk::MkApiFunctions& Api();

    std::vector<ScriptedAttr> attrs;
    uint32_t listCode = 0;
    std::vector<std::string> extraNames; // listed without an attribute behind them
    // Calls by function name ("MkAttrInfo", "MkAttrUint32Get", ...).
    std::map<std::string, int> calls;
    int Reads() const;                  // value reads of every type
    std::vector<std::string> readNames; // attribute names of the value reads, in order

private:
    std::vector<const char*> m_names;
    friend struct ScriptedCameraFunctions;
};

} // namespace attr_editor
