// The acquisition stop around a write and the check after it.
#include "attr_editor/FeatureActions.h"

#include "FramixTypes.h"

namespace attr_editor {

namespace {
constexpr std::string_view kPacketSize = "PacketSize";
constexpr std::string_view kImage = "/Image";
} // namespace

bool TouchesImageFormat(const zelmk::MkApiFunctions* api, MkHandle handle, std::string_view entry)
{
    if (!api || !handle) return false;
    if (!entry.empty() && entry.front() == '/') return entry == "/" || entry.find(kImage) != std::string_view::npos;
    if (entry == kPacketSize) return true;
    const std::string name(entry);
    struct MkAttrInfo info {};
    if (api->MkAttrInfo(handle, name.c_str(), &info) != MK_ERR_SUCCESS) return false;
    return info.category && std::string_view(info.category).find(kImage) != std::string_view::npos;
}

bool NeedsAcquisitionStop(const zelmk::MkApiFunctions* api, MkHandle handle, std::string_view name,
                          std::string_view impacts)
{
    if (name == kPacketSize) return true;
    for (const std::string& entry : SplitList(impacts))
        if (TouchesImageFormat(api, handle, entry)) return true;
    return false;
}

std::string InvalidAfterWriteText(const std::string& name)
{
    return "Some side effects have made attribute \"" + name + "\" invalid.";
}

void ApplyCurrentAttribute(const AttrAccess& attr, uint32_t dataType, const std::string& impacts,
                           bool acquisitionStop, ValueEditor* editor, FeatureHost& host)
{
    if (acquisitionStop && host.SignalDialogEvent(UG_DLGEVENT_STOP_ACQUISITION) == 0) return;
    if (ApplyEditor(attr, dataType, impacts, editor, host) &&
        attr.api.MkAttrIsValid(attr.handle, attr.name.c_str()) == MK_ERR_OUT_OF_RANGE)
        host.LogError(InvalidAfterWriteText(attr.name));
    // Whatever the write did, an acquisition stopped for it starts again.
    if (acquisitionStop) host.SignalDialogEvent(UG_DLGEVENT_RESTART_ACQUISITION);
}

} // namespace attr_editor
