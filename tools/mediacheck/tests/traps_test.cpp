// The traps mediacheck warns about, each set on an otherwise sound medium.
#include <functional>

#include "tools/mediacheck/tests/medium_fixture.h"
#include "tools/mediacheck/tests/pe_builder.h"

namespace {

std::string Properties(std::string_view idLine, std::string_view lineEnd = "\n")
{
    return PropertiesPreamble(lineEnd) + std::string(idLine) + PlatformNameLine("Windows", lineEnd);
}

struct TrapCase {
    const char* name;
    std::function<void(const MediumTest&)> spoil;
    std::vector<std::string> codes;  // every warning expected, in order
    std::string mention;              // a piece of the first warning's text
};

class TrapTest : public MediumTest, public ::testing::WithParamInterface<TrapCase> {};

TEST_P(TrapTest, WarnsAboutWhatItSees)
{
    AddTypicalMedium("912");
    GetParam().spoil(*this);

    Report report = Check(Windows(32));

    std::vector<std::string> codes;
    for (const Warning& warning : report.warnings)
        codes.push_back(warning.code);
    EXPECT_EQ(codes, GetParam().codes);
    if (!GetParam().mention.empty() && !report.warnings.empty()) {
        EXPECT_NE(report.warnings.front().text.find(GetParam().mention), std::string::npos)
            << report.warnings.front().text;
    }
}

const std::string kAllow(kAllowLineText);

INSTANTIATE_TEST_SUITE_P(
    Media, TrapTest,
    ::testing::Values(
        TrapCase{"SoundMedium", [](const MediumTest&) {}, {}, ""},
        TrapCase{"IdLineShortAtItsHead",
                 [](const MediumTest& t) {
                     t.Write("stage/shiphomeproperties.xml",
                             Properties(std::string(kIdHead.substr(1)) + "912" + std::string(kIdTail) + "\n"));
                 },
                 {"platform-id-unknown", "platform-id-shifted"},
                 "\"12\""},
        TrapCase{"IdLineShortAtItsTail",
                 [](const MediumTest& t) {
                     t.Write("stage/shiphomeproperties.xml",
                             Properties(std::string(kIdHead) + "912" + std::string(kIdTail.substr(1)) + "\n"));
                 },
                 {"platform-id-unknown", "platform-id-shifted"},
                 "\"91\""},
        TrapCase{"IdLineLongAtItsTail",
                 [](const MediumTest& t) {
                     t.Write("stage/shiphomeproperties.xml",
                             Properties(std::string(kIdHead) + "2000" + std::string(kIdTail) + " \n"));
                 },
                 {"platform-id-unknown", "platform-id-spaces", "platform-id-shifted"},
                 "\"2000 \""},
        TrapCase{"IdUnknown", [](const MediumTest& t) {
                     t.Write("stage/shiphomeproperties.xml", ShipHomeProperties("x64", "Windows"));
                 },
                 {"platform-id-unknown"}, "\"x64\""},
        TrapCase{"IdWithSpaces", [](const MediumTest& t) {
                     t.Write("stage/shiphomeproperties.xml", ShipHomeProperties(" 912 ", "Windows"));
                 },
                 {"platform-id-unknown", "platform-id-spaces"}, "\" 912 \""},
        TrapCase{"NoPropertiesFile", [](const MediumTest& t) { t.Remove("stage/shiphomeproperties.xml"); },
                 {"platform-id-unknown"}, "missing"},
        TrapCase{"MixedLineEnds",
                 [](const MediumTest& t) {
                     t.Write("stage/shiphomeproperties.xml",
                             PropertiesPreamble("\r\n") + PlatformIdLine("912", "\n") + PlatformNameLine("W", "\r\n"));
                 },
                 {"mixed-line-ends"}, "first on line 4"},
        TrapCase{"CarriageReturnAlone",
                 [](const MediumTest& t) {
                     t.Write("stage/shiphomeinfo.properties", "a=b\r" + kAllow + "\n");
                 },
                 {"carriage-return-alone"}, "line 1"},
        TrapCase{"DiskLabelWithoutFourthLine",
                 [](const MediumTest& t) { t.Write("stage/disk.label", "[General]\nNumber=1\n"); },
                 {"disk-label-short"}, "line 2"},
        TrapCase{"EmptyDiskLabel", [](const MediumTest& t) { t.Write("stage/disk.label", ""); },
                 {"disk-label-short"}, "empty"},
        TrapCase{"LibraryWithoutStringOne",
                 [](const MediumTest& t) {
                     t.Write("install/setupD.dll", ResourceLibrary({StringBlock{1, 0x0407, {u"", u"", u"x"}}}));
                     t.Write("install/setupus.dll", LibraryWithString1(u"Disk #%s"));
                 },
                 {"library-without-string-1"}, "German"},
        TrapCase{"LibraryThatIsNoImage",
                 [](const MediumTest& t) { t.Write("install/setupKO.dll", "not a library"); },
                 {"library-not-loadable"}, "Korean"},
        TrapCase{"AllowLineWithTrailingSpace",
                 [](const MediumTest& t) { t.Write("stage/shiphomeinfo.properties", kAllow + " \n"); },
                 {"allow-line-not-recognised"}, "Line 1"},
        TrapCase{"AllowLineInCapitals",
                 [](const MediumTest& t) {
                     t.Write("stage/shiphomeinfo.properties", "x=1\nTAMVEX.AS.INSTALL.ALLOW.32BITIN64BIT=TRUE\n");
                 },
                 {"allow-line-not-recognised"}, "Line 2"},
        TrapCase{"NoLauncher", [](const MediumTest& t) { t.Remove("setup.exe"); }, {"no-launcher"}, ""},
        TrapCase{"MissingFlavourTheDecisionStarts", [](const MediumTest& t) { t.Remove("install/win32"); },
                 {"installer-missing"}, "32-bit Windows"}),
    [](const ::testing::TestParamInfo<TrapCase>& info) { return std::string(info.param.name); });

}  // namespace
