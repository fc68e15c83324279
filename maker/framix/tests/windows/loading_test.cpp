// Loading grabber plug-ins: listed in Framix.ini, discovered without a list,
// and the files that are missing, not modules, or lack the entry points.
#include "framix_fixture.h"

#include "UnifiedCamera.h"

namespace {

using namespace framix_test;

class Loading : public FrameworkTest {};

TEST_F(Loading, DiscoversEveryFramixDllOfTheFolderAndSkipsTheBadOnes)
{
    Open("");
    ASSERT_EQ(1u, FramixGetNumGrabbers(framework_)) << log_.All();
    EXPECT_STREQ("Framix test grabber", Grabber()->GetDriverDesc());
    EXPECT_EQ(TestGrabberPath(), FramixGetGrabberFile(framework_, 0));
    EXPECT_EQ(1u, log_.Count("FramixBroken.dll\" is not a loadable module")) << log_.All();
    EXPECT_EQ(1u, log_.Count("FramixNoExports.dll\" does not export CreateGrabberInstance and DeleteGrabberInstance")) << log_.All();
    EXPECT_EQ(1u, log_.Count("no grabbers listed, 3 found in")) << log_.All();
    // Discovery numbers in name order: Broken 0, NoExports 1, TestGrabber 2.
    EXPECT_EQ(2, Grabber()->GetGrabberSectionNum());
    EXPECT_EQ(nullptr, FramixGetGrabber(framework_, 1));
    EXPECT_STREQ("", FramixGetGrabberFile(framework_, 1));
}

TEST_F(Loading, LoadsWhatTheListNamesInSectionOrder)
{
    Open("[Grabber_3]\r\nFile=FramixNoExports.dll\r\n"
         "[Grabber_1]\r\nFile=FramixTestGrabber.dll\r\n"
         "[Grabber_2]\r\nFile=FramixMissing.dll\r\n"
         "[Grabber_5]\r\nFile=" +
         TestGrabberPath() + "\r\n");
    ASSERT_EQ(2u, FramixGetNumGrabbers(framework_)) << log_.All();
    EXPECT_EQ(1, Grabber(0)->GetGrabberSectionNum());
    EXPECT_EQ(5, Grabber(1)->GetGrabberSectionNum());
    EXPECT_EQ(1u, log_.Count("grabber 2: \"" + PluginFolder() + "\\FramixMissing.dll\" not found, skipped")) << log_.All();
    EXPECT_EQ(1u, log_.Count("grabber 3: \"" + PluginFolder() + "\\FramixNoExports.dll\" does not export")) << log_.All();
    // With a list nothing is discovered.
    EXPECT_EQ(0u, log_.Count("FramixBroken")) << log_.All();
    EXPECT_EQ(0u, log_.Count("no grabbers listed"));
    // Each grabber got the framework's log and store.
    EXPECT_EQ(FramixGetLog(framework_), Grabber(1)->GetLog());
    EXPECT_NE(nullptr, Grabber(1)->GetGrabberIni());
}

TEST_F(Loading, AnEmptyFolderLoadsNothing)
{
    Open("", temp_.path().c_str());
    EXPECT_EQ(0u, FramixGetNumGrabbers(framework_));
    EXPECT_EQ(1u, log_.Count("no grabbers listed, 0 found in")) << log_.All();
    EXPECT_EQ(nullptr, FramixGetGrabber(nullptr, 0));
    EXPECT_EQ(0u, FramixGetNumGrabbers(nullptr));
    EXPECT_EQ(UG_ERR_PARAMETER, FramixSaveConfig(nullptr));
    FramixClose(nullptr);
}

// The plug-in's overrides answer through the framework's table.
TEST_F(Loading, CallsThroughTheTableReachThePlugIn)
{
    Open(ListingTheTestGrabber());
    CUnifiedGrabber* g = Grabber();
    ASSERT_NE(nullptr, g);
    EXPECT_EQ(UG_OK, g->Init());
    EXPECT_EQ(UG_ERR_ALREADY_INITIALIZED, g->Init());
    EXPECT_EQ(3, g->GetNumCameras());
    EXPECT_STREQ("Test Camera B", g->GetCamera(1)->GetCameraName());
    EXPECT_EQ(2u, g->GetNumCmdChannelTypes());
    EXPECT_STREQ("FramixTestGrabber.dll", g->GetDriverName());
    EXPECT_STREQ("1.0", g->GetDriverVersion());
    EXPECT_EQ(UG_OK, g->DeInit());
}

TEST(SectionName, IsTheGrabbersSection)
{
    char buffer[UG_SECTSTR_SIZE];
    InitGrabberSectStr(buffer, 7);
    EXPECT_STREQ("Grabber_7", buffer);
    InitGrabberSectStr(buffer, INT32_MIN);
    EXPECT_STREQ("Grabber_-2147483648", buffer);
    InitGrabberSectStr(nullptr, 1);
}

} // namespace
