// Message-sequence tests of windows: a recorder that subclasses windows and
// notes every message they get, marked sent, posted or sent from within the
// window's own procedure; a table of expected messages with optional
// entries; and a side-by-side print of both when they differ.
#pragma once

#include "win32/lean_windows.h"

#include <gtest/gtest.h>

#include <map>
#include <span>
#include <string>
#include <vector>

// Flags of recorded and expected messages. A recorded message is either
// sent or posted; kDefProc marks one that arrived while the window's own
// procedure (the one the recorder subclassed) was handling an earlier
// message, that is one the window or its default procedure caused itself.
enum MessageFlag : unsigned {
    kSent = 1u << 0,
    kPosted = 1u << 1,
    kDefProc = 1u << 2,
    kOptional = 1u << 3, // expected only: may be missing
    kWParam = 1u << 4,   // expected only: wParam must match
    kLParam = 1u << 5,   // expected only: lParam must match
};

struct RecordedMessage {
    UINT message;
    unsigned flags;
    WPARAM wParam;
    LPARAM lParam;
};

struct ExpectedMessage {
    UINT message;
    unsigned flags;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Records the messages of the windows it watches, one sequence per name, for
// as long as it lives (one recorder at a time per thread). Messages that
// only show the platform's housekeeping are left out unless Keep() asks for them.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    // Subclasses the window; its messages go into the sequence `name`.
    void Watch(HWND window, const std::string& name = "window");
    // Records a message the recorder would otherwise leave out.
    void Keep(UINT message);
    // Leaves a message out of every sequence.
    void Ignore(UINT message);
    void Clear();
    std::vector<RecordedMessage> Sequence(const std::string& name = "window") const;

private:
    static LRESULT CALLBACK Subclass(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam);
    void Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::map<HWND, std::string> m_names;
    std::map<std::string, std::vector<RecordedMessage>> m_sequences;
    std::map<UINT, bool> m_filter; // message -> recorded
    HHOOK m_hook = nullptr;
    int m_inOwnProcedure = 0;
    MSG m_retrieved{}; // the posted message taken from the queue and not yet delivered
    bool m_retrievedPending = false;
};

// "WM_SETTEXT" or "0x0123".
std::string MessageName(UINT message);

// Compares a recorded sequence with the expected table: entries match in
// order, an expected entry marked kOptional may be missing, the flags sent,
// posted and kDefProc must agree where the entry names them (sent or posted)
// and always for kDefProc, and wParam and lParam where the entry asks. On a
// difference the message prints both side by side, marking the first
// mismatching row.
::testing::AssertionResult SequenceMatches(const std::vector<RecordedMessage>& actual,
                                           std::span<const ExpectedMessage> expected);

#define EXPECT_SEQUENCE(recorder, name, expected) EXPECT_TRUE(SequenceMatches((recorder).Sequence(name), (expected)))
