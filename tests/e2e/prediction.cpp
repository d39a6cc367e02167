// The cross-check of mediacheck against the launcher under Wine.
#include "tests/e2e/prediction.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr const char* kMediacheck = MEDIACHECK_PATH;

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

// Runs of separators read as one, as Windows reads a path.
std::string Folded(std::string_view path)
{
    std::string folded;
    for (size_t i = 0; i < path.size(); ++i)
        if (!(path[i] == '\\' && i > 1 && path[i - 1] == '\\'))
            folded += path[i];
    return folded;
}

std::optional<std::string> ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteFile(const std::string& path, std::string_view bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The value the launcher's environment gives a variable: the request's own
// setting ("NAME" alone removes it), else the one Wine inherits from us.
std::optional<std::string> EnvironmentValue(const LaunchRequest& request, std::string_view name)
{
    for (auto entry = request.environment.rbegin(); entry != request.environment.rend(); ++entry) {
        std::string_view text = *entry;
        std::string_view key = text.substr(0, text.find('='));
        if (key != name)
            continue;
        if (key.size() == text.size())
            return std::nullopt;
        return std::string(text.substr(key.size() + 1));
    }
    const char* inherited = getenv(std::string(name).c_str());
    return inherited != nullptr ? std::optional<std::string>(inherited) : std::nullopt;
}

// The word after the first "-jreLoc" word: words are split at spaces only.
std::optional<std::string> RuntimeLocation(std::string_view commandLine)
{
    std::vector<std::string_view> words;
    size_t position = 0;
    while ((position = commandLine.find_first_not_of(' ', position)) != std::string_view::npos) {
        size_t end = commandLine.find(' ', position);
        words.push_back(commandLine.substr(position, end == std::string_view::npos ? end : end - position));
        position = end;
    }
    for (size_t i = 0; i + 1 < words.size(); ++i)
        if (SameIgnoringCase(words[i], "-jreLoc"))
            return std::string(words[i + 1]);
    return std::nullopt;
}

// What the named runtime answers, where it is a test runtime of the prefix;
// nothing where there is no runtime to answer (mediacheck then takes the
// interpreter's "not recognized" text, which names no vendor either).
std::optional<std::string> VersionTextOf(std::string_view location, std::string_view dosDevices)
{
    std::string folder = UnixPathOf(location, dosDevices);
    if (folder.empty() || !fs::is_regular_file(folder + "/bin/java.exe"))
        return std::nullopt;
    return FakeJavaVersionText(ReadFile(folder + "/bin/fake-java-output.txt").value_or(""));
}

// The value after "key": in the report's one case, as written by mediacheck.
std::optional<std::string_view> ValueAfter(std::string_view json, std::string_view key)
{
    size_t cases = json.find("\"cases\": [");
    size_t at = cases == std::string_view::npos ? cases : json.find("\"" + std::string(key) + "\": ", cases);
    if (at == std::string_view::npos)
        return std::nullopt;
    return json.substr(at + key.size() + 4);
}

int RunMediacheck(const std::vector<std::string>& arguments, const std::string& outputPath,
                  const std::string& errorPath)
{
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::string Describe(uint32_t exitCode, bool installerStarted, std::string_view boxTitle)
{
    std::ostringstream text;
    text << "exit code 0x" << std::hex << exitCode << ", "
         << (installerStarted ? "installer started" : "no installer started") << ", "
         << (boxTitle.empty() ? std::string("no box") : "box \"" + std::string(boxTitle) + "\"");
    return text.str();
}

}  // namespace

std::string UnixPathOf(std::string_view windowsPath, std::string_view dosDevices)
{
    if (windowsPath.size() < 3 || !std::isalpha(static_cast<unsigned char>(windowsPath[0])) ||
        windowsPath[1] != ':' || windowsPath[2] != '\\')
        return {};
    std::string path = std::string(dosDevices) + "/" + Lower(windowsPath[0]) + ":";
    size_t position = 2;
    while (position < windowsPath.size()) {
        size_t end = windowsPath.find('\\', position);
        if (end == std::string_view::npos)
            end = windowsPath.size();
        if (end > position)
            path += "/" + std::string(windowsPath.substr(position, end - position));
        position = end + 1;
    }
    return path;
}

std::optional<uint16_t> LanguageOfLocale(std::string_view locale)
{
    std::string_view name = locale.substr(0, locale.find_first_of(".@"));
    struct Known {
        std::string_view name;
        uint16_t langId;
    };
    static constexpr Known kKnown[] = {
        {"C", 0x0409},     {"POSIX", 0x0409}, {"en_US", 0x0409}, {"en_GB", 0x0809}, {"de_DE", 0x0407},
        {"de_CH", 0x0807}, {"de_AT", 0x0C07}, {"es_ES", 0x0C0A}, {"fr_FR", 0x040C}, {"fr_CH", 0x100C},
        {"fr_CA", 0x0C0C}, {"it_IT", 0x0410}, {"it_CH", 0x0810}, {"ja_JP", 0x0411}, {"ko_KR", 0x0412},
        {"pt_BR", 0x0416}, {"pt_PT", 0x0816}, {"zh_CN", 0x0804}, {"zh_TW", 0x0404},
    };
    for (const Known& known : kKnown)
        if (known.name == name)
            return known.langId;
    return std::nullopt;
}

std::string FakeJavaVersionText(std::string_view records)
{
    std::string text;
    size_t position = 0;
    while (position + 2 <= records.size()) {
        size_t end = records.find('\n', position);
        if (end == std::string_view::npos)
            end = records.size();
        std::string_view record = end >= position + 2 ? records.substr(position + 2, end - position - 2) : "";
        for (size_t i = 0; i < record.size(); ++i) {
            if (record[i] != '\\' || i + 1 == record.size()) {
                text += record[i];
                continue;
            }
            char next = record[++i];
            text += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
        }
        position = end + 1;
    }
    return text;
}

std::optional<PredictionInput> PredictionInputOf(const LaunchRequest& request, std::string_view dosDevices,
                                                 std::string& reason)
{
    std::string_view commandLine = request.commandLine;
    size_t close = commandLine.find('"', 1);
    if (commandLine.empty() || commandLine[0] != '"' || close == std::string_view::npos) {
        reason = "the command line does not begin with a path in double quotes";
        return std::nullopt;
    }
    PredictionInput input;
    input.launcherPath = std::string(commandLine.substr(1, close - 1));
    std::string_view tail = commandLine.substr(close + 1);
    if (!tail.empty() && tail[0] != ' ') {
        reason = "the quoted path is followed by something other than a space";
        return std::nullopt;
    }
    input.arguments = std::string(tail.substr(tail.empty() ? 0 : 1));
    std::string launcher = Folded(input.launcherPath);
    if (request.applicationName && !SameIgnoringCase(Folded(*request.applicationName), launcher)) {
        reason = "the program started is not the one the command line names";
        return std::nullopt;
    }
    size_t lastSeparator = launcher.rfind('\\');
    input.mediumFolder =
        UnixPathOf(launcher.substr(0, lastSeparator == std::string::npos ? 0 : lastSeparator + 1), dosDevices);
    if (input.mediumFolder.empty() || launcher.back() == '\\' || !fs::is_directory(input.mediumFolder)) {
        reason = "the quoted path is no full path of a file in a folder of the prefix";
        return std::nullopt;
    }
    std::optional<std::string> locale = EnvironmentValue(request, "LC_ALL");
    std::optional<uint16_t> langId = locale ? LanguageOfLocale(*locale) : std::optional<uint16_t>(0x0409);
    if (!langId) {
        ADD_FAILURE() << "LC_ALL=" << *locale << " has no language identifier in LanguageOfLocale: add it, or set "
                      << "LaunchRequest::noPrediction";
        reason = "unknown LC_ALL";
        return std::nullopt;
    }
    input.langId = *langId;
    if (std::optional<std::string> location = RuntimeLocation(commandLine))
        input.versionText = VersionTextOf(*location, dosDevices);
    return input;
}

std::optional<Prediction> ReadPrediction(std::string_view json)
{
    std::optional<std::string_view> exitCode = ValueAfter(json, "exitCode");
    std::optional<std::string_view> started = ValueAfter(json, "installerStarted");
    std::optional<std::string_view> box = ValueAfter(json, "messageBox");
    if (!exitCode || !started || !box)
        return std::nullopt;
    Prediction prediction;
    prediction.exitCode = static_cast<uint32_t>(strtoul(std::string(exitCode->substr(0, 12)).c_str(), nullptr, 10));
    prediction.installerStarted = started->substr(0, 4) == "true";
    constexpr std::string_view kTitle = "{\"title\": \"";
    if (box->substr(0, kTitle.size()) == kTitle) {
        std::string_view rest = box->substr(kTitle.size());
        prediction.boxTitle = std::string(rest.substr(0, rest.find('"')));
    } else if (box->substr(0, 4) != "null") {
        return std::nullopt;
    }
    return prediction;
}

void CheckPrediction(const LaunchRequest& request, const LaunchResult& result, std::string_view dosDevices,
                     const std::string& runFolder)
{
    std::string notePath = runFolder + "/prediction.txt";
    if (!request.noPrediction.empty()) {
        WriteFile(notePath, "not predicted (opted out): " + request.noPrediction + "\n");
        return;
    }
    if (!result.problem.empty()) {
        WriteFile(notePath, "not predicted: the run itself failed\n");
        return;
    }
    std::string reason;
    std::optional<PredictionInput> input = PredictionInputOf(request, dosDevices, reason);
    if (!input) {
        WriteFile(notePath, "not predicted: " + reason + "\n");
        return;
    }
    std::vector<std::string> arguments = {kMediacheck,         input->mediumFolder, "--windows", "32", "--json",
                                          "--launcher-path",   input->launcherPath, "--lang",
                                          std::to_string(input->langId)};
    if (input->versionText) {
        std::string versionPath = runFolder + "/mediacheck-version-text.txt";
        WriteFile(versionPath, *input->versionText);
        arguments.insert(arguments.end(), {"--jre-version-text", versionPath});
    }
    if (!input->arguments.empty())
        arguments.insert(arguments.end(), {"--", input->arguments});
    std::string jsonPath = runFolder + "/mediacheck.json";
    int status = RunMediacheck(arguments, jsonPath, runFolder + "/mediacheck.err");
    std::string json = ReadFile(jsonPath).value_or("");
    std::optional<Prediction> prediction = ReadPrediction(json);
    if ((status != 0 && status != 1) || !prediction) {
        ADD_FAILURE() << "mediacheck gave no prediction (exit status " << status << "; see " << runFolder
                      << "/mediacheck.err): " << kMediacheck;
        return;
    }
    std::string predicted = Describe(prediction->exitCode, prediction->installerStarted, prediction->boxTitle);
    std::string happened = Describe(result.exitCode, !result.stubRecords.empty(),
                                    result.messageBoxes.empty() ? "" : result.messageBoxes[0].title);
    WriteFile(notePath, "predicted: " + predicted + "\nhappened:  " + happened + "\n");
    if (predicted != happened)
        ADD_FAILURE() << "mediacheck's prediction differs from the launcher's run under Wine.\n  predicted: "
                      << predicted << "\n  happened:  " << happened << "\n  medium " << input->mediumFolder
                      << ", command line " << request.commandLine.substr(0, 300) << "\n  see " << jsonPath
                      << "\n  (a run that depends on more than the medium and the command line can opt out with "
                         "LaunchRequest::noPrediction)";
}
