// FramixHost's commands on one grabber, and the output rules: log lines as
// "[L] text", the host's own lines plain, "FAILED: COMMAND: code N" on failure.
#pragma once

#include "UnifiedGrabber.h"

#include "framix_core/HostCommandLine.h"

#include <cstdio>
#include <mutex>
#include <string>

// Exit codes.
enum : int {
    kExitOk = 0,
    kExitUsage = 1,
    kExitNotLoaded = 2,
    kExitCommandFailed = 3,
};

class HostOutput {
public:
    explicit HostOutput(bool quiet) : quiet_(quiet) {}
    void Line(const std::string& text);
    void Log(int level, const char* text);
    static void LogCallback(void* context, int level, const char* text);

private:
    std::mutex lock_; // log lines come from the grabbers' threads too
    bool quiet_;
};

class HostRunner {
public:
    HostRunner(CUnifiedGrabber& grabber, HostOutput& out) : g_(grabber), out_(out) {}
    // Runs the commands in order, stopping at the first that fails; the exit code.
    int Run(const std::vector<framix::HostCommand>& commands);

private:
    // UG_OK, or the code that failed the command (after its own lines).
    UG_ERRCODE Execute(const framix::HostCommand& command);
    UG_ERRCODE Cameras();
    UG_ERRCODE Snap(int32_t type, uint64_t frames);
    UG_ERRCODE Save(const std::string& file);
    UG_ERRCODE Param(const framix::HostCommand& command);
    UG_ERRCODE Limits(uint32_t feature);
    UG_ERRCODE Timer(const framix::HostCommand& command);
    UG_ERRCODE Channel(uint32_t type);
    UG_ERRCODE Write(const std::string& text);
    UG_ERRCODE Read(uint32_t milliseconds);
    UG_ERRCODE Dialog(const std::string& which);
    UG_ERRCODE Sim(const framix::HostCommand& command);

    CUnifiedGrabber& g_;
    HostOutput& out_;
};
