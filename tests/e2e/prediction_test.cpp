// The cross-check's own reading of requests and of mediacheck's answer: a
// fault here would let every run pass unchecked or fail them all.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "tests/e2e/prediction.h"

namespace {

namespace fs = std::filesystem;

// A stand-in for a prefix's dosdevices folder: c: and m: as plain folders.
class PredictionInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "prediction-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dosDevices = pattern;
        fs::create_directories(dosDevices + "/c:/e2e/media/disk one");
        fs::create_directories(dosDevices + "/c:/jre/bin");
        fs::create_directories(dosDevices + "/m:");
        std::ofstream(dosDevices + "/c:/jre/bin/java.exe") << "MZ";
        std::ofstream(dosDevices + "/c:/jre/bin/fake-java-output.txt") << "2 Drovane\\r\\n\n1 x86_64\n";
    }

    void TearDown() override { fs::remove_all(dosDevices); }

    std::optional<PredictionInput> InputOf(const LaunchRequest& request)
    {
        reason.clear();
        return PredictionInputOf(request, dosDevices, reason);
    }

    static LaunchRequest Request(std::string commandLine, std::optional<std::string> applicationName = std::nullopt)
    {
        LaunchRequest request;
        request.commandLine = std::move(commandLine);
        request.applicationName = std::move(applicationName);
        request.environment = {"LC_ALL=en_US.UTF-8"};
        return request;
    }

    std::string dosDevices;
    std::string reason;
};

TEST_F(PredictionInputTest, QuotedFullPathGivesTheMediumAndTheArguments)
{
    LaunchRequest request = Request(R"("C:\e2e\media\disk one\setup.exe"  -Dx=1 -jreLoc C:\jre)",
                                    R"(C:\e2e\media\disk one\setup.exe)");
    request.environment = {"LC_ALL=de_DE.UTF-8", "TEMP=C:\\t"};

    std::optional<PredictionInput> input = InputOf(request);

    ASSERT_TRUE(input.has_value()) << reason;
    EXPECT_EQ(input->launcherPath, R"(C:\e2e\media\disk one\setup.exe)");
    EXPECT_EQ(input->mediumFolder, dosDevices + "/c:/e2e/media/disk one");
    EXPECT_EQ(input->arguments, " -Dx=1 -jreLoc C:\\jre");
    EXPECT_EQ(input->langId, 0x0407);
    EXPECT_EQ(input->versionText, "Drovane\r\nx86_64");
}

TEST_F(PredictionInputTest, DriveRootAndDoubledSeparatorsAreFolded)
{
    std::optional<PredictionInput> input = InputOf(Request(R"("M:\setup.exe")", R"(M:\\setup.exe)"));
    ASSERT_TRUE(input.has_value()) << reason;
    EXPECT_EQ(input->mediumFolder, dosDevices + "/m:");
    EXPECT_EQ(input->arguments, "");
    EXPECT_FALSE(input->versionText.has_value());

    input = InputOf(Request(R"("C:\\e2e\media\\\disk one\\setup.exe")"));
    ASSERT_TRUE(input.has_value()) << reason;
    EXPECT_EQ(input->mediumFolder, dosDevices + "/c:/e2e/media/disk one");
}

TEST_F(PredictionInputTest, RuntimeWithoutItsJavaGivesNoVersionText)
{
    std::optional<PredictionInput> input = InputOf(Request(R"("M:\setup.exe" -jreLoc C:\nowhere)"));
    ASSERT_TRUE(input.has_value()) << reason;
    EXPECT_FALSE(input->versionText.has_value());
}

struct OutsideCase {
    const char* name;
    const char* commandLine;
    std::optional<std::string> applicationName;
    const char* reason;
};

class OutsideTheModelTest : public PredictionInputTest, public ::testing::WithParamInterface<OutsideCase> {};

TEST_P(OutsideTheModelTest, IsNotPredicted)
{
    EXPECT_FALSE(InputOf(Request(GetParam().commandLine, GetParam().applicationName)).has_value());
    EXPECT_NE(reason.find(GetParam().reason), std::string::npos) << reason;
}

INSTANTIATE_TEST_SUITE_P(
    Requests, OutsideTheModelTest,
    ::testing::Values(OutsideCase{"BareName", "setup.exe -x", std::nullopt, "double quotes"},
                      OutsideCase{"Unclosed", "\"C:\\e2e\\media\\setup.exe", std::nullopt, "double quotes"},
                      OutsideCase{"GluedArgument", "\"M:\\setup.exe\"-x", std::nullopt, "other than a space"},
                      OutsideCase{"AnotherProgram", "\"M:\\setup.exe\"", "M:\\install.exe", "not the one"},
                      OutsideCase{"RelativePath", "\"media\\setup.exe\"", std::nullopt, "no full path"},
                      OutsideCase{"FolderMissing", "\"C:\\nowhere\\setup.exe\"", std::nullopt, "no full path"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PredictionInputTest, UnknownLocaleFailsTheRunRatherThanGuessing)
{
    LaunchRequest request = Request(R"("M:\setup.exe")");
    request.environment = {"LC_ALL=tlh_QO.UTF-8"};
    EXPECT_NONFATAL_FAILURE(InputOf(request), "LC_ALL=tlh_QO.UTF-8");
    request.environment = {"LC_ALL=tlh_QO.UTF-8", "LC_ALL"};  // removed again: English
    std::optional<PredictionInput> input = InputOf(request);
    ASSERT_TRUE(input.has_value());
    EXPECT_EQ(input->langId, 0x0409);
}

TEST(PredictionReadingTest, ReadsTheOneCase)
{
    std::string json = R"({"medium": "/m", "fields": {"exitCode": 7}, "cases": [
    {
      "windows": 32,
      "child": {"path": "a\"exitCode\": 5", "commandLine": " x"},
      "messageBox": {"title": "TamvexKit", "text": "\"installerStarted\": true"},
      "installerStarted": false,
      "exitCode": 3758555137
    }
  ],
  "ok": false
})";
    std::optional<Prediction> prediction = ReadPrediction(json);
    ASSERT_TRUE(prediction.has_value());
    EXPECT_EQ(prediction->exitCode, 0xE0070001u);
    EXPECT_FALSE(prediction->installerStarted);
    EXPECT_EQ(prediction->boxTitle, "TamvexKit");

    prediction = ReadPrediction(R"({"cases": [{"messageBox": null, "installerStarted": true, "exitCode": 0}]})");
    ASSERT_TRUE(prediction.has_value());
    EXPECT_EQ(prediction->exitCode, 0u);
    EXPECT_TRUE(prediction->installerStarted);
    EXPECT_EQ(prediction->boxTitle, "");

    EXPECT_FALSE(ReadPrediction("").has_value());
    EXPECT_FALSE(ReadPrediction(R"({"cases": [{"messageBox": null, "exitCode": 0}]})").has_value());
}

TEST(PredictionReadingTest, FakeJavaRecordsBecomeOneText)
{
    EXPECT_EQ(FakeJavaVersionText("2 java \\\"1.8\\\"\\r\\nDro\n1 vane\\\\x\n"), "java \"1.8\"\r\nDrovane\\x");
    EXPECT_EQ(FakeJavaVersionText(""), "");
    EXPECT_EQ(LanguageOfLocale("fr_CH.UTF-8"), 0x100C);
    EXPECT_EQ(LanguageOfLocale("ja_JP"), 0x0411);
    EXPECT_FALSE(LanguageOfLocale("xx_XX.UTF-8").has_value());
    EXPECT_EQ(UnixPathOf("C:\\a\\\\b\\", "/p"), "/p/c:/a/b");
    EXPECT_EQ(UnixPathOf("\\\\server\\share", "/p"), "");
}

}  // namespace
