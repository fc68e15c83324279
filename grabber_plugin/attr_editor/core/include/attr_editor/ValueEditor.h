// What the feature dialog's tables ask of a value view, without its window:
// each view kind answers the calls of its own editor and none of the others.
#pragma once

#include <cstdint>
#include <string>

namespace attr_editor {

// A drop-down list of choices (enumerations and booleans).
class ChoiceEditor {
public:
    virtual ~ChoiceEditor() = default;
    // The comma-separated list, in order; an empty last piece is dropped.
    virtual bool SetChoices(const std::string& list) = 0;
    // The entry whose whole text equals the choice (case ignored); false when none does.
    virtual bool SelectChoice(const std::string& choice) = 0;
    // False when nothing is selected.
    virtual bool GetChoice(std::string& choice) = 0;
};

// A number in a range (unsigned 32-bit, signed 64-bit, 32-bit float).
template <class Value>
class NumberEditor {
public:
    virtual ~NumberEditor() = default;
    virtual bool SetRange(Value minimum, Value maximum) = 0;
    virtual bool SetValue(Value value) = 0;
    // The value shown, clamped to the range (the view shows it clamped).
    virtual bool GetValue(Value& value) = 0;
};

class TextEditor {
public:
    virtual ~TextEditor() = default;
    virtual bool SetText(const std::string& text) = 0;
    virtual bool GetText(std::string& text) = 0;
};

// One value view as the tables see it.
class ValueEditor {
public:
    virtual ~ValueEditor() = default;
    virtual void ShowAttrName(const std::string& name) = 0;
    virtual ChoiceEditor* Choices() { return nullptr; }
    virtual NumberEditor<uint32_t>* Unsigned() { return nullptr; }
    virtual NumberEditor<int64_t>* Signed() { return nullptr; }
    virtual NumberEditor<float>* Float() { return nullptr; }
    virtual TextEditor* Text() { return nullptr; }
};

} // namespace attr_editor
