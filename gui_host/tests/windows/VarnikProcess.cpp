// Child-process runs of Varnik and the message-driven window helpers.
#include "VarnikProcess.h"

#include "win32/module.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace varnik_test {

namespace {

std::string ModuleFolder()
{
    const std::string path = win32::ModulePath(nullptr);
    return path.substr(0, path.rfind('\\') + 1);
}

struct FindContext {
    DWORD processId;
    const std::function<bool(const std::string&)>* match;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM data)
{
    auto* context = reinterpret_cast<FindContext*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (owner == context->processId && IsWindowVisible(window) && std::string(className) == "#32770" &&
        (*context->match)(WindowText(window))) {
        context->found = window;
        return FALSE;
    }
    return TRUE;
}

// Memory in the child for one message that carries a pointer.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t size)
        : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE))
    {
    }
    ~RemoteBuffer()
    {
        if (address_)
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    char* Address() const { return static_cast<char*>(address_); }
    bool Write(size_t offset, const void* data, size_t size) const
    {
        return WriteProcessMemory(process_, Address() + offset, data, size, nullptr);
    }
    bool Read(size_t offset, void* data, size_t size) const
    {
        return ReadProcessMemory(process_, Address() + offset, data, size, nullptr);
    }

private:
    HANDLE process_;
    void* address_;
};

} // namespace

std::string TestFolder() { return ModuleFolder(); }
std::string ModulesFolder() { return ModuleFolder() + "..\\bin\\"; }

std::string ReadFileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteFileText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

bool CopyInto(const std::string& from, const std::string& to) { return CopyFileA(from.c_str(), to.c_str(), FALSE); }

void CreateFolders(const std::string& path)
{
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
}

VarnikProcess::VarnikProcess(const std::string& programFolder, const std::vector<std::string>& environment)
{
    // The child's environment: ours without PATH, then the given entries.
    std::string block;
    char* current = GetEnvironmentStringsA();
    for (const char* entry = current; *entry; entry += std::strlen(entry) + 1) {
        if (_strnicmp(entry, "PATH=", 5) != 0)
            block.append(entry).push_back('\0');
    }
    FreeEnvironmentStringsA(current);
    block.append("PATH=C:\\windows\\system32;C:\\windows").push_back('\0');
    for (const std::string& entry : environment)
        block.append(entry).push_back('\0');
    block.push_back('\0');

    std::string program = programFolder + "Varnik.exe";
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, block.data(),
                       programFolder.c_str(), &startup, &info)) {
        win32::UniqueProcess child(info); // the thread's handle is not needed and goes with it
        process_ = std::move(child.process);
        id_ = child.id;
    }
}

VarnikProcess::~VarnikProcess()
{
    if (!process_)
        return;
    if (WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 5000);
    }
}

HWND VarnikProcess::WaitForWindow(const std::function<bool(const std::string&)>& match, DWORD timeoutMs) const
{
    const DWORD start = GetTickCount();
    for (;;) {
        FindContext context{id_, &match, nullptr};
        EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&context));
        if (context.found)
            return context.found;
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
        // Wakes early when the child ends; otherwise looks again shortly.
        if (WaitForSingleObject(process_.get(), 20) == WAIT_OBJECT_0) {
            EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&context));
            return context.found;
        }
    }
}

HWND VarnikProcess::WaitForTitle(const std::string& title, DWORD timeoutMs) const
{
    return WaitForWindow([&](const std::string& text) { return text == title; }, timeoutMs);
}

bool VarnikProcess::HasNoWindow(const std::string& title) const { return WaitForTitle(title, 0) == nullptr; }

bool VarnikProcess::WaitForExit(DWORD timeoutMs, DWORD* code) const
{
    if (WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (code)
        GetExitCodeProcess(process_.get(), code);
    return true;
}

bool VarnikProcess::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) const
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        WaitForSingleObject(process_.get(), 20);
    }
    return true;
}

std::string VarnikProcess::ListText(HWND list, int row, int column) const
{
    constexpr size_t kTextSize = 512;
    RemoteBuffer buffer(process_.get(), sizeof(LVITEMA) + kTextSize);
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer.Address() + sizeof(LVITEMA);
    item.cchTextMax = kTextSize;
    buffer.Write(0, &item, sizeof item);
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.Address()));
    char text[kTextSize] = {};
    buffer.Read(sizeof(LVITEMA), text, kTextSize - 1);
    return text;
}

bool VarnikProcess::SelectListRow(HWND list, int row) const
{
    RemoteBuffer buffer(process_.get(), sizeof(LVITEMA));
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    buffer.Write(0, &item, sizeof item);
    return SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.Address()));
}

MessageBoxSeen AnswerMessageBox(const VarnikProcess& process, DWORD timeoutMs)
{
    MessageBoxSeen seen;
    HWND box = process.WaitForWindow(
        [](const std::string& title) { return title == "Error" || title == "Info"; }, timeoutMs);
    if (!box)
        return seen;
    seen.found = true;
    seen.caption = WindowText(box);
    seen.text = WindowText(GetDlgItem(box, 0xFFFF));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    // The box is gone once its owner's loop handled the answer.
    const DWORD start = GetTickCount();
    while (IsWindow(box) && GetTickCount() - start < timeoutMs)
        process.WaitForExit(20);
    return seen;
}

std::string WindowText(HWND window)
{
    char text[1024] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000,
                        &ignored);
    return text;
}

void PostClick(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void FocusControl(HWND dialog, int id)
{
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE, SMTO_NORMAL,
                        10000, &ignored);
}

void PostEnter(HWND dialog, int focusedId)
{
    HWND control = GetDlgItem(dialog, focusedId);
    PostMessageA(control, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageA(control, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

} // namespace varnik_test
