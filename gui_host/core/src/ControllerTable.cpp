// Controller table refresh and release, starting a controller, the Enter key.
#include "gui_host/ControllerTable.h"

#include <algorithm>

namespace varnik {

bool ControllerTable::Contains(uint32_t id) const
{
    return std::any_of(entries_.begin(), entries_.end(), [id](const ControllerEntry& e) { return e.id == id; });
}

size_t ControllerTable::Refresh(CKIVInstance_0& instance)
{
    const size_t before = entries_.size();
    const size_t count = instance.GetNumObj();
    for (size_t i = 0; i < count; ++i) {
        const uint32_t id = instance.GetObjID(i);
        if (Contains(id) || instance.GetObjInfo(id, 1) != KIV_OBJTYPE_DEVICE_CLIENT)
            continue;
        CKIVObject_0* object = instance.CreateObj(id);
        if (!object)
            continue;
        const auto* name = reinterpret_cast<const char*>(instance.GetObjInfo(id, 0));
        // Objects of the device-client type are device clients by the framework's word.
        entries_.push_back({id, static_cast<CKIVDeviceClient_0*>(object), name ? name : ""});
    }
    return entries_.size() - before;
}

void ControllerTable::Release(CKIVInstance_0& instance)
{
    while (!entries_.empty()) {
        instance.DeleteObj(entries_.back().object);
        entries_.pop_back();
    }
}

int StartController(const ControllerTable& table, int k, CHapDeviceComm_0* device,
                    const std::function<void()>& refreshStatus, UserMessages& messages)
{
    const auto& entries = table.Entries();
    if (k < 0 || static_cast<size_t>(k) >= entries.size()) {
        messages.Show(kSelectFirstText, "Info", MessageIcon::None);
        return 0;
    }
    if (device)
        device->Open();
    refreshStatus();
    CKIVDeviceClient_0* controller = entries[static_cast<size_t>(k)].object;
    controller->Connect(device);
    controller->ShowDialogNonModal(nullptr);
    return 1;
}

EnterAction DecideEnter(int focusId, int closeId, int listId, unsigned selectedCount)
{
    if (focusId == closeId)
        return EnterAction::EndDialog;
    if (focusId == listId && selectedCount == 1)
        return EnterAction::StartSelected;
    return EnterAction::Nothing;
}

} // namespace varnik
