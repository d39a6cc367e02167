// The command line of mediacheck, and the run as a whole.
#include <fstream>
#include <sstream>

#include "tools/mediacheck/mediacheck.h"

namespace {

constexpr const char* kUsage =
    "usage: mediacheck MEDIUM_DIR [--windows 32|64|both] [--lang ID] [--jre-version-text FILE] [--json]\n"
    "                  [--launcher-path WINDOWS_PATH] [-- ARGUMENTS...]\n"
    "Tells what setup.exe would do on the medium, without starting anything.\n"
    "  --windows           the Windows to predict for (default: both)\n"
    "  --lang ID           the user's language identifier, decimal or 0x hex (default: 0x0409)\n"
    "  --jre-version-text  what the runtime named by -jreLoc answers to \"java -version\"\n"
    "  --json              the report as JSON\n"
    "  --launcher-path     where the user starts the launcher, in double quotes; the medium\n"
    "                      folder lies at its folder (default: D:\\setup.exe)\n"
    "  ARGUMENTS           what the user types after it, each after one space, verbatim\n"
    "Exit status: 0 when on every Windows asked for an installer that exists would start,\n"
    "1 otherwise, 2 on usage errors.\n";

constexpr int kExitOk = 0;
constexpr int kExitWouldNotStart = 1;
constexpr int kExitUsage = 2;

std::optional<uint16_t> ParseLanguage(std::string_view text)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    unsigned long value = 0;
    for (char c : text) {
        int digit = c >= '0' && c <= '9'                ? c - '0'
                    : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                         : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * static_cast<unsigned long>(base) + static_cast<unsigned long>(digit);
    }
    if (value > 0xFFFF)
        return std::nullopt;
    return static_cast<uint16_t>(value);
}

std::optional<std::string> ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    if (file.bad())
        return std::nullopt;
    return bytes.str();
}

// The options, or the reason they are not usable in error.
std::optional<CheckOptions> ParseOptions(const std::vector<std::string>& arguments, std::string& error, bool& help)
{
    CheckOptions options;
    bool haveFolder = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word == "--") {
            options.arguments.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1, arguments.end());
            break;
        }
        if (word == "--help" || word == "-h") {
            help = true;
            return std::nullopt;
        }
        if (word == "--json") {
            options.json = true;
            continue;
        }
        bool takesValue =
            word == "--windows" || word == "--lang" || word == "--jre-version-text" || word == "--launcher-path";
        if (takesValue && i + 1 == arguments.size()) {
            error = word + " needs a value";
            return std::nullopt;
        }
        if (word == "--windows") {
            const std::string& value = arguments[++i];
            if (value == "32" || value == "64")
                options.windowsBits = {value == "32" ? 32 : 64};
            else if (value == "both")
                options.windowsBits = {32, 64};
            else {
                error = "--windows takes 32, 64 or both, not \"" + value + "\"";
                return std::nullopt;
            }
        } else if (word == "--lang") {
            std::optional<uint16_t> langId = ParseLanguage(arguments[++i]);
            if (!langId) {
                error = "--lang takes a language identifier such as 1031 or 0x0407, not \"" + arguments[i] + "\"";
                return std::nullopt;
            }
            options.langId = *langId;
        } else if (word == "--jre-version-text") {
            options.versionText = ReadWholeFile(arguments[++i]);
            if (!options.versionText) {
                error = "cannot read the version text " + arguments[i];
                return std::nullopt;
            }
        } else if (word == "--launcher-path") {
            options.launcherPath = arguments[++i];
            if (!IsLauncherPath(options.launcherPath)) {
                error = "--launcher-path takes a full Windows path such as D:\\setup.exe, not \"" +
                        options.launcherPath + "\"";
                return std::nullopt;
            }
        } else if (word.size() > 1 && word[0] == '-') {
            error = "unknown option " + word;
            return std::nullopt;
        } else if (haveFolder) {
            error = "one medium folder only (arguments for setup.exe go after --)";
            return std::nullopt;
        } else {
            options.folder = word;
            haveFolder = true;
        }
    }
    if (!haveFolder) {
        error = "no medium folder given";
        return std::nullopt;
    }
    return options;
}

}  // namespace

int RunMediacheck(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    std::string error;
    bool help = false;
    std::optional<CheckOptions> options = ParseOptions(arguments, error, help);
    if (help) {
        out << kUsage;
        return kExitOk;
    }
    if (!options) {
        err << "mediacheck: " << error << "\n" << kUsage;
        return kExitUsage;
    }
    Medium medium = LoadMedium(options->folder, options->langId, error);
    if (!error.empty()) {
        err << "mediacheck: " << error << "\n";
        return kExitUsage;
    }
    Report report = CheckMedium(medium, *options);
    if (options->json)
        WriteJsonReport(report, out);
    else
        WriteHumanReport(report, out);
    return report.ok ? kExitOk : kExitWouldNotStart;
}
