// Where the installer's Java runtime comes from: the "-jreLoc" scan, the
// vendor and 64-bit flags, and the runtime folders of the medium.
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "java/java.h"
#include "launch/launch.h"
#include "media/layout.h"
#include "sim_fixture.h"

namespace {

constexpr const char* kNoRuntimeText =
    "ERROR: Provide the JDK/JRE location while launching the installer.\n"
    "Invoke the setup.exe with -jreLoc <JDK/JRE location absolute path> parameter(s)";

// The redirected command the probe runs for a runtime location.
std::string VersionCommandPrefix(const std::string& location)
{
    return location + "\\bin\\java.exe -version > \"";
}

// --- the "-jreLoc" scan ---------------------------------------------------------

struct ScanCase {
    const char* name;
    std::string commandLine;
    std::optional<std::string> location;  // none: no "-jreLoc" taken
};

class RuntimeLocationScanTest : public SimTest, public ::testing::WithParamInterface<ScanCase> {};

TEST_P(RuntimeLocationScanTest, TakesTheWordAfterTheFirstJreLocWord)
{
    AddTypicalMedium();
    EXPECT_EQ(SelectJavaRuntime(GetParam().commandLine, nullptr), RuntimeSelection::GoOn);
    if (GetParam().location) {
        EXPECT_EQ(launcherState.jreLocGiven, 1);
        ASSERT_EQ(sim().commands.size(), 2u);
        EXPECT_EQ(sim().commands[0].rfind(VersionCommandPrefix(*GetParam().location), 0), 0u) << sim().commands[0];
        EXPECT_TRUE(sim().fileProbes.empty());  // the medium's runtimes are not looked at
    } else {
        EXPECT_EQ(launcherState.jreLocGiven, 0);
        EXPECT_TRUE(sim().commands.empty());
        EXPECT_EQ(sim().fileProbes.size(), 5u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RuntimeLocationScanTest,
    ::testing::Values(
        ScanCase{"Plain", "\"D:\\setup.exe\" -jreLoc C:\\jdk", "C:\\jdk"},
        ScanCase{"Capitals", "D:\\setup.exe -JRELOC C:\\jdk", "C:\\jdk"},
        ScanCase{"SmallLetters", "D:\\setup.exe -jreloc C:\\jdk", "C:\\jdk"},
        ScanCase{"SeveralSpaces", "   D:\\setup.exe    -jreLoc     C:\\jdk   ", "C:\\jdk"},
        ScanCase{"AmongOtherWords", "D:\\setup.exe -J-Xmx1g -jreLoc C:\\jdk -Dx=1", "C:\\jdk"},
        ScanCase{"JoinedByEqualsSign", "D:\\setup.exe -jreLoc=C:\\jdk", std::nullopt},
        ScanCase{"JoinedByTab", "D:\\setup.exe -jreLoc\tC:\\jdk", std::nullopt},
        ScanCase{"TabInsideTheLocationWord", "D:\\setup.exe -jreLoc C:\\jdk\t-Dx=1", "C:\\jdk\t-Dx=1"},
        ScanCase{"WordInDoubleQuotes", "D:\\setup.exe \"-jreLoc\" C:\\jdk", std::nullopt},
        ScanCase{"LongerWord", "D:\\setup.exe -jreLocation C:\\jdk", std::nullopt},
        ScanCase{"QuotedLocationWithSpace", "D:\\setup.exe -jreLoc \"C:\\Program Files\\jdk\"", "\"C:\\Program"},
        ScanCase{"QuotedLocationWithoutSpace", "D:\\setup.exe -jreLoc \"C:\\jdk\"", "\"C:\\jdk\""},
        ScanCase{"TwoJreLocWords", "D:\\setup.exe -jreLoc C:\\first -jreLoc C:\\second", "C:\\first"},
        ScanCase{"JreLocAsTheLocation", "D:\\setup.exe -jreLoc -jreLoc C:\\jdk", "-jreLoc"},
        ScanCase{"TrailingBackslash", "D:\\setup.exe -jreLoc C:\\jdk\\", "C:\\jdk\\"},
        ScanCase{"LastWord", "D:\\setup.exe -jreLoc", std::nullopt},
        ScanCase{"LastWordThenSpaces", "D:\\setup.exe -jreLoc   ", std::nullopt},
        ScanCase{"NotThere", "D:\\setup.exe -Dx=1", std::nullopt},
        ScanCase{"EmptyLine", "", std::nullopt},
        // The whole line is scanned, however long.
        ScanCase{"FarIntoALongLine", "D:\\setup.exe " + std::string(3000, 'x') + " -jreLoc C:\\jdk", "C:\\jdk"}),
    [](const auto& info) { return info.param.name; });

TEST_F(SimTest, TrailingBackslashGivesTwoBeforeBin)
{
    SelectJavaRuntime("D:\\setup.exe -jreLoc C:\\jdk\\", nullptr);
    ASSERT_FALSE(sim().commands.empty());
    EXPECT_EQ(sim().commands[0].rfind("C:\\jdk\\\\bin\\java.exe -version > ", 0), 0u);
}

TEST_F(SimTest, ScanLeavesTheCommandLineAsItWas)
{
    AddTypicalMedium();
    std::string commandLine = "D:\\setup.exe  -jreLoc  C:\\jdk  ";
    std::string before = commandLine;
    SelectJavaRuntime(commandLine, nullptr);
    EXPECT_EQ(commandLine, before);
}

// --- the runtime location path ---------------------------------------------------

TEST_F(SimTest, WithALocationTheMediumsRuntimesAreNotLookedAt)
{
    // No runtime folder on the medium: with a location that is no reason to refuse.
    EXPECT_EQ(SelectJavaRuntime("D:\\setup.exe -jreLoc C:\\jdk", nullptr), RuntimeSelection::GoOn);
    EXPECT_EQ(std::count(sim().calls.begin(), sim().calls.end(), "GetModuleFileNameA"), 0);
    EXPECT_EQ(std::count(sim().calls.begin(), sim().calls.end(), "GetFileAttributesA"), 0);
    EXPECT_TRUE(sim().messageBoxes.empty());
}

TEST_F(SimTest, LocationThatDoesNotExistLetsTheRunGoOn)
{
    AddTypicalMedium();
    SimRemove("D:\\stage\\Components\\tamvex.jdk");

    EXPECT_EQ(RunLauncher("D:\\setup.exe -jreLoc C:\\nowhere"), 0);

    EXPECT_TRUE(sim().messageBoxes.empty());
    EXPECT_EQ(launcherState.jreLocGiven, 1);
    EXPECT_EQ(launcherState.vendorDrovane + launcherState.vendorIbm + launcherState.jvm64Bit, 0);
    EXPECT_EQ(sim().processes.size(), 1u);
    EXPECT_EQ(sim().standardOutput, "\nWAIT_OBJECT_0\n");
}

TEST_F(SimTest, MissingRuntimeIsSearchedInTheInterpretersComplaint)
{
    // What the interpreter says about a runtime that is not there names the
    // location, so a location that reads like a vendor sets its flag.
    SelectJavaRuntime("D:\\setup.exe -jreLoc C:\\IBM-64-Bit", nullptr);
    EXPECT_EQ(launcherState.jreLocGiven, 1);
    EXPECT_EQ(launcherState.vendorIbm, 1);
    EXPECT_EQ(launcherState.jvm64Bit, 0);  // IBM's marker is "amd64-64"
}

struct LocationLengthCase {
    const char* name;
    size_t length;
    bool probed;
};

class RuntimeLocationLengthTest : public SimTest, public ::testing::WithParamInterface<LocationLengthCase> {};

TEST_P(RuntimeLocationLengthTest, LocationOverItsCapacityRunsNothing)
{
    std::string location = "C:\\" + std::string(GetParam().length - 3, 'j');
    sim().commandOutputs[location + "\\bin\\java.exe -version"] = {{2, "Drovane x86_64"}};

    EXPECT_EQ(SelectJavaRuntime("D:\\setup.exe -jreLoc " + location, nullptr), RuntimeSelection::GoOn);

    EXPECT_EQ(launcherState.jreLocGiven, 1);
    EXPECT_EQ(sim().commands.size(), GetParam().probed ? 2u : 0u);
    EXPECT_EQ(launcherState.vendorDrovane, GetParam().probed ? 1 : 0);
    EXPECT_EQ(launcherState.jvm64Bit, GetParam().probed ? 1 : 0);
    EXPECT_TRUE(sim().fileProbes.empty());
    EXPECT_TRUE(sim().messageBoxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, RuntimeLocationLengthTest,
                         ::testing::Values(LocationLengthCase{"Fits", kRuntimeLocationCapacity - 1, true},
                                           LocationLengthCase{"OneTooLong", kRuntimeLocationCapacity, false}),
                         [](const auto& info) { return info.param.name; });

// --- vendor and 64-bit flags -----------------------------------------------------

constexpr char kAfterNul[] = "java version\0IBM Drovane 64-Bit x86_64";

struct VersionCase {
    const char* name;
    std::string versionText;
    int vendorDrovane;
    int vendorIbm;
    int jvm64Bit;
};

class VersionFlagsTest : public SimTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionFlagsTest, SetsTheFlagsFromTheVersionText)
{
    sim().commandOutputs["C:\\jdk\\bin\\java.exe -version"] = {{2, GetParam().versionText}};

    EXPECT_EQ(SelectJavaRuntime("D:\\setup.exe -jreLoc C:\\jdk", nullptr), RuntimeSelection::GoOn);

    EXPECT_EQ(launcherState.jreLocGiven, 1);
    EXPECT_EQ(launcherState.vendorDrovane, GetParam().vendorDrovane);
    EXPECT_EQ(launcherState.vendorIbm, GetParam().vendorIbm);
    EXPECT_EQ(launcherState.jvm64Bit, GetParam().jvm64Bit);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VersionFlagsTest,
    ::testing::Values(
        VersionCase{"Empty", "", 0, 0, 0},
        VersionCase{"NeitherVendor32Bit",
                    "java version \"1.8.0_401\"\r\nJava(TM) SE Runtime Environment\r\nClient VM (mixed mode)\r\n",
                    0, 0, 0},
        VersionCase{"NeitherVendor64Bit", "java version \"1.8.0\"\r\n64-Bit Server VM (build 25.401-b10)\r\n", 0, 0, 1},
        VersionCase{"NeitherVendorOtherMarkers", "java version \"1.8.0\" x86_64 amd64-64\r\n", 0, 0, 0},
        VersionCase{"DrovaneWithX86_64", "Drovane JVM 1.8 (build linux x86_64)\r\n", 1, 0, 1},
        VersionCase{"DrovaneWith64BitOnly", "Drovane JVM 1.8\r\n64-Bit Server VM\r\n", 1, 0, 0},
        VersionCase{"IbmWithAmd64", "IBM J9 VM (build 2.9, JRE 1.8.0 Windows 10 amd64-64-Bit)\r\n", 0, 1, 1},
        VersionCase{"IbmWith64BitOnly", "IBM J9 VM 64-Bit\r\n", 0, 1, 0},
        VersionCase{"BothVendorsTakeX86_64", "Drovane IBM amd64-64 64-Bit\r\n", 1, 1, 0},
        VersionCase{"BothVendorsWithX86_64", "IBM Drovane x86_64\r\n", 1, 1, 1},
        VersionCase{"InsideLongerWords", "XIBMX Drovanes/64-Bitness x86_64z\r\n", 1, 1, 1},
        VersionCase{"SmallLettersSetNothing", "ibm drovane 64-bit X86_64 AMD64-64\r\n", 0, 0, 0},
        VersionCase{"TextEndsAtNul", std::string(kAfterNul, sizeof kAfterNul - 1), 0, 0, 0}),
    [](const auto& info) { return info.param.name; });

// The flags reach the installer: its flavour on 64-bit Windows and its Java options.
struct RunCase {
    const char* name;
    std::string versionText;
    SimWow64 wow64;
    std::string_view installer;
    std::string_view suffix;
};

class RuntimeFlagsRunTest : public SimTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(RuntimeFlagsRunTest, SteerTheInstallerFlavourAndJavaOptions)
{
    AddTypicalMedium();
    sim().wow64 = GetParam().wow64;
    sim().commandOutputs["C:\\jdk\\bin\\java.exe -version"] = {{2, GetParam().versionText}};

    EXPECT_EQ(RunLauncher("\"D:\\setup.exe\" -jreLoc C:\\jdk"), 0);

    ASSERT_EQ(sim().processes.size(), 1u);
    EXPECT_EQ(sim().processes[0].applicationName, "D:\\\\" + std::string(GetParam().installer));
    const std::string& commandLine = sim().processes[0].commandLine;
    ASSERT_GE(commandLine.size(), GetParam().suffix.size());
    EXPECT_EQ(commandLine.substr(commandLine.size() - GetParam().suffix.size()), GetParam().suffix);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RuntimeFlagsRunTest,
    ::testing::Values(
        RunCase{"Drovane64", "Drovane x86_64", SimWow64::Yes, kInstaller64, kJavaOptionSuffixDrovane},
        RunCase{"Drovane32", "Drovane 64-Bit", SimWow64::Yes, kInstaller32, kJavaOptionSuffixDrovane},
        RunCase{"Plain64", "64-Bit Server VM", SimWow64::Yes, kInstaller64, kJavaOptionSuffixDefault},
        RunCase{"Ibm32", "IBM 64-Bit", SimWow64::Yes, kInstaller32, kJavaOptionSuffixDefault},
        RunCase{"Drovane64On32BitWindows", "Drovane x86_64", SimWow64::No, kInstaller32, kJavaOptionSuffixDrovane}),
    [](const auto& info) { return info.param.name; });

// --- the runtime folders of the medium --------------------------------------------

TEST_F(SimTest, AllFiveRuntimeFoldersAreAskedInOrderWithTripleSeparators)
{
    sim().moduleFileName = "D:\\setup.exe";
    SimAddFolder("D:\\stage\\Components\\tamvex.jdk");  // the first already answers yes

    EXPECT_EQ(SelectJavaRuntime("D:\\setup.exe", nullptr), RuntimeSelection::GoOn);

    EXPECT_EQ(sim().fileProbes, (std::vector<std::string>{
                                    "D:\\\\\\stage\\Components\\tamvex.jdk",
                                    "D:\\\\\\stage\\Components\\tamvex.drovane",
                                    "D:\\\\\\stage\\Components\\tamvex.jre",
                                    "D:\\\\\\stage\\Components\\tamvex.drovane.jre",
                                    "D:\\\\\\stage\\Components\\tamvex.swd.jre",
                                }));
    EXPECT_EQ(launcherState.jreLocGiven, 0);
    EXPECT_TRUE(sim().commands.empty());
    EXPECT_TRUE(sim().messageBoxes.empty());
}

struct ShippedRuntimeCase {
    const char* name;
    std::function<void()> arrange;
};

class ShippedRuntimeTest : public SimTest, public ::testing::WithParamInterface<ShippedRuntimeCase> {};

TEST_P(ShippedRuntimeTest, AnyOneOfTheFoldersIsEnough)
{
    sim().moduleFileName = "E:\\media\\disk1\\setup.exe";
    GetParam().arrange();
    EXPECT_EQ(SelectJavaRuntime("E:\\media\\disk1\\setup.exe", nullptr), RuntimeSelection::GoOn);
    EXPECT_TRUE(sim().messageBoxes.empty());
    EXPECT_EQ(sim().fileProbes.size(), 5u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShippedRuntimeTest,
    ::testing::Values(
        ShippedRuntimeCase{"Jdk", [] { SimAddFolder("E:\\media\\disk1\\stage\\Components\\tamvex.jdk"); }},
        ShippedRuntimeCase{"Drovane", [] { SimAddFolder("E:\\media\\disk1\\stage\\Components\\tamvex.drovane"); }},
        ShippedRuntimeCase{"Jre", [] { SimAddFolder("E:\\media\\disk1\\stage\\Components\\tamvex.jre"); }},
        ShippedRuntimeCase{"DrovaneJre",
                           [] { SimAddFolder("E:\\media\\disk1\\stage\\Components\\tamvex.drovane.jre"); }},
        ShippedRuntimeCase{"OnlyTheFifth",
                           [] { SimAddFolder("E:\\media\\disk1\\stage\\Components\\tamvex.swd.jre"); }},
        ShippedRuntimeCase{"PlainFileOfThatName",
                           [] { SimAddFile("E:\\media\\disk1\\stage\\Components\\tamvex.jre", ""); }}),
    [](const auto& info) { return info.param.name; });

struct NoRuntimeCase {
    const char* name;
    const char* commandLine;
};

class NoRuntimeTest : public SimTest, public ::testing::WithParamInterface<NoRuntimeCase> {};

TEST_P(NoRuntimeTest, RefusesWithTheErrorBoxBeforeAnythingElse)
{
    AddTypicalMedium();
    SimRemove("D:\\stage\\Components\\tamvex.jdk");
    SimAddFolder("D:\\stage\\Components\\tamvex.jdk.old");  // near names count for nothing
    sim().wow64 = SimWow64::Yes;

    EXPECT_EQ(RunLauncher(GetParam().commandLine), 1);

    ASSERT_EQ(sim().messageBoxes.size(), 1u);
    const SimMessageBox& box = sim().messageBoxes[0];
    EXPECT_EQ(box.text, kNoRuntimeText);
    EXPECT_EQ(box.title, "ERROR");
    EXPECT_EQ(box.style, 0x30u);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(launcherState.jreLocGiven + launcherState.vendorDrovane + launcherState.vendorIbm +
                  launcherState.jvm64Bit,
              0);
    // Nothing follows the box: no flavour choice, no disk check, no installer.
    EXPECT_EQ(sim().calls.back(), "MessageBoxA");
    EXPECT_EQ(std::count(sim().calls.begin(), sim().calls.end(), "GetFileAttributesA"), 5);
    EXPECT_TRUE(sim().processes.empty());
    EXPECT_TRUE(sim().commands.empty());
    EXPECT_EQ(sim().standardOutput, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoRuntimeTest,
    ::testing::Values(NoRuntimeCase{"NoArguments", "D:\\setup.exe"},
                      NoRuntimeCase{"JreLocNotAWord", "\"D:\\setup.exe\" -Dx=1 -jreLoc=C:\\jdk"},
                      // Nothing after "-jreLoc": no runtime to ask, so the medium must ship one.
                      NoRuntimeCase{"JreLocAsTheLastWord", "D:\\setup.exe -jreLoc"}),
    [](const auto& info) { return info.param.name; });

TEST_F(SimTest, ModuleFileNameIsReadWithTheSmallerCapacity)
{
    // 2000 characters do not fit here (the launch step would take them): the
    // launcher directory is empty and the runtime folders hang off the drive root.
    sim().moduleFileName = "D:\\" + std::string(1987, 'm') + "\\setup.exe";
    ASSERT_EQ(sim().moduleFileName.size(), 2000u);
    SelectJavaRuntime("setup.exe", nullptr);
    ASSERT_EQ(sim().fileProbes.size(), 5u);
    EXPECT_EQ(sim().fileProbes[0], "\\stage\\Components\\tamvex.jdk");
}

TEST_F(SimTest, ProbePathOverItsCapacityCountsAsAbsent)
{
    // A launcher directory of 1967 characters: the probe paths of 1995 and
    // 1999 characters fit, that of tamvex.drovane.jre (2003) does not and is
    // not asked about, even though the folder is there.
    std::string folder(1961, 'f');
    sim().moduleFileName = "D:\\" + folder + "\\setup.exe";
    std::string launcherDirectory = "D:\\\\" + folder + "\\\\";
    ASSERT_EQ(launcherDirectory.size(), 1967u);
    SimAddFolder("D:\\" + folder + "\\stage\\Components\\tamvex.drovane.jre");

    EXPECT_EQ(SelectJavaRuntime("setup.exe", nullptr), RuntimeSelection::Refused);

    EXPECT_EQ(sim().fileProbes, (std::vector<std::string>{
                                    launcherDirectory + "\\stage\\Components\\tamvex.jdk",
                                    launcherDirectory + "\\stage\\Components\\tamvex.drovane",
                                    launcherDirectory + "\\stage\\Components\\tamvex.jre",
                                    launcherDirectory + "\\stage\\Components\\tamvex.swd.jre",
                                }));
    EXPECT_EQ(sim().fileProbes[1].size(), kProbePathCapacity - 1);
    ASSERT_EQ(sim().messageBoxes.size(), 1u);
}

}  // namespace
