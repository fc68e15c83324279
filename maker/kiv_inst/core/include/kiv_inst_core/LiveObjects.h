// The objects an instance has handed out, each with the one way to destroy it.
#pragma once

#include "KIVObject.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace kivinst {

// Objects come from different modules (our own classes, plug-ins), so each is
// released through the deleter of the module that made it. The instance keeps
// them so that DeleteObj can refuse pointers it never handed out and so that
// objects a host forgot are destroyed before their modules are unloaded.
class LiveObjects {
public:
    using Deleter = std::function<void(CKIVObject_0*)>;

    LiveObjects() = default;
    LiveObjects(const LiveObjects&) = delete;
    LiveObjects& operator=(const LiveObjects&) = delete;
    ~LiveObjects() { ReleaseAll(); }

    void Add(CKIVObject_0* object, Deleter deleter);

    // Destroys one object; false (and nothing done) for null or a pointer
    // that is not ours, including one released before.
    bool Release(CKIVObject_0* object);

    // Destroys what is left, the most recently created first.
    void ReleaseAll();

    size_t Size() const { return objects_.size(); }

private:
    struct Live {
        CKIVObject_0* object;
        Deleter deleter;
    };
    std::vector<Live> objects_;
};

} // namespace kivinst
