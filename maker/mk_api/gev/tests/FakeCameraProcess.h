// Debian's camera simulator for the tests and the stream benchmark that run against it
// (natively a child process, under Wine one the test run starts), and a steady clock.
#pragma once

#include "mk_api_core/Backend.h"
#include "mk_gev/Gvcp.h"
#include "mk_gev/UdpSocket.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#else
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
// Under Wine the test run starts the simulator around the program (fake_camera.sh) and
// MK_GEV_SIMULATOR_STATE names its state file: "running PID LOSS", "busy", "missing" or,
// once killed on request, "killed".
class Simulator {
public:
    // Empty when a simulator dropping `lossPerThousand` of its packets runs; else why not.
    std::string use(int lossPerThousand)
    {
        const char* file = std::getenv("MK_GEV_SIMULATOR_STATE");
        if (!file || !*file)
            return "under Wine the test run starts the simulator (MK_GEV_SIMULATOR_STATE)";
        file_ = file;
        std::string word;
        int pid = 0, loss = -1;
        std::ifstream(file_) >> word >> pid >> loss;
        if (word == "busy")
            return "127.0.0.1:3956 is busy";
        if (word != "running")
            return "the simulator arv-fake-gv-camera-0.8 is not there (./suite setup extracts it)";
        if (loss != lossPerThousand)
            return "the test run started the simulator dropping " + std::to_string(loss) +
                " packets in 1000, not " + std::to_string(lossPerThousand);
        return {};
    }
    bool running() const { return stateWord() == "running"; }
    // Asks the script's watcher to end the simulator with SIGKILL; true once it has.
    bool kill9()
    {
        std::ofstream(file_ + ".kill") << "kill\n";
        // Bounded: the watcher looks every 50 ms.
        for (int i = 0; i < 250; ++i) {
            if (stateWord() == "killed")
                return true;
            ::Sleep(20);
        }
        return false;
    }

private:
    std::string stateWord() const
    {
        std::string word;
        std::ifstream(file_) >> word;
        return word;
    }

    std::string file_;
};
#else
// The simulator as a child process, ended with the test.
class Simulator {
public:
    // Empty when a simulator dropping `lossPerThousand` of its packets runs; else why not.
    std::string use(int lossPerThousand)
    {
        std::string path, error;
#ifdef MK_GEV_FAKE_CAMERA
        path = MK_GEV_FAKE_CAMERA;
#endif
        if (const char* env = std::getenv("MK_GEV_FAKE_CAMERA"); env && *env)
            path = env;
        if (path.empty() || access(path.c_str(), X_OK) != 0)
            return "the simulator arv-fake-gv-camera-0.8 is not there (./suite setup extracts it)";
        {
            // The simulator listens on its fixed port only; whoever has it now keeps it.
            auto probe = mkgev::UdpSocket::open(0x7F000001, mkgev::kGvcpPort, error);
            if (!probe)
                return "127.0.0.1:3956 is busy: " + error;
        }
        if (!start(path, lossPerThousand, error))
            return error;
        return {};
    }
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
    bool kill9()
    {
        if (pid_ <= 0)
            return false;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
        return true;
    }

private:
    pid_t pid_ = -1;
};
#endif


} // namespace mkgev::testing
