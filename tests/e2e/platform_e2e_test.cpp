// The media platform check under Wine. The launcher never runs under WOW64
// there, so it sees 32-bit Windows: ids "2000" and "912" are accepted and the
// 32-bit installer is started; anything else is refused with the error box.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/e2e/wine_harness.h"

namespace {

constexpr std::string_view kAdvice =
    " operating system.\nPlease download the appropriate installer for your operating system, or contact "
    "Tamvex Support.";
constexpr std::string_view kAllowLine = "tamvex.as.install.allow.32bitin64bit=true\r\n";

// Media written on Windows end their lines with a carriage return.
std::string WithCarriageReturns(std::string_view text)
{
    std::string result;
    for (char c : text) {
        if (c == '\n')
            result += '\r';
        result += c;
    }
    return result;
}

std::string MediumName(const char* caseName)
{
    return std::string("platform ") + caseName;
}

// --- accepted media ----------------------------------------------------------------

struct AcceptedCase {
    const char* name;
    const char* platformId;
    bool carriageReturns;
    bool allowLine;
};

void PrintTo(const AcceptedCase& c, std::ostream* out)
{
    *out << c.name;
}

const AcceptedCase kAcceptedCases[] = {
    {"Id2000", "2000", false, false},
    {"Id912", "912", false, false},
    {"Id912WithCarriageReturns", "912", true, false},
    // The allow line changes nothing on 32-bit Windows.
    {"Id912WithTheAllowLine", "912", true, true},
};

class PlatformAcceptedTest : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(PlatformAcceptedTest, StartsThe32BitInstaller)
{
    const AcceptedCase& c = GetParam();
    WineFolder medium = CreateMedium(MediumName(c.name));
    AddTypicalMedium(medium);
    std::string properties = ShipHomePropertiesText(c.platformId, "Microsoft Windows (32-bit)");
    WriteMediumFile(medium, "stage\\shiphomeproperties.xml",
                    c.carriageReturns ? WithCarriageReturns(properties) : properties);
    if (c.allowLine)
        WriteMediumFile(medium, "stage\\shiphomeinfo.properties", kAllowLine);

    LaunchResult result = RunLauncher(LaunchFrom(medium));

    ASSERT_EQ(result.problem, "");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(result.messageBoxes.empty()) << result.messageBoxes[0].text;
    ASSERT_EQ(result.stubRecords.size(), 1u);
    EXPECT_EQ(result.stubRecords[0].modulePath, medium.windowsPath + "\\install\\win32\\setup.exe");
}

INSTANTIATE_TEST_SUITE_P(Platform, PlatformAcceptedTest, ::testing::ValuesIn(kAcceptedCases),
                         [](const ::testing::TestParamInfo<AcceptedCase>& info) { return info.param.name; });

// --- refused media -------------------------------------------------------------------

struct RefusedCase {
    const char* name;
    std::optional<std::string> properties;  // no value: the medium has none
    std::string diskLabel;
    bool allowLine;
    std::string text;
};

void PrintTo(const RefusedCase& c, std::ostream* out)
{
    *out << c.name;
}

const std::string kLabelledDisk = "[General]\r\nNumber=1\r\n\r\nLabel=TamvexKit Server 12c\r\n";

const RefusedCase kRefusedCases[] = {
    {"Id233", WithCarriageReturns(ShipHomePropertiesText("233", "Microsoft Windows x64 (64-bit)")), kLabelledDisk,
     false,
     "ERROR: This version of the TamvexKit Server 12c installer requires a Microsoft Windows x64 (64-bit)" +
         std::string(kAdvice)},
    {"Id233WithTheAllowLine", ShipHomePropertiesText("233", "Microsoft Windows x64 (64-bit)"), kLabelledDisk, true,
     "ERROR: This version of the TamvexKit Server 12c installer requires a Microsoft Windows x64 (64-bit)" +
         std::string(kAdvice)},
    {"IdWithASpace", ShipHomePropertiesText("912 ", "Microsoft Windows (32-bit)"), kLabelledDisk, false,
     "ERROR: This version of the TamvexKit Server 12c installer requires a Microsoft Windows (32-bit)" +
         std::string(kAdvice)},
    // Nothing names the platform nor, with an empty fourth line, the installer.
    {"NoProperties", std::nullopt, "[General]\r\nNumber=1\r\n\r\n\r\n", false,
     "ERROR: This version of the  installer requires a " + std::string(kAdvice)},
    // With two lines in the disk label, the second stands in for the fourth.
    {"NoPropertiesShortDiskLabel", std::nullopt, "[General]\r\nNumber=1\r\n", false,
     "ERROR: This version of the =1 installer requires a " + std::string(kAdvice)},
};

class PlatformRefusedTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(PlatformRefusedTest, ErrorBoxNamesTheInstallerAndTheSystemAndNothingStarts)
{
    const RefusedCase& c = GetParam();
    WineFolder medium = CreateMedium(MediumName(c.name));
    AddTypicalMedium(medium);
    if (c.properties)
        WriteMediumFile(medium, "stage\\shiphomeproperties.xml", *c.properties);
    else
        RemoveMediumPath(medium, "stage\\shiphomeproperties.xml");
    WriteMediumFile(medium, "stage\\disk.label", c.diskLabel);
    if (c.allowLine)
        WriteMediumFile(medium, "stage\\shiphomeinfo.properties", kAllowLine);

    LaunchResult result = RunLauncher(LaunchFrom(medium));

    ASSERT_EQ(result.problem, "");
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_EQ(result.stdoutBytes, "");
    EXPECT_TRUE(result.stubRecords.empty());
    EXPECT_TRUE(LauncherCalls(result, "CreateProcessA").empty());
    ASSERT_EQ(result.messageBoxes.size(), 1u);
    const MessageBoxCall& box = result.messageBoxes[0];
    EXPECT_FALSE(box.textCut);
    EXPECT_EQ(box.text, c.text);
    EXPECT_EQ(box.title, "ERROR");
    EXPECT_EQ(box.style, 0x30u);
    EXPECT_EQ(box.owner, 0u);
}

INSTANTIATE_TEST_SUITE_P(Platform, PlatformRefusedTest, ::testing::ValuesIn(kRefusedCases),
                         [](const ::testing::TestParamInfo<RefusedCase>& info) { return info.param.name; });

}  // namespace
