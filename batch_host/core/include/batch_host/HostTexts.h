// Texts Merrow prints that do not depend on the platform: usage, version,
// the job call handed to the script processor and the client list.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace merrow {

// Printed when no argument is given.
std::string_view UsageText();

// The two words of the fixed file-version record.
struct FileVersion {
    uint32_t mostSignificant = 0;
    uint32_t leastSignificant = 0;
};

// "V" and the first three parts of the file version ("V1.4.0"), or "V" alone
// when the program carries no version.
std::string VersionText(const std::optional<FileVersion>& version);

// The script text that runs a job file: ExecuteJobFile("C:\\jobs\\a.vkj");
std::string JobScriptText(std::string_view path);

struct ClientEntry {
    uint32_t id = 0;
    bool isDeviceClient = false;
    const char* name = nullptr; // may be null
};

// Shown in place of a device client's missing name.
constexpr std::string_view kUnknownClientName = "- UNKNOWN -";

// The "-l" listing of the device clients among the framework's objects.
std::string ClientListText(const std::vector<ClientEntry>& objects);

} // namespace merrow
