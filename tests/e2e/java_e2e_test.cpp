// The Java runtime selection under Wine: a real command interpreter runs a
// test runtime's bin\java.exe, whose version text chooses the installer's
// Java options; without "-jreLoc" the medium must ship a runtime.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/wine_harness.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDrovaneSuffix = " -J -mx512m -Dtamvex.installer.appendjre=true ";
constexpr std::string_view kDefaultSuffix = " -J -mx512m -XX:MaxPermSize=512m -Dtamvex.installer.appendjre=true ";
constexpr const char* kNoRuntimeText =
    "ERROR: Provide the JDK/JRE location while launching the installer.\n"
    "Invoke the setup.exe with -jreLoc <JDK/JRE location absolute path> parameter(s)";

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

bool EndsWith(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

class JavaE2eTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        medium = CreateMedium(std::string("java-") + CurrentTestName());
        AddTypicalMedium(medium);
        // A temporary folder with spaces, so only its short form works on a
        // command line; a fresh one for each test.
        temp = ScratchFolder(std::string("java temp\\") + CurrentTestName() + " long folder");
        for (const fs::directory_entry& entry : fs::directory_iterator(temp.unixPath))
            fs::remove_all(entry.path());
    }

    static std::string CurrentTestName()
    {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '-';
        // Parameterised names differ at their end.
        return name.size() > 40 ? name.substr(name.size() - 40) : name;
    }

    // A runtime folder with the test java.exe in its bin folder, writing the
    // given records ("1 text" standard output, "2 text" standard error).
    WineFolder MakeRuntime(std::string_view records)
    {
        WineFolder runtime = CreateMedium(std::string("jre-") + CurrentTestName());
        CopyBuiltFile("tests/e2e/helpers/java.exe", runtime, "bin\\java.exe");
        WriteMediumFile(runtime, "bin\\fake-java-output.txt", records);
        return runtime;
    }

    static std::vector<std::string> JavaStarts(const WineFolder& runtime)
    {
        std::vector<std::string> starts;
        std::istringstream lines(ReadFile(runtime.unixPath + "/bin/fake-java-runs.txt"));
        for (std::string line; std::getline(lines, line);)
            starts.push_back(line);
        return starts;
    }

    LaunchResult Run(std::string_view arguments)
    {
        LaunchRequest request = LaunchFrom(medium);
        request.commandLine += arguments;
        request.environment = {"TEMP=" + temp.windowsPath, "TMP=" + temp.windowsPath};
        return RunLauncher(request);
    }

    bool OutputFileLeft() const { return fs::exists(temp.unixPath + "/commandoutput.txt"); }

    WineFolder medium;
    WineFolder temp;
};

// --- the version text chooses the Java options -------------------------------------

struct VersionCase {
    const char* name;
    const char* records;
    bool drovane;
};

class JavaVersionE2eTest : public JavaE2eTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(JavaVersionE2eTest, CapturedTextReachesTheInstallersJavaOptions)
{
    WineFolder runtime = MakeRuntime(GetParam().records);

    LaunchResult result = Run(" -jreLoc " + runtime.windowsPath);

    ASSERT_EQ(result.problem, "");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(result.messageBoxes.empty());
    ASSERT_EQ(result.stubRecords.size(), 1u);
    EXPECT_TRUE(EndsWith(result.stubRecords[0].commandLine, GetParam().drovane ? kDrovaneSuffix : kDefaultSuffix))
        << result.stubRecords[0].commandLine;
    // The version command ran once, as the interpreter passed it on.
    std::vector<std::string> starts = JavaStarts(runtime);
    ASSERT_EQ(starts.size(), 1u);
    std::string expected = runtime.windowsPath + "\\bin\\java.exe -version";
    EXPECT_EQ(starts[0].substr(0, expected.size()), expected);
    EXPECT_EQ(starts[0].find_first_not_of(' ', expected.size()), std::string::npos) << starts[0];
    EXPECT_FALSE(OutputFileLeft());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JavaVersionE2eTest,
    ::testing::Values(
        VersionCase{"DrovaneOnStandardError", "2 Drovane JVM 1.8.0 (build x86_64)\\r\\n", true},
        VersionCase{"DrovaneOnStandardOutput", "1 Drovane JVM 1.8.0\\r\\n", true},
        // One word written half to each stream: both land in one file, in order.
        VersionCase{"DrovaneAcrossBothStreams", "2 java version \"1.8.0\"\\r\\nDro\n1 vane JVM\\r\\n", true},
        VersionCase{"OtherVendor", "2 java version \"1.8.0_401\"\\r\\n64-Bit Server VM\\r\\n", false},
        VersionCase{"SmallLetters", "2 drovane jvm\\r\\n", false},
        VersionCase{"NothingWritten", "", false}),
    [](const auto& info) { return info.param.name; });

TEST_F(JavaE2eTest, ProbeRunsBothCommandsOnTheShortTemporaryPath)
{
    WineFolder runtime = MakeRuntime("2 Drovane\\r\\n");

    LaunchResult result = Run(" -jreLoc " + runtime.windowsPath);

    ASSERT_EQ(result.problem, "");
    EXPECT_EQ(LauncherCalls(result, "GetTempPathA").size(), 1u);
    EXPECT_EQ(LauncherCalls(result, "GetShortPathNameA").size(), 1u);
    std::vector<TracedCall> commands = LauncherCalls(result, "system");
    ASSERT_EQ(commands.size(), 2u);
    ASSERT_FALSE(commands[0].arguments.empty());
    ASSERT_FALSE(commands[1].arguments.empty());
    const std::string& redirected = commands[0].arguments[0].text;
    const std::string& deletion = commands[1].arguments[0].text;

    // version command > "T\commandoutput.txt" 2>&1, and del "T\commandoutput.txt"
    std::string head = runtime.windowsPath + "\\bin\\java.exe -version > \"";
    std::string tail = "\\\\commandoutput.txt\" 2>&1";
    ASSERT_EQ(redirected.substr(0, head.size()), head) << redirected;
    ASSERT_TRUE(EndsWith(redirected, tail)) << redirected;
    std::string shortTemp = redirected.substr(head.size(), redirected.size() - head.size() - tail.size());
    EXPECT_EQ(shortTemp.find(' '), std::string::npos) << shortTemp;
    EXPECT_EQ(shortTemp.substr(0, 7), "C:\\e2e\\") << shortTemp;
    EXPECT_EQ(deletion, "del \"" + shortTemp + "\\\\commandoutput.txt\"");
    EXPECT_FALSE(OutputFileLeft());
}

TEST_F(JavaE2eTest, FileLeftByAnEarlierRunIsReplaced)
{
    WriteMediumFile(temp, "commandoutput.txt", "Drovane, from a run that was stopped\r\n");
    WineFolder runtime = MakeRuntime("2 java version \"1.8.0\"\\r\\n");

    LaunchResult result = Run(" -jreLoc " + runtime.windowsPath);

    ASSERT_EQ(result.problem, "");
    ASSERT_EQ(result.stubRecords.size(), 1u);
    EXPECT_TRUE(EndsWith(result.stubRecords[0].commandLine, kDefaultSuffix)) << result.stubRecords[0].commandLine;
    EXPECT_FALSE(OutputFileLeft());
}

TEST_F(JavaE2eTest, LocationThatDoesNotExistLetsTheRunGoOn)
{
    RemoveMediumPath(medium, "stage\\Components\\tamvex.jdk");  // not needed with a location

    LaunchResult result = Run(" -jreLoc C:\\e2e\\no-such-runtime");

    ASSERT_EQ(result.problem, "");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(result.messageBoxes.empty());
    ASSERT_EQ(result.stubRecords.size(), 1u);
    EXPECT_TRUE(EndsWith(result.stubRecords[0].commandLine, kDefaultSuffix));
    EXPECT_EQ(LauncherCalls(result, "system").size(), 2u);
    EXPECT_TRUE(LauncherCalls(result, "GetFileAttributesA").empty());
    EXPECT_FALSE(OutputFileLeft());
}

TEST_F(JavaE2eTest, VersionCommandRunsOnADiskOtherThanOne)
{
    WriteMediumFile(medium, "stage\\disk.label", "[General]\nNumber=2\n");
    WineFolder runtime = MakeRuntime("2 Drovane\\r\\n");

    LaunchResult result = Run(" -jreLoc " + runtime.windowsPath);

    ASSERT_EQ(result.problem, "");
    EXPECT_EQ(JavaStarts(runtime).size(), 1u);
    EXPECT_TRUE(result.stubRecords.empty());
    EXPECT_FALSE(OutputFileLeft());
}

// --- without "-jreLoc" ---------------------------------------------------------------

struct NoRuntimeCase {
    const char* name;
    const char* diskLabel;
    const char* arguments;
};

class NoRuntimeE2eTest : public JavaE2eTest, public ::testing::WithParamInterface<NoRuntimeCase> {};

TEST_P(NoRuntimeE2eTest, RefusesWithTheErrorBoxAndExitCodeOne)
{
    RemoveMediumPath(medium, "stage\\Components\\tamvex.jdk");
    WriteMediumFile(medium, "stage\\disk.label", GetParam().diskLabel);

    LaunchResult result = Run(GetParam().arguments);

    ASSERT_EQ(result.problem, "");
    EXPECT_EQ(result.exitCode, 1u);
    ASSERT_EQ(result.messageBoxes.size(), 1u);
    EXPECT_EQ(result.messageBoxes[0].owner, 0u);
    EXPECT_EQ(result.messageBoxes[0].title, "ERROR");
    EXPECT_EQ(result.messageBoxes[0].style, 0x30u);
    EXPECT_EQ(result.messageBoxes[0].text, kNoRuntimeText);
    EXPECT_TRUE(result.stubRecords.empty());
    EXPECT_EQ(result.stdoutBytes, "");
    EXPECT_TRUE(LauncherCalls(result, "system").empty());
    // All five runtime folders were asked, in order, with tripled separators.
    std::vector<TracedCall> probes = LauncherCalls(result, "GetFileAttributesA");
    ASSERT_EQ(probes.size(), 5u);
    std::string doubled;
    for (char c : medium.windowsPath)
        doubled += c == '\\' ? std::string("\\\\") : std::string(1, c);
    const char* folders[] = {"tamvex.jdk", "tamvex.drovane", "tamvex.jre", "tamvex.drovane.jre", "tamvex.swd.jre"};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_TRUE(TracedTextIs(probes[i].arguments[0],
                                 doubled + "\\\\\\stage\\Components\\" + folders[i]))
            << probes[i].arguments[0].text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoRuntimeE2eTest,
    ::testing::Values(NoRuntimeCase{"DiskOne", "[General]\nNumber=1\n", ""},
                      NoRuntimeCase{"DiskTwo", "[General]\nNumber=2\n", ""},
                      // Nothing after "-jreLoc": no runtime to ask.
                      NoRuntimeCase{"JreLocAsTheLastWord", "[General]\nNumber=1\n", " -jreLoc"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
