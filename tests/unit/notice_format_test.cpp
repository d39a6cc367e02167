// Composing a notice from an untrusted format and the disk-number text.
#include <gtest/gtest.h>

#include <string>

#include "media/notice_format.h"

namespace {

struct ComposeCase {
    const char* name;
    std::string format;
    std::string diskNumber;
    std::string notice;
};

class ComposeNoticeTest : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(ComposeNoticeTest, GivesTheDiskNumberToStringConversionsOnly)
{
    EXPECT_EQ(ComposeNotice(GetParam().format, GetParam().diskNumber), GetParam().notice);
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, ComposeNoticeTest,
    ::testing::Values(
        ComposeCase{"PlainText", "Bitte Disk 1 einlegen.", "2", "Bitte Disk 1 einlegen."},
        ComposeCase{"OneString", "Disk #%s.", "2", "Disk #2."},
        ComposeCase{"EveryStringGetsTheText", "%s/%s/%s", "12", "12/12/12"},
        ComposeCase{"PercentPercent", "100%% - %s", "2", "100% - 2"},
        ComposeCase{"PercentPercentThenS", "%%s", "2", "%s"},
        ComposeCase{"WideAndNarrowForms", "%S %hs %hS %ls %lS %ws %wS", "2", "2 2 2 2 2 2 2"},
        ComposeCase{"Width", "[%4s]", "12", "[  12]"},
        ComposeCase{"WidthBelowLength", "[%1s]", "12", "[12]"},
        ComposeCase{"LeftAlign", "[%-4s]", "12", "[12  ]"},
        ComposeCase{"ZeroPad", "[%04s]", "2", "[0002]"},
        ComposeCase{"ZeroPadLeftAlignedPadsWithSpaces", "[%-04s]", "2", "[2   ]"},
        ComposeCase{"HashHasNoEffect", "[%#3s]", "2", "[  2]"},
        ComposeCase{"Precision", "[%.1s]", "12", "[1]"},
        ComposeCase{"PrecisionZero", "[%.0s]", "12", "[]"},
        ComposeCase{"PeriodWithoutDigits", "[%.s]", "12", "[]"},
        ComposeCase{"WidthAndPrecision", "[%5.1s]", "12", "[    1]"},
        ComposeCase{"AllFieldsInOrder", "[%-#05.1ls]", "12", "[1    ]"},
        ComposeCase{"EmptyText", "[%3s]", "", "[   ]"}),
    [](const auto& info) { return info.param.name; });

// Conversions that would read an argument of another kind, and text that is
// no conversion at all, stand as written: nothing is read or made up.
INSTANTIATE_TEST_SUITE_P(
    Hostile, ComposeNoticeTest,
    ::testing::Values(ComposeCase{"Decimal", "Disk %d", "2", "Disk %d"},
                      ComposeCase{"NumbersAndCharacters", "%i %u %x %X %p %c %C %lc %ld %I64d", "2",
                                  "%i %u %x %X %p %c %C %lc %ld %I64d"},
                      ComposeCase{"WriteBack", "%n%s", "2", "%n2"},
                      ComposeCase{"NumberWithFlags", "%-#08.3lx", "2", "%-#08.3lx"},
                      ComposeCase{"FlagsOutOfOrder", "%0-5s", "2", "%0-5s"},
                      ComposeCase{"SizePrefixNotForStrings", "%I64s %Ls %lls", "2", "%I64s %Ls %lls"},
                      ComposeCase{"UnknownType", "100% sure, %q", "2", "100% sure, %q"},
                      ComposeCase{"PercentBeforeConversion", "%5%s", "2", "%52"},
                      ComposeCase{"TrailingPercent", "Disk %s %", "2", "Disk 2 %"},
                      ComposeCase{"TrailingFlags", "Disk %-#0", "2", "Disk %-#0"},
                      ComposeCase{"OnlyPercent", "%", "2", "%"}),
                         [](const auto& info) { return info.param.name; });

TEST(ComposeNoticeLimit, CutsTheNoticeToTheOutputBuffer)
{
    EXPECT_EQ(ComposeNotice(std::string(5000, 'x'), "2"), std::string(kNoticeCapacity - 1, 'x'));
}

TEST(ComposeNoticeLimit, CutsAConversionThatCrossesTheLimit)
{
    std::string format = std::string(kNoticeCapacity - 2, 'x') + "%s";
    EXPECT_EQ(ComposeNotice(format, "12"), std::string(kNoticeCapacity - 2, 'x') + "1");
}

TEST(ComposeNoticeLimit, KeepsANoticeThatJustFits)
{
    std::string format = std::string(kNoticeCapacity - 3, 'x') + "%s";
    EXPECT_EQ(ComposeNotice(format, "12"), std::string(kNoticeCapacity - 3, 'x') + "12");
}

TEST(ComposeNoticeLimit, HugeWidthPadsUpToTheLimitOnly)
{
    EXPECT_EQ(ComposeNotice("%99999999999999999999999999s", "12"), std::string(kNoticeCapacity - 1, ' '));
}

TEST(ComposeNoticeLimit, HugePrecisionTakesTheWholeText)
{
    EXPECT_EQ(ComposeNotice("[%.99999999999999999999999s]", "12"), "[12]");
}

TEST(ComposeNoticeLimit, ManyConversionsStayWithinTheLimit)
{
    std::string format;
    for (int i = 0; i < 3000; ++i)
        format += "%s";
    EXPECT_EQ(ComposeNotice(format, "12").size(), kNoticeCapacity - 1);
}

}  // namespace
