// Filling, reloading and applying a value view, per attribute data type.
#include "attr_editor/ValueTables.h"

#include <cstring>

namespace attr_editor {

namespace {

// Reads the value (and its range) first and shows it only when every read
// worked, so a failed reload leaves the view as it was.
bool ShowValue(const AttrAccess& attr, uint32_t dataType, ValueEditor& editor, const TextReadSizes& sizes)
{
    const zelmk::MkApiFunctions& api = attr.api;
    const char* name = attr.name.c_str();
    switch (dataType) {
    case MK_ATTR_COMMAND: return true;
    case MK_ATTR_STRING: {
        std::string text;
        if (!ReadText(attr, api.MkAttrStringGet, sizes.string, text)) return false;
        TextEditor* e = editor.Text();
        return e && e->SetText(text);
    }
    case MK_ATTR_ENUM: {
        std::string range, current;
        if (!ReadText(attr, api.MkAttrRangeEnum, sizes.enumRange, range)) return false;
        if (!ReadText(attr, api.MkAttrEnumGet, sizes.enumValue, current)) return false;
        ChoiceEditor* e = editor.Choices();
        return e && e->SetChoices(range) && e->SelectChoice(current);
    }
    case MK_ATTR_UINT32: {
        uint32_t minimum = 0, maximum = 0, value = 0;
        if (api.MkAttrRangeUint32(attr.handle, name, &minimum, &maximum) != MK_ERR_SUCCESS) return false;
        if (api.MkAttrUint32Get(attr.handle, name, &value) != MK_ERR_SUCCESS) return false;
        NumberEditor<uint32_t>* e = editor.Unsigned();
        return e && e->SetRange(minimum, maximum) && e->SetValue(value);
    }
    case MK_ATTR_FLOAT32: {
        float minimum = 0, maximum = 0, value = 0;
        if (api.MkAttrRangeFloat32(attr.handle, name, &minimum, &maximum) != MK_ERR_SUCCESS) return false;
        if (api.MkAttrFloat32Get(attr.handle, name, &value) != MK_ERR_SUCCESS) return false;
        NumberEditor<float>* e = editor.Float();
        return e && e->SetRange(minimum, maximum) && e->SetValue(value);
    }
    case MK_ATTR_INT64: {
        int64_t minimum = 0, maximum = 0, value = 0;
        if (api.MkAttrRangeInt64(attr.handle, name, &minimum, &maximum) != MK_ERR_SUCCESS) return false;
        if (api.MkAttrInt64Get(attr.handle, name, &value) != MK_ERR_SUCCESS) return false;
        NumberEditor<int64_t>* e = editor.Signed();
        return e && e->SetRange(minimum, maximum) && e->SetValue(value);
    }
    case MK_ATTR_BOOLEAN: {
        uint8_t value = 0;
        if (api.MkAttrBooleanGet(attr.handle, name, &value) != MK_ERR_SUCCESS) return false;
        ChoiceEditor* e = editor.Choices();
        return e && e->SetChoices("False,True") && e->SelectChoice(value ? "True" : "False");
    }
    default: return false;
    }
}

// Value from the editor, write, read back, refresh, for the number types.
template <class Value, class Setter, class Getter>
bool ApplyNumber(const AttrAccess& attr, NumberEditor<Value>* editor, const ApplyTexts& texts, Setter set, Getter get,
                 ApplyHost& host, const std::string& impacts)
{
    Value value{};
    if (!editor || !editor->GetValue(value)) {
        host.LogError(texts.fromForm);
        return true;
    }
    const uint32_t code = set(attr.handle, attr.name.c_str(), value);
    if (code != MK_ERR_SUCCESS) {
        host.ReportApiError(texts.write, code);
        return false;
    }
    Value back{};
    const bool readBack = get(attr.handle, attr.name.c_str(), &back) == MK_ERR_SUCCESS;
    if (readBack) editor->SetValue(back);
    host.RefreshSelectedItem();
    host.RefreshImpacts(impacts);
    return readBack;
}

// The same for the two kinds written as text (strings, enumerations) and
// for booleans, which the choice editor shows as "False" and "True".
bool ApplyText(const AttrAccess& attr, uint32_t dataType, ValueEditor& editor, ApplyHost& host,
               const std::string& impacts)
{
    const zelmk::MkApiFunctions& api = attr.api;
    const char* name = attr.name.c_str();
    const ApplyTexts texts = ApplyTextsFor(dataType);
    TextEditor* text = dataType == MK_ATTR_STRING ? editor.Text() : nullptr;
    ChoiceEditor* choice = dataType == MK_ATTR_STRING ? nullptr : editor.Choices();
    std::string value;
    if (!(text ? text->GetText(value) : choice && choice->GetChoice(value))) {
        host.LogError(texts.fromForm);
        return true;
    }
    uint32_t code;
    if (dataType == MK_ATTR_STRING)
        code = api.MkAttrStringSet(attr.handle, name, value.c_str());
    else if (dataType == MK_ATTR_ENUM)
        code = api.MkAttrEnumSet(attr.handle, name, value.c_str());
    else
        code = api.MkAttrBooleanSet(attr.handle, name, value == "True" ? 1 : 0);
    if (code != MK_ERR_SUCCESS) {
        host.ReportApiError(texts.write, code);
        return false;
    }
    std::string back;
    bool readBack;
    if (dataType == MK_ATTR_STRING) {
        readBack = ReadText(attr, api.MkAttrStringGet, kFillReadSizes.string, back);
        if (readBack) text->SetText(back);
    } else if (dataType == MK_ATTR_ENUM) {
        readBack = ReadText(attr, api.MkAttrEnumGet, kFillReadSizes.enumValue, back);
        if (readBack) choice->SelectChoice(back);
    } else {
        uint8_t flag = 0;
        readBack = api.MkAttrBooleanGet(attr.handle, name, &flag) == MK_ERR_SUCCESS;
        if (readBack) choice->SelectChoice(flag ? "True" : "False");
    }
    host.RefreshSelectedItem();
    host.RefreshImpacts(impacts);
    return readBack;
}

} // namespace

ValueViewKind ViewKindFor(uint32_t dataType)
{
    switch (dataType) {
    case MK_ATTR_COMMAND: return ValueViewKind::Command;
    case MK_ATTR_STRING: return ValueViewKind::String;
    case MK_ATTR_ENUM:
    case MK_ATTR_BOOLEAN: return ValueViewKind::Choice;
    case MK_ATTR_UINT32: return ValueViewKind::Unsigned;
    case MK_ATTR_FLOAT32: return ValueViewKind::Float;
    case MK_ATTR_INT64: return ValueViewKind::Signed;
    default: return ValueViewKind::None;
    }
}

std::vector<std::string> SplitList(std::string_view text)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start < text.size()) {
        const size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) {
            pieces.emplace_back(text.substr(start));
            break;
        }
        pieces.emplace_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return pieces;
}

bool ReadText(const AttrAccess& attr, TextGetter getter, uint32_t size, std::string& text)
{
    // One byte more than the library is told, so the text always ends inside.
    std::vector<char> buffer(size_t{size} + 1, '\0');
    uint32_t length = 0;
    if (getter(attr.handle, attr.name.c_str(), buffer.data(), size, &length) != MK_ERR_SUCCESS) return false;
    text.assign(buffer.data(), strnlen(buffer.data(), size));
    return true;
}

bool FillEditor(const AttrAccess& attr, uint32_t dataType, ValueEditor& editor)
{
    if (ViewKindFor(dataType) == ValueViewKind::None) return false;
    editor.ShowAttrName(attr.name);
    return ShowValue(attr, dataType, editor, kFillReadSizes);
}

bool ReloadEditor(const AttrAccess& attr, uint32_t dataType, ValueEditor& editor)
{
    const ValueViewKind kind = ViewKindFor(dataType);
    if (kind == ValueViewKind::None || kind == ValueViewKind::Command) return false;
    return ShowValue(attr, dataType, editor, kReloadReadSizes);
}

ApplyTexts ApplyTextsFor(uint32_t dataType)
{
    switch (dataType) {
    case MK_ATTR_COMMAND: return {"", "Failed to run the command"};
    case MK_ATTR_STRING: return {"Failed to get the string value from the form", "Failed to write the string value"};
    case MK_ATTR_ENUM: return {"Failed to get the enum value from the form", "Failed to write enum value"};
    case MK_ATTR_UINT32: return {"Failed to get the uint32 value from the form", "Failed to write uint32 value"};
    case MK_ATTR_FLOAT32: return {"Failed to get the float32 value from the form", "Failed to write float32 value"};
    case MK_ATTR_INT64: return {"Failed to get the int64 value from the form", "Failed to write int64 value"};
    case MK_ATTR_BOOLEAN: return {"Failed to get the boolean value from the form", "Failed to write boolean value"};
    default: return {"", ""};
    }
}

bool ApplyEditor(const AttrAccess& attr, uint32_t dataType, const std::string& impacts, ValueEditor* editor,
                 ApplyHost& host)
{
    if (!editor) return true;
    const zelmk::MkApiFunctions& api = attr.api;
    const ApplyTexts texts = ApplyTextsFor(dataType);
    switch (dataType) {
    case MK_ATTR_COMMAND: {
        const uint32_t code = api.MkCommandRun(attr.handle, attr.name.c_str());
        if (code != MK_ERR_SUCCESS) {
            host.ReportApiError(texts.write, code);
            return false;
        }
        // The command's own row shows no value.
        host.RefreshImpacts(impacts);
        return true;
    }
    case MK_ATTR_STRING:
    case MK_ATTR_ENUM:
    case MK_ATTR_BOOLEAN: return ApplyText(attr, dataType, *editor, host, impacts);
    case MK_ATTR_UINT32:
        return ApplyNumber(attr, editor->Unsigned(), texts, api.MkAttrUint32Set, api.MkAttrUint32Get, host, impacts);
    case MK_ATTR_FLOAT32:
        return ApplyNumber(attr, editor->Float(), texts, api.MkAttrFloat32Set, api.MkAttrFloat32Get, host, impacts);
    case MK_ATTR_INT64:
        return ApplyNumber(attr, editor->Signed(), texts, api.MkAttrInt64Set, api.MkAttrInt64Get, host, impacts);
    default: return true;
    }
}

} // namespace attr_editor
