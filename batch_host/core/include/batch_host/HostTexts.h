// Texts Merrow prints that do not depend on the platform: usage, the job call
// handed to the script processor and the client list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace merrow {

// Printed when no argument is given.
std::string_view UsageText();

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
