// KIVInst.dll bound the way both programs bind it, a library without the exports, a missing one; the program's version.
#include "host_common/FrameworkLibrary.h"
#include "host_common/FrameworkObjects.h"
#include "host_common/ProgramInfo.h"

#include <gtest/gtest.h>

namespace host_common {
namespace {

TEST(FrameworkLibrary, CreatesTheInstanceAndReleasesItWithTheLibrary)
{
    {
        FrameworkLibrary framework;
        ASSERT_EQ(framework.status(), FrameworkLibrary::Status::Ready);
        ASSERT_NE(framework.instance(), nullptr);
        EXPECT_NE(GetModuleHandleA(kFrameworkLibrary), nullptr);
        EXPECT_GT(framework.instance()->GetNumObj(), 0u) << "the framework's own objects";
    }
    EXPECT_EQ(GetModuleHandleA(kFrameworkLibrary), nullptr) << "freed after the instance";
}

TEST(FrameworkLibrary, TellsAMissingLibraryFromOneWithoutAnInstance)
{
    FrameworkLibrary missing("NoSuchFramework.dll");
    EXPECT_EQ(missing.status(), FrameworkLibrary::Status::NoLibrary);
    EXPECT_EQ(missing.instance(), nullptr);

    // A library that loads but has no CreateKIVInstance.
    FrameworkLibrary notFramework("version.dll");
    EXPECT_EQ(notFramework.status(), FrameworkLibrary::Status::NoInstance);
    EXPECT_EQ(notFramework.instance(), nullptr);
}

TEST(ProgramInfo, ReadsTheProgramsOwnVersionAndFolders)
{
    const ProgramVersion version = ReadProgramVersion(nullptr);
    ASSERT_TRUE(version.FileVersion());
    EXPECT_TRUE(version.hasTranslation);
    EXPECT_EQ(version.companyName, "Quarnel");
    const std::string label = VersionLabel(version.FileVersion());
    EXPECT_EQ(label.substr(0, 1), "V");
    EXPECT_GT(label.size(), 5u);

    const HostPaths paths = ThisProgramsPaths(kDefaultCompany, label);
    EXPECT_EQ(paths.programFolder, ProgramFolder(ProgramPath()));
    EXPECT_FALSE(SharedDataFolder().empty()) << "Wine names the common application-data folder";
    EXPECT_EQ(paths.dataFolder, SharedDataFolder() + "\\Quarnel\\Varnik " + label);
}

} // namespace
} // namespace host_common
