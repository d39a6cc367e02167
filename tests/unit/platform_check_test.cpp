// The media platform check: the fields read from the medium, the allow line,
// the decision on both Windows bitnesses and the refusal.
#include <algorithm>
#include <optional>

#include "launch/launch.h"
#include "media/layout.h"
#include "media/media.h"
#include "media/platform.h"
#include "platform_media.h"
#include "sim_fixture.h"

namespace {

// The launcher directory of a launcher at D:\setup.exe.
constexpr std::string_view kRoot = "D:\\\\";

const std::string kPropertiesPath = "D:\\stage\\shiphomeproperties.xml";
const std::string kLabelPath = "D:\\stage\\disk.label";
const std::string kInfoPath = "D:\\stage\\shiphomeinfo.properties";

const std::string kAdvice =
    " operating system.\nPlease download the appropriate installer for your operating system, or contact "
    "Tamvex Support.";

// --- platform fields -----------------------------------------------------------

struct FieldsCase {
    const char* name;
    std::string content;
    std::string platformId;
    std::string platformName;
};

void PrintTo(const FieldsCase& c, std::ostream* os)
{
    *os << c.name;
}

class PlatformFieldsTest : public SimTest, public ::testing::WithParamInterface<FieldsCase> {};

TEST_P(PlatformFieldsTest, TakesTheFieldsAtTheirPositions)
{
    SimAddFile(kPropertiesPath, GetParam().content);
    MediaPlatform platform = ReadMediaPlatform(kRoot);
    EXPECT_EQ(platform.platformId, GetParam().platformId);
    EXPECT_EQ(platform.platformName, GetParam().platformName);
    EXPECT_EQ(sim().openFiles, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlatformFieldsTest,
    ::testing::Values(
        FieldsCase{"LineFeeds", ShipHomeProperties("233", "Windows x64"), "233", "Windows x64"},
        FieldsCase{"CarriageReturnLineFeeds", ShipHomeProperties("233", "Windows x64", "\r\n"), "233", "Windows x64"},
        FieldsCase{"FourthLineOf34", PropertiesPreamble() + PlatformIdLine("") + PlatformNameLine("N"), "", "N"},
        FieldsCase{"FourthLineOf35", PropertiesPreamble() + PlatformIdLine("9") + PlatformNameLine("N"), "9", "N"},
        FieldsCase{"FifthLineOf58", PropertiesPreamble() + PlatformIdLine("912") + PlatformNameLine(""), "912", ""},
        FieldsCase{"FifthLineOf59", PropertiesPreamble() + PlatformIdLine("912") + PlatformNameLine("W"), "912", "W"},
        FieldsCase{"FieldsAreNotTrimmed", ShipHomeProperties(" 233 ", " Windows "), " 233 ", " Windows "},
        // The fourth line stands in for the fifth.
        FieldsCase{"FourLines", "1\n2\n3\n" + PlatformNameLine("Windows"), "orm\" value=\"Windows\"/> <!-- req",
                   "Windows"},
        // The second line stands in for the fourth and the fifth.
        FieldsCase{"TwoLines", "1\n" + PlatformNameLine("Windows"), "orm\" value=\"Windows\"/> <!-- req", "Windows"},
        FieldsCase{"NoFinalLineFeed", PropertiesPreamble() + PlatformIdLine("233") + PlatformNameLine("Win", ""),
                   "233", "Wi"},
        FieldsCase{"Empty", "", "", ""},
        FieldsCase{"CtrlZBeforeTheFifthLine",
                   PropertiesPreamble() + PlatformIdLine("233") + "\x1a" + PlatformNameLine("Windows"), "233", ""},
        FieldsCase{"CtrlZInsideTheFourthLine",
                   PropertiesPreamble() + std::string(kIdHead) + "233\x1a" + "    </id>\n" + PlatformNameLine("W"), "",
                   ""},
        // A line of more than 999 characters is several reads, each counted as a line.
        FieldsCase{"LongFirstLineIsTwoReads",
                   std::string(1500, 'x') + "\n2\n" + PlatformIdLine("233") + PlatformNameLine("Windows x64"), "233",
                   "Windows x64"},
        FieldsCase{"LongFourthLineGivesTheLongestFields",
                   PropertiesPreamble() + PlatformIdLine(std::string(2000, 'i')) + PlatformNameLine("W"),
                   std::string(965, 'i'), std::string(941, 'i')}),
    [](const auto& info) { return info.param.name; });

TEST_F(SimTest, PropertiesThatDoNotOpenLeaveTheFieldsEmpty)
{
    EXPECT_EQ(ReadMediaPlatform(kRoot).platformId, "");
    SimAddFolder(kPropertiesPath);
    MediaPlatform platform = ReadMediaPlatform(kRoot);
    EXPECT_EQ(platform.platformId, "");
    EXPECT_EQ(platform.platformName, "");
}

TEST_F(SimTest, ReadsTheThreeFilesInOrderUnderTheLauncherDirectory)
{
    SimAddFile("E:\\kit\\stage\\shiphomeproperties.xml", ShipHomeProperties("912", "Windows x86"));
    SimAddFile("E:\\kit\\stage\\disk.label", DiskLabel("TamvexKit 12c"));
    SimAddFile("E:\\kit\\stage\\shiphomeinfo.properties", std::string(kAllowLineText) + "\n");
    MediaPlatform platform = ReadMediaPlatform("E:\\\\kit\\\\");
    EXPECT_EQ(platform.platformId, "912");
    EXPECT_EQ(platform.platformName, "Windows x86");
    EXPECT_EQ(platform.mediaLabel, "TamvexKit 12c");
    EXPECT_EQ(platform.allow32On64, 1);
    EXPECT_EQ(sim().fileOpens,
              (std::vector<std::string>{"E:\\\\kit\\\\stage\\shiphomeproperties.xml", "E:\\\\kit\\\\stage\\disk.label",
                                        "E:\\\\kit\\\\stage\\shiphomeinfo.properties"}));
    EXPECT_EQ(sim().openFiles, 0);
}

TEST_F(SimTest, EmptyDiskLabelGivesNoLabelAfterThePropertiesWereRead)
{
    SimAddFile(kPropertiesPath, ShipHomeProperties("233", "Windows x64"));
    SimAddFile(kLabelPath, "");
    EXPECT_EQ(ReadMediaPlatform(kRoot).mediaLabel, "");
}

TEST_F(SimTest, PathOverItsCapacityIsAFileThatDoesNotOpen)
{
    // The properties path takes 2999 characters and fits; the info path,
    // one character longer, does not, so the allow line is never read.
    std::string folder(2999 - 4 - kShipHomePropertiesFile.size() - 2, 'f');
    std::string directory = "D:\\\\" + folder + "\\\\";
    ASSERT_EQ(directory.size() + kShipHomePropertiesFile.size(), 2999u);
    ASSERT_EQ(directory.size() + kShipHomeInfoFile.size(), 3000u);
    SimAddFile("D:\\" + folder + "\\stage\\shiphomeproperties.xml", ShipHomeProperties("912", "Windows x86"));
    SimAddFile("D:\\" + folder + "\\stage\\shiphomeinfo.properties", std::string(kAllowLineText) + "\n");

    MediaPlatform platform = ReadMediaPlatform(directory);

    EXPECT_EQ(platform.platformId, "912");
    EXPECT_EQ(platform.allow32On64, 0);
    ASSERT_EQ(sim().fileOpens.size(), 2u);  // properties and disk label only
    EXPECT_EQ(sim().fileOpens[1], directory + "stage\\disk.label");
}

// --- allow line ------------------------------------------------------------------

struct AllowCase {
    const char* name;
    std::optional<std::string> content;
    int allow32On64;
};

void PrintTo(const AllowCase& c, std::ostream* os)
{
    *os << c.name;
}

class AllowLineTest : public SimTest, public ::testing::WithParamInterface<AllowCase> {};

TEST_P(AllowLineTest, RecognisesTheWholeTrimmedLine)
{
    if (GetParam().content)
        SimAddFile(kInfoPath, *GetParam().content);
    EXPECT_EQ(ReadMediaPlatform(kRoot).allow32On64, GetParam().allow32On64);
    EXPECT_EQ(sim().openFiles, 0);
}

const std::string kAllow(kAllowLineText);

INSTANTIATE_TEST_SUITE_P(
    Cases, AllowLineTest,
    ::testing::Values(
        AllowCase{"Missing", std::nullopt, 0}, AllowCase{"Empty", "", 0}, AllowCase{"Alone", kAllow + "\n", 1},
        AllowCase{"CarriageReturnLineFeed", kAllow + "\r\n", 1},
        AllowCase{"ExtraCarriageReturn", kAllow + "\r\r\n", 1},
        AllowCase{"LeadingSpaces", "   " + kAllow + "\n", 1},
        AllowCase{"SpacesBeforeTheLineFeed", kAllow + "  \n", 0},
        AllowCase{"SpacesBeforeTheCarriageReturnLineFeed", kAllow + " \r\n", 0},
        AllowCase{"TrailingSpacesOnTheLastLine", "a=b\n" + kAllow + "   ", 1},
        // Spaces go first, then line feeds, then carriage returns.
        AllowCase{"SpaceThenCarriageReturn", " \r" + kAllow + "\n", 1},
        AllowCase{"CarriageReturnThenSpace", "\r " + kAllow + "\n", 0},
        AllowCase{"OtherLetterCase", "tamvex.as.install.allow.32bitin64bit=TRUE\n", 0},
        AllowCase{"Tab", "\t" + kAllow + "\n", 0},
        AllowCase{"False", "tamvex.as.install.allow.32bitin64bit=false\n", 0},
        AllowCase{"SpacesAroundTheEqualsSign", "tamvex.as.install.allow.32bitin64bit = true\n", 0},
        AllowCase{"AmongOtherLines", "# medium\na=b\n" + kAllow + "\nc=d\n", 1},
        AllowCase{"NotUndoneByALaterLine", kAllow + "\ntamvex.as.install.allow.32bitin64bit=false\n", 1},
        AllowCase{"AfterCtrlZ", "a=b\n\x1a" + kAllow + "\n", 0},
        // The second read of a line over 999 characters counts as a line of its own.
        AllowCase{"TailOfALongLine", std::string(999, 'x') + kAllow + "\n", 1}),
    [](const auto& info) { return info.param.name; });

TEST(IsAllowLineTest, ToleratesOnlyTheTrimmedCharacters)
{
    EXPECT_TRUE(IsAllowLine(kAllowLineText));
    EXPECT_FALSE(IsAllowLine(""));
    EXPECT_FALSE(IsAllowLine(kAllowLineText.substr(1)));
    EXPECT_FALSE(IsAllowLine(std::string(kAllowLineText) + "\n\r\n"));  // the line feeds trimmed before the last one
}

// --- decision ------------------------------------------------------------------------

struct DecisionCase {
    const char* name;
    SimWow64 wow64;
    std::string platformId;
    bool allowLine;
    std::string_view flavourChosen;
    bool accepted;
    std::string_view flavourStarted;  // only when accepted
};

void PrintTo(const DecisionCase& c, std::ostream* os)
{
    *os << c.name;
}

class DecisionTest : public SimTest, public ::testing::WithParamInterface<DecisionCase> {};

TEST_P(DecisionTest, FollowsTheTableOfPlatformsAndWindows)
{
    const DecisionCase& c = GetParam();
    sim().wow64 = c.wow64;
    SimAddFile(kPropertiesPath, ShipHomeProperties(c.platformId, "Windows"));
    SimAddFile(kLabelPath, DiskLabel("Kit"));
    if (c.allowLine)
        SimAddFile(kInfoPath, std::string(kAllowLineText) + "\n");
    std::string_view childRelativePath = c.flavourChosen;

    PlatformVerdict verdict = CheckMediaPlatform(kRoot, childRelativePath);

    std::vector<std::string> calls{"fopen", "fopen", "fopen", "IsWow64Process"};
    if (c.accepted) {
        EXPECT_EQ(verdict, PlatformVerdict::Accepted);
        EXPECT_EQ(childRelativePath, c.flavourStarted);
        EXPECT_TRUE(sim().messageBoxes.empty());
    } else {
        EXPECT_EQ(verdict, PlatformVerdict::Refused);
        ASSERT_EQ(sim().messageBoxes.size(), 1u);
        EXPECT_EQ(sim().messageBoxes[0].text, "ERROR: This version of the Kit installer requires a Windows" + kAdvice);
        calls.push_back("MessageBoxA");
    }
    EXPECT_EQ(sim().calls, calls);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecisionTest,
    ::testing::Values(
        DecisionCase{"W64Id2000", SimWow64::Yes, "2000", false, kInstaller64, true, kInstaller64},
        DecisionCase{"W64Id2000Allowed32BitFlavour", SimWow64::Yes, "2000", true, kInstaller32, true, kInstaller32},
        DecisionCase{"W64Id233", SimWow64::Yes, "233", false, kInstaller64, true, kInstaller64},
        DecisionCase{"W64Id233Allowed", SimWow64::Yes, "233", true, kInstaller64, true, kInstaller64},
        // A -jreLoc runtime without the 64-bit marker chose the 32-bit flavour.
        DecisionCase{"W64Id233With32BitFlavour", SimWow64::Yes, "233", false, kInstaller32, true, kInstaller32},
        DecisionCase{"W64Id912Allowed", SimWow64::Yes, "912", true, kInstaller64, true, kInstaller32},
        DecisionCase{"W64Id912Allowed32BitFlavour", SimWow64::Yes, "912", true, kInstaller32, true, kInstaller32},
        DecisionCase{"W64Id912", SimWow64::Yes, "912", false, kInstaller64, false, {}},
        DecisionCase{"W64Empty", SimWow64::Yes, "", true, kInstaller64, false, {}},
        DecisionCase{"W64SpaceBefore", SimWow64::Yes, " 233", false, kInstaller64, false, {}},
        DecisionCase{"W64SpaceAfter", SimWow64::Yes, "2000 ", false, kInstaller64, false, {}},
        DecisionCase{"W64Longer", SimWow64::Yes, "2330", false, kInstaller64, false, {}},
        DecisionCase{"W64Other", SimWow64::Yes, "46", false, kInstaller64, false, {}},
        DecisionCase{"W32Id2000", SimWow64::No, "2000", false, kInstaller32, true, kInstaller32},
        DecisionCase{"W32Id912", SimWow64::No, "912", false, kInstaller32, true, kInstaller32},
        DecisionCase{"W32Id912Allowed", SimWow64::No, "912", true, kInstaller32, true, kInstaller32},
        DecisionCase{"W32Id233", SimWow64::No, "233", false, kInstaller32, false, {}},
        DecisionCase{"W32Id233Allowed", SimWow64::No, "233", true, kInstaller32, false, {}},
        DecisionCase{"W32Empty", SimWow64::No, "", false, kInstaller32, false, {}},
        DecisionCase{"W32SpaceAfter", SimWow64::No, "912 ", false, kInstaller32, false, {}},
        // Without an answer from IsWow64Process Windows counts as 32-bit.
        DecisionCase{"NoWow64FunctionId912", SimWow64::FunctionMissing, "912", false, kInstaller32, true,
                     kInstaller32},
        DecisionCase{"Wow64CallFailsId233", SimWow64::CallFails, "233", false, kInstaller32, false, {}}),
    [](const auto& info) { return info.param.name; });

// --- refusal message -------------------------------------------------------------------

struct MessageCase {
    const char* name;
    std::optional<std::string> properties;
    std::optional<std::string> diskLabel;
    std::string text;
};

void PrintTo(const MessageCase& c, std::ostream* os)
{
    *os << c.name;
}

class RefusalMessageTest : public SimTest, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(RefusalMessageTest, NamesTheInstallerAndTheRequiredSystem)
{
    sim().wow64 = SimWow64::Yes;
    if (GetParam().properties)
        SimAddFile(kPropertiesPath, *GetParam().properties);
    if (GetParam().diskLabel)
        SimAddFile(kLabelPath, *GetParam().diskLabel);
    std::string_view childRelativePath = kInstaller64;
    EXPECT_EQ(CheckMediaPlatform(kRoot, childRelativePath), PlatformVerdict::Refused);
    ASSERT_EQ(sim().messageBoxes.size(), 1u);
    const SimMessageBox& box = sim().messageBoxes[0];
    EXPECT_EQ(box.text, GetParam().text);
    EXPECT_EQ(box.title, "ERROR");
    EXPECT_EQ(box.style, 0x30u);
    EXPECT_EQ(box.owner, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusalMessageTest,
    ::testing::Values(
        MessageCase{"Typical", ShipHomeProperties("912", "Windows x86"), DiskLabel("TamvexKit 12c"),
                    "ERROR: This version of the TamvexKit 12c installer requires a Windows x86" + kAdvice},
        MessageCase{"NoProperties", std::nullopt, DiskLabel("TamvexKit 12c"),
                    "ERROR: This version of the TamvexKit 12c installer requires a " + kAdvice},
        MessageCase{"NothingToNameEither", std::nullopt, std::nullopt,
                    "ERROR: This version of the  installer requires a " + kAdvice},
        MessageCase{"LongestFields", PropertiesPreamble() + PlatformIdLine(std::string(2000, 'n')),
                    "1\n2\n3\nLabel=" + std::string(1200, 'L') + "\n",
                    "ERROR: This version of the " + std::string(992, 'L') + " installer requires a " +
                        std::string(941, 'n') + kAdvice}),
    [](const auto& info) { return info.param.name; });

TEST(ComposePlatformRefusalTest, StaysWithinItsCapacityWhateverItIsGiven)
{
    std::string message = ComposePlatformRefusal(std::string(2000, 'L'), std::string(2000, 'n'));
    EXPECT_EQ(message.size(), kRefusalCapacity - 1);
    EXPECT_EQ(message.substr(0, 27), "ERROR: This version of the ");
    EXPECT_EQ(message.substr(2027, 22), " installer requires a ");
    EXPECT_EQ(message.back(), 'n');
}

// --- the whole run -------------------------------------------------------------------

TEST_F(SimTest, RefusedMediumStartsNothingAndExitsWithOne)
{
    AddTypicalMedium();
    SimAddFile(kPropertiesPath, ShipHomeProperties("233", "Windows x64"));
    EXPECT_EQ(RunLauncher("\"D:\\setup.exe\""), 1);
    EXPECT_TRUE(sim().processes.empty());
    EXPECT_EQ(sim().standardOutput, "");
    ASSERT_EQ(sim().messageBoxes.size(), 1u);
    EXPECT_EQ(sim().calls.back(), "MessageBoxA");
    // The flavour choice and the platform check each ask Windows.
    EXPECT_EQ(std::count(sim().calls.begin(), sim().calls.end(), "IsWow64Process"), 2);
}

TEST_F(SimTest, AllowedMediumRunsThe32BitInstallerOn64BitWindows)
{
    AddTypicalMedium();
    sim().wow64 = SimWow64::Yes;
    SimAddFile(kPropertiesPath, ShipHomeProperties("912", "Windows x86"));
    SimAddFile(kInfoPath, std::string(kAllowLineText) + "\n");
    EXPECT_EQ(RunLauncher("\"D:\\setup.exe\""), 0);
    ASSERT_EQ(sim().processes.size(), 1u);
    EXPECT_EQ(sim().processes[0].applicationName, "D:\\\\install\\\\win32\\\\setup.exe");
    EXPECT_TRUE(sim().messageBoxes.empty());
}

}  // namespace
