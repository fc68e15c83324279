// The communication device behind the script port, and the script processor's Call.
#include "kiv_script/HapCommPort.h"

#include "kiv_script/ErrorTexts.h"

#include "KIVInst.h"

#include <algorithm>
#include <optional>

namespace kivscript {
namespace {

// Bounds one Read: a device that never stops delivering still returns.
constexpr int kMaxReadsPerCall = 64;

} // namespace

bool HapCommPort::Lock() { return m_device.Lock(m_owner, kDeviceLockTimeoutMs) == 0; }

void HapCommPort::Unlock() { m_device.Unlock(m_owner); }

bool HapCommPort::Write(std::string_view bytes)
{
    if (bytes.empty())
        return true;
    unsigned long written = 0;
    int result = m_device.WriteData(bytes.data(), static_cast<unsigned long>(bytes.size()), &written);
    return result == 0 && written == bytes.size();
}

bool HapCommPort::Read(std::string& received)
{
    char buffer[1024];
    for (int i = 0; i < kMaxReadsPerCall; ++i) {
        unsigned long count = 0;
        if (m_device.ReadData(buffer, sizeof buffer, &count) != 0)
            return false;
        if (count == 0)
            break;
        received.append(buffer, std::min<unsigned long>(count, sizeof buffer));
    }
    return true;
}

long ScriptProcessorCore::Call(unsigned long command, unsigned long long a1, unsigned long long a2,
                               unsigned long long, unsigned long long) noexcept
{
    try {
        m_filesRead.clear();
        if (command != KIV_SCRIPT_RUN_TEXT && command != KIV_SCRIPT_RUN_FILE)
            return kivinst::RegisterErrorText("script processor: unknown command " + std::to_string(command));
        const char* text = reinterpret_cast<const char*>(static_cast<uintptr_t>(a1));
        if (!text)
            return kivinst::RegisterErrorText(command == KIV_SCRIPT_RUN_FILE ? "script processor: no script file given"
                                                                             : "script processor: no script text given");
        auto callback = reinterpret_cast<TKIV_PRINTCALLBACK>(static_cast<uintptr_t>(a2));

        std::optional<HapCommPort> port;
        if (m_device)
            port.emplace(*m_device, this);
        Environment env;
        env.port = port ? &*port : nullptr;
        env.clock = m_clock;
        env.files = m_files;
        env.pathStyle = m_style;
        env.onFile = [this](const std::string& path) { m_filesRead.push_back(path); };
        if (callback)
            env.print = [callback](std::string_view out) { callback(nullptr, std::string(out).c_str()); };
        return command == KIV_SCRIPT_RUN_FILE ? RunFile(text, env) : Run(ScriptSource{text}, env);
    } catch (...) {
        // Out of memory or a throwing print callback: still a code with a text.
        try {
            return kivinst::RegisterErrorText("script processor: internal error");
        } catch (...) {
            return EKIV_ERR_FAILED;
        }
    }
}

} // namespace kivscript
