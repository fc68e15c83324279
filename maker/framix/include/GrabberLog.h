// CGrabberLog: the framework's log, with three sinks (a file, the console and
// a callback), each line whole.
#pragma once

#include "FramixTypes.h"

#include <cstdarg>

// A log line: level 0 error, 1 information, and the text as formatted.
typedef void (*UG_LOG_CALLBACK)(void* context, int level, const char* text);

// Lines may come from any thread (camera libraries call back on their own):
// one lock keeps them whole and in order; a sink may itself print (the lock is
// recursive). No sink ever sees a cut line.
class FRAMIX_API CGrabberLog {
public:
    CGrabberLog();
    ~CGrabberLog();
    CGrabberLog(const CGrabberLog&) = delete;
    CGrabberLog& operator=(const CGrabberLog&) = delete;

    void Print(int level, const char* format, ...)
#if defined(__GNUC__) && defined(_WIN32)
        __attribute__((format(ms_printf, 3, 4)))
#endif
        ;
    void PrintError(const char* format, ...)
#if defined(__GNUC__) && defined(_WIN32)
        __attribute__((format(ms_printf, 2, 3)))
#endif
        ;
    void PrintV(int level, const char* format, va_list args);
    // One finished text, printed as it is.
    void PrintText(int level, const char* text);

    // Appends every line with a time stamp to the file (null or "": no file).
    // False when the file cannot be opened; the log then has no file.
    bool SetLogFile(const char* path);
    // "[L] text" on the process's standard output.
    void SetConsole(bool on);
    // Every line to the callback (null: none).
    void SetCallback(UG_LOG_CALLBACK callback, void* context);

    // Lines printed so far (every sink counted once per line).
    uint64_t GetLineCount() const;

private:
    struct Impl;
    Impl* m_pImpl;
};
