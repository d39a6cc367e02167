// The Java version probe: a command's output captured through the command
// interpreter in "commandoutput.txt" of the temporary directory.
#include <functional>
#include <string>
#include <vector>

#include "java/java.h"
#include "sim_fixture.h"

namespace {

constexpr const char* kCommand = "C:\\jdk\\bin\\java.exe -version";
// The default temporary directory of the simulated Windows, already short.
constexpr const char* kTemp = "C:\\Users\\me\\AppData\\Local\\Temp\\";

std::string OutputPath(const std::string& shortTemp)
{
    return shortTemp + "\\commandoutput.txt";
}

class ProbeTest : public SimTest {
protected:
    static void ExpectNoOutputFileLeft(const std::string& shortTemp = kTemp)
    {
        EXPECT_EQ(SimFind(OutputPath(shortTemp)), nullptr);
        EXPECT_EQ(sim().openFiles, 0);
    }
};

TEST_F(ProbeTest, RunsTheRedirectedCommandReadsTheFileAndDeletesIt)
{
    sim().commandOutputs[kCommand] = {{2, "java version \"1.8.0\"\r\n"}};

    EXPECT_EQ(ProbeJavaVersion(kCommand), "java version \"1.8.0\"\r\n");

    EXPECT_EQ(sim().commands,
              (std::vector<std::string>{
                  "C:\\jdk\\bin\\java.exe -version > \"C:\\Users\\me\\AppData\\Local\\Temp\\\\commandoutput.txt\" 2>&1",
                  "del \"C:\\Users\\me\\AppData\\Local\\Temp\\\\commandoutput.txt\"",
              }));
    EXPECT_EQ(sim().fileOpens, std::vector<std::string>{"C:\\Users\\me\\AppData\\Local\\Temp\\\\commandoutput.txt"});
    EXPECT_EQ(sim().calls, (std::vector<std::string>{"GetTempPathA", "GetShortPathNameA", "system", "fopen", "system"}));
    ExpectNoOutputFileLeft();
}

TEST_F(ProbeTest, PathsAreBuiltFromTheShortFormOfTheTemporaryDirectory)
{
    sim().tempPath = "C:\\Documents and Settings\\me\\Local Settings\\Temp\\";
    sim().shortTempPath = "C:\\DOCUME~1\\me\\LOCALS~1\\Temp\\";
    SimAddFolder(sim().tempPath);
    SimAddFolder(sim().shortTempPath);
    sim().commandOutputs[kCommand] = {{2, "IBM J9"}};

    EXPECT_EQ(ProbeJavaVersion(kCommand), "IBM J9");

    EXPECT_EQ(sim().commands, (std::vector<std::string>{
                                  std::string(kCommand) + " > \"C:\\DOCUME~1\\me\\LOCALS~1\\Temp\\\\commandoutput.txt\" 2>&1",
                                  "del \"C:\\DOCUME~1\\me\\LOCALS~1\\Temp\\\\commandoutput.txt\"",
                              }));
    EXPECT_EQ(sim().fileOpens, std::vector<std::string>{"C:\\DOCUME~1\\me\\LOCALS~1\\Temp\\\\commandoutput.txt"});
    ExpectNoOutputFileLeft(sim().shortTempPath);
}

struct CaptureCase {
    const char* name;
    std::vector<SimOutputChunk> output;
    std::string versionText;
};

class ProbeCaptureTest : public ProbeTest, public ::testing::WithParamInterface<CaptureCase> {};

TEST_P(ProbeCaptureTest, GivesTheFileBytesUntranslatedUpToTheFirstNul)
{
    sim().commandOutputs[kCommand] = GetParam().output;
    EXPECT_EQ(ProbeJavaVersion(kCommand), GetParam().versionText);
    ExpectNoOutputFileLeft();
}

constexpr char kWithNul[] = "java version\0IBM";

INSTANTIATE_TEST_SUITE_P(
    Cases, ProbeCaptureTest,
    ::testing::Values(
        CaptureCase{"StandardErrorOnly", {{2, "java version \"1.8.0\"\r\n64-Bit Server VM\r\n"}},
                    "java version \"1.8.0\"\r\n64-Bit Server VM\r\n"},
        CaptureCase{"StandardOutputOnly", {{1, "Drovane x86_64\n"}}, "Drovane x86_64\n"},
        CaptureCase{"BothStreamsInTheOrderWritten",
                    {{2, "first on error\r\n"}, {1, "then output\r\n"}, {2, "error again\r\n"}},
                    "first on error\r\nthen output\r\nerror again\r\n"},
        CaptureCase{"CarriageReturnsAndCtrlZStay", {{2, "a\r\n\x1a" "b\r\r\n"}}, "a\r\n\x1a" "b\r\r\n"},
        CaptureCase{"NulEndsTheText", {{2, std::string(kWithNul, sizeof kWithNul - 1)}}, "java version"},
        CaptureCase{"NothingWritten", {}, ""},
        CaptureCase{"CommandThatDoesNotExist", {{2, "'C:\\jdk\\bin\\java.exe' is not recognized\r\n"}},
                    "'C:\\jdk\\bin\\java.exe' is not recognized\r\n"}),
    [](const auto& info) { return info.param.name; });

TEST_F(ProbeTest, FileLeftByAnEarlierRunIsReplaced)
{
    SimAddFile(OutputPath(kTemp), "stale: Drovane IBM x86_64\r\n");
    sim().commandOutputs[kCommand] = {{2, "fresh\r\n"}};
    EXPECT_EQ(ProbeJavaVersion(kCommand), "fresh\r\n");
    ExpectNoOutputFileLeft();
}

// When nothing can be captured the text is empty; what was created is deleted.
struct FailureCase {
    const char* name;
    std::function<void()> arrange;
    size_t commandsRun;
};

class ProbeFailureTest : public ProbeTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ProbeFailureTest, GivesAnEmptyText)
{
    sim().commandOutputs[kCommand] = {{2, "IBM 64-Bit"}};
    GetParam().arrange();
    EXPECT_EQ(ProbeJavaVersion(kCommand), "");
    EXPECT_EQ(sim().commands.size(), GetParam().commandsRun);
    if (GetParam().commandsRun == 2) {
        EXPECT_EQ(sim().commands[1].rfind("del ", 0), 0u);
    }
    ExpectNoOutputFileLeft();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProbeFailureTest,
    ::testing::Values(
        FailureCase{"NoTemporaryDirectory", [] { Sim().tempPathFails = true; }, 0},
        FailureCase{"TemporaryDirectoryTooLong",
                    [] {
                        Sim().tempPath = "C:\\" + std::string(kProbeTextCapacity, 't') + "\\";
                        SimAddFolder(Sim().tempPath);
                    },
                    0},
        FailureCase{"NoShortForm", [] { Sim().shortPathFails = true; }, 0},
        FailureCase{"TemporaryDirectoryGone", [] { SimRemove(kTemp); }, 0},
        FailureCase{"OutputPathTooLong",
                    [] {
                        // The directory fits its buffer; with the file name it does not.
                        Sim().tempPath = "C:\\" + std::string(kProbeTextCapacity - 10, 't') + "\\";
                        SimAddFolder(Sim().tempPath);
                    },
                    0},
        FailureCase{"OutputFileNotWritten",
                    [] {
                        // The interpreter cannot create the file: there is nothing to read.
                        Sim().shortTempPath = "C:\\GONE~1\\";
                    },
                    2},
        FailureCase{"NoMemory", [] { Sim().allocationFails = true; }, 2}),
    [](const auto& info) { return info.param.name; });

struct CommandLengthCase {
    const char* name;
    size_t extra;  // characters beyond what exactly fills the command text's buffer
    size_t commandsRun;
};

class ProbeCommandLengthTest : public ProbeTest, public ::testing::WithParamInterface<CommandLengthCase> {};

TEST_P(ProbeCommandLengthTest, CommandOverItsCapacityRunsNothing)
{
    // Redirected: the command, " > ", the quoted output path, " 2>&1".
    size_t overhead = 3 + 1 + OutputPath(kTemp).size() + 1 + 5;
    std::string command(kProbeTextCapacity - 1 - overhead + GetParam().extra, 'c');
    sim().commandOutputs[command] = {{1, "ran"}};

    EXPECT_EQ(ProbeJavaVersion(command), GetParam().commandsRun == 2 ? "ran" : "");

    EXPECT_EQ(sim().commands.size(), GetParam().commandsRun);
    if (GetParam().commandsRun == 2) {
        EXPECT_EQ(sim().commands[0].size(), kProbeTextCapacity - 1);
    }
    ExpectNoOutputFileLeft();
}

INSTANTIATE_TEST_SUITE_P(Cases, ProbeCommandLengthTest,
                         ::testing::Values(CommandLengthCase{"FillsTheBuffer", 0, 2},
                                           CommandLengthCase{"OneTooLong", 1, 0}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
