// The feature dialog's tables against the camera library on the built-in
// simulated network: filling, reloading and applying a view of every data
// type, their failures, the acquisition stop and the validity check.
#include "attr_editor/FeatureActions.h"

#include "gige_sim/Network.h"
#include "mk_api_core/Exports.h"
#include "mk_api_dll/Composition.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace attr_editor {
namespace {

const zelmk::MkApiFunctions& Functions()
{
    static const zelmk::MkApiFunctions functions = [] {
        zelmk::MkApiFunctions f;
#define BIND(name) f.name = &::name;
        ZELMK_MKAPI_FUNCTIONS(BIND)
#undef BIND
        return f;
    }();
    return functions;
}

// Every call a view gets, as one line each.
class RecordingEditor : public ValueEditor,
                        public ChoiceEditor,
                        public NumberEditor<uint32_t>,
                        public NumberEditor<int64_t>,
                        public NumberEditor<float>,
                        public TextEditor {
public:
    std::vector<std::string> calls;
    std::string input; // what the view gives an apply
    bool gives = true; // false: the view has no value to give

    void ShowAttrName(const std::string& name) override { calls.push_back("name " + name); }
    ChoiceEditor* Choices() override { return this; }
    NumberEditor<uint32_t>* Unsigned() override { return this; }
    NumberEditor<int64_t>* Signed() override { return this; }
    NumberEditor<float>* Float() override { return this; }
    TextEditor* Text() override { return this; }

    bool SetChoices(const std::string& list) override { return Note("choices " + list); }
    bool SelectChoice(const std::string& choice) override { return Note("select " + choice); }
    bool GetChoice(std::string& choice) override { return Give(choice); }
    bool SetRange(uint32_t minimum, uint32_t maximum) override { return Note("range " + std::to_string(minimum) + " " + std::to_string(maximum)); }
    bool SetValue(uint32_t value) override { return Note("value " + std::to_string(value)); }
    bool GetValue(uint32_t& value) override
    {
        return Give(value, [](const std::string& s) { return static_cast<uint32_t>(std::stoul(s)); });
    }
    bool SetRange(int64_t minimum, int64_t maximum) override { return Note("range " + std::to_string(minimum) + " " + std::to_string(maximum)); }
    bool SetValue(int64_t value) override { return Note("value " + std::to_string(value)); }
    bool GetValue(int64_t& value) override
    {
        return Give(value, [](const std::string& s) { return static_cast<int64_t>(std::stoll(s)); });
    }
    bool SetRange(float minimum, float maximum) override { return Note("range " + Number(minimum) + " " + Number(maximum)); }
    bool SetValue(float value) override { return Note("value " + Number(value)); }
    bool GetValue(float& value) override
    {
        return Give(value, [](const std::string& s) { return std::stof(s); });
    }
    bool SetText(const std::string& text) override { return Note("text " + text); }
    bool GetText(std::string& text) override { return Give(text); }

private:
    static std::string Number(float v)
    {
        char text[64];
        std::snprintf(text, sizeof text, "%g", static_cast<double>(v));
        return text;
    }
    bool Note(const std::string& call)
    {
        calls.push_back(call);
        return true;
    }
    bool Give(std::string& out)
    {
        if (gives) out = input;
        return gives;
    }
    template <class T, class Parse>
    bool Give(T& out, Parse parse)
    {
        if (gives) out = parse(input);
        return gives;
    }
};

class RecordingHost : public FeatureHost {
public:
    std::vector<std::string> calls;
    uint32_t stopAnswer = 1;
    std::function<void()> atStop; // runs when event 4096 comes

    void LogError(const std::string& text) override { calls.push_back("log " + text); }
    void ReportApiError(const std::string& text, uint32_t code) override { calls.push_back("report " + text + " " + std::to_string(code)); }
    void RefreshSelectedItem() override { calls.push_back("refresh selected"); }
    void RefreshImpacts(const std::string& impacts) override { calls.push_back("refresh impacts " + impacts); }
    uint32_t SignalDialogEvent(uint32_t event) override
    {
        calls.push_back("event " + std::to_string(event));
        if (event == 4096 && atStop) atStop();
        return event == 4096 ? stopAnswer : 1;
    }
};

using Lines = std::vector<std::string>;

class ValueTablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mkapi::setLibraryMaker([this] {
            return mkapi::composeLibraryFromText(gigesim::defaultNetworkDescription(), "default.ini", m_time, false,
                                                 m_composition);
        });
        ASSERT_EQ(0u, MkInitialize());
        ASSERT_EQ(0u, MkCameraOpen(100001, MK_ACCESS_MASTER, &m_handle));
    }
    void TearDown() override
    {
        MkCameraClose(m_handle);
        MkUnInitialize();
    }

    AttrAccess Attr(const std::string& name) const { return {Functions(), m_handle, name}; }
    static uint32_t TypeOf(const AttrAccess& attr)
    {
        struct MkAttrInfo info {};
        EXPECT_EQ(0u, MkAttrInfo(attr.handle, attr.name.c_str(), &info)) << attr.name;
        return info.type;
    }
    static std::string ImpactsOf(const AttrAccess& attr)
    {
        struct MkAttrInfo info {};
        MkAttrInfo(attr.handle, attr.name.c_str(), &info);
        return info.impacts ? info.impacts : "";
    }
    static std::string Sim(const std::string& command)
    {
        char reply[1024] = {};
        const uint32_t code = MkSimControl(command.c_str(), reply, sizeof reply);
        return code == 0 ? reply : "error " + std::to_string(code) + " " + reply;
    }
    static std::string Get(const std::string& name) { return Sim("get 100001 " + name); }

    mkapi::SteadyTimeSource m_time;
    mkapi::Composition m_composition;
    MkHandle m_handle = nullptr;
};

TEST_F(ValueTablesTest, FillShowsTheNameThenTheValueOfEveryType)
{
    struct Case {
        const char* name;
        bool filled;
        Lines calls;
    };
    const Case cases[] = {
        {"TimestampReset", true, {"name TimestampReset"}},
        {"DeviceUserID", true, {"name DeviceUserID", "text Mono"}},
        {"PixelFormat", true, {"name PixelFormat", "choices Mono8,Mono10,Mono12,Mono12Packed,Mono14,Mono16", "select Mono8"}},
        {"Width", true, {"name Width", "range 16 640", "value 640"}},
        {"Gain", true, {"name Gain", "range 0 24", "value 0"}},
        {"BlackLevel", true, {"name BlackLevel", "range -64 64", "value 0"}},
        {"ReverseX", true, {"name ReverseX", "choices False,True", "select False"}},
        {"UserData", false, {}}, // raw data has no view
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AttrAccess attr = Attr(c.name);
        RecordingEditor editor;
        EXPECT_EQ(c.filled, FillEditor(attr, TypeOf(attr), editor));
        EXPECT_EQ(c.calls, editor.calls);
    }
}

TEST_F(ValueTablesTest, FillFailsWhenAnyReadFails)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Width", "MkAttrRangeUint32"},
        {"Width", "MkAttrUint32Get"},
        {"PixelFormat", "MkAttrRangeEnum"},
        {"PixelFormat", "MkAttrEnumGet"},
        {"Gain", "MkAttrFloat32Get"},
        {"BlackLevel", "MkAttrRangeInt64"},
        {"ReverseX", "MkAttrBooleanGet"},
        {"DeviceUserID", "MkAttrStringGet"},
    };
    for (const auto& [name, function] : cases) {
        SCOPED_TRACE(std::string(name) + " " + function);
        ASSERT_EQ("ok", Sim(std::string("fail ") + function + " 6 once"));
        const AttrAccess attr = Attr(name);
        RecordingEditor editor;
        EXPECT_FALSE(FillEditor(attr, TypeOf(attr), editor));
        Sim("fail clear");
    }
}

TEST_F(ValueTablesTest, ReloadShowsTheValueAgainOrLeavesTheViewAlone)
{
    RecordingEditor editor;
    ASSERT_EQ("ok", Sim("set 100001 Width 320"));
    EXPECT_TRUE(ReloadEditor(Attr("Width"), MK_ATTR_UINT32, editor));
    EXPECT_EQ((Lines{"range 16 640", "value 320"}), editor.calls); // the name is not set again

    // A failed read, the range's or the value's, touches nothing.
    for (const char* function : {"MkAttrRangeUint32", "MkAttrUint32Get"}) {
        SCOPED_TRACE(function);
        editor.calls.clear();
        ASSERT_EQ("ok", Sim(std::string("fail ") + function + " 6 once"));
        EXPECT_FALSE(ReloadEditor(Attr("Width"), MK_ATTR_UINT32, editor));
        EXPECT_TRUE(editor.calls.empty());
    }
    // A command has nothing to reload.
    editor.calls.clear();
    EXPECT_FALSE(ReloadEditor(Attr("TimestampReset"), MK_ATTR_COMMAND, editor));
    EXPECT_TRUE(editor.calls.empty());
}

TEST_F(ValueTablesTest, TextReadsAreBoundByTheirBuffer)
{
    // 15 characters and the terminator fill 16 bytes; one more is refused
    // and leaves the text alone, a wider buffer takes it.
    const std::string fits(15, 'a'), longer(16, 'b');
    ASSERT_EQ("ok", Sim("set 100001 DeviceUserID " + fits));
    std::string text;
    EXPECT_TRUE(ReadText(Attr("DeviceUserID"), Functions().MkAttrStringGet, 16, text));
    EXPECT_EQ(fits, text);
    ASSERT_EQ("ok", Sim("set 100001 DeviceUserID " + longer));
    text = "unchanged";
    EXPECT_FALSE(ReadText(Attr("DeviceUserID"), Functions().MkAttrStringGet, 16, text));
    EXPECT_EQ("unchanged", text);
    EXPECT_TRUE(ReadText(Attr("DeviceUserID"), Functions().MkAttrStringGet, kFillReadSizes.string, text));
    EXPECT_EQ(longer, text);
}

TEST_F(ValueTablesTest, ApplyWritesReadsBackAndRefreshes)
{
    struct Case {
        const char* name;
        const char* input;
        const char* cameraValue;
        Lines view;
        Lines host;
    };
    const Case cases[] = {
        {"Width", "320", "320", {"value 320"}, {"refresh selected", "refresh impacts TotalBytesPerFrame,OffsetX"}},
        {"Gain", "3.5", "3.500000", {"value 3.5"}, {"refresh selected", "refresh impacts "}},
        {"BlackLevel", "-12", "-12", {"value -12"}, {"refresh selected", "refresh impacts "}},
        {"DeviceUserID", "Line 4", "Line 4", {"text Line 4"}, {"refresh selected", "refresh impacts "}},
        {"PixelFormat", "Mono16", "Mono16", {"select Mono16"}, {"refresh selected", "refresh impacts TotalBytesPerFrame"}},
        {"ReverseX", "True", "True", {"select True"}, {"refresh selected", "refresh impacts "}},
        // Only the exact text "True" is true.
        {"StreamHoldEnable", "true", "False", {"select False"}, {"refresh selected", "refresh impacts "}},
        // A command refreshes its impacts, not its own row.
        {"TimestampReset", "", nullptr, {}, {"refresh impacts TimestampValue"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AttrAccess attr = Attr(c.name);
        RecordingEditor editor;
        RecordingHost host;
        editor.input = c.input;
        EXPECT_TRUE(ApplyEditor(attr, TypeOf(attr), ImpactsOf(attr), &editor, host));
        if (c.cameraValue) { EXPECT_EQ(c.cameraValue, Get(c.name)); }
        EXPECT_EQ(c.view, editor.calls);
        EXPECT_EQ(c.host, host.calls);
    }
}

TEST_F(ValueTablesTest, ApplyFailures)
{
    struct Case {
        const char* name;
        const char* fault; // simulator command before the apply, or null
        bool gives;        // the view gives a value
        bool result;       // every library call worked
        Lines host;
        Lines view;
    };
    const Case cases[] = {
        // The view gives nothing: a log line, nothing written, still "all calls worked".
        {"Width", nullptr, false, true, {"log Failed to get the uint32 value from the form"}, {}},
        {"Gain", nullptr, false, true, {"log Failed to get the float32 value from the form"}, {}},
        {"BlackLevel", nullptr, false, true, {"log Failed to get the int64 value from the form"}, {}},
        {"DeviceUserID", nullptr, false, true, {"log Failed to get the string value from the form"}, {}},
        {"PixelFormat", nullptr, false, true, {"log Failed to get the enum value from the form"}, {}},
        {"ReverseX", nullptr, false, true, {"log Failed to get the boolean value from the form"}, {}},
        // The library refuses the write: reported, no read-back, no refresh.
        {"Width", "fail MkAttrUint32Set 20 once", true, false, {"report Failed to write uint32 value 20"}, {}},
        {"Gain", "fail MkAttrFloat32Set 20 once", true, false, {"report Failed to write float32 value 20"}, {}},
        {"BlackLevel", "fail MkAttrInt64Set 20 once", true, false, {"report Failed to write int64 value 20"}, {}},
        {"DeviceUserID", "fail MkAttrStringSet 20 once", true, false, {"report Failed to write the string value 20"}, {}},
        {"PixelFormat", "fail MkAttrEnumSet 20 once", true, false, {"report Failed to write enum value 20"}, {}},
        {"ReverseX", "fail MkAttrBooleanSet 20 once", true, false, {"report Failed to write boolean value 20"}, {}},
        {"TimestampReset", "fail MkCommandRun 20 once", true, false, {"report Failed to run the command 20"}, {}},
        // The read-back fails: the view stays, the refresh runs.
        {"Width", "fail MkAttrUint32Get 6 once", true, false, {"refresh selected", "refresh impacts TotalBytesPerFrame,OffsetX"}, {}},
    };
    const std::map<std::string, std::string> inputs = {{"Width", "320"}, {"Gain", "2"}, {"BlackLevel", "5"}, {"DeviceUserID", "x"}, {"PixelFormat", "Mono10"}, {"ReverseX", "True"}, {"TimestampReset", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + (c.fault ? c.fault : "view gives nothing"));
        const AttrAccess attr = Attr(c.name);
        const uint32_t type = TypeOf(attr);
        const std::string impacts = ImpactsOf(attr);
        const std::string before = Get(c.name);
        if (c.fault) { ASSERT_EQ("ok", Sim(c.fault)); }
        RecordingEditor editor;
        RecordingHost host;
        editor.gives = c.gives;
        editor.input = inputs.at(c.name);
        EXPECT_EQ(c.result, ApplyEditor(attr, type, impacts, &editor, host));
        EXPECT_EQ(c.host, host.calls);
        EXPECT_EQ(c.view, editor.calls);
        if (!c.gives || (c.fault && std::string(c.fault).find("Set") != std::string::npos)) { EXPECT_EQ(before, Get(c.name)); }
        Sim("fail clear");
        Sim("set 100001 Width 640");
    }
    // Without a view nothing is written.
    RecordingHost host;
    EXPECT_TRUE(ApplyEditor(Attr("Width"), MK_ATTR_UINT32, "", nullptr, host));
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(ValueTablesTest, WhatTouchesTheImageFormat)
{
    const std::pair<const char*, bool> entries[] = {
        {"/ImageFormat", true},
        {"/ImageFormat/Region", true},
        {"/", true},
        {"/Acquisition", false},
        {"/Statistics", false},
        {"PacketSize", true},
        {"OffsetX", true}, // category /ImageFormat/Region
        {"TotalBytesPerFrame", true},
        {"Gain", false},
        {"NoSuchAttribute", false},
        {"", false},
    };
    for (const auto& [entry, touches] : entries) {
        SCOPED_TRACE(entry);
        EXPECT_EQ(touches, TouchesImageFormat(&Functions(), m_handle, entry));
    }
    EXPECT_FALSE(TouchesImageFormat(&Functions(), nullptr, "/ImageFormat")); // no camera
    EXPECT_FALSE(TouchesImageFormat(nullptr, m_handle, "PacketSize"));

    EXPECT_TRUE(NeedsAcquisitionStop(&Functions(), m_handle, "PacketSize", ""));
    EXPECT_TRUE(NeedsAcquisitionStop(&Functions(), m_handle, "Width", "TotalBytesPerFrame,OffsetX"));
    EXPECT_TRUE(NeedsAcquisitionStop(&Functions(), m_handle, "X", "Gain,/ImageFormat"));
    EXPECT_FALSE(NeedsAcquisitionStop(&Functions(), m_handle, "AcquisitionStart", "/Statistics"));
    EXPECT_FALSE(NeedsAcquisitionStop(&Functions(), m_handle, "Gain", ""));
    // Entries are not trimmed: " /Image" is an attribute name nobody has.
    EXPECT_FALSE(NeedsAcquisitionStop(&Functions(), m_handle, "X", "Gain, /ImageFormat"));
}

TEST_F(ValueTablesTest, AcquisitionStopAroundTheWrite)
{
    struct Case {
        const char* what;
        bool stop;
        uint32_t stopAnswer;
        const char* fault;
        Lines host;
        const char* packetSize; // the camera's value afterwards
    };
    const Case cases[] = {
        {"stop granted", true, 1, nullptr, {"event 4096", "refresh selected", "refresh impacts ", "event 4097"}, "3000"},
        {"stop refused", true, 0, nullptr, {"event 4096"}, "1500"},
        {"no stop needed", false, 1, nullptr, {"refresh selected", "refresh impacts "}, "3000"},
        {"write refused", true, 1, "fail MkAttrUint32Set 20 once", {"event 4096", "report Failed to write uint32 value 20", "event 4097"}, "1500"},
        {"invalid afterwards", true, 1, "fail MkAttrIsValid 18 once", {"event 4096", "refresh selected", "refresh impacts ", "log Some side effects have made attribute \"PacketSize\" invalid.", "event 4097"}, "3000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ("ok", Sim("set 100001 PacketSize 1500"));
        if (c.fault) { ASSERT_EQ("ok", Sim(c.fault)); }
        RecordingEditor editor;
        RecordingHost host;
        editor.input = "3000";
        host.stopAnswer = c.stopAnswer;
        // Nothing is written before the framework has stopped the acquisition.
        host.atStop = [&] { EXPECT_EQ("1500", Get("PacketSize")); };
        ApplyCurrentAttribute(Attr("PacketSize"), MK_ATTR_UINT32, "", c.stop, &editor, host);
        EXPECT_EQ(c.host, host.calls);
        EXPECT_EQ(c.packetSize, Get("PacketSize"));
        Sim("fail clear");
    }
}

TEST_F(ValueTablesTest, NoValidityCheckAfterAFailedWrite)
{
    // The check would answer 18; after a refused write it is not asked.
    ASSERT_EQ("ok", Sim("fail MkAttrUint32Set 20 once"));
    ASSERT_EQ("ok", Sim("fail MkAttrIsValid 18 once"));
    RecordingEditor editor;
    RecordingHost host;
    editor.input = "100";
    ApplyCurrentAttribute(Attr("Width"), MK_ATTR_UINT32, "", false, &editor, host);
    EXPECT_EQ((Lines{"report Failed to write uint32 value 20"}), host.calls);
    // The fault is still pending: the check was never made.
    EXPECT_EQ(18u, MkAttrIsValid(m_handle, "Width"));
}

TEST(SplitList, Pieces)
{
    EXPECT_EQ((Lines{"a", "b"}), SplitList("a,b"));
    EXPECT_EQ((Lines{"a", "b"}), SplitList("a,b,"));
    EXPECT_EQ((Lines{"a", "", "b"}), SplitList("a,,b"));
    EXPECT_EQ((Lines{" a", " b "}), SplitList(" a, b "));
    EXPECT_TRUE(SplitList("").empty());
    EXPECT_EQ((Lines{""}), SplitList(","));
}

} // namespace
} // namespace attr_editor
