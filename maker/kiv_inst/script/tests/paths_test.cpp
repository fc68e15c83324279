// Path arithmetic in both separator styles.
#include "kiv_script/Paths.h"

#include <gtest/gtest.h>

namespace kivscript {
namespace {

struct PathCase {
    PathStyle style;
    const char* path;
    bool absolute;
    const char* folder;
};

TEST(Paths, AbsoluteAndFolder)
{
    const PathCase cases[] = {
        {PathStyle::Windows, "C:\\jobs\\a.vkj", true, "C:\\jobs"},
        {PathStyle::Windows, "c:/jobs/a.vkj", true, "c:/jobs"},
        {PathStyle::Windows, "C:\\a.vkj", true, "C:\\"},
        {PathStyle::Windows, "C:a.vkj", true, "C:"},
        {PathStyle::Windows, "\\\\server\\share\\a.vkj", true, "\\\\server\\share"},
        {PathStyle::Windows, "sub\\a.vks", false, "sub"},
        {PathStyle::Windows, "sub/deeper\\a.vks", false, "sub/deeper"},
        {PathStyle::Windows, "a.vks", false, ""},
        {PathStyle::Posix, "/home/u/a.vkj", true, "/home/u"},
        {PathStyle::Posix, "/a.vkj", true, "/"},
        {PathStyle::Posix, "sub/a.vks", false, "sub"},
        {PathStyle::Posix, "C:\\jobs\\a.vkj", false, ""},
        {PathStyle::Posix, "", false, ""},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(c.absolute, IsAbsolutePath(c.path, c.style));
        EXPECT_EQ(c.folder, FolderOf(c.path, c.style));
    }
}

struct JoinCase {
    PathStyle style;
    const char* folder;
    const char* path;
    const char* expected;
};

TEST(Paths, ResolveJoinsOnlyRelativePaths)
{
    const JoinCase cases[] = {
        {PathStyle::Windows, "C:\\jobs", "a.vks", "C:\\jobs\\a.vks"},
        {PathStyle::Windows, "C:\\", "a.vks", "C:\\a.vks"},
        {PathStyle::Windows, "C:\\jobs", "..\\x\\a.vks", "C:\\jobs\\..\\x\\a.vks"},
        {PathStyle::Windows, "C:\\jobs", "D:\\b.vks", "D:\\b.vks"},
        {PathStyle::Windows, "C:\\jobs", "\\b.vks", "\\b.vks"},
        {PathStyle::Windows, "", "a.vks", "a.vks"},
        {PathStyle::Windows, "C:", "a.vks", "C:a.vks"},
        {PathStyle::Posix, "/srv/jobs", "a.vks", "/srv/jobs/a.vks"},
        {PathStyle::Posix, "/srv/jobs/", "a.vks", "/srv/jobs/a.vks"},
        {PathStyle::Posix, "/srv/jobs", "/etc/b.vks", "/etc/b.vks"},
    };
    for (const JoinCase& c : cases) {
        SCOPED_TRACE(std::string(c.folder) + " + " + c.path);
        EXPECT_EQ(c.expected, ResolvePath(c.folder, c.path, c.style));
    }
}

} // namespace
} // namespace kivscript
