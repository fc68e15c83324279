// Key and clipboard edits of a real-number field as text operations, followed by parse, clamp and re-show.
#pragma once

#include "kl7700_controls/NumberText.h"

#include <optional>
#include <string>
#include <string_view>

namespace kl7700::controls {

// The field's text and its selection [start, end); start == end is a caret.
struct FieldText {
    std::string text;
    int start = 0;
    int end = 0;
};

// The field after an edit: the raw text with the caret where the edit left it.
struct EditedText {
    std::string text;
    int caret = 0;
};

// What the field shows after an edit: the value clamped and formatted, the
// caret at the same digit distance from the decimal separator as before.
struct ShownNumber {
    double value = 0.0;
    std::string text;
    int caret = 0;
};

ShownNumber Reshow(const EditedText& edited, const NumberFormat& format, const NumberLimits& limits);

// A typed character: a digit, the decimal separator or the alternative
// decimal key. Nothing for any other character (the field ignores it).
std::optional<EditedText> TypeCharacter(const FieldText& field, char typed, char alternativeDecimalKey,
                                        bool insertMode, const NumberFormat& format);
// Backspace: removes the selected digits, else the digit before the caret.
EditedText RemoveBackward(const FieldText& field, const NumberFormat& format);
// Delete: removes the selected digits, else the digit at the caret.
EditedText RemoveForward(const FieldText& field, const NumberFormat& format);
// Paste: the pasted text replaces the selection.
EditedText ReplaceSelection(const FieldText& field, std::string_view inserted);
// Copy: the selection, or the whole text when nothing is selected, without group separators.
std::string CopiedText(const FieldText& field, const NumberFormat& format);

} // namespace kl7700::controls
