// The framework's own objects (communication device, terminal, script processor).
#pragma once

#include "KIVObject.h"
#include "kiv_inst_core/ObjectCatalog.h"

#include <cstdint>
#include <vector>

namespace kivinst {

struct BuiltinObject {
    uint32_t id;
    const char* name;
    int type; // 1 only for objects with a dialog a user can start
    ObjectSource source;
    CKIVObject_0* (*create)();
    void (*destroy)(CKIVObject_0*);
};

// The built-in objects this library was built with, in id order.
std::vector<BuiltinObject> BuiltinObjects();

} // namespace kivinst
