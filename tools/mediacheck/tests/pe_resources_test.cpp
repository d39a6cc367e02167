// String 1 read from PE files, and the text conversions around it.
#include <gtest/gtest.h>

#include "tools/mediacheck/mediacheck.h"
#include "tools/mediacheck/tests/pe_builder.h"

namespace {

struct ResourceCase {
    const char* name;
    std::string file;
    uint16_t langId;
    bool image;
    std::optional<std::u16string> text;
};

std::string Patched(std::string file, size_t at, std::string_view bytes)
{
    file.replace(at, bytes.size(), bytes);
    return file;
}

class ResourceStringTest : public ::testing::TestWithParam<ResourceCase> {};

TEST_P(ResourceStringTest, FindsStringOneAsTheLoaderWould)
{
    ResourceString found = FindResourceString(GetParam().file, 1, GetParam().langId);
    EXPECT_EQ(found.image, GetParam().image);
    EXPECT_EQ(found.text, GetParam().text);
}

const std::string kGermanNotice = LibraryWithString1(u"Datentr\u00e4ger #%s", 0x0407);

INSTANTIATE_TEST_SUITE_P(
    Files, ResourceStringTest,
    ::testing::Values(
        ResourceCase{"StringOne", LibraryWithString1(u"Disk #%s"), 0x0409, true, u"Disk #%s"},
        ResourceCase{"OutsideAscii", kGermanNotice, 0x0407, true, u"Datentr\u00e4ger #%s"},
        ResourceCase{"Pe32Plus", ResourceLibrary({StringBlock{1, 0x0409, {u"", u"64"}}}, true), 0x0409, true, u"64"},
        ResourceCase{"OnlyStringTwo", ResourceLibrary({StringBlock{1, 0x0409, {u"", u"", u"two"}}}), 0x0409, true,
                     std::nullopt},
        ResourceCase{"EmptyStringOne", LibraryWithString1(u""), 0x0409, true, std::nullopt},
        ResourceCase{"OnlyStringZero", ResourceLibrary({StringBlock{1, 0x0409, {u"zero"}}}), 0x0409, true,
                     std::nullopt},
        ResourceCase{"OnlyBlockTwo", ResourceLibrary({StringBlock{2, 0x0409, {u"", u"seventeen"}}}), 0x0409, true,
                     std::nullopt},
        ResourceCase{"NoResources", ResourceLibrary({}), 0x0409, true, std::nullopt},
        ResourceCase{"UserLanguageOfTwo",
                     ResourceLibrary({StringBlock{1, 0x0409, {u"", u"en"}}, StringBlock{1, 0x0407, {u"", u"de"}}}),
                     0x0407, true, u"de"},
        ResourceCase{"PrimaryLanguageOfTwo",
                     ResourceLibrary({StringBlock{1, 0x0409, {u"", u"en"}}, StringBlock{1, 0x0407, {u"", u"de"}}}),
                     0x0807, true, u"de"},
        ResourceCase{"EnglishWhenUserLanguageMissing",
                     ResourceLibrary({StringBlock{1, 0x040C, {u"", u"fr"}}, StringBlock{1, 0x0409, {u"", u"en"}}}),
                     0x0411, true, u"en"},
        ResourceCase{"NeutralFirst",
                     ResourceLibrary({StringBlock{1, 0x0407, {u"", u"de"}}, StringBlock{1, 0x0000, {u"", u"neutral"}}}),
                     0x0407, true, u"neutral"},
        ResourceCase{"NotMz", Patched(LibraryWithString1(u"x"), 0, "ZM"), 0x0409, false, std::nullopt},
        ResourceCase{"NoPeSignature", Patched(LibraryWithString1(u"x"), 0x40, "NE"), 0x0409, false, std::nullopt},
        ResourceCase{"UnknownOptionalHeader", Patched(LibraryWithString1(u"x"), 0x58, "\x07\x01"), 0x0409, false,
                     std::nullopt},
        ResourceCase{"HeaderBeyondTheFile", Patched(LibraryWithString1(u"x"), 0x3C, "\xF0\xFF\xFF\x7F"), 0x0409,
                     false, std::nullopt},
        ResourceCase{"ResourceDirectoryOutsideSections", Patched(LibraryWithString1(u"x"), 0x58 + 96 + 16,
                                                                 std::string("\x00\x90\x00\x00", 4)),
                     0x0409, true, std::nullopt},
        ResourceCase{"TextFile", std::string("MZ but not a program"), 0x0409, false, std::nullopt},
        ResourceCase{"Empty", std::string(), 0x0409, false, std::nullopt}),
    [](const ::testing::TestParamInfo<ResourceCase>& info) { return std::string(info.param.name); });

// Whatever a file was cut to, nothing is read beyond it, and string 1 is
// found only when the whole of its block is still there.
TEST(ResourceStringCutTest, EveryPrefixOfALibraryIsReadSafely)
{
    std::string file = LibraryWithString1(u"Disk #%s");
    size_t lastMiss = 0;
    for (size_t length = 0; length <= file.size(); ++length) {
        std::string prefix = file.substr(0, length);
        ResourceString found = FindResourceString(prefix, 1, 0x0409);
        if (!found.text)
            lastMiss = length;
        else
            EXPECT_EQ(*found.text, u"Disk #%s");
    }
    EXPECT_LT(lastMiss, file.size());
    EXPECT_GT(lastMiss, 0x200u);  // the headers alone never give it
}

// A damaged byte anywhere, in a header, a directory, a length or the text,
// never makes the reader leave the file.
TEST(ResourceStringCutTest, EveryDamagedByteIsReadSafely)
{
    const std::string file = ResourceLibrary({StringBlock{1, 0x0409, {u"zero", u"Disk #%s", u"two"}}});
    for (size_t at = 0; at < file.size(); ++at) {
        for (char damage : {'\x00', '\x7F', '\xFF'}) {
            std::string damaged = file;
            damaged[at] = damage;
            ResourceString found = FindResourceString(damaged, 1, 0x0409);
            if (found.text) {
                EXPECT_LE(found.text->size() * 2, file.size()) << "byte " << at;
            }
        }
    }
}

struct AnsiCase {
    const char* name;
    std::u16string text;
    TextEncoding encoding;
    std::string bytes;
};

class AnsiTest : public ::testing::TestWithParam<AnsiCase> {};

TEST_P(AnsiTest, ConvertsAsLoadStringAWould)
{
    EXPECT_EQ(ToAnsi(GetParam().text, GetParam().encoding), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AnsiTest,
    ::testing::Values(AnsiCase{"Ascii", u"Disk #%s\n", TextEncoding::Windows1252, "Disk #%s\n"},
                      AnsiCase{"Latin1", u"\u00e4\u00df\u00ff", TextEncoding::Windows1252, "\xE4\xDF\xFF"},
                      AnsiCase{"EuroAndQuotes", u"\u20ac\u201c\u201d\u2122", TextEncoding::Windows1252,
                               "\x80\x93\x94\x99"},
                      AnsiCase{"C1ControlOfTheSameNumber", u"\u0081\u008d", TextEncoding::Windows1252, "\x81\x8D"},
                      AnsiCase{"C1ControlTheCodePageReplaced", u"\u0080", TextEncoding::Windows1252, "?"},
                      AnsiCase{"OutsideTheCodePage", u"\u03b1\u65e5", TextEncoding::Windows1252, "??"},
                      AnsiCase{"SurrogatePairIsOneCharacter", u"\U0001F600", TextEncoding::Windows1252, "?"},
                      AnsiCase{"JapaneseAsUtf8", u"\u65e5\u672c", TextEncoding::Utf8, "\xE6\x97\xA5\xE6\x9C\xAC"},
                      AnsiCase{"LoneSurrogateAsUtf8", u"a\xD800" u"b", TextEncoding::Utf8, "a\xEF\xBF\xBD" "b"}),
    [](const ::testing::TestParamInfo<AnsiCase>& info) { return std::string(info.param.name); });

TEST(TextEncodingTest, ReportTextsAreUtf8)
{
    EXPECT_EQ(ToUtf8("Datentr\xE4ger \x80", TextEncoding::Windows1252), "Datentr\xC3\xA4ger \xE2\x82\xAC");
    EXPECT_EQ(ToUtf8("ok \xE6\x97\xA5 \xFF", TextEncoding::Utf8), "ok \xE6\x97\xA5 \xEF\xBF\xBD");
    EXPECT_EQ(ToUtf8("\xED\xA0\x80", TextEncoding::Utf8), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // a surrogate
    EXPECT_EQ(EncodingForLanguage(0x0407), TextEncoding::Windows1252);
    EXPECT_EQ(EncodingForLanguage(0x0411), TextEncoding::Utf8);
    EXPECT_EQ(EncodingForLanguage(0x0412), TextEncoding::Utf8);
    EXPECT_EQ(EncodingForLanguage(0x0804), TextEncoding::Utf8);
}

}  // namespace
