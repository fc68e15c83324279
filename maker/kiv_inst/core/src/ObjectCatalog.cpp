// The framework instance's table of object ids.
#include "kiv_inst_core/ObjectCatalog.h"

namespace kivinst {

bool ObjectCatalog::AddBuiltin(uint32_t id, std::string_view name, int type, ObjectSource source)
{
    if (id == kNoObjectId || Contains(id))
        return false;
    entries_.push_back(CatalogEntry{id, std::string(name), type, source, 0});
    return true;
}

size_t ObjectCatalog::AddPluginTypes(size_t module, const PluginType* types, size_t count)
{
    size_t added = 0;
    for (size_t i = 0; i < count; ++i) {
        const PluginType& t = types[i];
        if (t.id == kNoObjectId || Contains(t.id))
            continue;
        entries_.push_back(CatalogEntry{t.id, t.name, t.type, ObjectSource::Plugin, module});
        ++added;
    }
    return added;
}

const CatalogEntry* ObjectCatalog::Find(uint32_t id) const
{
    for (const CatalogEntry& e : entries_)
        if (e.id == id)
            return &e;
    return nullptr;
}

uint32_t ObjectCatalog::IdAt(size_t index) const
{
    return index < entries_.size() ? entries_[index].id : kNoObjectId;
}

uintptr_t ObjectCatalog::Info(uint32_t id, int kind) const
{
    const CatalogEntry* e = Find(id);
    if (!e)
        return 0;
    switch (kind) {
    case 0:
        return reinterpret_cast<uintptr_t>(e->name.c_str());
    case 1:
        return static_cast<uintptr_t>(e->type);
    default:
        return 0;
    }
}

} // namespace kivinst
