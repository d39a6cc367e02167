// The disk number, read from the disk label file in the command-line
// directory through the profile reader.
#include <optional>
#include <string>

#include "media/media.h"
#include "sim_fixture.h"

namespace {

struct DiskNumberCase {
    const char* name;
    std::optional<std::string> label;  // stage\disk.label; none: no file
    std::string number;
};

class CheckDiskNumberTest : public SimTest, public ::testing::WithParamInterface<DiskNumberCase> {};

TEST_P(CheckDiskNumberTest, ReadsTheLabelInTheCommandLineDirectory)
{
    if (GetParam().label)
        SimAddFile("E:\\set\\stage\\disk.label", *GetParam().label);
    EXPECT_EQ(CheckDiskNumber("E:\\set\\"), GetParam().number);
    ASSERT_EQ(sim().profileReads.size(), 1u);
    EXPECT_EQ(sim().profileReads[0], "E:\\set\\stage\\disk.label");
}

INSTANTIATE_TEST_SUITE_P(
    Values, CheckDiskNumberTest,
    ::testing::Values(DiskNumberCase{"AbsentFile", std::nullopt, "1"},
                      DiskNumberCase{"EmptyValue", "[General]\r\nNumber=\r\n", "1"},
                      DiskNumberCase{"One", "[General]\r\nNumber=1\r\n", "1"},
                      DiskNumberCase{"Two", "[General]\r\nNumber=2\r\n", "2"},
                      DiskNumberCase{"LeadingZero", "[General]\r\nNumber=01\r\n", "01"},
                      DiskNumberCase{"Ten", "[General]\r\nNumber=10\r\n", "10"},
                      DiskNumberCase{"CutToTwoCharacters", "[General]\r\nNumber=123\r\n", "12"},
                      DiskNumberCase{"NoKey", "[General]\r\nLabel=x\r\n", "1"}),
    [](const auto& info) { return info.param.name; });

// How the profile reader takes what media hold, as GetPrivateProfileStringA
// does; the disk number depends on each of these.
INSTANTIATE_TEST_SUITE_P(
    ProfileReading, CheckDiskNumberTest,
    ::testing::Values(
        DiskNumberCase{"LetterCase", "[gEnErAl]\nnUMBER=2\n", "2"},
        DiskNumberCase{"BlanksAroundEverything", "  [ General ]  \n \t Number \t=\t 2 \t\n", "2"},
        DiskNumberCase{"DosEndOfFile", "[General]\r\nNumber=2\x1a", "2"},
        DiskNumberCase{"Utf8Mark", "\xEF\xBB\xBF[General]\r\nNumber=2\r\n", "2"},
        DiskNumberCase{"QuotesRemovedBeforeTheCut", "[General]\nNumber=\"12\"\n", "12"},
        DiskNumberCase{"SingleQuotes", "[General]\nNumber='2'\n", "2"},
        DiskNumberCase{"UnmatchedQuoteKept", "[General]\nNumber=\"2\n", "\"2"},
        DiskNumberCase{"InnerSpaceKept", "[General]\nNumber=1 2\n", "1 "},
        DiskNumberCase{"FirstKeyWins", "[General]\nNumber=2\nNumber=3\n", "2"},
        DiskNumberCase{"KeyWithoutValueGivesDefault", "[General]\nNumber\nNumber=2\n", "1"},
        DiskNumberCase{"OnlyFirstSectionSearched", "[General]\nLabel=x\n[General]\nNumber=2\n", "1"},
        DiskNumberCase{"OtherSection", "[Other]\nNumber=2\n", "1"},
        DiskNumberCase{"KeyBeforeAnySection", "Number=2\n[General]\n", "1"},
        DiskNumberCase{"HeaderWithoutBracket", "[General\nNumber=2\n", "1"},
        DiskNumberCase{"CommentedOut", "[General]\n;Number=2\n", "1"}),
    [](const auto& info) { return info.param.name; });

class DiskLabelPathTest : public SimTest {};

TEST_F(DiskLabelPathTest, EmptyCommandLineDirectoryReadsTheRelativeLabel)
{
    SimAddFile(sim().currentDirectory + "\\stage\\disk.label", "[General]\nNumber=2\n");
    EXPECT_EQ(CheckDiskNumber(""), "2");
    ASSERT_EQ(sim().profileReads.size(), 1u);
    EXPECT_EQ(sim().profileReads[0], "stage\\disk.label");
}

TEST_F(DiskLabelPathTest, LabelPathThatJustFitsIsRead)
{
    // 259 characters with the terminator's place left: the path limit.
    std::string directory = "E:\\" + std::string(259 - 3 - 16 - 1, 'd') + "\\";
    ASSERT_EQ(directory.size() + 16, 259u);
    SimAddFile(directory + "stage\\disk.label", "[General]\nNumber=2\n");
    EXPECT_EQ(CheckDiskNumber(directory), "2");
}

TEST_F(DiskLabelPathTest, LabelPathOverThePathLimitIsAMissingFile)
{
    std::string directory = "E:\\" + std::string(259 - 3 - 16, 'd') + "\\";
    ASSERT_EQ(directory.size() + 16, 260u);
    SimAddFile(directory + "stage\\disk.label", "[General]\nNumber=2\n");
    EXPECT_EQ(CheckDiskNumber(directory), "1");
    EXPECT_TRUE(sim().profileReads.empty());
}

}  // namespace
