// The message-test support itself: comparing sequences (optional entries,
// sent, posted, defproc, parameters, the side-by-side print), the recorder on
// a real window, and the marker of known Wine differences.
#include <gtest/gtest.h>

#include "app_framework_testing/message_sequence.h"
#include "app_framework_testing/message_tests.h"
#include "app_framework_testing/wine_difference.h"

#include <string>
#include <vector>

namespace {

constexpr UINT kStart = WM_APP + 1, kInner = WM_APP + 2, kLater = WM_APP + 3;

TEST(SequenceMatches, TableOfSequences)
{
    const std::vector<ExpectedMessage> table = {
        {WM_SETTEXT, kSent},
        {WM_NCPAINT, kSent | kDefProc | kOptional},
        {WM_COMMAND, kSent | kWParam, 42},
        {WM_TIMER, kPosted},
    };
    struct Case {
        const char* name;
        std::vector<RecordedMessage> actual;
        const char* failure; // nullptr: matches
    };
    const Case cases[] = {
        {"all, optional present",
         {{WM_SETTEXT, kSent, 0, 0}, {WM_NCPAINT, kSent | kDefProc, 1, 0}, {WM_COMMAND, kSent, 42, 9}, {WM_TIMER, kPosted, 0, 0}},
         nullptr},
        {"optional missing", {{WM_SETTEXT, kSent, 0, 0}, {WM_COMMAND, kSent, 42, 0}, {WM_TIMER, kPosted, 0, 0}}, nullptr},
        {"required missing", {{WM_SETTEXT, kSent, 0, 0}, {WM_COMMAND, kSent, 42, 0}}, "(missing)"},
        {"one too many",
         {{WM_SETTEXT, kSent, 0, 0}, {WM_COMMAND, kSent, 42, 0}, {WM_TIMER, kPosted, 0, 0}, {WM_PAINT, kPosted, 0, 0}},
         "(unexpected)"},
        {"another message", {{WM_SETTEXT, kSent, 0, 0}, {WM_CLOSE, kSent, 0, 0}}, "(message differs)"},
        {"sent where posted is expected",
         {{WM_SETTEXT, kSent, 0, 0}, {WM_COMMAND, kSent, 42, 0}, {WM_TIMER, kSent, 0, 0}},
         "(sent or posted differ)"},
        {"from the own procedure where not expected",
         {{WM_SETTEXT, kSent | kDefProc, 0, 0}, {WM_COMMAND, kSent, 42, 0}, {WM_TIMER, kPosted, 0, 0}},
         "(defproc differs)"},
        {"wParam checked", {{WM_SETTEXT, kSent, 0, 0}, {WM_COMMAND, kSent, 43, 0}, {WM_TIMER, kPosted, 0, 0}}, "(wParam differs)"},
        {"wParam not checked", {{WM_SETTEXT, kSent, 5, 0}, {WM_COMMAND, kSent, 42, 0}, {WM_TIMER, kPosted, 0, 0}}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ::testing::AssertionResult result = SequenceMatches(c.actual, table);
        if (!c.failure) {
            EXPECT_TRUE(result) << result.message();
            continue;
        }
        ASSERT_FALSE(result);
        const std::string text = result.message();
        EXPECT_NE(std::string::npos, text.find(c.failure)) << "expected " << c.failure << ", got " << text;
        EXPECT_NE(std::string::npos, text.find("expected")) << text;
        EXPECT_NE(std::string::npos, text.find("recorded")) << text;
        EXPECT_NE(std::string::npos, text.find("==>")) << "the first differing row is marked: " << text;
    }
}

TEST(SequenceMatches, PrintsExpectedAndRecordedSideBySide)
{
    const std::vector<ExpectedMessage> table = {{WM_SETTEXT, kSent}, {WM_COMMAND, kSent}};
    const std::vector<RecordedMessage> actual = {{WM_SETTEXT, kSent, 0, 0}, {WM_CLOSE, kPosted, 0, 0}};
    const std::string text = SequenceMatches(actual, table).message();
    EXPECT_NE(std::string::npos, text.find("at row 2")) << text;
    // One line per row: the expected entry left, the recorded one right.
    const size_t first = text.find("WM_SETTEXT sent");
    ASSERT_NE(std::string::npos, first) << text;
    EXPECT_NE(std::string::npos, text.find("WM_SETTEXT sent", first + 1)) << "both columns of row 1: " << text;
    const size_t marked = text.find("==> WM_COMMAND sent");
    ASSERT_NE(std::string::npos, marked) << text;
    const size_t end = text.find('\n', marked);
    EXPECT_NE(std::string::npos, text.substr(marked, end - marked).find("WM_CLOSE posted")) << text;
}

// Starting work sends a message to itself and posts another.
LRESULT CALLBACK WorkingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kStart) {
        ::SendMessageA(window, kInner, wParam + 1, 0);
        ::PostMessageA(window, kLater, 0, 0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

class RecorderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &WorkingProcedure;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "MessageRecorderTestWindow";
        ::RegisterClassA(&windowClass);
        window = ::CreateWindowA("MessageRecorderTestWindow", "", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                 windowClass.hInstance, nullptr);
        ASSERT_NE(nullptr, window);
    }
    void TearDown() override
    {
        if (::IsWindow(window))
            ::DestroyWindow(window);
    }
    HWND window = nullptr;
};

TEST_F(RecorderTest, MarksSentPostedAndOwnProcedureMessages)
{
    MessageRecorder recorder;
    recorder.Watch(window, "worker");
    ::SendMessageA(window, kStart, 7, 0);
    PumpPending(Pump::Plain);
    const ExpectedMessage expected[] = {
        {kStart, kSent | kWParam, 7},
        {kInner, kSent | kDefProc | kWParam, 8},
        {kLater, kPosted},
    };
    EXPECT_SEQUENCE(recorder, "worker", expected);
    EXPECT_TRUE(recorder.Sequence("other").empty());

    recorder.Clear();
    ::DestroyWindow(window);
    const ExpectedMessage destroyed[] = {
        {WM_WINDOWPOSCHANGING, kSent | kDefProc | kOptional},
        {WM_WINDOWPOSCHANGED, kSent | kDefProc | kOptional},
        {WM_DESTROY, kSent},
        {WM_NCDESTROY, kSent},
    };
    EXPECT_SEQUENCE(recorder, "worker", destroyed);
}

TEST_F(RecorderTest, LeavesHousekeepingOutUnlessKept)
{
    MessageRecorder recorder;
    recorder.Watch(window);
    ::SendMessageA(window, WM_GETICON, ICON_SMALL, 0);
    ::SendMessageA(window, WM_NULL, 0, 0);
    recorder.Keep(WM_GETICON);
    ::SendMessageA(window, WM_GETICON, ICON_BIG, 0);
    recorder.Ignore(WM_NULL);
    ::SendMessageA(window, WM_NULL, 0, 0);
    const ExpectedMessage expected[] = {{WM_NULL, kSent}, {WM_GETICON, kSent | kWParam, ICON_BIG}};
    EXPECT_SEQUENCE(recorder, "window", expected);
}

TEST(KnownWineDifference, FailsOnceTheDifferenceIsGone)
{
    struct Case {
        bool checkPasses;
        bool onWine;
        bool outcome;
        const char* text;
    };
    const Case cases[] = {
        {false, true, true, ""},        // the difference is still there
        {true, true, false, "is gone"}, // Wine now answers as Windows does
        {true, false, true, ""},        // Windows: the check as any other
        {false, false, false, "marked as a Wine difference"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.checkPasses ? "check passes" : "check fails") + (c.onWine ? " on Wine" : " on Windows"));
        const ::testing::AssertionResult result =
            KnownWineDifference(c.checkPasses, "no WM_NCPAINT after WM_SETTEXT", c.onWine);
        EXPECT_EQ(c.outcome, static_cast<bool>(result)) << result.message();
        EXPECT_NE(std::string::npos, std::string(result.message()).find(c.text)) << result.message();
    }
}

} // namespace
