// The harness's reading of Wine's relay trace, on lines as Wine writes them:
// every end-to-end check of a message box or a process start rests on it.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/e2e/wine_harness.h"

namespace {

struct ExpectedArgument {
    uint64_t value;
    bool hasText;
    std::string text;
    bool textCut;
};

struct TraceLineCase {
    const char* name;
    std::string line;
    bool isCall;
    uint32_t pid;
    const char* module;
    const char* function;
    std::vector<ExpectedArgument> arguments;
};

const TraceLineCase kTraceLineCases[] = {
    {"MessageBoxWithEscapesAndAWideStyle",
     R"(0110:0114:Call user32.MessageBoxA(00000000,00c93a60 "ERROR: a\nb \"q\"\tc:\\d\r",)"
     R"(14000a5ae "ERROR",100000030) ret=140005527)",
     true,
     0x110,
     "user32",
     "MessageBoxA",
     {{0, false, "", false},
      {0xc93a60, true, "ERROR: a\nb \"q\"\tc:\\d\r", false},
      {0x14000a5ae, true, "ERROR", false},
      {0x100000030, false, "", false}}},
    {"NullStringShowsAsANumber",
     R"(012c:0130:Call KERNEL32.CreateProcessA(0000,00c80720 " x",00000000,00000001) ret=14001fb46)",
     true,
     0x12c,
     "KERNEL32",
     "CreateProcessA",
     {{0, false, "", false}, {0xc80720, true, " x", false}, {0, false, "", false}, {1, false, "", false}}},
    {"CutString",
     R"(0020:0024:Call KERNEL32.GetFileAttributesA(00c939b0 "C:\\\\e2e\\\\m"...) ret=1400037e9)",
     true,
     0x20,
     "KERNEL32",
     "GetFileAttributesA",
     {{0xc939b0, true, "C:\\\\e2e\\\\m", true}}},
    {"HexEscapedBytes",
     R"(0020:0024:Call user32.MessageBoxA(00000000,00000010 "\xe4\x01z",00000020 "",00000030) ret=1)",
     true,
     0x20,
     "user32",
     "MessageBoxA",
     {{0, false, "", false}, {0x10, true, "\xe4\x01z", false}, {0x20, true, "", false}, {0x30, false, "", false}}},
    {"WideString",
     R"(0020:0024:Call KERNEL32.LoadLibraryW(00000010 L"install\\setupde.dll\x00e4") ret=1)",
     true,
     0x20,
     "KERNEL32",
     "LoadLibraryW",
     {{0x10, true, "install\\setupde.dll\xe4", false}}},
    {"InvalidPointer",
     R"(0020:0024:Call KERNEL32.GetFileAttributesA(00000010 (invalid)) ret=1)",
     true,
     0x20,
     "KERNEL32",
     "GetFileAttributesA",
     {{0x10, false, "", false}}},
    {"NoArguments", "0020:0024:Call KERNEL32.GetUserDefaultLangID() ret=14000359b", true, 0x20, "KERNEL32",
     "GetUserDefaultLangID", {}},
    {"ModuleLoad", "0108:010c:Call PE DLL (proc=0000000170068C10,module=0000000170000000 L\"ntdll.dll\")", false, 0,
     "", "", {}},
    {"Return", "0108:010c:Ret  KERNEL32.CreateProcessA() retval=00000001 ret=14001fb46", false, 0, "", "", {}},
    {"RelaySettings", R"(0108:010c:trace:relay:load_list L"RelayInclude" = L"MessageBoxA")", false, 0, "", "", {}},
    {"UnclosedString", R"(0020:0024:Call user32.MessageBoxA(00000000,00000010 "abc)", false, 0, "", "", {}},
    {"WithoutProcessPrefix", R"(0024:Call user32.MessageBoxA(00000000) ret=1)", false, 0, "", "", {}},
};

void PrintTo(const TraceLineCase& c, std::ostream* out)
{
    *out << c.line;
}

class TraceLineTest : public ::testing::TestWithParam<TraceLineCase> {};

TEST_P(TraceLineTest, ReadsCallsAndTheirArguments)
{
    const TraceLineCase& c = GetParam();
    std::optional<TracedCall> call = ParseTraceCall(c.line);
    ASSERT_EQ(call.has_value(), c.isCall);
    if (!call)
        return;
    EXPECT_EQ(call->pid, c.pid);
    EXPECT_EQ(call->module, c.module);
    EXPECT_EQ(call->function, c.function);
    ASSERT_EQ(call->arguments.size(), c.arguments.size());
    for (size_t i = 0; i < c.arguments.size(); ++i) {
        SCOPED_TRACE("argument " + std::to_string(i));
        EXPECT_EQ(call->arguments[i].value, c.arguments[i].value);
        EXPECT_EQ(call->arguments[i].hasText, c.arguments[i].hasText);
        EXPECT_EQ(call->arguments[i].text, c.arguments[i].text);
        EXPECT_EQ(call->arguments[i].textCut, c.arguments[i].textCut);
    }
}

INSTANTIATE_TEST_SUITE_P(WineHarness, TraceLineTest, ::testing::ValuesIn(kTraceLineCases),
                         [](const ::testing::TestParamInfo<TraceLineCase>& info) { return info.param.name; });

struct TracedTextCase {
    const char* name;
    TraceArgument argument;
    const char* expected;
    bool matches;
};

const TracedTextCase kTracedTextCases[] = {
    {"Equal", {1, true, "abc", false}, "abc", true},
    {"Different", {1, true, "abd", false}, "abc", false},
    {"LongerThanShown", {1, true, "ab", false}, "abc", false},
    {"CutPrefix", {1, true, "ab", true}, "abc", true},
    {"CutButDifferent", {1, true, "ax", true}, "abc", false},
    {"CutLongerThanExpected", {1, true, "abcd", true}, "abc", false},
    {"NoText", {0, false, "", false}, "", false},
};

void PrintTo(const TracedTextCase& c, std::ostream* out)
{
    *out << c.name;
}

class TracedTextTest : public ::testing::TestWithParam<TracedTextCase> {};

TEST_P(TracedTextTest, ComparesWhatWineShowed)
{
    EXPECT_EQ(TracedTextIs(GetParam().argument, GetParam().expected), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(WineHarness, TracedTextTest, ::testing::ValuesIn(kTracedTextCases),
                         [](const ::testing::TestParamInfo<TracedTextCase>& info) { return info.param.name; });

// A launcher that hangs must fail its case, not block the run: the runner
// ends it, and the installer it started, when the time is up.
TEST(WineHarness, LauncherThatDoesNotEndInTimeIsEndedAndReported)
{
    WineFolder medium = CreateMedium("hanging installer");
    AddTypicalMedium(medium);
    LaunchRequest request = LaunchFrom(medium);
    request.environment = {"STUB_WAIT_MS=600000"};
    request.timeoutSeconds = 2;

    auto start = std::chrono::steady_clock::now();
    LaunchResult result = RunLauncher(request);
    auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_NE(result.problem.find("did not end within 2 s"), std::string::npos) << result.problem;
    EXPECT_LT(elapsed, std::chrono::seconds(20));
    EXPECT_EQ(result.stubRecords.size(), 1u) << "the installer was running";
    EXPECT_EQ(result.exitCode, 0xDEADDEADu) << "ended by the runner";
}

}  // namespace
