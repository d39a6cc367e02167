// mediacheck as a program: its options, exit status and the two report forms.
#include <map>
#include <memory>
#include <variant>

#include "tools/mediacheck/tests/medium_fixture.h"
#include "tools/mediacheck/tests/pe_builder.h"

namespace {

// Just enough JSON to check the report's shape: a value is null, a bool, a
// number, a text, a list or an object; a parse error leaves the value empty.
struct JsonValue;
using JsonObject = std::map<std::string, JsonValue>;
using JsonList = std::vector<JsonValue>;
struct JsonValue {
    std::variant<std::monostate, std::nullptr_t, bool, double, std::string, std::shared_ptr<JsonList>,
                 std::shared_ptr<JsonObject>>
        value;
    const JsonValue& operator[](const std::string& key) const
    {
        static const JsonValue missing;
        auto* object = std::get_if<std::shared_ptr<JsonObject>>(&value);
        if (object == nullptr || (*object)->count(key) == 0)
            return missing;
        return (*object)->at(key);
    }
    const JsonValue& operator[](size_t index) const
    {
        static const JsonValue missing;
        auto* list = std::get_if<std::shared_ptr<JsonList>>(&value);
        return list == nullptr || index >= (*list)->size() ? missing : (**list)[index];
    }
    size_t size() const
    {
        auto* list = std::get_if<std::shared_ptr<JsonList>>(&value);
        return list == nullptr ? 0 : (*list)->size();
    }
    std::string text() const { return std::holds_alternative<std::string>(value) ? std::get<std::string>(value) : "?"; }
    double number() const { return std::holds_alternative<double>(value) ? std::get<double>(value) : -1; }
    bool isNull() const { return std::holds_alternative<std::nullptr_t>(value); }
    bool isTrue() const { return std::holds_alternative<bool>(value) && std::get<bool>(value); }
    bool isFalse() const { return std::holds_alternative<bool>(value) && !std::get<bool>(value); }
};

bool ParseJson(std::string_view text, size_t& at, JsonValue& out);

void SkipBlanks(std::string_view text, size_t& at)
{
    while (at < text.size() && (text[at] == ' ' || text[at] == '\n' || text[at] == '\r' || text[at] == '\t'))
        ++at;
}

bool ParseJsonText(std::string_view text, size_t& at, std::string& out)
{
    if (at >= text.size() || text[at] != '"')
        return false;
    for (++at; at < text.size() && text[at] != '"'; ++at) {
        if (static_cast<unsigned char>(text[at]) < 0x20)
            return false;
        if (text[at] != '\\') {
            out += text[at];
            continue;
        }
        if (++at >= text.size())
            return false;
        char c = text[at];
        if (c == 'u') {
            if (at + 4 >= text.size())
                return false;
            out += static_cast<char>(std::stoi(std::string(text.substr(at + 1, 4)), nullptr, 16));
            at += 4;
        } else {
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        }
    }
    return at++ < text.size();
}

template <typename Item>
bool ParseSequence(std::string_view text, size_t& at, char close, Item item)
{
    ++at;
    SkipBlanks(text, at);
    if (at < text.size() && text[at] == close)
        return ++at, true;
    while (true) {
        if (!item())
            return false;
        SkipBlanks(text, at);
        if (at < text.size() && text[at] == close)
            return ++at, true;
        if (at >= text.size() || text[at] != ',')
            return false;
        ++at;
    }
}

bool ParseJson(std::string_view text, size_t& at, JsonValue& out)
{
    SkipBlanks(text, at);
    if (at >= text.size())
        return false;
    char c = text[at];
    if (c == '{') {
        auto object = std::make_shared<JsonObject>();
        out.value = object;
        return ParseSequence(text, at, '}', [&] {
            SkipBlanks(text, at);
            std::string key;
            if (!ParseJsonText(text, at, key))
                return false;
            SkipBlanks(text, at);
            if (at >= text.size() || text[at++] != ':')
                return false;
            return ParseJson(text, at, (*object)[key]);
        });
    }
    if (c == '[') {
        auto list = std::make_shared<JsonList>();
        out.value = list;
        return ParseSequence(text, at, ']', [&] { return ParseJson(text, at, list->emplace_back()); });
    }
    if (c == '"') {
        std::string value;
        out.value = value;
        return ParseJsonText(text, at, std::get<std::string>(out.value));
    }
    for (auto [word, value] : {std::pair<std::string_view, JsonValue>{"null", {nullptr}},
                               {"true", {true}}, {"false", {false}}})
        if (text.substr(at, word.size()) == word) {
            at += word.size();
            out = value;
            return true;
        }
    size_t end = at;
    while (end < text.size() && (std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '-'))
        ++end;
    if (end == at)
        return false;
    out.value = std::stod(std::string(text.substr(at, end - at)));
    at = end;
    return true;
}

std::optional<JsonValue> ParseWholeJson(std::string_view text)
{
    JsonValue value;
    size_t at = 0;
    if (!ParseJson(text, at, value))
        return std::nullopt;
    SkipBlanks(text, at);
    return at == text.size() ? std::optional<JsonValue>(value) : std::nullopt;
}

struct UsageCase {
    const char* name;
    std::vector<std::string> arguments;  // "MEDIUM" stands for the medium folder
    std::string complaint;
};

class UsageTest : public MediumTest, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(UsageTest, RefusesWithStatusTwo)
{
    AddTypicalMedium();
    std::vector<std::string> arguments = GetParam().arguments;
    for (std::string& argument : arguments)
        if (argument == "MEDIUM")
            argument = root;
        else if (argument == "MISSING")
            argument = root + "/no-such-thing";

    MediacheckRun run = Run(arguments);

    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(GetParam().complaint), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, UsageTest,
    ::testing::Values(UsageCase{"NoArguments", {}, "no medium folder"},
                      UsageCase{"OnlyOptions", {"--json", "--windows", "32"}, "no medium folder"},
                      UsageCase{"UnknownOption", {"MEDIUM", "--verbose"}, "unknown option --verbose"},
                      UsageCase{"BadBitness", {"MEDIUM", "--windows", "48"}, "--windows takes"},
                      UsageCase{"BitnessMissing", {"MEDIUM", "--windows"}, "--windows needs a value"},
                      UsageCase{"BadLanguage", {"MEDIUM", "--lang", "german"}, "--lang takes"},
                      UsageCase{"LanguageTooLarge", {"MEDIUM", "--lang", "0x10000"}, "--lang takes"},
                      UsageCase{"EmptyHexLanguage", {"MEDIUM", "--lang", "0x"}, "--lang takes"},
                      UsageCase{"VersionTextMissing", {"MEDIUM", "--jre-version-text", "MISSING"}, "cannot read"},
                      UsageCase{"TwoFolders", {"MEDIUM", "MEDIUM"}, "one medium folder only"},
                      UsageCase{"RelativeLauncherPath", {"MEDIUM", "--launcher-path", "setup.exe"},
                                "--launcher-path takes"},
                      UsageCase{"LauncherPathOfAFolder", {"MEDIUM", "--launcher-path", "D:\\media\\"},
                                "--launcher-path takes"},
                      UsageCase{"FolderMissing", {"MISSING"}, "not a folder"}),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return std::string(info.param.name); });

TEST_F(MediumTest, HelpIsNoError)
{
    MediacheckRun run = Run({"--help"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out.rfind("usage: mediacheck MEDIUM_DIR", 0), 0u);
}

TEST_F(MediumTest, JsonReportHasOneCaseForEachBitness)
{
    AddTypicalMedium("233");
    Write("install/setupus.dll", LibraryWithString1(u"Disk #%s"));

    MediacheckRun run = Run({root, "--json", "--", "-Dx=1"});

    EXPECT_EQ(run.exitStatus, 1);  // refused on 32-bit Windows
    std::optional<JsonValue> json = ParseWholeJson(run.out);
    ASSERT_TRUE(json.has_value()) << run.out;
    const JsonValue& report = *json;
    EXPECT_EQ(report["medium"].text(), root);
    EXPECT_EQ(report["commandLine"].text(), "\"D:\\setup.exe\" -Dx=1");
    EXPECT_EQ(report["arguments"][0].text(), "-Dx=1");
    EXPECT_EQ(report["langId"].number(), 1033);
    EXPECT_EQ(report["fields"]["platformId"]["text"].text(), "233");
    EXPECT_EQ(report["fields"]["platformId"]["line"].number(), 4);
    EXPECT_EQ(report["fields"]["platformId"]["start"].number(), 24);
    EXPECT_TRUE(report["fields"]["allowLine"]["present"].isFalse());
    EXPECT_EQ(report["libraries"][0]["path"].text(), "install\\setupus.dll");
    EXPECT_EQ(report["libraries"][0]["string1"].text(), "Disk #%s");
    EXPECT_EQ(report["warnings"].size(), 0u);
    ASSERT_EQ(report["cases"].size(), 2u);

    const JsonValue& on32 = report["cases"][0];
    EXPECT_EQ(on32["windows"].number(), 32);
    EXPECT_EQ(on32["outcome"].text(), "platform-refused");
    EXPECT_EQ(on32["platform"]["decision"].text(), "refuse");
    EXPECT_TRUE(on32["child"].isNull());
    EXPECT_EQ(on32["messageBox"]["title"].text(), "ERROR");
    EXPECT_EQ(on32["exitCode"].number(), 1);
    EXPECT_TRUE(on32["installerStarted"].isFalse());

    const JsonValue& on64 = report["cases"][1];
    EXPECT_EQ(on64["windows"].number(), 64);
    EXPECT_EQ(on64["runtime"]["foldersPresent"][0].text(), "stage\\Components\\tamvex.jdk");
    EXPECT_EQ(on64["flavour"].text(), "install\\\\win64\\\\setup.exe");
    EXPECT_EQ(on64["diskNumber"].text(), "1");
    EXPECT_EQ(on64["child"]["path"].text(), "D:\\\\install\\\\win64\\\\setup.exe");
    EXPECT_EQ(on64["child"]["commandLine"].text().substr(0, 14), "-Dx=1  -Dx=1 -");
    EXPECT_TRUE(on64["child"]["installerExists"].isTrue());
    EXPECT_TRUE(on64["messageBox"].isNull());
    EXPECT_EQ(on64["standardOutput"].text(), "\nWAIT_OBJECT_0\n");
    EXPECT_TRUE(on64["installerStarted"].isTrue());
    EXPECT_EQ(on64["exitCode"].number(), 0);
    EXPECT_TRUE(report["ok"].isFalse());
}

// Texts from the medium reach the report as UTF-8 whatever bytes they hold,
// and the exit code keeps all its 32 bits.
TEST_F(MediumTest, JsonStaysValidWithBytesOutsideAscii)
{
    AddTypicalMedium();
    Write("stage/disk.label", "[General]\r\nNumber=2\r\n");
    Write("stage/shiphomeproperties.xml", ShipHomeProperties("2000\x01\xE4", "W\xFF\"\\"));
    Write("install/setupD.dll", LibraryWithString1(u"Datentr\u00e4ger #%s\t\u20ac", 0x0407));

    MediacheckRun run = Run({root, "--json", "--windows", "32", "--lang", "0x0407"});

    std::optional<JsonValue> json = ParseWholeJson(run.out);
    ASSERT_TRUE(json.has_value()) << run.out;
    EXPECT_EQ((*json)["fields"]["platformId"]["text"].text(), "2000\x01\xC3\xA4");
    EXPECT_EQ((*json)["fields"]["platformName"]["text"].text(), "W\xC3\xBF\"\\");
    EXPECT_EQ((*json)["cases"][0]["messageBox"]["text"].text(), "Datentr\xC3\xA4ger #2\t\xE2\x82\xAC");
    EXPECT_EQ((*json)["cases"][0]["exitCode"].number(), 0);
    EXPECT_EQ((*json)["cases"].size(), 1u);

    Remove("install/setupD.dll");
    json = ParseWholeJson(Run({root, "--json", "--windows", "64"}).out);
    ASSERT_TRUE(json.has_value());
    EXPECT_EQ((*json)["cases"][0]["exitCode"].number(), 3758555137.0);
}

TEST_F(MediumTest, ExitStatusZeroOnlyWhenEveryBitnessStarts)
{
    AddTypicalMedium("2000");
    EXPECT_EQ(Run({root}).exitStatus, 0);
    AddTypicalMedium("912");
    EXPECT_EQ(Run({root, "--windows", "32"}).exitStatus, 0);
    EXPECT_EQ(Run({root, "--windows", "both"}).exitStatus, 1);
    Write("stage/shiphomeinfo.properties", std::string(kAllowLineText) + "\n");
    EXPECT_EQ(Run({root, "--windows", "64"}).exitStatus, 0);
}

TEST_F(MediumTest, VersionTextIsReadFromItsFile)
{
    AddTypicalMedium("2000");
    Write("version.txt", "IBM J9 VM amd64-64\n");

    MediacheckRun run =
        Run({root, "--windows", "64", "--json", "--jre-version-text", root + "/version.txt", "--", "-jreLoc", "C:\\j"});

    std::optional<JsonValue> json = ParseWholeJson(run.out);
    ASSERT_TRUE(json.has_value()) << run.out;
    const JsonValue& runtime = (*json)["cases"][0]["runtime"];
    EXPECT_TRUE(runtime["versionTextGiven"].isTrue());
    EXPECT_TRUE(runtime["vendorIbm"].isTrue());
    EXPECT_TRUE(runtime["jvm64Bit"].isTrue());
    EXPECT_EQ(runtime["versionCommand"].text(), "C:\\j\\bin\\java.exe -version");
    EXPECT_EQ((*json)["cases"][0]["flavour"].text(), "install\\\\win64\\\\setup.exe");
    EXPECT_EQ((*json)["warnings"].size(), 0u);

    json = ParseWholeJson(Run({root, "--json", "--jre-version-text", root + "/version.txt"}).out);
    ASSERT_TRUE(json.has_value());
    EXPECT_EQ((*json)["warnings"][0]["code"].text(), "version-text-unused");
}

TEST_F(MediumTest, HumanReportNamesPositionsWarningsAndOutcomes)
{
    AddTypicalMedium("912");
    Remove("install/win32");

    MediacheckRun run = Run({root, "--windows", "32"});

    EXPECT_EQ(run.exitStatus, 1);
    for (std::string_view piece :
         {"platform id     \"912\"  stage\\shiphomeproperties.xml line 4, characters 24-26\n",
          "media label     \"Tamvex Suite\"  stage\\disk.label line 4, characters 6-17\n",
          "[installer-missing] On 32-bit Windows the launcher would start install\\win32\\setup.exe",
          "\n32-bit Windows\n", "flavour         install\\\\win32\\\\setup.exe\n",
          "child path      D:\\\\install\\\\win32\\\\setup.exe (not on the medium)\n",
          "exit code       0xE0070004 (3758555140)\n", "Result: on some Windows asked for, no installer would start."})
        EXPECT_NE(run.out.find(piece), std::string::npos) << piece << "\n---\n" << run.out;
}

}  // namespace
