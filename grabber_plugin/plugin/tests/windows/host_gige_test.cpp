// FramixHost, the plug-in and the camera library on the GigE Vision network, as an
// integrator runs them against a camera on the wire: here Debian's camera simulator on
// 127.0.0.1, started around the test by the test run. Skipped, not passed, without it.
#include "grabber_fixture.h"

#include "FakeCameraProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

uint32_t BigEndian32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

// The camera is chosen the way a set-up keeps it: its unique id under "UniqueId" in the
// grabber's section, taken from what `cameras` lists; no `select` in the run.
TEST(HostGigEVisionTest, TheConfiguredCameraIsListedOpenedGrabbedAndSaved)
{
    mkgev::testing::Simulator simulator;
    if (const std::string why = simulator.use(0); !why.empty())
        GTEST_SKIP() << why;
    const fs::path folder = fs::temp_directory_path() / ("zelmk_gige_" + std::to_string(::GetCurrentProcessId()));
    fs::create_directories(folder);
    const fs::path network = folder / "network.ini";
    WriteFile(network, "[Library]\r\nBackends=gigevision\r\n[GigEVision]\r\nSearch=127.0.0.1\r\n");
    const std::string grabber = "[Framix]\r\nLogFile=\r\n[Grabber_0]\r\nFile=FramixZelmkAPI.dll\r\nNumBuffers=8\r\n";
    WriteFile(folder / "Framix.ini", grabber);

    const zelmk_test::HostRun listing = zelmk_test::RunFramixHost(folder, "--quiet init cameras", network.string());
    ASSERT_TRUE(listing.finished) << listing.text;
    ASSERT_EQ(0u, listing.exitCode) << listing.text;
    std::smatch camera;
    const std::string serial = mkgev::testing::kSimulatorSerial;
    ASSERT_TRUE(std::regex_search(listing.text, camera,
                                  std::regex("\n0: ([0-9]+) \"[^\"]*\" serial " + serial +
                                             " reachable yes address 127\\.0\\.0\\.1/[0-9.]+\n")))
        << listing.text;

    WriteFile(folder / "Framix.ini", grabber + "UniqueId=" + camera[1].str() + "\r\n");
    const fs::path png = folder / "frame.png";
    const zelmk_test::HostRun run =
        zelmk_test::RunFramixHost(folder, "--quiet init cameras open snap 1 100 save \"" + png.string() + "\" close", network.string());
    ASSERT_TRUE(run.finished) << run.text;
    EXPECT_EQ(0u, run.exitCode) << run.text;
    EXPECT_NE(std::string::npos, run.text.find("0: " + camera[1].str() + " ")) << run.text;
    EXPECT_TRUE(std::regex_search(run.text, std::regex("serial " + serial + " [^\n]* \\(active\\)\n"))) << run.text;
    // At least the frames asked for; whole or not, each one came back to the host.
    std::smatch snap;
    ASSERT_TRUE(std::regex_search(run.text, snap, std::regex("\nsnap: frames received ([0-9]+), frames per second [0-9.]+, frames lost ([0-9]+)\n")))
        << run.text;
    EXPECT_GE(std::stoul(snap[1].str()), 100u);
    std::smatch saved;
    ASSERT_TRUE(std::regex_search(run.text, saved, std::regex("\nsave: buffer [0-7], ([0-9]+) x ([0-9]+), to "))) << run.text;

    // The file is a PNG of the size the camera streams.
    const std::string bytes = zelmk_test::ReadFile(png);
    ASSERT_GT(bytes.size(), 33u);
    EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), bytes.substr(0, 8));
    EXPECT_EQ("IHDR", bytes.substr(12, 4));
    EXPECT_EQ(std::stoul(saved[1].str()), BigEndian32(bytes, 16));
    EXPECT_EQ(std::stoul(saved[2].str()), BigEndian32(bytes, 20));
    EXPECT_GT(BigEndian32(bytes, 16), 0u);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

} // namespace
