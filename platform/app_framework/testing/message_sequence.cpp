// The message recorder, message names and the comparison of sequences.
#include "app_framework_testing/message_sequence.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

constexpr UINT_PTR kSubclassId = 0x5EC0;

thread_local MessageRecorder* t_recorder = nullptr;

// Housekeeping that shows how the platform works rather than what the window
// does; left out unless asked for.
constexpr UINT kLeftOut[] = {WM_GETICON, WM_NCHITTEST, WM_SETCURSOR, WM_MOUSEMOVE, WM_NCMOUSEMOVE, WM_TIMER,
                             WM_ENTERIDLE, WM_GETOBJECT, WM_IME_SETCONTEXT, WM_IME_NOTIFY,
                             WM_DEVICECHANGE, 0x031F /* WM_DWMNCRENDERINGCHANGED */};

struct Name {
    UINT message;
    const char* name;
};

#define MESSAGE_NAME(m) \
    {                   \
        m, #m           \
    }
constexpr Name kNames[] = {
    MESSAGE_NAME(WM_NULL),
    MESSAGE_NAME(WM_CREATE),
    MESSAGE_NAME(WM_DESTROY),
    MESSAGE_NAME(WM_MOVE),
    MESSAGE_NAME(WM_SIZE),
    MESSAGE_NAME(WM_ACTIVATE),
    MESSAGE_NAME(WM_SETFOCUS),
    MESSAGE_NAME(WM_KILLFOCUS),
    MESSAGE_NAME(WM_ENABLE),
    MESSAGE_NAME(WM_SETREDRAW),
    MESSAGE_NAME(WM_SETTEXT),
    MESSAGE_NAME(WM_GETTEXT),
    MESSAGE_NAME(WM_GETTEXTLENGTH),
    MESSAGE_NAME(WM_PAINT),
    MESSAGE_NAME(WM_CLOSE),
    MESSAGE_NAME(WM_ERASEBKGND),
    MESSAGE_NAME(WM_SHOWWINDOW),
    MESSAGE_NAME(WM_ACTIVATEAPP),
    MESSAGE_NAME(WM_CANCELMODE),
    MESSAGE_NAME(WM_CHILDACTIVATE),
    MESSAGE_NAME(WM_GETMINMAXINFO),
    MESSAGE_NAME(WM_SETFONT),
    MESSAGE_NAME(WM_GETFONT),
    MESSAGE_NAME(WM_WINDOWPOSCHANGING),
    MESSAGE_NAME(WM_WINDOWPOSCHANGED),
    MESSAGE_NAME(WM_NOTIFY),
    MESSAGE_NAME(WM_NOTIFYFORMAT),
    MESSAGE_NAME(WM_CONTEXTMENU),
    MESSAGE_NAME(WM_STYLECHANGING),
    MESSAGE_NAME(WM_STYLECHANGED),
    MESSAGE_NAME(WM_NCCREATE),
    MESSAGE_NAME(WM_NCDESTROY),
    MESSAGE_NAME(WM_NCCALCSIZE),
    MESSAGE_NAME(WM_NCPAINT),
    MESSAGE_NAME(WM_NCACTIVATE),
    MESSAGE_NAME(WM_GETDLGCODE),
    MESSAGE_NAME(WM_KEYDOWN),
    MESSAGE_NAME(WM_KEYUP),
    MESSAGE_NAME(WM_CHAR),
    MESSAGE_NAME(WM_SYSKEYDOWN),
    MESSAGE_NAME(WM_SYSKEYUP),
    MESSAGE_NAME(WM_SYSCHAR),
    MESSAGE_NAME(WM_INITDIALOG),
    MESSAGE_NAME(WM_COMMAND),
    MESSAGE_NAME(WM_SYSCOMMAND),
    MESSAGE_NAME(WM_HSCROLL),
    MESSAGE_NAME(WM_VSCROLL),
    MESSAGE_NAME(WM_INITMENU),
    MESSAGE_NAME(WM_INITMENUPOPUP),
    MESSAGE_NAME(WM_MENUSELECT),
    MESSAGE_NAME(WM_CTLCOLOREDIT),
    MESSAGE_NAME(WM_CTLCOLORLISTBOX),
    MESSAGE_NAME(WM_CTLCOLORBTN),
    MESSAGE_NAME(WM_CTLCOLORDLG),
    MESSAGE_NAME(WM_CTLCOLORSTATIC),
    MESSAGE_NAME(WM_LBUTTONDOWN),
    MESSAGE_NAME(WM_LBUTTONUP),
    MESSAGE_NAME(WM_LBUTTONDBLCLK),
    MESSAGE_NAME(WM_RBUTTONDOWN),
    MESSAGE_NAME(WM_RBUTTONUP),
    MESSAGE_NAME(WM_MOUSEWHEEL),
    MESSAGE_NAME(WM_PARENTNOTIFY),
    MESSAGE_NAME(WM_CAPTURECHANGED),
    MESSAGE_NAME(WM_MOUSEACTIVATE),
    MESSAGE_NAME(WM_DRAWITEM),
    MESSAGE_NAME(WM_MEASUREITEM),
    MESSAGE_NAME(WM_DELETEITEM),
    MESSAGE_NAME(WM_PRINTCLIENT),
    MESSAGE_NAME(WM_UPDATEUISTATE),
    MESSAGE_NAME(WM_CHANGEUISTATE),
    MESSAGE_NAME(WM_QUERYUISTATE),
    MESSAGE_NAME(WM_NEXTDLGCTL),
    MESSAGE_NAME(WM_TIMER),
    MESSAGE_NAME(WM_USER),
    MESSAGE_NAME(WM_APP),
};
#undef MESSAGE_NAME

std::string FlagText(unsigned flags)
{
    std::string text;
    auto add = [&](unsigned flag, const char* name) {
        if (flags & flag)
            text += text.empty() ? name : std::string("|") + name;
    };
    add(kSent, "sent");
    add(kPosted, "posted");
    add(kDefProc, "defproc");
    add(kOptional, "optional");
    add(kWParam, "wparam");
    add(kLParam, "lparam");
    return text;
}

std::string Describe(const ExpectedMessage& m)
{
    std::ostringstream out;
    out << MessageName(m.message) << " " << FlagText(m.flags);
    if (m.flags & kWParam)
        out << " w=" << std::hex << "0x" << m.wParam;
    if (m.flags & kLParam)
        out << " l=" << std::hex << "0x" << m.lParam;
    return out.str();
}

std::string Describe(const RecordedMessage& m)
{
    std::ostringstream out;
    out << MessageName(m.message) << " " << FlagText(m.flags) << std::hex << " w=0x" << m.wParam << " l=0x" << m.lParam;
    return out.str();
}

// Why a recorded message does not satisfy an expected one of the same
// message; empty when it does.
std::string Difference(const ExpectedMessage& e, const RecordedMessage& a)
{
    const unsigned way = e.flags & (kSent | kPosted);
    if (way && way != (a.flags & (kSent | kPosted)))
        return "sent or posted differ";
    if ((e.flags & kDefProc) != (a.flags & kDefProc))
        return "defproc differs";
    if ((e.flags & kWParam) && e.wParam != a.wParam)
        return "wParam differs";
    if ((e.flags & kLParam) && e.lParam != a.lParam)
        return "lParam differs";
    return {};
}

} // namespace

MessageRecorder::MessageRecorder()
{
    for (UINT message : kLeftOut)
        m_filter[message] = false;
    t_recorder = this;
    // Posted messages are told apart from sent ones by the queue: the hook
    // sees each one taken from it before it is dispatched.
    m_hook = ::SetWindowsHookExA(WH_GETMESSAGE, &GetMessageHook, nullptr, ::GetCurrentThreadId());
}

MessageRecorder::~MessageRecorder()
{
    for (const auto& [window, name] : m_names) {
        if (::IsWindow(window))
            ::RemoveWindowSubclass(window, &Subclass, kSubclassId);
    }
    if (m_hook)
        ::UnhookWindowsHookEx(m_hook);
    if (t_recorder == this)
        t_recorder = nullptr;
}

void MessageRecorder::Watch(HWND window, const std::string& name)
{
    if (::SetWindowSubclass(window, &Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        m_names[window] = name;
    else
        ADD_FAILURE() << "cannot subclass window " << window << " for sequence \"" << name << "\"";
}

void MessageRecorder::Keep(UINT message)
{
    m_filter[message] = true;
}

void MessageRecorder::Ignore(UINT message)
{
    m_filter[message] = false;
}

void MessageRecorder::Clear()
{
    m_sequences.clear();
}

std::vector<RecordedMessage> MessageRecorder::Sequence(const std::string& name) const
{
    auto found = m_sequences.find(name);
    return found == m_sequences.end() ? std::vector<RecordedMessage>{} : found->second;
}

void MessageRecorder::Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    unsigned flags = kSent;
    if (m_retrievedPending && m_retrieved.hwnd == window && m_retrieved.message == message &&
        m_retrieved.wParam == wParam && m_retrieved.lParam == lParam) {
        flags = kPosted;
        m_retrievedPending = false;
    }
    if (m_inOwnProcedure > 0)
        flags |= kDefProc;
    auto filter = m_filter.find(message);
    if (filter != m_filter.end() && !filter->second)
        return;
    m_sequences[m_names[window]].push_back({message, flags, wParam, lParam});
}

LRESULT CALLBACK MessageRecorder::Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data)
{
    auto* self = reinterpret_cast<MessageRecorder*>(data);
    self->Record(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(window, &Subclass, kSubclassId);
        self->m_names.erase(window);
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    ++self->m_inOwnProcedure;
    const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
    --self->m_inOwnProcedure;
    return result;
}

LRESULT CALLBACK MessageRecorder::GetMessageHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE && t_recorder) {
        t_recorder->m_retrieved = *reinterpret_cast<const MSG*>(lParam);
        t_recorder->m_retrievedPending = true;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

std::string MessageName(UINT message)
{
    for (const Name& n : kNames) {
        if (n.message == message)
            return n.name;
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", message);
    return text;
}

::testing::AssertionResult SequenceMatches(const std::vector<RecordedMessage>& actual,
                                           std::span<const ExpectedMessage> expected)
{
    struct Row {
        const ExpectedMessage* expected;
        const RecordedMessage* actual;
    };
    std::vector<Row> rows;
    std::string failure;
    size_t failedRow = 0;
    size_t e = 0, a = 0;
    while (e < expected.size() || a < actual.size()) {
        if (e < expected.size() && a < actual.size() && expected[e].message == actual[a].message) {
            const std::string why = Difference(expected[e], actual[a]);
            if (!why.empty() && failure.empty()) {
                failure = why;
                failedRow = rows.size();
            }
            rows.push_back({&expected[e++], &actual[a++]});
        } else if (e < expected.size() && (expected[e].flags & kOptional)) {
            rows.push_back({&expected[e++], nullptr});
        } else {
            if (failure.empty()) {
                failure = e < expected.size() ? (a < actual.size() ? "message differs" : "missing") : "unexpected";
                failedRow = rows.size();
            }
            // Show the rest unpaired: expected on the left, recorded on the right.
            while (e < expected.size() || a < actual.size()) {
                rows.push_back({e < expected.size() ? &expected[e] : nullptr, a < actual.size() ? &actual[a] : nullptr});
                e += e < expected.size();
                a += a < actual.size();
            }
        }
    }
    if (failure.empty())
        return ::testing::AssertionSuccess();

    constexpr int kColumn = 44;
    std::ostringstream out;
    out << "message sequences differ at row " << failedRow + 1 << " (" << failure << ")\n";
    char line[256];
    std::snprintf(line, sizeof line, "    %-*s %s\n", kColumn, "expected", "recorded");
    out << line;
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string left = rows[i].expected ? Describe(*rows[i].expected) : "";
        const std::string right = rows[i].actual ? Describe(*rows[i].actual) : "";
        std::snprintf(line, sizeof line, "%s %-*s %s\n", i == failedRow ? "==>" : "   ", kColumn, left.c_str(),
                      right.c_str());
        out << line;
    }
    return ::testing::AssertionFailure() << out.str();
}
