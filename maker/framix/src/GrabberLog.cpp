// CGrabberLog: formats each line once and hands it whole to the file, the
// console and the callback, under one lock.
#include "GrabberLog.h"

#include "framix_core/LogText.h"
#include "win32/unique_handle.h"

#include <mutex>
#include <string>

struct CGrabberLog::Impl {
    std::recursive_mutex lock;
    win32::UniqueFileHandle file;
    bool console = false;
    UG_LOG_CALLBACK callback = nullptr;
    void* context = nullptr;
    uint64_t lines = 0;
};

namespace {

// Writes all of it; a partial write goes on with the rest.
void WriteAll(HANDLE handle, const std::string& text)
{
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        DWORD written = 0;
        const DWORD chunk = left > 0x10000000u ? 0x10000000u : static_cast<DWORD>(left);
        if (!WriteFile(handle, p, chunk, &written, nullptr) || written == 0)
            return;
        p += written;
        left -= written;
    }
}

framix::LogTime Now()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

} // namespace

CGrabberLog::CGrabberLog() : m_pImpl(new Impl) {}

CGrabberLog::~CGrabberLog()
{
    delete m_pImpl;
}

void CGrabberLog::Print(int level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintV(level, format, args);
    va_end(args);
}

void CGrabberLog::PrintError(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintV(framix::kLogError, format, args);
    va_end(args);
}

void CGrabberLog::PrintV(int level, const char* format, va_list args)
{
    try {
        const std::string text = framix::FormatLogText(format, args);
        PrintText(level, text.c_str());
    } catch (...) {
        // Out of memory while formatting: the line is lost, the caller is not.
    }
}

void CGrabberLog::PrintText(int level, const char* text)
{
    if (!text)
        text = "";
    try {
        std::lock_guard<std::recursive_mutex> guard(m_pImpl->lock);
        ++m_pImpl->lines;
        if (m_pImpl->file)
            WriteAll(m_pImpl->file.get(), framix::FileLine(Now(), level, text) + "\r\n");
        if (m_pImpl->console) {
            HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
            if (out && out != INVALID_HANDLE_VALUE)
                WriteAll(out, framix::ConsoleLine(level, text) + "\n");
        }
        if (m_pImpl->callback)
            m_pImpl->callback(m_pImpl->context, level, text);
    } catch (...) {
    }
}

bool CGrabberLog::SetLogFile(const char* path)
{
    std::lock_guard<std::recursive_mutex> guard(m_pImpl->lock);
    m_pImpl->file.reset();
    if (!path || !*path)
        return true;
    m_pImpl->file.reset(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(m_pImpl->file);
}

void CGrabberLog::SetConsole(bool on)
{
    std::lock_guard<std::recursive_mutex> guard(m_pImpl->lock);
    m_pImpl->console = on;
}

void CGrabberLog::SetCallback(UG_LOG_CALLBACK callback, void* context)
{
    std::lock_guard<std::recursive_mutex> guard(m_pImpl->lock);
    m_pImpl->callback = callback;
    m_pImpl->context = context;
}

uint64_t CGrabberLog::GetLineCount() const
{
    std::lock_guard<std::recursive_mutex> guard(m_pImpl->lock);
    return m_pImpl->lines;
}
