// What mediacheck predicts for a medium folder, Windows bitness by bitness.
#include "tools/mediacheck/tests/medium_fixture.h"
#include "tools/mediacheck/tests/pe_builder.h"

namespace {

constexpr uint32_t kNoLibrary = 0xE0070001u;
constexpr uint32_t kNoString = 0xE0070002u;
constexpr uint32_t kComposesNothing = 0xE0070003u;
constexpr uint32_t kNotStarted = 0xE0070004u;

struct DecisionCase {
    const char* name;
    std::string_view platformId;
    bool allowLine;
    int bits;
    Outcome outcome;
    uint32_t exitCode;
    std::string childPath;  // empty: no child tried
};

class DecisionTest : public MediumTest, public ::testing::WithParamInterface<DecisionCase> {};

TEST_P(DecisionTest, PredictsThePlatformDecisionAndTheChild)
{
    const DecisionCase& c = GetParam();
    AddTypicalMedium(c.platformId);
    if (c.allowLine)
        Write("stage/shiphomeinfo.properties", "a=b\n" + std::string(kAllowLineText) + "\n");

    Report report = Check(Windows(c.bits));

    ASSERT_EQ(report.cases.size(), 1u);
    const CaseReport& one = report.cases[0];
    EXPECT_EQ(one.windowsBits, c.bits);
    EXPECT_EQ(one.outcome, c.outcome);
    EXPECT_EQ(one.exitCode, c.exitCode);
    EXPECT_EQ(one.childPath, c.childPath);
    EXPECT_EQ(report.ok, c.outcome == Outcome::InstallerStarted);
    if (c.outcome == Outcome::PlatformRefused) {
        ASSERT_TRUE(one.boxTitle.has_value());
        EXPECT_EQ(*one.boxTitle, "ERROR");
        EXPECT_EQ(one.boxText.substr(0, 56), "ERROR: This version of the Tamvex Suite installer requir");
        EXPECT_EQ(one.decision, PlatformDecision::Refuse);
    }
    if (c.outcome == Outcome::InstallerStarted) {
        EXPECT_TRUE(one.installerExists);
        EXPECT_EQ(one.standardOutput, "\nWAIT_OBJECT_0\n");
        EXPECT_FALSE(one.boxTitle.has_value());
    }
}

const std::string kChild32 = "D:\\\\install\\\\win32\\\\setup.exe";
const std::string kChild64 = "D:\\\\install\\\\win64\\\\setup.exe";

INSTANTIATE_TEST_SUITE_P(
    Platforms, DecisionTest,
    ::testing::Values(
        DecisionCase{"Either32", "2000", false, 32, Outcome::InstallerStarted, 0, kChild32},
        DecisionCase{"Either64", "2000", false, 64, Outcome::InstallerStarted, 0, kChild64},
        DecisionCase{"X64On64", "233", false, 64, Outcome::InstallerStarted, 0, kChild64},
        DecisionCase{"X64On32", "233", true, 32, Outcome::PlatformRefused, 1, ""},
        DecisionCase{"X86On32", "912", false, 32, Outcome::InstallerStarted, 0, kChild32},
        DecisionCase{"X86On64Refused", "912", false, 64, Outcome::PlatformRefused, 1, ""},
        DecisionCase{"X86On64Allowed", "912", true, 64, Outcome::InstallerStarted, 0, kChild32},
        DecisionCase{"UnknownId", "2001", true, 64, Outcome::PlatformRefused, 1, ""},
        DecisionCase{"IdWithSpace", " 912", false, 32, Outcome::PlatformRefused, 1, ""}),
    [](const ::testing::TestParamInfo<DecisionCase>& info) { return std::string(info.param.name); });

TEST_F(MediumTest, MissingInstallerFlavourIsNotStartedAndWarned)
{
    AddTypicalMedium("2000");
    Remove("install/win64");

    Report report = Check();

    ASSERT_EQ(report.cases.size(), 2u);
    EXPECT_EQ(report.cases[0].outcome, Outcome::InstallerStarted);
    EXPECT_EQ(report.cases[1].outcome, Outcome::InstallerNotStarted);
    EXPECT_EQ(report.cases[1].exitCode, kNotStarted);
    EXPECT_FALSE(report.cases[1].installerExists);
    EXPECT_EQ(report.cases[1].childPath, kChild64);
    EXPECT_FALSE(report.ok);
    ASSERT_FALSE(report.warnings.empty());
    EXPECT_EQ(report.warnings.back().code, "installer-missing");
    EXPECT_NE(report.warnings.back().text.find("64-bit Windows"), std::string::npos);
    EXPECT_NE(report.warnings.back().text.find("install\\win64\\setup.exe"), std::string::npos);
}

TEST_F(MediumTest, InstallerThatIsNoProgramIsNotStarted)
{
    AddTypicalMedium("912");
    Write("install/win32/setup.exe", "#!/bin/sh\n");

    Report report = Check(Windows(32));

    EXPECT_EQ(report.cases[0].outcome, Outcome::InstallerNotStarted);
    EXPECT_TRUE(report.cases[0].installerExists);
    EXPECT_EQ(report.warnings.back().code, "installer-not-startable");
}

TEST_F(MediumTest, NoRuntimeIsRefusedBeforeTheDiskIsLookedAt)
{
    AddTypicalMedium();
    Remove("stage/Components");
    Write("stage/disk.label", "[General]\nNumber=2\n");

    Report report = Check(Windows(64));

    const CaseReport& one = report.cases[0];
    EXPECT_EQ(one.outcome, Outcome::RuntimeRefused);
    EXPECT_TRUE(one.runtime.refused);
    EXPECT_EQ(one.exitCode, 1u);
    EXPECT_EQ(one.flavour, "");
    EXPECT_EQ(one.diskNumber, "");
    EXPECT_EQ(*one.boxTitle, "ERROR");
    EXPECT_EQ(one.boxText.substr(0, 66), "ERROR: Provide the JDK/JRE location while launching the installer.");
}

TEST_F(MediumTest, ShippedRuntimeFoldersAreListed)
{
    AddTypicalMedium();
    Remove("stage/Components/tamvex.jdk");
    Folder("stage/Components/tamvex.drovane.jre");
    Write("stage/Components/tamvex.swd.jre", "a plain file counts");

    Report report = Check(Windows(32));

    EXPECT_EQ(report.cases[0].runtime.foldersPresent,
              (std::vector<std::string>{"stage\\Components\\tamvex.drovane.jre", "stage\\Components\\tamvex.swd.jre"}));
    EXPECT_EQ(report.cases[0].outcome, Outcome::InstallerStarted);
}

struct RuntimeCase {
    const char* name;
    std::optional<std::string> versionText;
    std::string childPath;
    std::string_view javaOptions;
    int vendorDrovane;
    int jvm64Bit;
};

class JreLocTest : public MediumTest, public ::testing::WithParamInterface<RuntimeCase> {};

// On 64-bit Windows a named runtime's bitness picks the flavour, and its
// vendor the Java options.
TEST_P(JreLocTest, VersionTextChoosesFlavourAndOptions)
{
    const RuntimeCase& c = GetParam();
    AddTypicalMedium("233");
    Remove("stage/Components");
    CheckOptions options = Windows(64, {"-jreLoc", "C:\\jdk"});
    options.versionText = c.versionText;

    Report report = Check(options);

    const CaseReport& one = report.cases[0];
    EXPECT_TRUE(one.runtime.jreLocGiven);
    EXPECT_EQ(one.runtime.versionCommand, "C:\\jdk\\bin\\java.exe -version");
    EXPECT_EQ(one.runtime.versionTextGiven, c.versionText.has_value());
    EXPECT_EQ(one.runtime.vendorDrovane, c.vendorDrovane);
    EXPECT_EQ(one.runtime.jvm64Bit, c.jvm64Bit);
    EXPECT_EQ(one.childPath, c.childPath);
    EXPECT_EQ(one.childCommandLine, " -jreLoc C:\\jdk" + std::string(c.javaOptions));
}

INSTANTIATE_TEST_SUITE_P(
    VersionTexts, JreLocTest,
    ::testing::Values(
        RuntimeCase{"NoneGiven", std::nullopt, kChild32, " -J -mx512m -XX:MaxPermSize=512m -Dtamvex.installer.appendjre=true ", 0, 0},
        RuntimeCase{"Bits64", "java version \"1.8\"\r\nJava HotSpot(TM) 64-Bit Server VM\r\n", kChild64,
                    " -J -mx512m -XX:MaxPermSize=512m -Dtamvex.installer.appendjre=true ", 0, 1},
        RuntimeCase{"Bits32", "java version \"1.8\"\nJava HotSpot(TM) Client VM\n", kChild32,
                    " -J -mx512m -XX:MaxPermSize=512m -Dtamvex.installer.appendjre=true ", 0, 0},
        RuntimeCase{"DrovaneBits64", "Drovane JRockit x86_64\n", kChild64,
                    " -J -mx512m -Dtamvex.installer.appendjre=true ", 1, 1}),
    [](const ::testing::TestParamInfo<RuntimeCase>& info) { return std::string(info.param.name); });

struct NoticeCase {
    const char* name;
    uint16_t langId;
    std::vector<std::pair<std::string, std::string>> libraries;  // relative path, bytes
    uint32_t exitCode;
    std::string noticeLibrary;
    std::string boxText;
};

class NoticeTest : public MediumTest, public ::testing::WithParamInterface<NoticeCase> {};

TEST_P(NoticeTest, AnotherDiskShowsTheNoticeOfTheResourceLibraries)
{
    const NoticeCase& c = GetParam();
    AddTypicalMedium();
    Write("stage/disk.label", "[General]\nNumber=2\n");
    for (const auto& [path, bytes] : c.libraries)
        Write(path, bytes);
    CheckOptions options = Windows(32);
    options.langId = c.langId;

    Report report = Check(options);

    const CaseReport& one = report.cases[0];
    EXPECT_EQ(one.outcome, Outcome::WrongDiskNotice);
    EXPECT_EQ(one.diskNumber, "2");
    EXPECT_EQ(one.exitCode, c.exitCode);
    EXPECT_EQ(one.noticeLibrary, c.noticeLibrary);
    ASSERT_TRUE(one.boxTitle.has_value());
    EXPECT_EQ(*one.boxTitle, "TamvexKit");
    EXPECT_EQ(one.boxText.substr(0, c.boxText.size()), c.boxText);
    EXPECT_FALSE(one.childTried);
    EXPECT_FALSE(report.ok);
}

const std::string kEnglishNotice = "You have inserted Disk #2.\n\nTo run the installer";

INSTANTIATE_TEST_SUITE_P(
    Libraries, NoticeTest,
    ::testing::Values(
        NoticeCase{"Localized", 0x0407,
                   {{"install/setupD.dll", LibraryWithString1(u"Datentr\u00e4ger #%s einlegen", 0x0407)},
                    {"install/setupus.dll", LibraryWithString1(u"Disk #%s")}},
                   0, "D:\\install\\setupD.dll", "Datentr\xE4ger #2 einlegen"},
        NoticeCase{"FallbackForJapanese", 0x0411,
                   {{"install/setupus.dll", LibraryWithString1(u"Please insert Disk #1; this is Disk #%s.")}},
                   0, "D:\\install\\setupus.dll", "Please insert Disk #1; this is Disk #2."},
        NoticeCase{"JapaneseTextCarriedAsUtf8", 0x0411,
                   {{"install/setupJA.dll", LibraryWithString1(u"\u30c7\u30a3\u30b9\u30af #%s", 0x0411)}}, 0,
                   "D:\\install\\setupJA.dll", "\xE3\x83\x87\xE3\x82\xA3\xE3\x82\xB9\xE3\x82\xAF #2"},
        NoticeCase{"SuffixNameInOtherLetterCase", 0x040C, {{"INSTALL/SETUPf.DLL", LibraryWithString1(u"F %s")}}, 0,
                   "D:\\install\\setupF.dll", "F 2"},
        NoticeCase{"NoLibrary", 0x0409, {}, kNoLibrary, "", kEnglishNotice},
        NoticeCase{"NotAProgram", 0x0409, {{"install/setupUS.dll", "MZ this is text"}}, kNoLibrary, "",
                   kEnglishNotice},
        NoticeCase{"WithoutStringOne", 0x0409,
                   {{"install/setupUS.dll", ResourceLibrary({StringBlock{1, 0x0409, {u"", u"", u"Disk #%s"}}})}},
                   kNoString, "D:\\install\\setupUS.dll", kEnglishNotice},
        NoticeCase{"ComposesNothing", 0x0409, {{"install/setupUS.dll", LibraryWithString1(u"%.0s")}},
                   kComposesNothing, "D:\\install\\setupUS.dll", kEnglishNotice}),
    [](const ::testing::TestParamInfo<NoticeCase>& info) { return std::string(info.param.name); });

TEST_F(MediumTest, FieldsComeWithTheirLinesAndPositions)
{
    AddTypicalMedium("233");

    Report report = Check(Windows(64));

    EXPECT_EQ(report.platformId.text, "233");
    EXPECT_EQ(report.platformId.line, 4);
    EXPECT_EQ(report.platformId.start, 24u);
    EXPECT_EQ(report.platformName.text, "Microsoft Windows");
    EXPECT_EQ(report.platformName.line, 5);
    EXPECT_EQ(report.platformName.start, 36u);
    EXPECT_EQ(report.mediaLabel.text, "Tamvex Suite");
    EXPECT_EQ(report.mediaLabel.line, 4);
    EXPECT_EQ(report.mediaLabel.start, 6u);
    EXPECT_EQ(report.allowLine, 0);
    EXPECT_FALSE(report.allowFileOpens);
    EXPECT_TRUE(report.warnings.empty());
}

// With fewer lines than the launcher reads, the last read stands in.
TEST_F(MediumTest, ShortFilesGiveTheLastLineRead)
{
    AddTypicalMedium();
    std::string line = PlatformIdLine("2000");
    Write("stage/shiphomeproperties.xml", "<?xml?>\n" + line);
    Write("stage/shiphomeinfo.properties", "x=y\r\n  " + std::string(kAllowLineText) + "\r\n");

    Report report = Check(Windows(64));

    EXPECT_EQ(report.platformId.line, 2);
    EXPECT_EQ(report.platformId.text, "2000");
    EXPECT_EQ(report.platformName.line, 2);
    EXPECT_EQ(report.platformName.text, "");
    EXPECT_EQ(report.platformName.lineText, line);
    EXPECT_EQ(report.allowLine, 2);
}

struct PlaceCase {
    const char* name;
    std::string launcherPath;
    Outcome outcome;
    std::string childPath;
    std::string warning;  // the first warning expected, if any
};

class LauncherPlaceTest : public MediumTest, public ::testing::WithParamInterface<PlaceCase> {};

// Where the medium lies and how the launcher is named change what it finds:
// the disk label of this medium names disk 2.
TEST_P(LauncherPlaceTest, MediumIsPlacedWhereTheLauncherIsStarted)
{
    const PlaceCase& c = GetParam();
    AddTypicalMedium("912");
    Write("stage/disk.label", "[General]\nNumber=2\n\nLabel=Tamvex Suite\n");
    CheckOptions options = Windows(32);
    options.launcherPath = c.launcherPath;

    Report report = Check(options);

    EXPECT_EQ(report.cases[0].outcome, c.outcome);
    EXPECT_EQ(report.cases[0].childPath, c.childPath);
    EXPECT_EQ(report.commandLine, "\"" + c.launcherPath + "\"");
    if (c.warning.empty())
        EXPECT_TRUE(report.warnings.empty()) << report.warnings[0].text;
    else if (!report.warnings.empty())
        EXPECT_EQ(report.warnings[0].code, c.warning);
    else
        ADD_FAILURE() << "no warning";
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LauncherPlaceTest,
    ::testing::Values(
        PlaceCase{"DiscRoot", "D:\\setup.exe", Outcome::WrongDiskNotice, "", ""},
        PlaceCase{"DeepFolder", "C:\\media\\tamvex\\SETUP.EXE", Outcome::WrongDiskNotice, "", ""},
        PlaceCase{"DoubledSeparators", "C:\\\\media\\\\\\disc\\setup.exe", Outcome::WrongDiskNotice, "", ""},
        PlaceCase{"Share", "\\\\server\\share\\setup.exe", Outcome::WrongDiskNotice, "", ""},
        // The disk label is looked for in C:\Program Files is not there, so disk 1.
        PlaceCase{"FolderWithASpace", "C:\\Program Files\\Tamvex\\setup.exe", Outcome::InstallerStarted,
                  "C:\\\\Program Files\\\\Tamvex\\\\install\\\\win32\\\\setup.exe",
                  "command-line-directory-elsewhere"},
        PlaceCase{"Renamed", "D:\\install.exe", Outcome::RuntimeRefused, "", "launcher-renamed"},
        // Too deep for the disk label's path to be read: disk 1.
        PlaceCase{"DeeperThanTheDiskLabelPathHolds", "C:\\" + std::string(250, 'a') + "\\setup.exe",
                  Outcome::InstallerStarted, "C:\\\\" + std::string(250, 'a') + "\\\\install\\\\win32\\\\setup.exe",
                  ""}),
    [](const ::testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

// The user's arguments reach the child as the launcher composes them.
TEST_F(MediumTest, ArgumentsAreForwardedVerbatim)
{
    AddTypicalMedium();

    Report report = Check(Windows(32, {"-J-Xmx1g", "-silent", "\"C:\\My", "Files\""}));

    EXPECT_EQ(report.commandLine, "\"D:\\setup.exe\" -J-Xmx1g -silent \"C:\\My Files\"");
    EXPECT_EQ(report.cases[0].childCommandLine,
              "-Xmx1g  -J-Xmx1g -silent \"C:\\My Files\" -J -mx512m -XX:MaxPermSize=512m "
              "-Dtamvex.installer.appendjre=true ");
}

}  // namespace
