// Bounded table of error texts keyed by the codes the script processor returns.
#include "kiv_script/ErrorTexts.h"

#include <climits>
#include <cstdio>
#include <deque>
#include <mutex>

namespace kivinst {
namespace {

struct Table {
    std::mutex mutex;
    long nextCode = kFirstErrorCode;
    long oldestCode = kFirstErrorCode; // code of texts.front()
    std::deque<std::string> texts;     // strings never move inside a deque on push_back/pop_front
};

Table& table()
{
    static Table instance;
    return instance;
}

} // namespace

long RegisterErrorText(std::string text)
{
    Table& t = table();
    std::lock_guard lock(t.mutex);
    if (t.texts.size() == kErrorTextCapacity) {
        t.texts.pop_front();
        ++t.oldestCode;
    }
    if (t.nextCode == LONG_MAX) { // two billion errors later: start over, never hand out 0
        t.texts.clear();
        t.nextCode = t.oldestCode = kFirstErrorCode;
    }
    t.texts.push_back(std::move(text));
    return t.nextCode++;
}

const char* ErrorText(long code)
{
    if (code == 0)
        return "No error";
    Table& t = table();
    const char* why = "unknown code";
    {
        std::lock_guard lock(t.mutex);
        if (code >= t.oldestCode && code < t.nextCode)
            return t.texts[static_cast<std::size_t>(code - t.oldestCode)].c_str();
        if (code >= kFirstErrorCode && code < t.nextCode)
            why = "text no longer available";
    }
    thread_local char fallback[96];
    std::snprintf(fallback, sizeof fallback, "Script error 0x%lX (%s)", static_cast<unsigned long>(code), why);
    return fallback;
}

} // namespace kivinst
