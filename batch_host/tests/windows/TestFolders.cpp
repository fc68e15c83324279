// The data folder's configuration file and window lookup
// for the Merrow tests.
#include "TestFolders.h"

#include "win32/module.h"
#include "win32/unique_handle.h"
#include "win32/unique_socket.h"

#include <fstream>
#include <iterator>

namespace merrow_test {
namespace {

std::string ReadFile(const std::string& path, bool& exists)
{
    std::ifstream file(path, std::ios::binary);
    exists = static_cast<bool>(file);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void CreateFolderTree(const std::string& path)
{
    for (std::size_t slash = path.find('\\', 3); slash != std::string::npos; slash = path.find('\\', slash + 1))
        CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
}

} // namespace

std::string TestProgramFolder()
{
    const std::string path = win32::ModulePath(nullptr);
    return path.substr(0, path.rfind('\\'));
}

DataFolderConfig::DataFolderConfig(const std::string& dataFolder, const std::string& content)
    : file_(dataFolder + "\\Varnik.ini")
{
    CreateFolderTree(dataFolder);
    previous_ = ReadFile(file_, existed_);
    std::ofstream(file_, std::ios::binary) << content;
}

DataFolderConfig::~DataFolderConfig()
{
    if (existed_)
        std::ofstream(file_, std::ios::binary) << previous_;
    else
        DeleteFileA(file_.c_str());
}

std::string SharedDataFolder()
{
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    win32::UniqueModule shell(LoadLibraryA("Shell32.dll"));
    auto getFolderPath = win32::BindExport<GetFolderPath>(shell.get(), "SHGetFolderPathA");
    char folder[MAX_PATH] = {};
    if (getFolderPath)
        getFolderPath(nullptr, 0x23, nullptr, 0, folder);
    return folder;
}

unsigned short UnusedTcpPort()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    sockaddr_in address = {};
    {
        win32::UniqueSocket probe(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof address;
        bind(probe.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
        getsockname(probe.get(), reinterpret_cast<sockaddr*>(&address), &length);
    }
    WSACleanup();
    return ntohs(address.sin_port);
}

std::vector<void*> WindowsWithCaption(const std::string& caption)
{
    struct Search {
        const std::string* caption;
        std::vector<void*> found;
    } search{&caption, {}};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            char text[256] = {};
            GetWindowTextA(window, text, sizeof text);
            if (*s->caption == text)
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace merrow_test
