// The attribute tree's content over a scripted camera and a tree in memory:
// value texts, filling by category, lookups, refreshes along filters and
// impact lists, and updates while rows are present.
#include "attr_editor/AttrTreeContent.h"
#include "MemoryTree.h"
#include "ScriptedCamera.h"

#include <gtest/gtest.h>

namespace attr_editor {
namespace {

constexpr uint32_t R = MK_FLAG_READ, W = MK_FLAG_WRITE, V = MK_FLAG_VOLATILE;
using Lines = std::vector<std::string>;

class AttrTreeContentTest : public ::testing::Test {
protected:
    AttrTreeContent Content(bool withCamera = true)
    {
        return AttrTreeContent(tree, {&ScriptedCamera::Api(), [this, withCamera] { return withCamera ? camera.Handle() : nullptr; }});
    }
    AttrInfo InfoOf(const std::string& name)
    {
        AttrInfo info{};
        EXPECT_EQ(ScriptedCamera::Api().MkAttrInfo(camera.Handle(), name.c_str(), &info), 0u) << name;
        return info;
    }
    MemoryTree tree;
    ScriptedCamera camera;
};

TEST_F(AttrTreeContentTest, ValueTextByTypeFlagsAndReadResult)
{
    struct Case {
        ScriptedAttr attr;
        const char* text;
    };
    const Case cases[] = {
        {{"Model", MK_ATTR_STRING, R, "/", "", "ZX-640M"}, "ZX-640M"},
        {{"Long", MK_ATTR_STRING, R, "/", "", std::string(255, 'x')}, nullptr}, // fills the 256 bytes exactly
        {{"TooLong", MK_ATTR_STRING, R, "/", "", std::string(256, 'x')}, "unavailable"},
        {{"PixelFormat", MK_ATTR_ENUM, R | W, "/", "", "Mono12Packed"}, "Mono12Packed"},
        {{"Width", MK_ATTR_UINT32, R | W, "/", "", "4294967295"}, "4294967295"},
        {{"Gain", MK_ATTR_FLOAT32, R, "/", "", "1.5"}, "1.500000"},
        {{"Tiny", MK_ATTR_FLOAT32, R, "/", "", "-0.0000004"}, "-0.000000"},
        {{"Black", MK_ATTR_INT64, R, "/", "", "-5000000000"}, "-5000000000"},
        {{"On", MK_ATTR_BOOLEAN, R, "/", "", "1"}, "True"},
        {{"Off", MK_ATTR_BOOLEAN, R, "/", "", "0"}, "False"},
        {{"WriteOnly", MK_ATTR_UINT32, W, "/", "", "5"}, "N/A"},
        {{"Hidden", MK_ATTR_STRING, 0, "/", "", "x"}, "N/A"},
        {{"Start", MK_ATTR_COMMAND, W, "/", "", ""}, "N/A"}, // commands are not readable
        {{"ReadableCmd", MK_ATTR_COMMAND, R | W, "/", "", "x"}, ""},
        {{"Lut", MK_ATTR_RAW, R, "/", "", "x"}, ""},
        {{"Future", 42, R, "/", "", "x"}, ""},
        {{"Unplugged", MK_ATTR_UINT32, R, "/", "", "1", MK_ERR_UNPLUGGED}, "unavailable"},
        {{"Busy", MK_ATTR_ENUM, R, "/", "", "a", MK_ERR_UNAVAILABLE}, "unavailable"},
        {{"BadF", MK_ATTR_FLOAT32, R, "/", "", "1", MK_ERR_WRONG_TYPE}, "unavailable"},
        {{"BadI", MK_ATTR_INT64, R, "/", "", "1", MK_ERR_TIMEOUT}, "unavailable"},
        {{"BadB", MK_ATTR_BOOLEAN, R, "/", "", "1", MK_ERR_BAD_HANDLE}, "unavailable"},
        {{"BadS", MK_ATTR_STRING, R, "/", "", "1", MK_ERR_CAMERA_FAULT}, "unavailable"},
    };
    for (const Case& c : cases) camera.attrs.push_back(c.attr);
    AttrTreeContent content = Content();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attr.name);
        std::string text = "stale";
        EXPECT_TRUE(content.GetValueText(c.attr.name.c_str(), InfoOf(c.attr.name), text));
        EXPECT_EQ(text, c.text ? std::string(c.text) : c.attr.value);
    }
    std::string text = "kept";
    EXPECT_FALSE(Content(false).GetValueText("Model", InfoOf("Model"), text)) << "no camera";
    EXPECT_EQ(text, "kept");
}

TEST_F(AttrTreeContentTest, FillingPlacesRowsUnderTheirCategoryItems)
{
    camera.attrs = {
        {"Width", MK_ATTR_UINT32, R | W, "/Image/Format", "", "640"},
        {"Gain", MK_ATTR_FLOAT32, R, "/Image", "", "1.5"},
        {"Zoom", MK_ATTR_UINT32, R, "/", "", "2"},
        {"Height", MK_ATTR_UINT32, R, "/Image/Format", "", "480"},
        {"Upper", MK_ATTR_UINT32, R, "/image", "", "3"},
        {"Secret", MK_ATTR_UINT32, W, "/Acquisition", "", "7"},
        {"Broken", MK_ATTR_UINT32, R, "/Acquisition", "", "7", 0, MK_ERR_NOT_FOUND},
        {"Deep", MK_ATTR_BOOLEAN, R, "//A///B/", "", "1"},
        {"Start", MK_ATTR_COMMAND, W, "/Acquisition", "", ""},
        {"Bare", MK_ATTR_UINT32, R, "", "", "1"},
    };
    camera.extraNames = {"Ghost"}; // listed, but its information cannot be had
    Content().UpdateAttributeTree(0xFFFFFFFF);
    const Lines expected = {
        // The root's children sorted without regard to case (the control's
        // sort); deeper levels in insertion order.
        "A",
        "  B",
        "    Deep | True",
        "Acquisition",
        "  Secret | N/A",
        "  Start | N/A",
        "Bare | 1",
        "Image",
        "  Format",
        "    Width | 640",
        "    Height | 480",
        "  Gain | 1.500000",
        "image",
        "  Upper | 3",
        "Zoom | 2",
    };
    EXPECT_EQ(tree.Lines(), expected);
    EXPECT_EQ(tree.Text(tree.At("Image/Gain")), "Gain\t1.500000");
    MemoryTree::Node* root = static_cast<MemoryTree::Node*>(tree.Root());
    EXPECT_TRUE(root->expanded);
    for (const auto& child : root->children) EXPECT_TRUE(child->expanded) << child->text;
    EXPECT_FALSE(static_cast<MemoryTree::Node*>(tree.At("Image/Format"))->expanded) << "only the root's children";
    EXPECT_EQ(tree.top, tree.Root()) << "the root is scrolled to the top last";
}

TEST_F(AttrTreeContentTest, FillingWithoutCameraListOrTreeLeavesTheTreeAsItWas)
{
    camera.attrs = {{"Width", MK_ATTR_UINT32, R, "/Image", "", "640"}};
    Content(false).UpdateAttributeTree(0);
    EXPECT_EQ(tree.Count(), 0u) << "no camera";
    camera.listCode = MK_ERR_INTERNAL_FAULT;
    Content().UpdateAttributeTree(0);
    EXPECT_EQ(tree.Count(), 0u) << "the list fails";
    EXPECT_EQ(camera.calls["MkAttrInfo"], 0);
    camera.listCode = 0;
    tree.refuseInserts = 1; // the category item cannot be made: the row is left out
    camera.attrs.push_back({"Zoom", MK_ATTR_UINT32, R, "/", "", "2"});
    Content().UpdateAttributeTree(0);
    EXPECT_EQ(tree.Lines(), Lines{"Zoom | 2"});
    AttrTreeContent({tree, {nullptr, nullptr}}).UpdateAttributeTree(0); // no library at all
    EXPECT_EQ(tree.Lines(), Lines{"Zoom | 2"});
}

// The framework updates the dialog after each camera open and re-scan, with
// the rows of the first fill present.
TEST_F(AttrTreeContentTest, UpdatingAgainRefreshesRowsInPlaceAndNeverDoublesThem)
{
    camera.attrs = {
        {"Width", MK_ATTR_UINT32, R | W, "/Image", "", "640"},
        {"Temp", MK_ATTR_FLOAT32, R | V, "/Device", "", "38.5"},
        {"Model", MK_ATTR_STRING, R, "/Device", "", "ZX"},
        {"Twice", MK_ATTR_UINT32, R, "/Device", "", "1"},
        {"Twice", MK_ATTR_UINT32, R, "/Device", "", "1"}, // a library listing a name twice
        {"Serial", MK_ATTR_STRING, R, "/Info/Sub", "", "S1"},
    };
    AttrTreeContent content = Content();
    content.UpdateAttributeTree(0xFFFFFFFF);
    const Lines info = {"Info", "  Sub", "    Serial | S1"};
    const auto with = [&](Lines lines) {
        lines.insert(lines.end(), info.begin(), info.end());
        return lines;
    };
    const Lines first = with({"Device", "  Temp | 38.500000", "  Model | ZX", "  Twice | 1", "  Twice | 1", "Image", "  Width | 640"});
    ASSERT_EQ(tree.Lines(), first);
    const TreeItem width = tree.At("Image/Width");

    struct Step {
        const char* what;
        std::function<void()> change;
        Lines lines;
    };
    const Step steps[] = {
        {"the same camera again", [] {}, first},
        {"values changed meanwhile",
         [&] { camera.Find("Width")->value = "320", camera.Find("Temp")->value = "40"; },
         with({"Device", "  Temp | 40.000000", "  Model | ZX", "  Twice | 1", "  Twice | 1", "Image", "  Width | 320"})},
        {"the list fails: nothing changes", [&] { camera.listCode = MK_ERR_TIMEOUT; },
         with({"Device", "  Temp | 40.000000", "  Model | ZX", "  Twice | 1", "  Twice | 1", "Image", "  Width | 320"})},
        {"another camera: new rows added, rows it lacks removed with their empty categories",
         [&] {
             camera.listCode = 0;
             camera.attrs = {{"Width", MK_ATTR_UINT32, R | W, "/Image", "", "1920"},
                             {"Bayer", MK_ATTR_ENUM, R, "/Image", "", "RG"},
                             {"Twice", MK_ATTR_UINT32, R, "/Device", "", "2"}};
         },
         {"Device", "  Twice | 2", "Image", "  Width | 1920", "  Bayer | RG"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        content.UpdateAttributeTree(0xFFFFFFFF);
        EXPECT_EQ(tree.Lines(), step.lines);
        EXPECT_EQ(tree.At("Image/Width"), width) << "a row present stays the same item";
    }
}

TEST_F(AttrTreeContentTest, UnchangedRowsAreNotWrittenAgain)
{
    camera.attrs = {{"Width", MK_ATTR_UINT32, R, "/Image", "", "640"}, {"Temp", MK_ATTR_FLOAT32, R | V, "/", "", "1"}};
    AttrTreeContent content = Content();
    content.UpdateAttributeTree(0);
    tree.setTextCalls = 0;
    content.UpdateAttributeTree(0);
    content.RefreshSubtree(tree.Root(), 0);
    EXPECT_EQ(tree.setTextCalls, 0);
    camera.Find("Temp")->value = "2";
    content.RefreshSubtree(tree.Root(), V);
    EXPECT_EQ(tree.setTextCalls, 1);
    EXPECT_EQ(tree.Text(tree.At("Temp")), "Temp\t2.000000");
}

TEST_F(AttrTreeContentTest, LookupsCompareColumnZeroCaseSensitively)
{
    const TreeItem root = tree.Root();
    const TreeItem image = tree.InsertLast(root, "Image");
    const TreeItem format = tree.InsertLast(image, "Format");
    const TreeItem width = tree.InsertLast(format, "Width\t640");
    tree.InsertLast(image, "image\t1"); // a row whose name differs in case
    const TreeItem widthRow = tree.InsertLast(root, "Width\t1");
    tree.InsertLast(root, "Width\t2"); // the first of two wins
    AttrTreeContent content = Content();

    EXPECT_EQ(content.LookupChildItem(root, "Image"), image);
    EXPECT_EQ(content.LookupChildItem(root, "image"), nullptr);
    EXPECT_EQ(content.LookupChildItem(root, "Width"), widthRow);
    EXPECT_EQ(content.LookupChildItem(root, "Width\t1"), nullptr) << "only column 0 is compared";
    EXPECT_EQ(content.LookupChildItem(width, "x"), nullptr) << "no children";

    struct Case {
        const char* path;
        bool exact;
        TreeItem item;
    };
    const Case cases[] = {
        {"/Image/Format/Width", true, width},
        {"/Image/Format/Width", false, width},
        {"/", true, root},
        {"", false, root},
        {"//Image//Format/", true, format},
        {"/Image/Nope/Format", true, nullptr},
        {"/Image/Nope/Format", false, format},
        {"/Nope", false, root},
        {"/Nope", true, nullptr},
        {"/IMAGE", true, nullptr},
        {"Image/Format", true, format}, // no leading slash: the first component is kept whole
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + (c.exact ? " exact" : " not exact"));
        EXPECT_EQ(content.FindItemByPath(c.path, c.exact), c.item);
    }
    const size_t before = tree.Count();
    EXPECT_EQ(content.FindOrCreateCategory("/Image/Format"), format);
    EXPECT_EQ(tree.Count(), before) << "found, not created";
    const TreeItem made = content.FindOrCreateCategory("/Image/FORMAT/Sub");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(tree.Count(), before + 2);
    EXPECT_EQ(tree.Text(tree.Parent(made)), "FORMAT");
    EXPECT_EQ(tree.Parent(tree.Parent(made)), image);
    tree.RemoveRoot();
    EXPECT_EQ(content.FindOrCreateCategory("/Image"), nullptr);
    EXPECT_EQ(content.FindItemByPath("/", false), nullptr);
}

TEST_F(AttrTreeContentTest, RefreshesReadWhatTheirFilterAndImpactListName)
{
    camera.attrs = {
        {"Width", MK_ATTR_UINT32, R | W, "/Image/Format", "TotalBytes,/Stats,", "640"},
        {"Height", MK_ATTR_UINT32, R | W, "/Image/Format", "", "480"},
        {"TotalBytes", MK_ATTR_UINT32, R, "/Image", "", "307200"},
        {"Frames", MK_ATTR_UINT32, R | V, "/Stats", "", "0"},
        {"Rate", MK_ATTR_FLOAT32, R | V, "/Stats", "", "0"},
        {"Temp", MK_ATTR_FLOAT32, R | V, "/", "", "38"},
        {"Reset", MK_ATTR_COMMAND, W, "/Stats", "Frames", ""},
    };
    AttrTreeContent content = Content();
    content.UpdateAttributeTree(0);
    for (ScriptedAttr& a : camera.attrs) a.value = a.type == MK_ATTR_COMMAND ? "" : "9";

    struct Case {
        const char* what;
        std::function<void()> refresh;
        std::vector<std::string> read; // value reads, in order
        int infos;                     // information queries
    };
    const Case cases[] = {
        {"the timer: every row asked, only volatile ones read", [&] { content.RefreshSubtree(tree.Root(), V); }, {"Frames", "Rate", "Temp"}, 7},
        {"one row without a filter", [&] { content.RefreshItem(tree.At("Image/Format/Height"), 0); }, {"Height"}, 1},
        {"one row its filter excludes", [&] { content.RefreshItem(tree.At("Image/Format/Height"), V); }, {}, 1},
        {"a category item refreshes every row below it", [&] { content.RefreshSubtree(tree.At("Image"), 0); }, {"Width", "Height", "TotalBytes"}, 3},
        {"an impact list: an attribute, a category, a dropped empty last piece",
         [&] { content.RefreshImpacts("TotalBytes,/Stats,"); },
         {"TotalBytes", "Frames", "Rate"},
         5},
        {"a category path that matches nothing refreshes from where the walk stopped",
         [&] { content.RefreshImpacts("/Image/Nope"); },
         {"Width", "Height", "TotalBytes"},
         3},
        {"no trimming, unknown names and empty pieces are passed over",
         [&] { content.RefreshImpacts(" Width,Nope,,Height"); },
         {"Height"},
         5},
        {"nothing", [&] { content.RefreshImpacts(""); }, {}, 0},
        {"an attribute name", [&] { content.RefreshImpacts("Frames"); }, {"Frames"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        camera.calls.clear();
        camera.readNames.clear();
        c.refresh();
        EXPECT_EQ(camera.readNames, c.read);
        EXPECT_EQ(camera.calls["MkAttrInfo"], c.infos);
    }
    EXPECT_EQ(tree.Text(tree.At("Temp")), "Temp\t9.000000");
    EXPECT_EQ(tree.Text(tree.At("Stats/Reset")), "Reset\tN/A") << "a command is not readable";

    camera.calls.clear();
    Content(false).RefreshSubtree(tree.Root(), 0);
    Content(false).RefreshImpacts("/Image");
    Content(false).RefreshItem(tree.At("Temp"), 0);
    EXPECT_TRUE(camera.calls.empty()) << "nothing is read without a camera";
    camera.Find("Temp")->infoCode = MK_ERR_UNPLUGGED;
    camera.Find("Temp")->value = "1";
    content.RefreshItem(tree.At("Temp"), 0);
    EXPECT_EQ(tree.Text(tree.At("Temp")), "Temp\t9.000000") << "a row whose information fails keeps its text";
    camera.Find("Temp")->infoCode = 0;
    camera.Find("Temp")->readCode = MK_ERR_UNPLUGGED;
    content.RefreshItem(tree.At("Temp"), 0);
    EXPECT_EQ(tree.Text(tree.At("Temp")), "Temp\tunavailable");
}

TEST_F(AttrTreeContentTest, TheRootAloneRefreshesAsTheName)
{
    AttrTreeContent content = Content();
    content.RefreshSubtree(tree.Root(), 0);
    EXPECT_EQ(camera.calls["MkAttrInfo"], 1) << "the root without children is asked for as \"/\"";
    EXPECT_EQ(tree.Text(tree.Root()), "/");
}

TEST(ColumnTextTest, PiecesBetweenTabs)
{
    struct Case {
        const char* text;
        int column;
        const char* piece; // null: no such column
    };
    const Case cases[] = {{"Width\t640", 0, "Width"}, {"Width\t640", 1, "640"}, {"Width\t640", 2, nullptr}, {"Image", 0, "Image"}, {"Image", 1, nullptr}, {"a\t\tc", 1, ""}, {"a\t\tc", 2, "c"}, {"a\t", 1, ""}, {"", 0, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " column " + std::to_string(c.column));
        std::string_view piece = "unset";
        EXPECT_EQ(ColumnText(c.text, c.column, piece), c.piece != nullptr);
        if (c.piece) {
            EXPECT_EQ(piece, c.piece);
        }
    }
    EXPECT_EQ(ColumnZero("Gain\t1.5\tx"), "Gain");
    EXPECT_EQ(AttributeRowText("Gain", "1.500000"), "Gain\t1.500000");
}

} // namespace
} // namespace attr_editor
