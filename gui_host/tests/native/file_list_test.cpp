// File search with relative names over a fake folder tree, and the list order.
#include "gui_host/FileList.h"

#include <gtest/gtest.h>

#include <map>

using namespace varnik;

namespace {

// A folder tree: folder (with backslash) -> entries. Patterns are "*.*" or "*<suffix>".
struct FakeTree {
    std::map<std::string, std::vector<DirectoryEntry>> folders;
    std::vector<std::string> listed;

    std::vector<DirectoryEntry> operator()(const std::string& pathPattern)
    {
        listed.push_back(pathPattern);
        const size_t slash = pathPattern.rfind('\\');
        const std::string folder = pathPattern.substr(0, slash + 1);
        const std::string suffix = pathPattern.substr(slash + 2); // after "*"
        std::vector<DirectoryEntry> result;
        auto it = folders.find(folder);
        if (it == folders.end())
            return result;
        for (const DirectoryEntry& e : it->second) {
            if (suffix == ".*" || (e.name.size() >= suffix.size() && e.name.compare(e.name.size() - suffix.size(), suffix.size(), suffix) == 0))
                result.push_back(e);
        }
        return result;
    }
};

} // namespace

TEST(FileSearch, RecursiveWithRelativeNames)
{
    FakeTree tree;
    tree.folders["C:\\P\\"] = {{".", true}, {"..", true}, {"zeta.dll", false}, {"Plugins", true}, {"Varnik.exe", false}, {"x.dll", true}, {"Alpha.dll", false}};
    tree.folders["C:\\P\\Plugins\\"] = {{".", true}, {"..", true}, {"KIV_KL7700.dll", false}, {"Deep", true}};
    tree.folders["C:\\P\\Plugins\\Deep\\"] = {{"d.dll", false}};
    tree.folders["C:\\P\\x.dll\\"] = {{"inner.dll", false}};
    std::vector<std::string> found;
    SearchFiles("C:\\P\\", "C:\\P\\", "*.dll", true, std::ref(tree), found);
    EXPECT_EQ((std::vector<std::string>{"zeta.dll", "Alpha.dll", "Plugins\\KIV_KL7700.dll", "Plugins\\Deep\\d.dll",
                                        "x.dll\\inner.dll"}),
              found)
        << "a folder named like a match is descended into, not listed";

    found.clear();
    tree.listed.clear();
    SearchFiles("C:\\P\\", "C:\\P\\", "*.dll", false, std::ref(tree), found);
    EXPECT_EQ((std::vector<std::string>{"zeta.dll", "Alpha.dll"}), found);
    EXPECT_EQ((std::vector<std::string>{"C:\\P\\*.dll"}), tree.listed);
}

TEST(FileSearch, FolderLinkLoopEndsAtTheDepthLimit)
{
    // Every folder lists a subfolder "loop" that leads to a folder that does the same.
    size_t calls = 0;
    ListDirectory endless = [&](const std::string& pattern) {
        ++calls;
        if (pattern.ends_with("*.*"))
            return std::vector<DirectoryEntry>{{"loop", true}};
        return std::vector<DirectoryEntry>{{"a.dll", false}};
    };
    std::vector<std::string> found;
    SearchFiles("C:\\P\\", "C:\\P\\", "*.dll", true, endless, found);
    EXPECT_EQ(static_cast<size_t>(kMaxSearchDepth + 1), found.size());
    EXPECT_LT(calls, 100u);
}

TEST(FileSearch, RemoveEveryOccurrenceOfTheRoot)
{
    EXPECT_EQ("sub\\a.dll", RemoveEvery("C:\\P\\sub\\a.dll", "C:\\P\\"));
    EXPECT_EQ("ab", RemoveEvery("xxaxxb", "xx"));
    EXPECT_EQ("same", RemoveEvery("same", ""));
}

TEST(FileList, SortKeepsTheFirstAndOrdersTheRestByteWise)
{
    struct Case {
        const char* name;
        std::vector<std::string> input;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"two names stay unsorted", {"Varnik.exe", "Merrow.exe"}, {"Varnik.exe", "Merrow.exe"}},
        {"first stays on top",
         {"Varnik.exe", "Merrow.exe", "KIVInst.dll", "AppFramework.dll"},
         {"Varnik.exe", "AppFramework.dll", "KIVInst.dll", "Merrow.exe"}},
        {"upper case before lower case",
         {"Varnik.exe", "b.dll", "a.dll", "B.dll", "Z.dll"},
         {"Varnik.exe", "B.dll", "Z.dll", "a.dll", "b.dll"}},
        {"subfolder names by their bytes",
         {"Varnik.exe", "sub\\k.dll", "sub.dll", "Sub\\a.dll"},
         {"Varnik.exe", "Sub\\a.dll", "sub.dll", "sub\\k.dll"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> names = c.input;
        SortFileList(names);
        EXPECT_EQ(c.expected, names);
    }
}
