// The two exports of KIVInst.dll that the programs bind by name.
#include "KIVInstance.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <vector>

namespace {

// The instances handed out, so a stray or repeated DeleteKIVInstance is a
// harmless no-op instead of a double delete.
std::mutex g_instancesLock;
std::vector<kivinst::CKIVInstance*> g_instances;

} // namespace

extern "C" __declspec(dllexport) CKIVInstance_0* CreateKIVInstance()
{
    try {
        auto* instance = new kivinst::CKIVInstance;
        std::lock_guard<std::mutex> hold(g_instancesLock);
        g_instances.push_back(instance);
        return instance;
    } catch (...) {
        return nullptr;
    }
}

extern "C" __declspec(dllexport) void DeleteKIVInstance(CKIVInstance_0* instance)
{
    kivinst::CKIVInstance* ours = nullptr;
    {
        std::lock_guard<std::mutex> hold(g_instancesLock);
        auto it = std::find(g_instances.begin(), g_instances.end(), instance);
        if (it == g_instances.end())
            return;
        ours = *it;
        g_instances.erase(it);
    }
    try {
        delete ours;
    } catch (...) {
    }
}
