// Starting the product installer: the exact path, command line and record.
#include "launch/launch.h"
#include "media/layout.h"
#include "sim_fixture.h"

namespace {

class ChildTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        SimAddFile("D:\\install\\win32\\setup.exe", "MZ");
        SimAddFile("D:\\install\\win64\\setup.exe", "MZ");
        launcherState.argumentText = " ";
    }
};

TEST_F(ChildTest, JoinsTheDirectoryAndRelativePathWithoutAddingASeparator)
{
    EXPECT_EQ(StartChildAndWait("D:\\\\", kInstaller64), 0u);
    ASSERT_EQ(sim().processes.size(), 1u);
    EXPECT_EQ(sim().processes[0].applicationName, "D:\\\\install\\\\win64\\\\setup.exe");
}

TEST_F(ChildTest, StartupRecordAsksForNothing)
{
    StartChildAndWait("D:\\\\", kInstaller32);
    ASSERT_EQ(sim().processes.size(), 1u);
    const StartupRecord& startup = sim().processes[0].startup;
    EXPECT_EQ(startup.cb, 68u);
    EXPECT_EQ(startup.lpReserved, nullptr);
    EXPECT_EQ(startup.lpDesktop, nullptr);
    EXPECT_EQ(startup.lpTitle, nullptr);
    EXPECT_EQ(startup.dwFlags, 0u);
    EXPECT_EQ(startup.cbReserved2, 0u);
    EXPECT_EQ(startup.lpReserved2, nullptr);
}

struct SuffixCase {
    int vendorDrovane;
    const char* argumentText;
    const char* commandLine;
};

class SuffixTest : public ChildTest, public ::testing::WithParamInterface<SuffixCase> {};

TEST_P(SuffixTest, CommandLineIsTheArgumentTextAndTheJavaOptions)
{
    launcherState.vendorDrovane = GetParam().vendorDrovane;
    launcherState.argumentText = GetParam().argumentText;
    StartChildAndWait("D:\\\\", kInstaller32);
    ASSERT_EQ(sim().processes.size(), 1u);
    EXPECT_EQ(sim().processes[0].commandLine, GetParam().commandLine);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SuffixTest,
    ::testing::Values(
        SuffixCase{0, " ", "  -J -mx512m -XX:MaxPermSize=512m -Dtamvex.installer.appendjre=true "},
        SuffixCase{1, " ", "  -J -mx512m -Dtamvex.installer.appendjre=true "},
        SuffixCase{1, "-Dx=1  -Dx=1", "-Dx=1  -Dx=1 -J -mx512m -Dtamvex.installer.appendjre=true "}));

TEST_F(ChildTest, OptionSuffixesHaveTheirLengths)
{
    EXPECT_EQ(kJavaOptionSuffixDrovane.size(), 46u);
    EXPECT_EQ(kJavaOptionSuffixDefault.size(), 67u);
}

TEST_F(ChildTest, LongCommandLineIsPassedWholeUpToWhatWindowsTakes)
{
    launcherState.argumentText = std::string(32766 - 67, 'a');
    EXPECT_EQ(StartChildAndWait("D:\\\\", kInstaller32), 0u);
    ASSERT_EQ(sim().processes.size(), 1u);
    EXPECT_EQ(sim().processes[0].commandLine.size(), 32766u);

    ResetSim();
    SimAddFile("D:\\install\\win32\\setup.exe", "MZ");
    launcherState.argumentText += "a";
    EXPECT_EQ(StartChildAndWait("D:\\\\", kInstaller32), kExitInstallerNotStarted);
    EXPECT_TRUE(sim().processes.empty());
    ASSERT_EQ(sim().messageBoxes.size(), 1u);
    EXPECT_NE(sim().messageBoxes[0].text.find("command line is longer"), std::string::npos);
}

TEST_F(ChildTest, ChildPathOverItsCapacityStartsNothing)
{
    std::string directory = "D:\\\\" + std::string(4097 - 4 - 2 - kInstaller32.size(), 'd') + "\\\\";
    // One character too many for 4096 and the terminator.
    EXPECT_EQ(StartChildAndWait(directory, kInstaller32), kExitInstallerNotStarted);
    EXPECT_TRUE(sim().processes.empty());
    ASSERT_EQ(sim().messageBoxes.size(), 1u);
    EXPECT_NE(sim().messageBoxes[0].text.find("longer than 4096"), std::string::npos);

    ResetSim();
    directory.erase(4, 1);  // now exactly 4096
    StartChildAndWait(directory, kInstaller32);
    ASSERT_EQ(sim().processes.size(), 1u);
    EXPECT_EQ(sim().processes[0].applicationName.size(), 4096u);
}

}  // namespace
