// Which networks the description file and MKAPI_BACKENDS choose: the simulated one, the
// GigE Vision one, or both, seen through the C functions. The GigE Vision network is
// pointed at an ephemeral loopback port that never answers, so it finds no camera and
// nothing leaves 127.0.0.1.
#include "mk_api/MkApi.h"
#include "mk_api_core/Exports.h"
#include "mk_api_dll/Composition.h"
#include "gige_sim/Network.h"
#include "mk_gev/UdpSocket.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace mkapi {
namespace {

constexpr uint32_t kMono = 100001;

void setBackendsVariable(const char* value)
{
#ifdef _WIN32
    _putenv_s("MKAPI_BACKENDS", value ? value : "");
#else
    if (value)
        setenv("MKAPI_BACKENDS", value, 1);
    else
        unsetenv("MKAPI_BACKENDS");
#endif
}

class CompositionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        silent = mkgev::UdpSocket::open(0x7F000001, 0, error);
        ASSERT_TRUE(silent) << error;
        gige = "[GigEVision]\nSearch=127.0.0.1\nDiscoveryTimeoutMs=10\nGvcpRetries=0\nPort=" +
            std::to_string(silent->localPort()) + "\n";
    }
    void TearDown() override
    {
        MkUnInitialize();
        setLibraryMaker(nullptr);
        setBackendsVariable(nullptr);
    }
    // Starts the library from `text`; answers whether the simulated camera 100001 is there.
    bool start(const std::string& text)
    {
        composition = {};
        setLibraryMaker([this, text] { return composeLibraryFromText(text, "test.ini", time, true, composition); });
        EXPECT_EQ(0u, MkInitialize());
        struct MkCameraInfo info {};
        const bool simulated = MkCameraInfo(kMono, &info) == 0;
        MkUnInitialize();
        return simulated;
    }

    SteadyTimeSource time;
    Composition composition;
    std::unique_ptr<mkgev::UdpSocket> silent;
    std::string gige;
};

TEST_F(CompositionTest, BackendsChosenByTheFileAndTheVariable)
{
    const std::string simulated = gigesim::defaultNetworkDescription();
    struct Case {
        std::string text;
        const char* variable;
        bool simulatedThere;
        const char* diagnostic; // nullptr: none
    } cases[] = {
        {simulated + gige, nullptr, true, nullptr},
        {"[Library]\nBackends=gigevision\n" + gige, nullptr, false, nullptr},
        {"[Library]\nBackends=GigEVision, simulated\n" + simulated + gige, nullptr, true, nullptr},
        {"[Library]\nBackends=both\n" + simulated + gige, nullptr, true, nullptr},
        {"[Library]\nBackends=simulated\n" + simulated + gige, "gigevision", false, nullptr},
        {"[Library]\nBackends=gigevision\n" + simulated + gige, "both", true, nullptr},
        {"[Library]\nBackends=gigevision\n" + simulated + gige, "simulated", true, nullptr},
        // Faults: the built-in network (the simulated one) is served instead.
        {"[Library]\nBackends=gigevision\n", nullptr, true, "no camera address to search"},
        {"[Library]\nBackends=gigevison\n" + gige, nullptr, true, "unknown backend 'gigevison'"},
        {simulated + gige, "gigevision,nothing", true, "unknown backend 'nothing'"},
        {"[Library]\nBackends=gigevision\n[GigEVision]\nSearch=10.0.0.1\n", nullptr, true,
         "Interface: the host's address"},
    };
    for (const Case& c : cases) {
        setBackendsVariable(c.variable);
        EXPECT_EQ(c.simulatedThere, start(c.text)) << c.text;
        if (c.diagnostic)
            EXPECT_NE(std::string::npos, composition.diagnostics.find(c.diagnostic)) << composition.diagnostics;
        else
            EXPECT_EQ("", composition.diagnostics) << c.text;
    }
}

} // namespace
} // namespace mkapi
