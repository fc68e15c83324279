// Runs Varnik.exe as a child process from a prepared program folder and
// drives its windows by messages, every wait bounded by a deadline.
#pragma once

#include "app_framework_testing/scratch_folder.h"
#include "win32/unique_handle.h"

#include <functional>
#include <string>
#include <vector>

namespace varnik_test {

// The folder of the running test program, with a trailing backslash.
std::string TestFolder();
// The installed modules (bin/ beside tests/), with a trailing backslash.
std::string ModulesFolder();
std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);
bool CopyInto(const std::string& from, const std::string& to);
void CreateFolders(const std::string& path);

class VarnikProcess {
public:
    // Environment entries ("NAME=value") added to the child's; PATH holds only
    // the system folders, so no KIVInst.dll is found outside the program folder.
    VarnikProcess(const std::string& programFolder, const std::vector<std::string>& environment);
    ~VarnikProcess(); // ends a child still running
    VarnikProcess(const VarnikProcess&) = delete;
    VarnikProcess& operator=(const VarnikProcess&) = delete;

    bool Started() const { return static_cast<bool>(process_); }
    // A visible top-level dialog of the child whose title satisfies match; null at the deadline.
    HWND WaitForWindow(const std::function<bool(const std::string&)>& match, DWORD timeoutMs = 20000) const;
    HWND WaitForTitle(const std::string& title, DWORD timeoutMs = 20000) const;
    // True when no top-level dialog of the child has this title now.
    bool HasNoWindow(const std::string& title) const;
    // True when the child ended within the time; its exit code in *code.
    bool WaitForExit(DWORD timeoutMs = 20000, DWORD* code = nullptr) const;
    // Polls the condition until it holds or the time is up (the child's
    // posted messages have no other completion signal).
    bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 20000) const;

    // Text of a list-view cell, read through a buffer in the child.
    std::string ListText(HWND list, int row, int column) const;
    bool SelectListRow(HWND list, int row) const;

    DWORD Id() const { return id_; }

private:
    win32::UniqueKernelHandle process_;
    DWORD id_ = 0;
};

struct MessageBoxSeen {
    std::string caption;
    std::string text;
    bool found = false;
};

// Waits for a message box of the child with one of the captions, reads it and
// answers OK.
MessageBoxSeen AnswerMessageBox(const VarnikProcess& process, DWORD timeoutMs = 20000);

std::string WindowText(HWND window);
// Posts a button click the way the button itself reports it.
void PostClick(HWND dialog, int id);
// Moves the focus to a control of the dialog, as Tab would.
void FocusControl(HWND dialog, int id);
// Enter as the user presses it on the focused control.
void PostEnter(HWND dialog, int focusedId);

} // namespace varnik_test
