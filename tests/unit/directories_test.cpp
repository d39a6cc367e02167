// The two directories and the two system probes.
#include <string>

#include "sim_fixture.h"

namespace {

struct ModuleCase {
    const char* moduleFileName;
    const char* launcherDirectory;
};

class LauncherDirectoryTest : public SimTest, public ::testing::WithParamInterface<ModuleCase> {};

TEST_P(LauncherDirectoryTest, RebuildsFromModuleFileName)
{
    sim().moduleFileName = GetParam().moduleFileName;
    EXPECT_EQ(BuildLauncherDirectory(nullptr, kModuleNameCapacityLaunch), GetParam().launcherDirectory);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LauncherDirectoryTest,
    ::testing::Values(
        ModuleCase{"D:\\setup.exe", "D:\\\\"},
        ModuleCase{"C:\\first\\second\\SETUP.EXE", "C:\\\\first\\\\second\\\\"},
        ModuleCase{"\\\\server\\share\\folder\\setup.exe", "\\\\server\\\\share\\\\folder\\\\"},
        ModuleCase{"\\\\\\server\\share\\setup.exe", "\\\\server\\\\share\\\\"},  // exactly two, however many
        ModuleCase{"C:\\setup.exe\\media\\Setup.Exe", "C:\\\\media\\\\"},        // every such component goes
        ModuleCase{"C:\\media\\install.exe", "C:\\\\media\\\\install.exe\\\\"},  // another name stays
        ModuleCase{"C:\\a\\\\\\b\\setup.exe", "C:\\\\a\\\\b\\\\"},               // runs are one separator
        ModuleCase{"C:\\media\\setup.exe.bak", "C:\\\\media\\\\setup.exe.bak\\\\"},
        ModuleCase{"C:\\m\xe9\\setup.exe", "C:\\\\m\xe9\\\\"},
        ModuleCase{"", ""}));

TEST_F(SimTest, LauncherDirectoryOfAModuleNameThatDoesNotFitIsEmpty)
{
    sim().moduleFileName = "C:\\" + std::string(1995, 'a') + "\\setup.exe";
    EXPECT_EQ(BuildLauncherDirectory(nullptr, kModuleNameCapacityRuntime), "");
    // The larger capacity of the launch step still takes it.
    EXPECT_EQ(BuildLauncherDirectory(nullptr, kModuleNameCapacityLaunch), "C:\\\\" + std::string(1995, 'a') + "\\\\");
}

TEST_F(SimTest, LauncherDirectoryOfTheLongestModuleNameFits)
{
    std::string name;
    while (name.size() + 2 <= 2047)
        name += "\\a";
    sim().moduleFileName = name.substr(0, 2047);
    std::string directory = BuildLauncherDirectory(nullptr, kModuleNameCapacityLaunch);
    EXPECT_LE(directory.size() + 1, 4097u);
    EXPECT_EQ(directory.substr(0, 8), "\\\\a\\\\a\\\\");
}

struct CommandLineCase {
    const char* commandLine;
    const char* directory;
};

class CommandLineDirectoryTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineDirectoryTest, TakesTheDirectoryOfTheFirstWord)
{
    EXPECT_EQ(GetCommandLineDirectory(GetParam().commandLine), GetParam().directory);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineDirectoryTest,
    ::testing::Values(
        CommandLineCase{"\"D:\\media\\setup.exe\" -x", "D:\\media\\"},
        CommandLineCase{"D:\\setup.exe", "D:\\"},
        CommandLineCase{"   D:\\disk2\\setup.exe  a", "D:\\disk2\\"},
        CommandLineCase{"\"C:\\Program Files\\media\\setup.exe\"", "C:\\"},
        CommandLineCase{"\"C:\\media\\my disk\\setup.exe\"", "C:\\media\\"},
        CommandLineCase{"setup.exe -jreLoc C:\\jdk", ""},
        CommandLineCase{"setup", ""},
        CommandLineCase{"", ""},
        CommandLineCase{"     ", ""},
        CommandLineCase{"\"", ""},
        CommandLineCase{"\"\"D:\\x\\setup.exe", "\"D:\\x\\"},  // only one quote is dropped
        CommandLineCase{"D:\\tab\tx\\setup.exe", "D:\\tab\tx\\"},  // a tab is no separator
        CommandLineCase{"\\\\server\\share\\setup.exe", "\\\\server\\share\\"}));

TEST(CommandLineDirectory, LongCommandLineStillGivesTheFirstWordsDirectory)
{
    std::string line = "\"E:\\disk\\setup.exe\" " + std::string(10000, 'x');
    EXPECT_EQ(GetCommandLineDirectory(line), "E:\\disk\\");
}

TEST_F(SimTest, PathExistsForFilesAndFoldersAlike)
{
    SimAddFile("D:\\stage\\file", "x");
    SimAddFolder("D:\\stage\\folder");
    EXPECT_TRUE(PathExists("D:\\stage\\file"));
    EXPECT_TRUE(PathExists("D:\\\\\\stage\\\\folder"));
    EXPECT_FALSE(PathExists("D:\\stage\\missing"));
    EXPECT_EQ(sim().fileProbes.size(), 3u);
}

struct Wow64Case {
    SimWow64 answer;
    bool expected;
};

class Wow64Test : public SimTest, public ::testing::WithParamInterface<Wow64Case> {};

TEST_P(Wow64Test, AnswersOnlyWhenTheCallSaysSo)
{
    sim().wow64 = GetParam().answer;
    EXPECT_EQ(IsRunningUnderWow64(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, Wow64Test,
                         ::testing::Values(Wow64Case{SimWow64::Yes, true}, Wow64Case{SimWow64::No, false},
                                           Wow64Case{SimWow64::FunctionMissing, false},
                                           Wow64Case{SimWow64::CallFails, false}));

}  // namespace
