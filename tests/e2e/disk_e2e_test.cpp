// The disk-number check and the wrong-disk notice under Wine: the real
// profile reader, the user's language from LC_ALL, resource libraries built
// by the project and found on the medium or by the system's library search.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/wine_harness.h"

namespace {

constexpr uint32_t kLoadAsDataFile = 0x2;  // LOAD_LIBRARY_AS_DATAFILE
constexpr const char* kResourceFolder = "tests/e2e/helpers/resources/";

std::string EnglishNotice(const std::string& diskNumber)
{
    return "You have inserted Disk #" + diskNumber +
           ".\n\nTo run the installer and install products off of this CD, you must first insert Disk #1 and "
           "invoke the installer from there.  The installer will prompt you to insert this CD when needed.";
}

// A library of the build placed under a relative path.
struct Placed {
    const char* library;  // file name in the build's resource folder
    const char* path;     // e.g. install\setupD.dll
};

void Place(const WineFolder& folder, const std::vector<Placed>& libraries)
{
    for (const Placed& placed : libraries)
        CopyBuiltFile(std::string(kResourceFolder) + placed.library, folder, placed.path);
}

void ExpectOneNotice(const LaunchResult& result, const std::string& text)
{
    ASSERT_EQ(result.messageBoxes.size(), 1u);
    const MessageBoxCall& box = result.messageBoxes[0];
    EXPECT_FALSE(box.textCut);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.title, "TamvexKit");
    EXPECT_EQ(box.style, 0x30u);
    EXPECT_EQ(box.owner, 0u);
    EXPECT_TRUE(result.stubRecords.empty()) << "no installer on a wrong disk";
    EXPECT_TRUE(LauncherCalls(result, "CreateProcessA").empty());
}

// --- the notice ------------------------------------------------------------------

struct NoticeRun {
    const char* name;
    const char* language;                     // LC_ALL
    std::vector<Placed> onMedium;
    std::vector<Placed> inCurrentDirectory;   // the launcher's current directory
    std::vector<Placed> onPath;               // a folder named by PATH
    uint32_t exitCode;
    const char* text;                         // nullptr: the English notice
    const char* suffixedLibrary;              // what is loaded first, under the medium
    bool fallbackLoaded;
};

const NoticeRun kNoticeRuns[] = {
    {"GermanFromTheMedium", "de_DE.UTF-8", {{"notice_german.dll", "install\\setupD.dll"}}, {}, {}, 0,
     "Sie haben Datentr\xE4ger #2 eingelegt.\n\nBitte legen Sie zuerst Datentr\xE4ger #1 ein.",
     "install\\setupD.dll", false},
    {"SwissFrenchUsesTheFrenchLibrary", "fr_CH.UTF-8", {{"notice_english.dll", "install\\setupF.dll"}}, {}, {}, 0,
     "Please insert Disk #1; this is Disk #2.", "install\\setupF.dll", false},
    {"JapaneseFallsBackToTheMediumsLibrary", "ja_JP.UTF-8", {{"notice_english.dll", "install\\setupus.dll"}}, {},
     {}, 0, "Please insert Disk #1; this is Disk #2.", "install\\setupJA.dll", true},
    // The fallback is looked for beside the launcher only: one left in the
    // current directory or on the PATH is not looked at.
    {"FallbackInTheCurrentDirectoryIgnored", "ja_JP.UTF-8", {}, {{"notice_english.dll", "install\\setupus.dll"}}, {},
     0xE0070001u, nullptr, "install\\setupJA.dll", true},
    {"FallbackOnThePathIgnored", "en_US.UTF-8", {}, {}, {{"notice_english.dll", "install\\setupus.dll"}},
     0xE0070001u, nullptr, "install\\setupUS.dll", true},
    // Loaded as a program, this library would end the launcher with 77.
    {"PlantedLibraryIsNotRun", "ja_JP.UTF-8", {{"notice_with_code.dll", "install\\setupus.dll"}}, {}, {}, 0,
     "Planted library, Disk #2.", "install\\setupJA.dll", true},
    {"HostileFormat", "de_DE.UTF-8", {{"notice_hostile.dll", "install\\setupD.dll"}}, {}, {}, 0,
     "%d%n%p%x|2|2|2|2   |0002|2|%5%", "install\\setupD.dll", false},
    {"NoLibrary", "de_DE.UTF-8", {}, {}, {}, 0xE0070001u, nullptr, "install\\setupD.dll", true},
    {"NoStringOne", "de_DE.UTF-8", {{"notice_without_string.dll", "install\\setupD.dll"}}, {}, {}, 0xE0070002u,
     nullptr, "install\\setupD.dll", false},
    {"ComposesToNothing", "de_DE.UTF-8", {{"notice_composing_nothing.dll", "install\\setupD.dll"}}, {}, {},
     0xE0070003u, nullptr, "install\\setupD.dll", false},
};

class WrongDiskNoticeRunTest : public ::testing::TestWithParam<NoticeRun> {};

TEST_P(WrongDiskNoticeRunTest, ShowsTheNoticeAndEndsWithItsCode)
{
    const NoticeRun& c = GetParam();
    std::string name = std::string("disk-") + c.name;
    WineFolder medium = CreateMedium(name);
    AddTypicalMedium(medium);
    WriteMediumFile(medium, "stage\\disk.label", "[General]\r\nNumber=2\r\n");
    Place(medium, c.onMedium);
    WineFolder caller = CreateMedium(name + "\\caller");
    Place(caller, c.inCurrentDirectory);
    WineFolder pathFolder = CreateMedium(name + "\\path");
    Place(pathFolder, c.onPath);

    LaunchRequest request = LaunchFrom(medium);
    request.currentDirectory = caller.windowsPath;
    request.environment = {std::string("LC_ALL=") + c.language,
                           "PATH=" + pathFolder.windowsPath + ";C:\\windows\\system32;C:\\windows"};
    LaunchResult result = RunLauncher(request);

    ASSERT_EQ(result.problem, "");
    EXPECT_EQ(result.exitCode, c.exitCode);
    ExpectOneNotice(result, c.text != nullptr ? c.text : EnglishNotice("2"));

    // Both libraries are mapped as data, the fallback from the launcher's
    // folder. user32, bound by its name when the notice is shown, is the
    // system's and no library of the medium.
    std::vector<std::string> expected = {medium.windowsPath + "\\" + c.suffixedLibrary};
    if (c.fallbackLoaded)
        expected.push_back(medium.windowsPath + "\\install\\setupus.dll");
    std::vector<TracedCall> loads;
    for (const TracedCall& load : LauncherCalls(result, "LoadLibraryExA"))
        if (load.arguments.empty() || !TracedTextIs(load.arguments[0], "user32.dll"))
            loads.push_back(load);
    ASSERT_EQ(loads.size(), expected.size());
    for (size_t i = 0; i < loads.size(); ++i) {
        ASSERT_EQ(loads[i].arguments.size(), 3u);
        EXPECT_TRUE(TracedTextIs(loads[i].arguments[0], expected[i])) << loads[i].arguments[0].text;
        EXPECT_EQ(static_cast<uint32_t>(loads[i].arguments[2].value), kLoadAsDataFile);
    }
    EXPECT_TRUE(LauncherCalls(result, "LoadLibraryA").empty());
    // Released only after a localized notice.
    EXPECT_EQ(LauncherCalls(result, "FreeLibrary").size(), c.exitCode == 0 ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Disk, WrongDiskNoticeRunTest, ::testing::ValuesIn(kNoticeRuns),
                         [](const ::testing::TestParamInfo<NoticeRun>& info) { return info.param.name; });

// --- the disk number, read by the real profile reader ---------------------------

struct LabelRun {
    const char* name;
    const char* label;       // stage\disk.label; nullptr: no file
    const char* diskNumber;  // nullptr: disk 1, the installer starts
};

const LabelRun kLabelRuns[] = {
    {"NoLabelFile", nullptr, nullptr},
    {"EmptyValue", "[General]\r\nNumber=\r\n", nullptr},
    {"LetterCaseAndBlanks", "[ general ]\r\n  NUMBER =  1  \r\n", nullptr},
    {"Two", "[General]\r\nNumber=2\r\n", "2"},
    {"LeadingZero", "[General]\r\nNumber=01\r\n", "01"},
    {"Ten", "[General]\r\nNumber=10\r\n", "10"},
    {"CutToTwoCharacters", "[General]\r\nNumber=123\r\n", "12"},
    {"DosEndOfFile", "[General]\r\nNumber=3\x1a", "3"},
};

class DiskNumberRunTest : public ::testing::TestWithParam<LabelRun> {};

TEST_P(DiskNumberRunTest, OnlyDiskOneStartsTheInstaller)
{
    const LabelRun& c = GetParam();
    WineFolder medium = CreateMedium(std::string("label-") + c.name);
    AddTypicalMedium(medium);
    if (c.label != nullptr)
        WriteMediumFile(medium, "stage\\disk.label", c.label);
    else
        RemoveMediumPath(medium, "stage\\disk.label");

    LaunchResult result = RunLauncher(LaunchFrom(medium));

    ASSERT_EQ(result.problem, "");
    std::vector<TracedCall> reads = LauncherCalls(result, "GetPrivateProfileStringA");
    ASSERT_EQ(reads.size(), 1u);
    ASSERT_EQ(reads[0].arguments.size(), 6u);
    EXPECT_TRUE(TracedTextIs(reads[0].arguments[5], medium.windowsPath + "\\stage\\disk.label"));
    EXPECT_EQ(static_cast<uint32_t>(reads[0].arguments[4].value), 3u) << "capacity";
    if (c.diskNumber == nullptr) {
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_TRUE(result.messageBoxes.empty());
        EXPECT_EQ(result.stubRecords.size(), 1u);
    } else {
        EXPECT_EQ(result.exitCode, 0xE0070001u);
        ExpectOneNotice(result, EnglishNotice(c.diskNumber));
    }
}

INSTANTIATE_TEST_SUITE_P(Disk, DiskNumberRunTest, ::testing::ValuesIn(kLabelRuns),
                         [](const ::testing::TestParamInfo<LabelRun>& info) { return info.param.name; });

}  // namespace
