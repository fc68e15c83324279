// What the feature dialog does around a write: whether it may change the
// image format (then the framework stops the acquisition for it), and the
// apply with the acquisition stop and the validity check.
#pragma once

#include "attr_editor/ValueTables.h"

#include <string>
#include <string_view>

namespace attr_editor {

// An entry of an impact list may change the image format: a category path
// ("/...") containing "/Image", or "/" itself; "PacketSize"; an attribute
// whose category contains "/Image". Without a camera (null functions or
// handle), or when the library does not know the name: false.
bool TouchesImageFormat(const zelmk::MkApiFunctions* api, MkHandle handle, std::string_view entry);

// Writing the attribute needs the acquisition stopped: it is "PacketSize",
// or an entry of its impact list touches the image format.
bool NeedsAcquisitionStop(const zelmk::MkApiFunctions* api, MkHandle handle, std::string_view name,
                          std::string_view impacts);

// The apply's partner in the grabber: its dialog events besides the log and the tree.
class FeatureHost : public ApplyHost {
public:
    // SignalCamCntrlDlgEvent of the grabber: its answer.
    virtual uint32_t SignalDialogEvent(uint32_t event) = 0;
};

// The text logged when a write leaves its own attribute invalid.
std::string InvalidAfterWriteText(const std::string& name);

// Applies the editor's value: with the acquisition stopped around it when
// `acquisitionStop` (nothing is written when the framework refuses to stop),
// then, when every library call worked, the attribute's validity.
void ApplyCurrentAttribute(const AttrAccess& attr, uint32_t dataType, const std::string& impacts,
                           bool acquisitionStop, ValueEditor* editor, FeatureHost& host);

} // namespace attr_editor
