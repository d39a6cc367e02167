// The launcher under Wine, started the way users start it: what the product
// installer receives, what the user sees, what reaches standard output and
// the whole 32-bit exit code. Under 64-bit Wine the launcher never runs
// under WOW64, so the 32-bit installer flavour is the one started.
#include <gtest/gtest.h>

#include "tests/e2e/wine_harness.h"

namespace {

// No user arguments: the argument text " " and the default Java options.
constexpr std::string_view kChildCommandLine = "  -J -mx512m -XX:MaxPermSize=512m -Dtamvex.installer.appendjre=true ";
constexpr std::string_view kWaitReportBytes = "\r\nWAIT_OBJECT_0\r\n";
constexpr uint32_t kExitNotStarted = 0xE0070004u;
constexpr uint32_t kCreateDefaultErrorMode = 0x04000000u;

// The child's application name is checked in the trace with the launcher's
// doubled separators; Windows hands the child its path with single ones.
void ExpectInstallerStartedAs(const LaunchResult& result, std::string_view applicationName)
{
    std::vector<TracedCall> starts = LauncherCalls(result, "CreateProcessA");
    ASSERT_EQ(starts.size(), 1u);
    const std::vector<TraceArgument>& arguments = starts[0].arguments;
    ASSERT_EQ(arguments.size(), 10u);
    EXPECT_TRUE(TracedTextIs(arguments[0], applicationName)) << arguments[0].text;
    EXPECT_TRUE(TracedTextIs(arguments[1], kChildCommandLine)) << arguments[1].text;
    EXPECT_EQ(arguments[2].value, 0u) << "process security attributes";
    EXPECT_EQ(arguments[3].value, 0u) << "thread security attributes";
    EXPECT_EQ(static_cast<uint32_t>(arguments[4].value), 0u) << "handles are not inherited";
    EXPECT_EQ(static_cast<uint32_t>(arguments[5].value), kCreateDefaultErrorMode);
    EXPECT_EQ(arguments[6].value, 0u) << "the child inherits the environment";
    EXPECT_EQ(arguments[7].value, 0u) << "the child inherits the current directory";
}

// --- runs that start the installer --------------------------------------------

struct StartedCase {
    const char* name;
    const char* medium;            // folder under C:\e2e\media
    char drive;                    // mapped to the medium's folder, or 0
    const char* applicationName;   // as the runner passes it
    const char* commandLine;       // as the runner passes it
    const char* currentDirectory;  // folder under C:\e2e; nullptr: the medium itself
    uint32_t stubExitCode;
    const char* childModulePath;       // what the installer sees
    const char* childCurrentDirectory; // what the installer sees
    const char* childApplicationName;  // what the launcher passes, separators doubled
};

const StartedCase kStartedCases[] = {
    {"FullQuotedPath", "typical", 0, R"(C:\e2e\media\typical\setup.exe)", R"("C:\e2e\media\typical\setup.exe")",
     "caller", 0, R"(C:\e2e\media\typical\install\win32\setup.exe)", R"(C:\e2e\caller)",
     R"(C:\\e2e\\media\\typical\\install\\win32\\setup.exe)"},
    {"InstallerFails", "typical", 0, R"(C:\e2e\media\typical\setup.exe)", R"("C:\e2e\media\typical\setup.exe")",
     "caller", 3, R"(C:\e2e\media\typical\install\win32\setup.exe)", R"(C:\e2e\caller)",
     R"(C:\\e2e\\media\\typical\\install\\win32\\setup.exe)"},
    {"InstallerEndsWithALauncherCode", "typical", 0, R"(C:\e2e\media\typical\setup.exe)",
     R"("C:\e2e\media\typical\setup.exe")", "caller", kExitNotStarted,
     R"(C:\e2e\media\typical\install\win32\setup.exe)", R"(C:\e2e\caller)",
     R"(C:\\e2e\\media\\typical\\install\\win32\\setup.exe)"},
    {"StartedFromAFolderWithSpaces", "typical", 0, R"(C:\e2e\media\typical\setup.exe)",
     R"("C:\e2e\media\typical\setup.exe")", "my documents\\some folder", 0,
     R"(C:\e2e\media\typical\install\win32\setup.exe)", R"(C:\e2e\my documents\some folder)",
     R"(C:\\e2e\\media\\typical\\install\\win32\\setup.exe)"},
    {"BareNameFromTheMediumRoot", "typical", 0, R"(C:\e2e\media\typical\setup.exe)", "setup.exe", nullptr, 0,
     R"(C:\e2e\media\typical\install\win32\setup.exe)", R"(C:\e2e\media\typical)",
     R"(C:\\e2e\\media\\typical\\install\\win32\\setup.exe)"},
    {"MediumFolderWithSpaces", "disk one", 0, R"(C:\e2e\media\disk one\setup.exe)",
     R"("C:\e2e\media\disk one\setup.exe")", "caller", 0, R"(C:\e2e\media\disk one\install\win32\setup.exe)",
     R"(C:\e2e\caller)", R"(C:\\e2e\\media\\disk one\\install\\win32\\setup.exe)"},
    {"DoubledSeparatorsInItsOwnPath", "typical", 0, R"(C:\\e2e\media\\\typical\\setup.exe)",
     R"("C:\\e2e\media\\\typical\\setup.exe")", "caller", 0, R"(C:\e2e\media\typical\install\win32\setup.exe)",
     R"(C:\e2e\caller)", R"(C:\\e2e\\media\\typical\\install\\win32\\setup.exe)"},
    {"DriveRoot", "disc", 'm', R"(M:\setup.exe)", R"("M:\setup.exe")", "caller", 0,
     R"(M:\install\win32\setup.exe)", R"(C:\e2e\caller)", R"(M:\\install\\win32\\setup.exe)"},
};

void PrintTo(const StartedCase& c, std::ostream* out)
{
    *out << c.name;
}

class InstallerStartedTest : public ::testing::TestWithParam<StartedCase> {
protected:
    void TearDown() override
    {
        if (GetParam().drive != 0)
            UnmapDrive(GetParam().drive);
    }
};

TEST_P(InstallerStartedTest, InstallerGetsTheJavaOptionsAndTheLauncherReportsTheWait)
{
    const StartedCase& c = GetParam();
    WineFolder medium = CreateMedium(c.medium);
    AddTypicalMedium(medium);
    if (c.drive != 0)
        MapDrive(c.drive, medium);
    LaunchRequest request;
    request.applicationName = c.applicationName;
    request.commandLine = c.commandLine;
    request.currentDirectory =
        c.currentDirectory != nullptr ? ScratchFolder(c.currentDirectory).windowsPath : medium.windowsPath;
    request.stubExitCode = c.stubExitCode;

    LaunchResult result = RunLauncher(request);

    ASSERT_EQ(result.problem, "");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.stdoutBytes, kWaitReportBytes);
    EXPECT_TRUE(result.messageBoxes.empty()) << result.messageBoxes[0].text;
    ASSERT_EQ(result.stubRecords.size(), 1u);
    EXPECT_EQ(result.stubRecords[0].commandLine, kChildCommandLine);
    EXPECT_EQ(result.stubRecords[0].modulePath, c.childModulePath);
    EXPECT_EQ(result.stubRecords[0].currentDirectory, c.childCurrentDirectory);
    ExpectInstallerStartedAs(result, c.childApplicationName);
}

INSTANTIATE_TEST_SUITE_P(Launcher, InstallerStartedTest, ::testing::ValuesIn(kStartedCases),
                         [](const ::testing::TestParamInfo<StartedCase>& info) { return info.param.name; });

// --- runs where the installer cannot be started --------------------------------

struct NotStartedCase {
    const char* name;
    const char* medium;
    const char* stubPath;  // where the stub lies instead, or nullptr: nowhere
    const char* boxTextStart;
    const char* childApplicationName;
};

const NotStartedCase kNotStartedCases[] = {
    {"NoInstallerOnTheMedium", "no installer", nullptr,
     "ERROR: The installer could not be started.\n" R"(C:\e2e\media\no installer\install\win32\setup.exe)" "\n",
     R"(C:\\e2e\\media\\no installer\\install\\win32\\setup.exe)"},
    {"Only64BitInstaller", "64-bit only", "install\\win64\\setup.exe",
     "ERROR: The installer could not be started.\n" R"(C:\e2e\media\64-bit only\install\win32\setup.exe)" "\n",
     R"(C:\\e2e\\media\\64-bit only\\install\\win32\\setup.exe)"},
};

void PrintTo(const NotStartedCase& c, std::ostream* out)
{
    *out << c.name;
}

class InstallerNotStartedTest : public ::testing::TestWithParam<NotStartedCase> {};

TEST_P(InstallerNotStartedTest, ErrorBoxNamesTheInstallerAndNoWaitIsReported)
{
    const NotStartedCase& c = GetParam();
    WineFolder medium = CreateMedium(c.medium);
    AddTypicalMedium(medium);
    RemoveMediumPath(medium, "install");
    if (c.stubPath != nullptr)
        PlaceStubInstaller(medium, c.stubPath);

    LaunchResult result = RunLauncher(LaunchFrom(medium));

    ASSERT_EQ(result.problem, "");
    EXPECT_EQ(result.exitCode, kExitNotStarted);
    EXPECT_EQ(result.stdoutBytes, "");
    EXPECT_TRUE(result.stubRecords.empty());
    ASSERT_EQ(result.messageBoxes.size(), 1u);
    const MessageBoxCall& box = result.messageBoxes[0];
    EXPECT_EQ(box.owner, 0u);
    EXPECT_EQ(box.title, "ERROR");
    EXPECT_EQ(box.style, 0x30u);
    EXPECT_TRUE(box.text.starts_with(c.boxTextStart)) << box.text;
    EXPECT_GT(box.text.size(), std::string_view(c.boxTextStart).size()) << "a reason follows the path";
    ExpectInstallerStartedAs(result, c.childApplicationName);
}

INSTANTIATE_TEST_SUITE_P(Launcher, InstallerNotStartedTest, ::testing::ValuesIn(kNotStartedCases),
                         [](const ::testing::TestParamInfo<NotStartedCase>& info) { return info.param.name; });

// --- a launcher file under another name -----------------------------------------

// Only a file named setup.exe drops out of the launcher directory: install.exe
// stays in it, so every medium path lies beneath C:\...\install.exe\, where
// nothing can be. The runtime folders are the first thing looked for there.
TEST(LauncherUnderAnotherName, LooksForTheMediumBeneathItsOwnName)
{
    WineFolder medium = CreateMedium("renamed");
    AddTypicalMedium(medium);
    RemoveMediumPath(medium, "setup.exe");
    CopyLauncher(medium, "install.exe");

    LaunchResult result = RunLauncher(LaunchFrom(medium, "install.exe"));

    ASSERT_EQ(result.problem, "");
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_EQ(result.stdoutBytes, "");
    EXPECT_TRUE(result.stubRecords.empty());
    EXPECT_TRUE(LauncherCalls(result, "CreateProcessA").empty());
    std::vector<TracedCall> probes = LauncherCalls(result, "GetFileAttributesA");
    ASSERT_FALSE(probes.empty());
    ASSERT_EQ(probes[0].arguments.size(), 1u);
    EXPECT_TRUE(TracedTextIs(probes[0].arguments[0],
                             R"(C:\\e2e\\media\\renamed\\install.exe\\\stage\Components\tamvex.jdk)"))
        << probes[0].arguments[0].text;
    ASSERT_EQ(result.messageBoxes.size(), 1u);
    EXPECT_EQ(result.messageBoxes[0].title, "ERROR");
    EXPECT_EQ(result.messageBoxes[0].style, 0x30u);
    EXPECT_EQ(result.messageBoxes[0].text,
              "ERROR: Provide the JDK/JRE location while launching the installer.\n"
              "Invoke the setup.exe with -jreLoc <JDK/JRE location absolute path> parameter(s)");
}

}  // namespace
