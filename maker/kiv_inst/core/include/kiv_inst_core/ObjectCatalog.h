// The framework instance's table of object ids: names, types and where each object comes from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace kivinst {

// Where CreateObj gets an object of a given id from.
enum class ObjectSource {
    CommDevice,      // the communication device (id 0)
    Terminal,        // the built-in terminal client
    ScriptProcessor, // the built-in script processor
    Plugin,          // a type offered by a loaded plug-in module
};

struct CatalogEntry {
    uint32_t id = 0;
    std::string name;
    int type = 0; // GetObjInfo kind 1: 1 = device client
    ObjectSource source = ObjectSource::Plugin;
    size_t module = 0; // index of the plug-in module for ObjectSource::Plugin
};

// One object type as a plug-in module reports it.
struct PluginType {
    uint32_t id = 0;
    std::string name;
    int type = 0;
};

// Id returned for an index past the end; no object ever has it (plug-ins use
// the same value for "no such type").
inline constexpr uint32_t kNoObjectId = 0xFFFFFFFFu;

// Ids are unique: the first module to offer an id keeps it. Entries are only
// ever appended, so indices stay valid and name pointers live as long as the
// catalog (a deque never moves its elements on push_back).
class ObjectCatalog {
public:
    // Adds one of the framework's own objects; false when the id is taken.
    bool AddBuiltin(uint32_t id, std::string_view name, int type, ObjectSource source);

    // Adds the types of plug-in module `module`; types whose id is taken (or
    // is the reserved kNoObjectId) are skipped. Returns how many were added.
    size_t AddPluginTypes(size_t module, const PluginType* types, size_t count);

    bool Contains(uint32_t id) const { return Find(id) != nullptr; }
    const CatalogEntry* Find(uint32_t id) const;

    size_t Size() const { return entries_.size(); }
    uint32_t IdAt(size_t index) const;

    // GetObjInfo: kind 0 the name (pointer valid for the catalog's lifetime),
    // kind 1 the type; 0 for unknown ids and kinds.
    uintptr_t Info(uint32_t id, int kind) const;

private:
    std::deque<CatalogEntry> entries_;
};

} // namespace kivinst
