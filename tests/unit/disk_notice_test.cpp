// The wrong-disk notice: the language suffix, the resource library and its
// fallback, and the exit code of each outcome, run through the whole
// launcher on a medium that names another disk.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "media/media.h"
#include "sim_fixture.h"

namespace {

std::string EnglishNotice(const std::string& diskNumber)
{
    return "You have inserted Disk #" + diskNumber +
           ".\n\nTo run the installer and install products off of this CD, you must first insert Disk #1 and "
           "invoke the installer from there.  The installer will prompt you to insert this CD when needed.";
}

// --- the language suffix --------------------------------------------------------

struct SuffixCase {
    const char* name;
    uint16_t langId;
    const char* suffix;
};

class LanguageSuffixTest : public SimTest, public ::testing::WithParamInterface<SuffixCase> {};

TEST_P(LanguageSuffixTest, ComparesTheWholeIdentifier)
{
    sim().userLangId = GetParam().langId;
    EXPECT_EQ(GetLanguageSuffix(), GetParam().suffix);
    EXPECT_EQ(sim().calls, std::vector<std::string>{"GetUserDefaultLangID"});
}

INSTANTIATE_TEST_SUITE_P(
    Listed, LanguageSuffixTest,
    ::testing::Values(SuffixCase{"GermanGermany", 0x0407, "D"}, SuffixCase{"GermanSwitzerland", 0x0807, "D"},
                      SuffixCase{"GermanAustria", 0x0C07, "D"}, SuffixCase{"SpanishTraditional", 0x040A, "E"},
                      SuffixCase{"SpanishModern", 0x0C0A, "E"}, SuffixCase{"FrenchFrance", 0x040C, "F"},
                      SuffixCase{"FrenchSwitzerland", 0x100C, "F"}, SuffixCase{"ItalianItaly", 0x0410, "I"},
                      SuffixCase{"ItalianSwitzerland", 0x0810, "I"}, SuffixCase{"Japanese", 0x0411, "JA"},
                      SuffixCase{"Korean", 0x0412, "KO"}, SuffixCase{"PortugueseBrazil", 0x0416, "PTB"},
                      SuffixCase{"ChinesePrc", 0x0804, "ZHS"}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Unlisted, LanguageSuffixTest,
    ::testing::Values(SuffixCase{"EnglishUs", 0x0409, "US"}, SuffixCase{"EnglishUk", 0x0809, "US"},
                      SuffixCase{"FrenchBelgium", 0x080C, "US"}, SuffixCase{"FrenchCanada", 0x0C0C, "US"},
                      SuffixCase{"GermanLuxembourg", 0x1007, "US"}, SuffixCase{"SpanishMexico", 0x080A, "US"},
                      SuffixCase{"PortuguesePortugal", 0x0816, "US"}, SuffixCase{"ChineseTaiwan", 0x0404, "US"},
                      SuffixCase{"GermanPrimaryOnly", 0x0007, "US"}, SuffixCase{"Neutral", 0x0000, "US"},
                      SuffixCase{"Dutch", 0x0413, "US"}),
    [](const auto& info) { return info.param.name; });

// --- the notice and its exit code ------------------------------------------------

using Library = std::pair<std::string, std::map<uint32_t, std::string>>;

struct NoticeCase {
    const char* name;
    uint16_t langId = 0x0409;
    std::string commandLine = "D:\\setup.exe";
    std::vector<Library> libraries = {};
    std::vector<std::string> searchPath = {};
    uint32_t exitCode = 0;
    std::string text = {};  // empty: the English notice
    std::vector<std::string> loads = {};
    bool freed = false;
};

class WrongDiskNoticeTest : public SimTest, public ::testing::WithParamInterface<NoticeCase> {};

TEST_P(WrongDiskNoticeTest, ShowsOneNoticeAndStartsNothing)
{
    const NoticeCase& c = GetParam();
    AddTypicalMedium();
    SimAddFile("D:\\stage\\disk.label", "[General]\r\nNumber=2\r\n");
    sim().userLangId = c.langId;
    sim().searchPath = c.searchPath;
    for (const Library& library : c.libraries)
        SimAddLibrary(library.first, library.second);

    EXPECT_EQ(static_cast<uint32_t>(RunLauncher(c.commandLine)), c.exitCode);

    ASSERT_EQ(sim().messageBoxes.size(), 1u);
    EXPECT_EQ(sim().messageBoxes[0].text, c.text.empty() ? EnglishNotice("2") : c.text);
    EXPECT_EQ(sim().messageBoxes[0].title, "TamvexKit");
    EXPECT_EQ(sim().messageBoxes[0].style, 0x30u);
    EXPECT_EQ(sim().messageBoxes[0].owner, nullptr);
    EXPECT_TRUE(sim().processes.empty());
    EXPECT_EQ(sim().libraryLoads, c.loads);
    if (c.freed) {
        ASSERT_EQ(sim().libraryFrees.size(), 1u);
        // Released only once the user has closed the notice.
        ASSERT_GE(sim().calls.size(), 2u);
        EXPECT_EQ(sim().calls[sim().calls.size() - 2], "MessageBoxA");
        EXPECT_EQ(sim().calls.back(), "FreeLibrary");
    } else {
        EXPECT_TRUE(sim().libraryFrees.empty());
    }
}

const std::string kGermanLibrary = "D:\\install\\setupD.dll";
const std::string kFallbackName = "D:\\install\\setupus.dll";  // beside the launcher

INSTANTIATE_TEST_SUITE_P(
    Outcomes, WrongDiskNoticeTest,
    ::testing::Values(
        NoticeCase{.name = "LocalizedFromTheMedium",
                   .langId = 0x0407,
                   .libraries = {{kGermanLibrary, {{1, "Sie haben Disk %s eingelegt; bitte Disk 1."}}}},
                   .text = "Sie haben Disk 2 eingelegt; bitte Disk 1.",
                   .loads = {kGermanLibrary},
                   .freed = true},
        NoticeCase{.name = "NoLibrary",
                   .langId = 0x0407,
                   .exitCode = 0xE0070001u,
                   .loads = {kGermanLibrary, kFallbackName}},
        NoticeCase{.name = "NoStringOne",
                   .langId = 0x0407,
                   .libraries = {{kGermanLibrary, {{2, "Disk %s"}}}},
                   .exitCode = 0xE0070002u,
                   .loads = {kGermanLibrary}},
        NoticeCase{.name = "ComposesToNothing",
                   .langId = 0x0407,
                   .libraries = {{kGermanLibrary, {{1, "%.0s"}}}},
                   .exitCode = 0xE0070003u,
                   .loads = {kGermanLibrary}},
        NoticeCase{.name = "HostileFormatReadsNoArgument",
                   .langId = 0x0407,
                   .libraries = {{kGermanLibrary, {{1, "%d%n%p %s %ls %x"}}}},
                   .text = "%d%n%p 2 2 %x",
                   .loads = {kGermanLibrary},
                   .freed = true},
        NoticeCase{.name = "LongFormatCutAtTheLimit",
                   .langId = 0x0407,
                   .libraries = {{kGermanLibrary, {{1, std::string(6000, 'x')}}}},
                   .text = std::string(1023, 'x'),
                   .loads = {kGermanLibrary},
                   .freed = true}),
    [](const auto& info) { return info.param.name; });

// The fallback is found by the standard library search, by its relative
// name, for every suffix including "US".
INSTANTIATE_TEST_SUITE_P(
    Fallback, WrongDiskNoticeTest,
    ::testing::Values(
        NoticeCase{.name = "InTheApplicationFolder",
                   .langId = 0x0411,
                   .libraries = {{"D:\\install\\setupus.dll", {{1, "Disk %s (us)"}}}},
                   .text = "Disk 2 (us)",
                   .loads = {"D:\\install\\setupJA.dll", kFallbackName},
                   .freed = true},
        // A library left in the current directory or on the PATH is not looked at.
        NoticeCase{.name = "InTheCurrentDirectoryIgnored",
                   .libraries = {{"C:\\Users\\me\\install\\setupus.dll", {{1, "cwd %s"}}}},
                   .exitCode = kExitNoticeNoLibrary,
                   .loads = {"D:\\install\\setupUS.dll", kFallbackName}},
        NoticeCase{.name = "OnThePathIgnored",
                   .libraries = {{"F:\\tools\\install\\setupus.dll", {{1, "path %s"}}}},
                   .searchPath = {"F:\\tools"},
                   .exitCode = kExitNoticeNoLibrary,
                   .loads = {"D:\\install\\setupUS.dll", kFallbackName}},
        NoticeCase{.name = "LocalizedLibraryPreferred",
                   .langId = 0x0407,
                   .libraries = {{kGermanLibrary, {{1, "de %s"}}}, {"D:\\install\\setupus.dll", {{1, "us %s"}}}},
                   .text = "de 2",
                   .loads = {kGermanLibrary},
                   .freed = true}),
    [](const auto& info) { return info.param.name; });

// A launcher started through a quoted path with a space reads the disk label
// and the suffixed library from a folder above its own (D:\ here), while the
// fallback is searched from its real folder.
TEST_F(WrongDiskNoticeTest, CommandLineDirectoryAboveTheLauncher)
{
    sim().moduleFileName = "D:\\my set\\setup.exe";
    AddTypicalMedium("D:\\my set\\");
    SimAddFile("D:\\stage\\disk.label", "[General]\nNumber=3\n");
    SimAddLibrary("D:\\my set\\install\\setupus.dll", {{1, "Disk %s (us)"}});

    EXPECT_EQ(RunLauncher("\"D:\\my set\\setup.exe\""), 0);
    EXPECT_EQ(sim().profileReads, std::vector<std::string>{"D:\\stage\\disk.label"});
    EXPECT_EQ(sim().libraryLoads,
              (std::vector<std::string>{"D:\\install\\setupUS.dll", "D:\\my set\\install\\setupus.dll"}));
    ASSERT_EQ(sim().messageBoxes.size(), 1u);
    EXPECT_EQ(sim().messageBoxes[0].text, "Disk 3 (us)");
}

TEST_F(WrongDiskNoticeTest, LibraryPathOverThePathLimitIsNotLoaded)
{
    // Long enough for the disk label path, too long for the library path.
    std::string directory = "E:\\" + std::string(238, 'd') + "\\";
    ASSERT_EQ(directory.size() + std::string("install\\setupUS.dll").size(), 261u);
    SimAddLibrary(directory + "install\\setupUS.dll", {{1, "too far %s"}});
    SimAddLibrary("D:\\install\\setupus.dll", {{1, "fallback %s"}});

    EXPECT_EQ(ShowWrongDiskNotice("2", directory), 0u);
    EXPECT_EQ(sim().libraryLoads, std::vector<std::string>{kFallbackName});
    ASSERT_EQ(sim().messageBoxes.size(), 1u);
    EXPECT_EQ(sim().messageBoxes[0].text, "fallback 2");
}

TEST_F(WrongDiskNoticeTest, EmptyCommandLineDirectoryLoadsBesideTheLauncher)
{
    // A relative name is found where the library search looks first, and
    // only there: not in the current directory.
    sim().userLangId = 0x0412;
    SimAddLibrary("D:\\install\\setupKO.dll", {{1, "ko %s"}});
    SimAddLibrary(sim().currentDirectory + "\\install\\setupKO.dll", {{1, "planted %s"}});

    EXPECT_EQ(ShowWrongDiskNotice("2", ""), 0u);
    EXPECT_EQ(sim().libraryLoads, std::vector<std::string>{"D:\\install\\setupKO.dll"});
    ASSERT_EQ(sim().messageBoxes.size(), 1u);
    EXPECT_EQ(sim().messageBoxes[0].text, "ko 2");
}

TEST_F(WrongDiskNoticeTest, UnreadableLauncherNameLoadsNoRelativeLibrary)
{
    sim().moduleFileName = "C:\\" + std::string(2100, 'n') + "\\setup.exe";
    SimAddLibrary(sim().currentDirectory + "\\install\\setupus.dll", {{1, "planted %s"}});
    EXPECT_EQ(ShowWrongDiskNotice("2", ""), kExitNoticeNoLibrary);
    EXPECT_TRUE(sim().libraryLoads.empty());
}

// Every disk-number text but "1" is another disk, in whatever form it stands.
struct OtherDiskCase {
    const char* name;
    std::string value;
    std::string diskNumber;
};

class OtherDiskTest : public SimTest, public ::testing::WithParamInterface<OtherDiskCase> {};

TEST_P(OtherDiskTest, NamesTheDiskInTheEnglishNotice)
{
    AddTypicalMedium();
    SimAddFile("D:\\stage\\disk.label", "[General]\nNumber=" + GetParam().value + "\n");

    EXPECT_EQ(static_cast<uint32_t>(RunLauncher("D:\\setup.exe")), kExitNoticeNoLibrary);
    ASSERT_EQ(sim().messageBoxes.size(), 1u);
    EXPECT_EQ(sim().messageBoxes[0].text, EnglishNotice(GetParam().diskNumber));
    EXPECT_TRUE(sim().processes.empty());
}

INSTANTIATE_TEST_SUITE_P(Values, OtherDiskTest,
                         ::testing::Values(OtherDiskCase{"Two", "2", "2"}, OtherDiskCase{"LeadingZero", "01", "01"},
                                           OtherDiskCase{"Ten", "10", "10"},
                                           OtherDiskCase{"CutToTwelve", "123", "12"},
                                           OtherDiskCase{"PercentSign", "%s", "%s"}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
