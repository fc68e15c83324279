// The objects an instance has handed out, each with the one way to destroy it.
#include "kiv_inst_core/LiveObjects.h"

#include <utility>

namespace kivinst {

void LiveObjects::Add(CKIVObject_0* object, Deleter deleter)
{
    if (object)
        objects_.push_back(Live{object, std::move(deleter)});
}

bool LiveObjects::Release(CKIVObject_0* object)
{
    if (!object)
        return false;
    for (auto it = objects_.begin(); it != objects_.end(); ++it) {
        if (it->object == object) {
            // Take the entry out first: a deleter may reach back into the
            // instance (a device client closing its dialog, for example).
            Live live = std::move(*it);
            objects_.erase(it);
            live.deleter(live.object);
            return true;
        }
    }
    return false;
}

void LiveObjects::ReleaseAll()
{
    while (!objects_.empty()) {
        Live live = std::move(objects_.back());
        objects_.pop_back();
        live.deleter(live.object);
    }
}

} // namespace kivinst
