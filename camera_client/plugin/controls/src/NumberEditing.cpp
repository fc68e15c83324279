// Typing, removal, paste and copy in a real-number field as pure text operations.
#include "kl7700_controls/NumberEditing.h"

#include <algorithm>

namespace kl7700::controls {

namespace {

struct Selection {
    int start;
    int end;
    bool empty() const { return start == end; }
};

Selection normalised(const FieldText& field)
{
    const int length = static_cast<int>(field.text.size());
    int a = std::clamp(field.start, 0, length);
    int b = std::clamp(field.end, 0, length);
    return {std::min(a, b), std::max(a, b)};
}

// Removes the selected characters but keeps the decimal separator, so the
// fraction never slides into the integer part.
EditedText removeSelected(const std::string& text, Selection selection, const NumberFormat& format)
{
    int separator = DecimalPosition(text, format);
    bool spansSeparator = separator < static_cast<int>(text.size()) && selection.start <= separator &&
        separator < selection.end;
    std::string edited = text.substr(0, selection.start);
    if (spansSeparator)
        edited.push_back(format.decimalSeparator);
    edited += text.substr(selection.end);
    return {edited, selection.start};
}

int firstDigitAtOrAfter(std::string_view text, int from, int limit)
{
    for (int i = from; i < limit; ++i)
        if (IsDigit(text[i]))
            return i;
    return -1;
}

} // namespace

ShownNumber Reshow(const EditedText& edited, const NumberFormat& format, const NumberLimits& limits)
{
    int distance = CaretDistance(edited.text, edited.caret, format);
    ShownNumber shown;
    shown.value = ClampToLimits(ParseNumber(edited.text, format), limits);
    shown.text = FormatNumber(shown.value, format);
    shown.caret = PositionFromDistance(shown.text, distance, format);
    return shown;
}

std::optional<EditedText> TypeCharacter(const FieldText& field, char typed, char alternativeDecimalKey,
                                        bool insertMode, const NumberFormat& format)
{
    const std::string& text = field.text;
    const int length = static_cast<int>(text.size());
    const int separator = DecimalPosition(text, format);
    if (typed == format.decimalSeparator || typed == alternativeDecimalKey)
        return EditedText{text, std::min(separator + 1, length)};
    if (!IsDigit(typed))
        return std::nullopt;

    Selection selection = normalised(field);
    if (!selection.empty()) {
        // The digit replaces the selection; a removed separator comes back behind it.
        EditedText rest = removeSelected(text, selection, format);
        rest.text.insert(rest.text.begin() + selection.start, typed);
        return EditedText{rest.text, selection.start + 1};
    }

    const int caret = selection.start;
    const bool inFraction = caret > separator;
    if (!inFraction && insertMode) {
        std::string edited = text;
        edited.insert(edited.begin() + caret, typed);
        return EditedText{edited, caret + 1};
    }
    // Overwrite: the digit at (or after a group separator behind) the caret.
    int target = firstDigitAtOrAfter(text, caret, inFraction ? length : separator);
    std::string edited = text;
    if (target < 0) {
        if (inFraction)
            return EditedText{text, caret}; // behind the last decimal: nothing left to replace
        edited.insert(edited.begin() + caret, typed);
        return EditedText{edited, caret + 1};
    }
    edited[target] = typed;
    return EditedText{edited, target + 1};
}

EditedText RemoveBackward(const FieldText& field, const NumberFormat& format)
{
    Selection selection = normalised(field);
    if (!selection.empty())
        return removeSelected(field.text, selection, format);
    int target = PreviousDigitPosition(field.text, selection.start);
    if (target == selection.start)
        return {field.text, selection.start};
    std::string edited = field.text;
    edited.erase(edited.begin() + target);
    return {edited, target};
}

EditedText RemoveForward(const FieldText& field, const NumberFormat& format)
{
    Selection selection = normalised(field);
    if (!selection.empty())
        return removeSelected(field.text, selection, format);
    int target = firstDigitAtOrAfter(field.text, selection.start, static_cast<int>(field.text.size()));
    if (target < 0)
        return {field.text, selection.start};
    std::string edited = field.text;
    edited.erase(edited.begin() + target);
    return {edited, target};
}

EditedText ReplaceSelection(const FieldText& field, std::string_view inserted)
{
    Selection selection = normalised(field);
    std::string edited = field.text.substr(0, selection.start);
    edited.append(inserted);
    edited += field.text.substr(selection.end);
    return {edited, selection.start + static_cast<int>(inserted.size())};
}

std::string CopiedText(const FieldText& field, const NumberFormat& format)
{
    Selection selection = normalised(field);
    std::string_view text(field.text);
    if (!selection.empty())
        text = text.substr(selection.start, selection.end - selection.start);
    return RemoveGroupSeparators(text, format);
}

} // namespace kl7700::controls
