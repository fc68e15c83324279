// FramixHost: drives one grabber of the framework from the command line.
#include "HostRunner.h"

#include "FramixExports.h"

#include "framix_core/CEscape.h"
#include "host_common/ProgramInfo.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    const framix::HostParseResult parsed = framix::ParseHostCommandLine(args);
    if (!parsed.line) {
        if (!args.empty())
            std::printf("FramixHost: %s\n", parsed.error.c_str());
        std::fputs(framix::HostUsage().c_str(), stdout);
        return kExitUsage;
    }
    const framix::HostCommandLine& line = *parsed.line;
    // Serial text is checked before anything runs.
    for (const auto& c : line.commands) {
        size_t at = 0;
        if (c.name == "write" && !framix::Unescape(c.args[0], &at)) {
            std::printf("FramixHost: write: bad escape at offset %u in \"%s\"\n", static_cast<unsigned>(at), c.args[0].c_str());
            std::fputs(framix::HostUsage().c_str(), stdout);
            return kExitUsage;
        }
    }

    // The data folder's Framix.ini, as the programs compute it.
    std::string ini = line.ini.value_or("");
    if (ini.empty()) {
        const auto version = host_common::ReadProgramVersion(nullptr).FileVersion();
        ini = host_common::ThisProgramsPaths(host_common::kDefaultCompany, host_common::VersionLabel(version)).grabberConfigFile;
    }
    HostOutput out(line.quiet);
    out.Line("FramixHost: " + ini);
    FramixFramework* framework = FramixOpen(ini.c_str(), &HostOutput::LogCallback, &out);
    if (!framework) {
        out.Line("FramixHost: the framework could not be opened");
        return kExitNotLoaded;
    }
    CUnifiedGrabber* grabber = FramixGetGrabber(framework, line.grabber);
    if (!grabber) {
        out.Line("FramixHost: grabber " + std::to_string(line.grabber) + " is not loaded (" +
                 std::to_string(FramixGetNumGrabbers(framework)) + " loaded)");
        FramixClose(framework);
        return kExitNotLoaded;
    }
    out.Line(std::string("FramixHost: grabber ") + std::to_string(line.grabber) + ": " + grabber->GetDriverDesc());
    int code = kExitOk;
    {
        HostRunner runner(*grabber, out);
        code = runner.Run(line.commands);
    }
    FramixClose(framework);
    return code;
}
