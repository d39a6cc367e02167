// Text-mode line reading and the two readings of the disk label file.
#include <cstring>

#include "media/layout.h"
#include "platform/text_mode.h"
#include "sim_fixture.h"

namespace {

std::vector<std::string> ReadAll(const std::string& content, size_t capacity = 1000)
{
    SimAddFile("D:\\file.txt", content);
    TextFile file;
    std::vector<std::string> lines;
    if (!OpenTextFile(file, "D:\\file.txt"))
        return lines;
    std::vector<char> line(capacity, '\0');
    while (ReadTextLine(file, line.data(), line.size()))
        lines.push_back(line.data());
    CloseTextFile(file);
    return lines;
}

struct LinesCase {
    const char* name;
    std::string content;
    std::vector<std::string> lines;
};

class TextModeTest : public SimTest, public ::testing::WithParamInterface<LinesCase> {};

TEST_P(TextModeTest, ReadsLinesAsTheRuntimeDoesInTextMode)
{
    EXPECT_EQ(ReadAll(GetParam().content), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextModeTest,
    ::testing::Values(
        LinesCase{"LineFeeds", "a\nbb\n", {"a\n", "bb\n"}},
        LinesCase{"CarriageReturnLineFeed", "a\r\nbb\r\n", {"a\n", "bb\n"}},
        LinesCase{"LoneCarriageReturnStays", "a\rb\r\r\n", {"a\rb\r\n"}},
        LinesCase{"NoFinalLineFeed", "a\nlast", {"a\n", "last"}},
        LinesCase{"CtrlZEndsTheFile", "a\nb\x1a" "c\nd\n", {"a\n", "b"}},
        LinesCase{"CtrlZFirst", "\x1a" "abc", {}},
        LinesCase{"Empty", "", {}},
        LinesCase{"LongLineIsSeveralReads", std::string(999, 'x') + std::string(5, 'y') + "\n",
                  {std::string(999, 'x'), "yyyyy\n"}},
        LinesCase{"LineFeedAsThe999th", std::string(998, 'x') + "\r\n", {std::string(998, 'x') + "\n"}},
        LinesCase{"LineFeedAfter999", std::string(999, 'x') + "\r\n", {std::string(999, 'x'), "\n"}}),
    [](const auto& info) { return info.param.name; });

TEST_F(SimTest, ReadAtTheEndLeavesTheLineAsItWas)
{
    SimAddFile("D:\\f", "one\n");
    TextFile file;
    ASSERT_TRUE(OpenTextFile(file, "D:\\f"));
    char line[1000] = {};
    EXPECT_TRUE(ReadTextLine(file, line, sizeof line));
    EXPECT_FALSE(ReadTextLine(file, line, sizeof line));
    EXPECT_STREQ(line, "one\n");
    CloseTextFile(file);
    EXPECT_EQ(sim().openFiles, 0);
}

TEST_F(SimTest, ReaderCrossesItsBufferWithoutSplittingALineEnd)
{
    // The carriage return is the last byte of the first 4096-byte chunk.
    std::string content = std::string(4095, 'a') + "\r\nb\n";
    std::vector<std::string> lines = ReadAll(content, 5000);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(4095, 'a') + "\n");
    EXPECT_EQ(lines[1], "b\n");
}

struct LabelCase {
    const char* name;
    std::string content;
    std::string label;
};

class MediaLabelTest : public SimTest, public ::testing::WithParamInterface<LabelCase> {};

TEST_P(MediaLabelTest, TakesTheFourthLineLessSixAndOne)
{
    SimAddFile("D:\\stage\\disk.label", GetParam().content);
    EXPECT_EQ(ReadMediaLabel("D:\\\\stage\\disk.label"), GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MediaLabelTest,
    ::testing::Values(
        LabelCase{"Typical", "[General]\nNumber=1\n\nLabel=TamvexKit 12c\n", "TamvexKit 12c"},
        LabelCase{"CarriageReturns", "[General]\r\nNumber=1\r\n\r\nLabel=Kit\r\n", "Kit"},
        LabelCase{"NoFinalLineFeedLosesALetter", "1\n2\n3\nLabel=Kit", "Ki"},
        LabelCase{"SevenCharacters", "1\n2\n3\nLabel=\n", ""},
        LabelCase{"EightCharacters", "1\n2\n3\nLabel=X\n", "X"},
        LabelCase{"TwoLinesTheLastStandsIn", "[General]\nLabel=Two\n", "Two"},
        LabelCase{"Empty", "", ""},
        LabelCase{"FifthLineIgnored", "1\n2\n3\nLabel=Four\nLabel=Five\n", "Four"}),
    [](const auto& info) { return info.param.name; });

TEST_F(SimTest, MediaLabelOfAMissingFileOrAFolderIsEmpty)
{
    EXPECT_EQ(ReadMediaLabel("D:\\\\stage\\disk.label"), "");
    SimAddFolder("D:\\stage\\disk.label");
    EXPECT_EQ(ReadMediaLabel("D:\\\\stage\\disk.label"), "");
}

struct DiskNumberCase {
    const char* name;
    std::optional<std::string> content;
    std::string number;
};

class DiskNumberTest : public SimTest, public ::testing::WithParamInterface<DiskNumberCase> {};

TEST_P(DiskNumberTest, ReadsAtMostTwoCharactersAndDefaultsToOne)
{
    if (GetParam().content)
        SimAddFile("D:\\stage\\disk.label", *GetParam().content);
    EXPECT_EQ(ReadDiskNumber("D:\\stage\\disk.label"), GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DiskNumberTest,
    ::testing::Values(DiskNumberCase{"Absent", std::nullopt, "1"},
                      DiskNumberCase{"EmptyValue", "[General]\nNumber=\n", "1"},
                      DiskNumberCase{"Two", "[General]\nNumber=2\n", "2"},
                      DiskNumberCase{"LeadingZero", "[General]\nNumber=01\n", "01"},
                      DiskNumberCase{"Ten", "[General]\nNumber=10\n", "10"},
                      DiskNumberCase{"CutToTwo", "[General]\nNumber=123\n", "12"},
                      DiskNumberCase{"CaseAndSpaces", "[ general ]\r\n  NUMBER =  2  \r\n", "2"},
                      DiskNumberCase{"OtherSection", "[Other]\nNumber=2\n", "1"}),
    [](const auto& info) { return info.param.name; });

TEST_F(SimTest, DiskNumberPathOverItsCapacityIsAMissingFile)
{
    std::string folder = "D:\\" + std::string(240, 'f') + "\\";
    SimAddFile(folder + "stage\\disk.label", "[General]\nNumber=2\n");
    std::string path = folder + "stage\\disk.label";
    ASSERT_GT(path.size(), 259u);
    EXPECT_EQ(ReadDiskNumber(path), "1");
    EXPECT_TRUE(sim().profileReads.empty());
}

}  // namespace
