// The argument text handed to the product installer.
#include "launch/launch.h"
#include "sim_fixture.h"

namespace {

struct ArgumentCase {
    const char* name;
    std::string commandLine;
    std::string argumentText;
};

class ArgumentTextTest : public SimTest, public ::testing::WithParamInterface<ArgumentCase> {};

TEST_P(ArgumentTextTest, ForwardsTheArgumentsAndHoistsJavaOptions)
{
    Sim().commandLine = GetParam().commandLine;
    ComposeArgumentText();
    EXPECT_EQ(launcherState.argumentText, GetParam().argumentText);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, ArgumentTextTest,
    ::testing::Values(
        ArgumentCase{"OptionsAndRuntime", "\"D:\\setup.exe\" -J-Xmx1g -Dlog.level=fine -jreLoc C:\\jdk",
                     "-Xmx1g -Dlog.level=fine  -J-Xmx1g -Dlog.level=fine -jreLoc C:\\jdk"},
        ArgumentCase{"HyphenJInsideAPath", "\"D:\\setup.exe\" -jreLoc C:\\Tools-Java\\jdk",
                     "ava\\jdk  -jreLoc C:\\Tools-Java\\jdk"},
        ArgumentCase{"NoArgumentsUnquoted", "D:\\setup.exe", " "},
        ArgumentCase{"NoArgumentsQuotedAndSpaces", "\"D:\\setup.exe\"    ", " "},
        ArgumentCase{"ArgumentsStartAfterTheSecondQuote",
                     "D:\\setup.exe -J-Xmx1g \"C:\\Program Files\\jdk\" -Dx=1", "-Dx=1  -Dx=1"}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, ArgumentTextTest,
    ::testing::Values(
        ArgumentCase{"Empty", "", " "},
        ArgumentCase{"OnlyQuoteNeverClosed", "\"D:\\setup.exe -Dx=1", " "},
        ArgumentCase{"UnquotedPathWithASpace", "D:\\my disk\\setup.exe -Dx", "-Dx  disk\\setup.exe -Dx"},
        ArgumentCase{"JAlone", "\"s\" -J", "  -J"},
        ArgumentCase{"DAlone", "\"s\" -D", "-D  -D"},
        ArgumentCase{"EmptyJRunThenD", "\"s\" -J -Dx", " -Dx  -J -Dx"},
        ArgumentCase{"LowerCaseStartsNothing", "\"s\" -jfoo -dbar", " -jfoo -dbar"},
        ArgumentCase{"InsideAWord", "\"s\" abc-Jxyz", "xyz  abc-Jxyz"},
        ArgumentCase{"TwoHyphensBeforeD", "\"s\" --Dfoo", "-Dfoo  --Dfoo"},
        ArgumentCase{"DInsideJRun", "\"s\" -J-Dfoo", "-Dfoo  -J-Dfoo"},
        ArgumentCase{"JInsideDRun", "\"s\" -Dfoo-Jbar", "-Dfoo-Jbar  -Dfoo-Jbar"},
        ArgumentCase{"RunEndsAtSpaceInsideQuotes", "\"s\" -Dp=\"C:\\a b\"", "-Dp=\"C:\\a  -Dp=\"C:\\a b\""},
        ArgumentCase{"TabEndsNothing", "\"s\" -Dx=1\t-Dy=2", "-Dx=1\t-Dy=2  -Dx=1\t-Dy=2"},
        ArgumentCase{"TabsAreNotTrimmed", "\"s\" \t-Dx \t", "-Dx  \t-Dx \t"},
        ArgumentCase{"HyphenLast", "\"s\" a-", " a-"},
        ArgumentCase{"SpacesBetweenWordsStay", "\"s\"   -Da   b  ", "-Da  -Da   b"},
        ArgumentCase{"ThirdQuoteIsOrdinary", "\"s\" \"x\" -Dq", "-Dq  \"x\" -Dq"}),
    [](const auto& info) { return info.param.name; });

TEST_F(SimTest, ArgumentPartLongerThanTheWorkingCopyIsForwardedWhole)
{
    // Runs are hoisted from what fits the 2047-character working copy; a run
    // cut by its end is not hoisted; the whole argument part is forwarded.
    std::string tail = std::string(2030, 'x') + " -Da -Dcut_at_the_edge -Dlater";
    Sim().commandLine = "\"D:\\setup.exe\" -Dfirst " + tail;
    ComposeArgumentText();
    std::string argumentPart = "-Dfirst " + tail;
    EXPECT_EQ(launcherState.argumentText, "-Dfirst -Da  " + argumentPart);
}

TEST_F(SimTest, RunsThatOverfillTheHoistedTextAreNotHoisted)
{
    // A working copy filled to its last character by one run: with its space
    // the run would need 2048 characters, one more than the text holds.
    std::string run = "-D" + std::string(2045, 'v');
    HoistedRuns hoisted = HoistJavaOptions(run);
    EXPECT_TRUE(hoisted.found);
    EXPECT_TRUE(hoisted.truncated);
    EXPECT_EQ(hoisted.text, "");

    hoisted = HoistJavaOptions("-Dsmall " + std::string(2030, 'w') + " -Dnext");
    EXPECT_EQ(hoisted.text, "-Dsmall -Dnext ");
    EXPECT_FALSE(hoisted.truncated);
}

TEST_F(SimTest, ArgumentsReachTheInstallerInFrontOfTheJavaOptions)
{
    AddTypicalMedium();
    RunLauncher("\"D:\\setup.exe\" -J-Xmx1g");
    ASSERT_EQ(Sim().processes.size(), 1u);
    EXPECT_EQ(Sim().processes[0].commandLine,
              "-Xmx1g  -J-Xmx1g -J -mx512m -XX:MaxPermSize=512m -Dtamvex.installer.appendjre=true ");
}

}  // namespace
