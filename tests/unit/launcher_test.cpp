// The run as a whole: order of the steps, flavour choice and outcomes.
#include "launch/launch.h"
#include "media/layout.h"
#include "sim_fixture.h"

namespace {

TEST_F(SimTest, TypicalRunStartsTheInstallerAndReportsTheWait)
{
    AddTypicalMedium();
    sim().wow64 = SimWow64::Yes;
    sim().moduleFileName = "D:\\setup.exe";

    int exitCode = RunLauncher("\"D:\\setup.exe\"");

    EXPECT_EQ(exitCode, 0);
    ASSERT_EQ(sim().processes.size(), 1u);
    const SimProcessStart& child = sim().processes[0];
    EXPECT_EQ(child.applicationName, "D:\\\\install\\\\win64\\\\setup.exe");
    EXPECT_EQ(child.commandLine, "  -J -mx512m -XX:MaxPermSize=512m -Dtamvex.installer.appendjre=true ");
    EXPECT_FALSE(child.inheritHandles);
    EXPECT_EQ(child.creationFlags, 0x04000000u);
    EXPECT_FALSE(child.hasCurrentDirectory);
    EXPECT_EQ(sim().waits, std::vector<uint32_t>{0xFFFFFFFFu});
    EXPECT_EQ(sim().standardOutput, "\nWAIT_OBJECT_0\n");
    EXPECT_TRUE(sim().messageBoxes.empty());
}

TEST_F(SimTest, CommandLineIsTakenOnceAtTheStartAndTheBoxIsNeverShownOnSuccess)
{
    AddTypicalMedium();
    RunLauncher("\"D:\\setup.exe\"");
    ASSERT_GE(sim().calls.size(), 2u);
    EXPECT_EQ(sim().calls[0], "SetDefaultDllDirectories");  // before anything can load a library
    EXPECT_EQ(sim().calls[1], "GetCommandLineA");
    EXPECT_EQ(sim().calls.back(), "printf");
}

struct FlavourCase {
    SimWow64 wow64;
    int jreLocGiven;
    int jvm64Bit;
    std::string_view expected;
};

class FlavourTest : public SimTest, public ::testing::WithParamInterface<FlavourCase> {};

TEST_P(FlavourTest, ChoosesFromWindowsAndRuntimeBitness)
{
    sim().wow64 = GetParam().wow64;
    launcherState.jreLocGiven = GetParam().jreLocGiven;
    launcherState.jvm64Bit = GetParam().jvm64Bit;
    EXPECT_EQ(ChooseInstallerFlavour(), GetParam().expected);
    EXPECT_EQ(sim().calls, std::vector<std::string>{"IsWow64Process"});  // asked first, always
}

INSTANTIATE_TEST_SUITE_P(Cases, FlavourTest,
                         ::testing::Values(FlavourCase{SimWow64::No, 0, 0, kInstaller32},
                                           FlavourCase{SimWow64::No, 1, 1, kInstaller32},
                                           FlavourCase{SimWow64::FunctionMissing, 1, 1, kInstaller32},
                                           FlavourCase{SimWow64::CallFails, 0, 0, kInstaller32},
                                           FlavourCase{SimWow64::Yes, 0, 0, kInstaller64},
                                           FlavourCase{SimWow64::Yes, 1, 1, kInstaller64},
                                           FlavourCase{SimWow64::Yes, 1, 0, kInstaller32}));

TEST_F(SimTest, InstallerThatEndsWithAFailureOfItsOwnStillGivesZero)
{
    // The child's exit code is never read: only the wait counts.
    AddTypicalMedium();
    sim().waitResult = 0;
    EXPECT_EQ(RunLauncher("D:\\setup.exe"), 0);
    EXPECT_EQ(sim().calls.end() - std::find(sim().calls.begin(), sim().calls.end(), "WaitForSingleObject"), 2);
}

struct WaitCase {
    uint32_t waitResult;
    const char* report;
};

class WaitReportTest : public SimTest, public ::testing::WithParamInterface<WaitCase> {};

TEST_P(WaitReportTest, ExitCodeIsTheWaitResultAndTheReportNamesIt)
{
    AddTypicalMedium();
    sim().waitResult = GetParam().waitResult;
    EXPECT_EQ(static_cast<uint32_t>(RunLauncher("D:\\setup.exe")), GetParam().waitResult);
    EXPECT_EQ(sim().standardOutput, GetParam().report);
    EXPECT_TRUE(sim().messageBoxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, WaitReportTest,
                         ::testing::Values(WaitCase{0, "\nWAIT_OBJECT_0\n"}, WaitCase{0x80, "\nWAIT_ABANDONED\n"},
                                           WaitCase{0x102, "\nWAIT_TIMEOUT\n"},
                                           WaitCase{0xFFFFFFFF, "\nWAIT_FAILED\n"}, WaitCase{1, "..."},
                                           WaitCase{0x81, "..."}, WaitCase{0xE0070004, "..."}));

struct StartFailureCase {
    const char* name;
    std::function<void()> arrange;
    const char* reason;
};

class StartFailureTest : public SimTest, public ::testing::WithParamInterface<StartFailureCase> {};

TEST_P(StartFailureTest, ShowsTheErrorBoxAndExitsWithItsOwnCode)
{
    AddTypicalMedium();
    GetParam().arrange();
    EXPECT_EQ(static_cast<uint32_t>(RunLauncher("D:\\setup.exe")), kExitInstallerNotStarted);
    ASSERT_EQ(sim().messageBoxes.size(), 1u);
    const SimMessageBox& box = sim().messageBoxes[0];
    EXPECT_EQ(box.title, "ERROR");
    EXPECT_EQ(box.style, 0x30u);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.text, std::string("ERROR: The installer could not be started.\nD:\\install\\win32\\setup.exe\n") +
                            GetParam().reason);
    EXPECT_EQ(sim().standardOutput, "");  // no wait, no report
    EXPECT_TRUE(sim().waits.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartFailureTest,
    ::testing::Values(
        StartFailureCase{"Missing", [] { SimRemove("D:\\install\\win32\\setup.exe"); },
                         "The system cannot find the file specified."},
        StartFailureCase{"MissingFolder",
                         [] {
                             SimRemove("D:\\install\\win32\\setup.exe");
                             SimRemove("D:\\install\\win32");
                         },
                         "The system cannot find the path specified."},
        StartFailureCase{"Folder",
                         [] {
                             SimRemove("D:\\install\\win32\\setup.exe");
                             SimAddFolder("D:\\install\\win32\\setup.exe");
                         },
                         "Access is denied."},
        StartFailureCase{"NotAProgram", [] { SimAddFile("D:\\install\\win32\\setup.exe", "text"); },
                         "%1 is not a valid Win32 application."},
        StartFailureCase{"UnknownError", [] { Sim().startError = 1234; }, "Windows error 1234."}),
    [](const auto& info) { return info.param.name; });

}  // namespace
