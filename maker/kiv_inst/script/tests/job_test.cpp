// Job files: the console program's job call, relative paths, nesting and file errors.
#include "kiv_script/Interpreter.h"

#include "TestDoubles.h"

#include <gtest/gtest.h>

namespace kivscript {
namespace {

using testing::FakeCamera;
using testing::FakeClock;
using testing::MemoryFiles;

class JobRun : public ::testing::Test {
protected:
    JobRun()
    {
        env.clock = &clock;
        env.files = &files;
        env.pathStyle = PathStyle::Windows;
        env.print = [this](std::string_view text) { printed += text; };
        env.onFile = [this](const std::string& path) { opened.push_back(path); };
    }

    Outcome job(const std::string& doubledPath)
    {
        return Execute(ScriptSource{"ExecuteJobFile(\"" + doubledPath + "\");"}, env);
    }

    FakeClock clock;
    MemoryFiles files;
    Environment env;
    std::string printed;
    std::vector<std::string> opened;
};

TEST_F(JobRun, TheConsoleProgramsJobTextRunsTheFilesRelativeToTheJob)
{
    files.add("C:\\jobs\\a.vkj", "# nightly\r\none.vks\r\n\r\n  sub\\two.vks  \r\nD:\\shared\\three.vks\r\n");
    files.add("C:\\jobs\\one.vks", "println \"one\"");
    files.add("C:\\jobs\\sub\\two.vks", "println \"two\"\nExecuteJobFile(\"inner.vkj\")");
    files.add("C:\\jobs\\sub\\inner.vkj", "four.vks");
    files.add("C:\\jobs\\sub\\four.vks", "println \"four\"");
    files.add("D:\\shared\\three.vks", "println \"three\"");

    Outcome o = job("C:\\\\jobs\\\\a.vkj");
    ASSERT_TRUE(o.ok) << o.text;
    EXPECT_EQ("one\ntwo\nfour\nthree\n", printed);
    const std::vector<std::string> expected = {"C:\\jobs\\a.vkj", "C:\\jobs\\one.vks", "C:\\jobs\\sub\\two.vks",
                                               "C:\\jobs\\sub\\inner.vkj", "C:\\jobs\\sub\\four.vks",
                                               "D:\\shared\\three.vks"};
    EXPECT_EQ(expected, opened);
}

TEST_F(JobRun, AJobMayListJobsWhosePathsStartFromTheirOwnFolder)
{
    env.pathStyle = PathStyle::Posix;
    files.add("/srv/jobs/all.vkj", "setup/prepare.VKJ\nlast.vks\n");
    files.add("/srv/jobs/setup/prepare.VKJ", "a.vks\n");
    files.add("/srv/jobs/setup/a.vks", "print \"a\"");
    files.add("/srv/jobs/last.vks", "print \"z\"");
    Outcome o = job("/srv/jobs/all.vkj");
    ASSERT_TRUE(o.ok) << o.text;
    EXPECT_EQ("az", printed);
}

TEST_F(JobRun, AJobCallingItselfStopsAtTheNestingLimit)
{
    files.add("C:\\jobs\\loop.vkj", "again.vks\n");
    files.add("C:\\jobs\\again.vks", "print \".\"\nExecuteJobFile(\"loop.vkj\")\n");
    Outcome o = job("C:\\\\jobs\\\\loop.vkj");
    ASSERT_FALSE(o.ok);
    EXPECT_EQ(ErrorKind::NestingTooDeep, o.kind);
    EXPECT_EQ("C:\\jobs\\again.vks(2): job nesting too deep: \"C:\\jobs\\loop.vkj\" would be level 9 (at most 8)", o.text);
    EXPECT_EQ(std::string(kMaxJobDepth, '.'), printed);

    printed.clear();
    files.add("C:\\jobs\\self.vkj", "self.vkj\n");
    o = job("C:\\\\jobs\\\\self.vkj");
    EXPECT_EQ("C:\\jobs\\self.vkj(1): job nesting too deep: \"C:\\jobs\\self.vkj\" would be level 9 (at most 8)", o.text);
}

TEST_F(JobRun, FileErrorsNameTheReferringFileAndLine)
{
    files.add("C:\\jobs\\a.vkj", "one.vks\n\nmissing.vks\n");
    files.add("C:\\jobs\\b.vkj", "locked.vks\n");
    files.add("C:\\jobs\\c.vkj", "huge.vks\n");
    files.add("C:\\jobs\\d.vkj", "one.vks\n" + std::string(kMaxLineLength + 1, 'x') + "\n");
    files.add("C:\\jobs\\e.vkj", "bad.vks\n");
    files.add("C:\\jobs\\one.vks", "print \"1\"");
    files.add("C:\\jobs\\bad.vks", "print \"1\"\n\n  expect >\n");
    files.addBroken("C:\\jobs\\locked.vks", ReadStatus::Unreadable);
    files.addBroken("C:\\jobs\\huge.vks", ReadStatus::TooLarge);
    struct Case {
        const char* job;
        ErrorKind kind;
        const char* text;
    };
    const Case cases[] = {
        {"C:\\\\jobs\\\\a.vkj", ErrorKind::FileMissing, "C:\\jobs\\a.vkj(3): cannot find script file \"C:\\jobs\\missing.vks\""},
        {"C:\\\\jobs\\\\b.vkj", ErrorKind::FileUnreadable, "C:\\jobs\\b.vkj(1): cannot read script file \"C:\\jobs\\locked.vks\""},
        {"C:\\\\jobs\\\\c.vkj", ErrorKind::FileTooLarge,
         "C:\\jobs\\c.vkj(1): script file \"C:\\jobs\\huge.vks\" is larger than 1048576 bytes"},
        {"C:\\\\jobs\\\\d.vkj", ErrorKind::LineTooLong, "C:\\jobs\\d.vkj(2): line too long (4097 characters, at most 4096)"},
        {"C:\\\\jobs\\\\e.vkj", ErrorKind::BadArgument, "C:\\jobs\\bad.vks(3): expect needs a double-quoted text"},
        {"C:\\\\jobs\\\\none.vkj", ErrorKind::FileMissing, "<script text>(1): cannot find job file \"C:\\jobs\\none.vkj\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.job);
        Outcome o = job(c.job);
        ASSERT_FALSE(o.ok);
        EXPECT_EQ(c.kind, o.kind);
        EXPECT_EQ(c.text, o.text);
    }
}

TEST_F(JobRun, ScriptFilesRunByPathAndReportTheirOwnName)
{
    files.add("C:\\jobs\\s.vks", "println \"s\"\nExecuteJobFile(\"..\\\\j.vkj\")\n");
    files.add("C:\\jobs\\..\\j.vkj", "C:\\jobs\\t.vks");
    files.add("C:\\jobs\\t.vks", "\nsend \"V\"");
    Outcome o = ExecuteFile("C:\\jobs\\s.vks", env);
    ASSERT_FALSE(o.ok);
    EXPECT_EQ("C:\\jobs\\t.vks(2): send: no communication device connected", o.text);
    EXPECT_EQ("s\n", printed);

    o = ExecuteFile("C:\\jobs\\absent.vks", env);
    EXPECT_EQ(ErrorKind::FileMissing, o.kind);
    EXPECT_EQ("C:\\jobs\\absent.vks: cannot find script file \"C:\\jobs\\absent.vks\"", o.text);
}

TEST_F(JobRun, OneLockCoversEveryFileOfARun)
{
    FakeCamera camera(clock);
    camera.answer("V", "\r\n>");
    env.port = &camera;
    files.add("C:\\jobs\\a.vkj", "v.vks\nv.vks\n");
    files.add("C:\\jobs\\v.vks", "sendln \"V\"\nexpect \">\"\n");
    ASSERT_TRUE(job("C:\\\\jobs\\\\a.vkj").ok);
    EXPECT_EQ(1, camera.locks);
    EXPECT_EQ(1, camera.unlocks);
    EXPECT_EQ("V\rV\r", camera.written);
}

} // namespace
} // namespace kivscript
