// The feature dialog's tables per attribute data type: which value view
// edits it, how the view is filled and reloaded from the camera library, and
// what an apply writes, reads back and reports.
#pragma once

#include "attr_editor/ValueEditor.h"
#include "zelmk/MkApiTable.h"

#include <string>
#include <string_view>
#include <vector>

namespace attr_editor {

// One attribute of the open camera, as the library calls name it.
struct AttrAccess {
    const zelmk::MkApiFunctions& api;
    MkHandle handle;
    std::string name;
};

enum class ValueViewKind {
    None, // raw data and unknown types: nothing to edit
    Command,
    Choice, // enumeration and boolean
    Unsigned,
    Float,
    String,
    Signed,
};

ValueViewKind ViewKindFor(uint32_t dataType);

// The pieces of a comma-separated list, untrimmed, without an empty last piece.
std::vector<std::string> SplitList(std::string_view text);

// Buffer sizes of the text reads: selecting an attribute reads wider than a
// reload does.
struct TextReadSizes {
    uint32_t string;
    uint32_t enumRange;
    uint32_t enumValue;
};
inline constexpr TextReadSizes kFillReadSizes{256, 512, 64};
inline constexpr TextReadSizes kReloadReadSizes{256, 256, 32};

// A text attribute read into a buffer of `size` bytes; false when the library
// refuses (a value too long for the buffer among other things).
using TextGetter = decltype(&::MkAttrStringGet);
bool ReadText(const AttrAccess& attr, TextGetter getter, uint32_t size, std::string& text);

// Shows the name, then reads the value (and its range) and shows it; false
// when any library or view call fails (the dialog then drops the view). A
// command only shows its name.
bool FillEditor(const AttrAccess& attr, uint32_t dataType, ValueEditor& editor);

// Reads the value (and its range) again and, only when every read worked,
// shows it; the name stays. A command is not reloaded. False when nothing
// was shown.
bool ReloadEditor(const AttrAccess& attr, uint32_t dataType, ValueEditor& editor);

// Where an apply reports to: the grabber's log and the attribute tree.
class ApplyHost {
public:
    virtual ~ApplyHost() = default;
    // An error line of the dialog's own (log level 0).
    virtual void LogError(const std::string& text) = 0;
    // A camera library failure through the grabber's PrintApiError.
    virtual void ReportApiError(const std::string& text, uint32_t code) = 0;
    // The tree's selected row read again.
    virtual void RefreshSelectedItem() = 0;
    // The rows an impact list names read again.
    virtual void RefreshImpacts(const std::string& impacts) = 0;
};

// The messages of the apply table for a data type; empty for types without a view.
struct ApplyTexts {
    const char* fromForm;
    const char* write;
};
ApplyTexts ApplyTextsFor(uint32_t dataType);

// Takes the value from the editor, writes it, reads it back into the editor
// and refreshes the selected row and the impacts (a command refreshes only
// its impacts). Without an editor nothing is written. True when every
// library call made worked, also when the editor gave no value.
bool ApplyEditor(const AttrAccess& attr, uint32_t dataType, const std::string& impacts, ValueEditor* editor,
                 ApplyHost& host);

} // namespace attr_editor
