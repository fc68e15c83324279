// Debian's camera simulator as a child process, and a steady clock, for the test and the
// stream benchmark that run against it.
#pragma once

#include "mk_api_core/Backend.h"

#include <chrono>
#include <string>
#include <vector>
#ifndef _WIN32
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace mkgev::testing {

inline constexpr const char* kSimulatorSerial = "GEVSUITE1";

class SteadyClock : public mkapi::Clock {
public:
    uint64_t nowUs() const override
    {
        return uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count());
    }
};

#ifdef _WIN32
class Simulator {
public:
    bool start(const std::string&, int, std::string& error)
    {
        error = "a Windows program cannot start the simulator";
        return false;
    }
    bool running() { return true; }
    void kill9() {}
};
#else
// The simulator as a child process, ended with the test.
class Simulator {
public:
    bool start(const std::string& path, int lossPerThousand, std::string& error)
    {
        std::vector<std::string> args = {path, "-i", "127.0.0.1", "-s", kSimulatorSerial};
        if (lossPerThousand > 0) {
            args.push_back("-r");
            args.push_back(std::to_string(lossPerThousand));
        }
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        int rc = posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) {
            error = "cannot start " + path + ": " + std::strerror(rc);
            pid_ = -1;
            return false;
        }
        return true;
    }
    bool running()
    {
        int status = 0;
        return pid_ > 0 && waitpid(pid_, &status, WNOHANG) == 0;
    }
    ~Simulator()
    {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        // Bounded: a simulator that ignores SIGTERM for a second is killed.
        for (int i = 0; i < 100; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_)
                return;
            usleep(10000);
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    // Ends the simulator as a camera pulled from the wire would: no word on the network.
    void kill9()
    {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};
#endif


} // namespace mkgev::testing
