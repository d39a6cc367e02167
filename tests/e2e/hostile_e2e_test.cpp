// Hostile media and command lines under Wine: every run ends with an outcome
// of the launcher's table or a clear "ERROR" box, never a crash or a hang,
// within a bounded time; and the launcher loads no DLL from the medium, the
// current directory or the PATH.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "wine_harness.h"

namespace {

constexpr uint32_t kExitNotStarted = 0xE0070004u;
constexpr int kBoundSeconds = 60;

std::string Noise(size_t size, uint32_t seed)
{
    std::string bytes(size, '\0');
    uint32_t state = seed;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

std::string LongLines(size_t lines, size_t length, char fill)
{
    std::string text;
    for (size_t i = 0; i < lines; ++i)
        text += std::string(length, static_cast<char>(fill + i % 5)) + "\r\n";
    return text;
}

// The outcomes a run may end with, and that its box and report agree.
void ExpectAnOutcome(const LaunchResult& result)
{
    ASSERT_EQ(result.problem, "");
    const uint32_t code = result.exitCode;
    ASSERT_LE(result.messageBoxes.size(), 1u);
    if (result.messageBoxes.empty()) {
        EXPECT_EQ(code, 0u) << "no box: the installer ran and ended";
        EXPECT_EQ(result.stdoutBytes, "\r\nWAIT_OBJECT_0\r\n");
        EXPECT_EQ(result.stubRecords.size(), 1u);
        return;
    }
    const MessageBoxCall& box = result.messageBoxes[0];
    EXPECT_EQ(box.style, 0x30u);
    EXPECT_TRUE(result.stubRecords.empty());
    EXPECT_EQ(result.stdoutBytes, "");
    if (box.title == "TamvexKit") {
        EXPECT_TRUE(code == 0 || code == 0xE0070001u || code == 0xE0070002u || code == 0xE0070003u) << std::hex << code;
    } else {
        EXPECT_EQ(box.title, "ERROR");
        EXPECT_EQ(box.text.rfind("ERROR: ", 0), 0u) << box.text;
        EXPECT_TRUE(code == 1 || code == kExitNotStarted) << std::hex << code;
    }
}

struct HostileMedium {
    const char* name;
    void (*arrange)(const WineFolder& medium);
    // What the run must end with; nothing: any outcome of the table.
    std::optional<uint32_t> exitCode;
    std::optional<std::string> boxTitle;
};

const HostileMedium kHostileMedia[] = {
    {"NoiseInEveryDataFile",
     [](const WineFolder& medium) {
         WriteMediumFile(medium, "stage\\disk.label", Noise(10'000'000, 1));
         WriteMediumFile(medium, "stage\\shiphomeproperties.xml", Noise(10'000'000, 2));
         WriteMediumFile(medium, "stage\\shiphomeinfo.properties", Noise(10'000'000, 3));
         WriteMediumFile(medium, "install\\setupus.dll", Noise(10'000'000, 4));
     },
     std::nullopt, std::nullopt},
    {"NoiseAsTheWrongDiskNoticeLibrary",
     [](const WineFolder& medium) {
         WriteMediumFile(medium, "stage\\disk.label", "[General]\r\nNumber=2\r\n");
         WriteMediumFile(medium, "install\\setupus.dll", Noise(10'000'000, 5));
         WriteMediumFile(medium, "install\\setupUS.dll", Noise(4096, 6));
     },
     0xE0070001u, "TamvexKit"},
    {"LinesOf5000Characters",
     [](const WineFolder& medium) {
         WriteMediumFile(medium, "stage\\disk.label", LongLines(6, 5000, 'a'));
         WriteMediumFile(medium, "stage\\shiphomeproperties.xml", LongLines(6, 5000, 'k'));
         WriteMediumFile(medium, "stage\\shiphomeinfo.properties", LongLines(6, 5000, 'p'));
     },
     1u, "ERROR"},
    {"DiskLabelIsAFolder",
     [](const WineFolder& medium) {
         RemoveMediumPath(medium, "stage\\disk.label");
         AddMediumFolder(medium, "stage\\disk.label");
     },
     0u, std::nullopt},
    {"InstallerIsAFolder",
     [](const WineFolder& medium) {
         RemoveMediumPath(medium, "install\\win32\\setup.exe");
         AddMediumFolder(medium, "install\\win32\\setup.exe");
     },
     kExitNotStarted, "ERROR"},
    {"InstallerIsATextFile",
     [](const WineFolder& medium) {
         WriteMediumFile(medium, "install\\win32\\setup.exe", "@echo off\r\necho not a program\r\n");
     },
     kExitNotStarted, "ERROR"},
    {"InstallerIsNoise",
     [](const WineFolder& medium) { WriteMediumFile(medium, "install\\win32\\setup.exe", Noise(100'000, 7)); },
     kExitNotStarted, "ERROR"},
};

class HostileMediumTest : public ::testing::TestWithParam<HostileMedium> {};

TEST_P(HostileMediumTest, EndsWithAnOutcomeInBoundedTime)
{
    const HostileMedium& c = GetParam();
    WineFolder medium = CreateMedium(std::string("hostile-") + c.name);
    AddTypicalMedium(medium);
    c.arrange(medium);
    LaunchRequest request = LaunchFrom(medium);
    request.timeoutSeconds = kBoundSeconds;

    LaunchResult result = RunLauncher(request);

    ExpectAnOutcome(result);
    if (c.exitCode) {
        EXPECT_EQ(result.exitCode, *c.exitCode);
    }
    if (c.boxTitle) {
        ASSERT_EQ(result.messageBoxes.size(), 1u);
        EXPECT_EQ(result.messageBoxes[0].title, *c.boxTitle);
    }
}

INSTANTIATE_TEST_SUITE_P(Hostile, HostileMediumTest, ::testing::ValuesIn(kHostileMedia),
                         [](const ::testing::TestParamInfo<HostileMedium>& info) { return info.param.name; });

TEST(HostileRun, CommandLineOf30000CharactersReachesTheInstallerWhole)
{
    WineFolder medium = CreateMedium("hostile-long-command-line");
    AddTypicalMedium(medium);
    LaunchRequest request = LaunchFrom(medium);
    std::string arguments = "-Dfirst=1";
    while (arguments.size() < 30000)
        arguments += " -Dopt" + std::to_string(arguments.size()) + "=x";
    request.commandLine += " " + arguments;
    request.timeoutSeconds = kBoundSeconds;

    LaunchResult result = RunLauncher(request);

    ExpectAnOutcome(result);
    EXPECT_EQ(result.exitCode, 0u);
    ASSERT_EQ(result.stubRecords.size(), 1u);
    const std::string& received = result.stubRecords[0].commandLine;
    // The whole argument part, after the runs hoisted from its first 2047
    // characters, then the Java options.
    const std::string suffix = " -J -mx512m -XX:MaxPermSize=512m -Dtamvex.installer.appendjre=true ";
    EXPECT_EQ(received.substr(received.size() - suffix.size()), suffix);
    size_t argumentsAt = received.size() - suffix.size() - arguments.size();
    EXPECT_EQ(received.substr(argumentsAt, arguments.size()), arguments);
    EXPECT_EQ(received.rfind("-Dfirst=1 -Dopt9=x ", 0), 0u);
    EXPECT_LE(argumentsAt, 2048u + 1);
}

TEST(HostileRun, CommandLineBeyondWhatWindowsStartsIsReported)
{
    WineFolder medium = CreateMedium("hostile-too-long-command-line");
    AddTypicalMedium(medium);
    LaunchRequest request = LaunchFrom(medium);
    // Room for the launcher's own start, not for the installer's with its
    // hoisted run and Java options.
    request.commandLine += " -D" + std::string(2000, 'y') + " ";
    request.commandLine += std::string(32000 - request.commandLine.size(), 'x');
    request.timeoutSeconds = kBoundSeconds;

    LaunchResult result = RunLauncher(request);

    ExpectAnOutcome(result);
    EXPECT_EQ(result.exitCode, kExitNotStarted);
}

struct TempCase {
    const char* name;
    void (*arrange)(const WineFolder& scratch);
    const char* temp;  // TEMP and TMP for the launcher
};

class UnwritableTempTest : public ::testing::TestWithParam<TempCase> {};

TEST_P(UnwritableTempTest, VersionProbeGivesNothingAndTheRunGoesOn)
{
    const TempCase& c = GetParam();
    WineFolder medium = CreateMedium(std::string("hostile-temp-") + c.name);
    AddTypicalMedium(medium);
    WineFolder scratch = ScratchFolder(std::string("hostile-temp-") + c.name);
    c.arrange(scratch);
    LaunchRequest request = LaunchFrom(medium);
    request.commandLine += " -jreLoc C:\\nowhere\\jdk";
    std::string temp = scratch.windowsPath + "\\" + c.temp;
    request.environment = {"TEMP=" + temp, "TMP=" + temp};
    request.timeoutSeconds = kBoundSeconds;

    LaunchResult result = RunLauncher(request);

    ExpectAnOutcome(result);
    EXPECT_EQ(result.exitCode, 0u);
    ASSERT_EQ(result.stubRecords.size(), 1u);
    // Nothing was learnt of the runtime: the options for an unknown vendor.
    const std::string& received = result.stubRecords[0].commandLine;
    EXPECT_NE(received.find("-XX:MaxPermSize=512m"), std::string::npos) << received;
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, UnwritableTempTest,
    ::testing::Values(TempCase{"Missing", [](const WineFolder&) {}, "missing"},
                      TempCase{"AFile",
                               [](const WineFolder& scratch) { WriteMediumFile(scratch, "afile", "not a folder"); },
                               "afile"}),
    [](const ::testing::TestParamInfo<TempCase>& info) { return info.param.name; });

// DLLs a planted copy could be mistaken for, left beside the launcher, in the
// current directory and on the PATH. Not msvcrt.dll and kernelbase.dll: the
// launcher's imports and theirs are mapped before it runs, and Windows takes
// them from its list of known DLLs in the system folder, wherever the program
// lies; Wine has no such list and prefers a copy beside the program, which
// says nothing about the launcher.
const char* const kPlantedNames[] = {"version.dll", "uxtheme.dll", "dwmapi.dll", "cryptbase.dll",
                                     "imm32.dll",   "shlwapi.dll", "user32.dll", "gdi32.dll"};

TEST(HostileRun, LoadsNoDllFromTheMediumTheCurrentDirectoryOrThePath)
{
    WineFolder medium = CreateMedium("hostile-planted");
    AddTypicalMedium(medium);
    WriteMediumFile(medium, "stage\\disk.label", "[General]\r\nNumber=2\r\n");  // the notice path loads a library
    CopyBuiltFile("tests/e2e/helpers/resources/notice_english.dll", medium, "install\\setupus.dll");
    WineFolder caller = ScratchFolder("hostile-planted-caller");
    WineFolder path = ScratchFolder("hostile-planted-path");
    for (const char* name : kPlantedNames)
        for (const WineFolder* folder : {&medium, &caller, &path})
            CopyBuiltFile("tests/e2e/helpers/resources/notice_with_code.dll", *folder, name);
    LaunchRequest request = LaunchFrom(medium);
    request.currentDirectory = caller.windowsPath;
    request.environment = {"PATH=" + path.windowsPath + ";C:\\windows\\system32;C:\\windows"};
    request.timeoutSeconds = kBoundSeconds;

    LaunchResult result = RunLauncher(request);

    ExpectAnOutcome(result);
    EXPECT_EQ(result.exitCode, 0u);  // the notice from the medium's library, shown as data

    // The loader's own account of every module the launcher's process mapped.
    std::string trace = ReadTraceFile(result);
    std::vector<std::string> loaded = LoadedModules(trace, result.pid);
    EXPECT_FALSE(loaded.empty()) << "no loader lines in the trace";
    for (const std::string& module : loaded) {
        std::string lower = module;
        for (char& ch : lower)
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        bool system = lower.rfind("c:\\windows\\system32\\", 0) == 0;
        bool self = lower == "c:\\e2e\\media\\hostile-planted\\setup.exe";
        EXPECT_TRUE(system || self) << "loaded from outside the system folder: " << module;
    }
}

}  // namespace
