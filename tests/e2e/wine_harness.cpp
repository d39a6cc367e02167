// The Wine side of the end-to-end tests: the prefix, the scratch folders,
// the runs through the runner and the reading of what they left behind.
#include "tests/e2e/wine_harness.h"

#include "tests/e2e/prediction.h"

#include <fcntl.h>
#include <sys/file.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr const char* kWin64BuildDir = WIN64_BUILD_DIR;
constexpr const char* kWorkDir = E2E_WORK_DIR;
constexpr const char* kWineLoader = WINE64_LOADER;
constexpr const char* kWineServer = WINESERVER;

// The scratch root as both sides see it: C:\e2e inside the prefix.
constexpr const char* kScratchWindows = "C:\\e2e";

// Wine itself gets this long beyond the launcher's own timeout.
constexpr int kWineMarginSeconds = 30;

std::string PrefixPath()
{
    return std::string(kWorkDir) + "/prefix";
}

std::string ScratchUnixRoot()
{
    return PrefixPath() + "/drive_c/e2e";
}

std::string LogPath(std::string_view name)
{
    return std::string(kWorkDir) + "/" + std::string(name);
}

// Empty once the prefix is ready; what is wrong otherwise.
std::string& WineProblem()
{
    static std::string problem = "the Wine prefix was never set up";
    return problem;
}

std::string UnixRelative(std::string_view windowsRelative)
{
    std::string path(windowsRelative);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

std::optional<std::string> ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

bool WriteWholeFile(const std::string& path, std::string_view bytes)
{
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

std::string Hex(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 0x0F];
    }
    return hex;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> Unhex(std::string_view hex)
{
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
        int high = HexValue(hex[i]);
        int low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

// --- Unix programs ----------------------------------------------------------

struct ProgramOutcome {
    bool ended = false;
    bool timedOut = false;
    int exitStatus = -1;
    std::string failure;
};

std::string NameOf(std::string_view entry)
{
    return std::string(entry.substr(0, entry.find('=')));
}

// The Unix environment of every Wine program: ours without any display (so a
// message box returns at once) and without Wine settings of the caller's.
std::vector<std::string> WineProcessEnvironment(std::string_view debug, const std::vector<std::string>& extra)
{
    std::vector<std::string> dropped = {"DISPLAY",          "WAYLAND_DISPLAY", "WINEPREFIX", "WINEDEBUG",
                                        "WINEDLLOVERRIDES", "WINESERVER",      "WINELOADER", "WINEARCH"};
    for (const std::string& entry : extra)
        dropped.push_back(NameOf(entry));
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string name = NameOf(*entry);
        bool drop = false;
        for (const std::string& unwanted : dropped)
            drop = drop || name == unwanted;
        if (!drop)
            environment.emplace_back(*entry);
    }
    environment.push_back("WINEPREFIX=" + PrefixPath());
    environment.push_back(std::string("WINESERVER=") + kWineServer);
    environment.push_back("WINEDLLOVERRIDES=mscoree,mshtml=;winemenubuilder.exe=d");
    environment.push_back("WINEDEBUG=" + std::string(debug));
    for (const std::string& entry : extra)
        if (entry.find('=') != std::string::npos)
            environment.push_back(entry);
    return environment;
}

// Runs a program with its standard streams on files (never ours: a Wine
// service that inherited them would keep a test runner's pipe open) and ends
// its process group when it takes too long.
ProgramOutcome RunProgram(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                          const std::string& directory, const std::string& outputPath, const std::string& errorPath,
                          int timeoutSeconds)
{
    ProgramOutcome outcome;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& entry : environment)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    pid_t pid = fork();
    if (pid < 0) {
        outcome.failure = "fork failed";
        return outcome;
    }
    if (pid == 0) {
        setpgid(0, 0);
        int input = open("/dev/null", O_RDONLY);
        int output = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644);
        int error = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644);
        if (input < 0 || output < 0 || error < 0 || chdir(directory.c_str()) != 0)
            _exit(126);
        dup2(input, 0);
        dup2(output, 1);
        dup2(error, 2);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }

    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(-pid, SIGKILL);
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            outcome.timedOut = true;
            outcome.failure = arguments[0] + " took longer than " + std::to_string(timeoutSeconds) + " s";
            return outcome;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    outcome.ended = true;
    outcome.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return outcome;
}

ProgramOutcome RunWineTool(const std::vector<std::string>& arguments, std::string_view logName, int timeoutSeconds)
{
    return RunProgram(arguments, WineProcessEnvironment("-all", {}), kWorkDir, LogPath(std::string(logName) + ".out"),
                      LogPath(std::string(logName) + ".err"), timeoutSeconds);
}

// Kills the prefix's server and everything it runs, and waits until it is
// gone, so that a new prefix never meets it.
void StopWineServer(std::string_view logName)
{
    RunWineTool({kWineServer, "-k"}, logName, 30);
    RunWineTool({kWineServer, "-w"}, std::string(logName) + "-wait", 30);
}

std::string MissingFile(const std::string& path, std::string_view hint)
{
    if (fs::exists(path))
        return {};
    return "missing " + path + " (" + std::string(hint) + ")";
}

// The last lines of a log, for a failure message.
std::string LogTail(std::string_view name)
{
    std::string log = ReadWholeFile(LogPath(name)).value_or("");
    std::string text = log.size() > 600 ? "..." + log.substr(log.size() - 600) : log;
    return "[" + LogPath(name) + ": " + (text.empty() ? "empty" : text) + "]";
}

// Holds the work folder for this process: two runs of one build's e2e_tests
// would remove each other's prefix. The lock goes with the process.
std::string LockWorkFolder()
{
    std::string path = LogPath("lock");
    int file = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (file < 0)
        return "cannot open " + path;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(10);
    while (flock(file, LOCK_EX | LOCK_NB) != 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return "another run of these tests has held " + path + " for 10 minutes";
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return {};
}

std::string PrepareWine()
{
    for (const std::string& problem :
         {MissingFile(kWineLoader, "install the wine64 package"),
          MissingFile(kWineServer, "install the wine64 package"),
          MissingFile(std::string(kWin64BuildDir) + "/setup.exe", "build the win64 tree, or set WIN64_BUILD_DIR"),
          MissingFile(std::string(kWin64BuildDir) + "/tests/e2e/helpers/runner.exe", "build the win64 tree"),
          MissingFile(std::string(kWin64BuildDir) + "/tests/e2e/helpers/stub_installer.exe", "build the win64 tree")})
        if (!problem.empty())
            return problem;

    std::error_code error;
    fs::create_directories(kWorkDir, error);
    if (std::string problem = LockWorkFolder(); !problem.empty())
        return problem;
    // A server left over from an interrupted run would hold the old prefix.
    if (fs::exists(PrefixPath()))
        StopWineServer("wineserver-stop-old");
    fs::remove_all(PrefixPath(), error);
    if (error)
        return "cannot remove the old prefix " + PrefixPath() + ": " + error.message();
    fs::create_directories(PrefixPath(), error);
    if (error)
        return "cannot make " + PrefixPath();

    ProgramOutcome server = RunWineTool({kWineServer, "-p"}, "wineserver", 30);
    if (!server.ended || server.exitStatus != 0)
        return "wineserver -p did not start " + LogTail("wineserver.err");
    ProgramOutcome boot = RunWineTool({kWineLoader, "wineboot", "-i"}, "wineboot", 180);
    if (!boot.ended || boot.exitStatus != 0)
        return "wineboot -i failed " + LogTail("wineboot.err");

    for (const char* folder : {"media", "caller", "runs"})
        fs::create_directories(ScratchUnixRoot() + "/" + folder, error);
    std::string settings = std::string("REGEDIT4\n\n") + "[HKEY_CURRENT_USER\\Software\\Wine\\Debug]\n" +
                           "\"RelayInclude\"=\"" + kTracedFunctions + "\"\n\n" +
                           "[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\n" + "\"ShowCrashDialog\"=dword:00000000\n";
    if (!WriteWholeFile(ScratchUnixRoot() + "/settings.reg", settings))
        return "cannot write the registry settings";
    ProgramOutcome regedit =
        RunWineTool({kWineLoader, "regedit", "/S", std::string(kScratchWindows) + "\\settings.reg"}, "regedit", 60);
    if (!regedit.ended || regedit.exitStatus != 0)
        return "regedit failed " + LogTail("regedit.err");
    return {};
}

class WinePrefixEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        WineProblem() = PrepareWine();
        // Not fatal: the cases still run, and each one fails on the problem
        // rather than being skipped.
        if (!WineProblem().empty())
            ADD_FAILURE() << "End-to-end tests need Wine and the win64 build: " << WineProblem();
    }

    void TearDown() override
    {
        if (fs::exists(PrefixPath()))
            StopWineServer("wineserver-stop");
    }
};

[[maybe_unused]] ::testing::Environment* const wineEnvironment =
    ::testing::AddGlobalTestEnvironment(new WinePrefixEnvironment);

// --- trace ------------------------------------------------------------------

bool ParseHexNumber(std::string_view text, size_t& position, uint64_t& value)
{
    size_t start = position;
    value = 0;
    while (position < text.size() && HexValue(text[position]) >= 0)
        value = value * 16 + static_cast<uint64_t>(HexValue(text[position++]));
    return position > start;
}

bool Expect(std::string_view text, size_t& position, std::string_view expected)
{
    if (text.substr(position, expected.size()) != expected)
        return false;
    position += expected.size();
    return true;
}

// A string as Wine's debugstr shows it, from its opening quote: escapes
// \n \r \t \" \\ and \xHH (\xHHHH in wide strings); "..." after the closing
// quote marks a cut.
bool ParseTracedText(std::string_view text, size_t& position, bool wide, TraceArgument& argument)
{
    if (!Expect(text, position, "\""))
        return false;
    while (position < text.size() && text[position] != '"') {
        char c = text[position++];
        if (c != '\\') {
            argument.text += c;
            continue;
        }
        if (position >= text.size())
            return false;
        char escaped = text[position++];
        if (escaped == 'n')
            argument.text += '\n';
        else if (escaped == 'r')
            argument.text += '\r';
        else if (escaped == 't')
            argument.text += '\t';
        else if (escaped == 'x') {
            int code = 0;
            for (size_t digit = 0; digit < (wide ? 4u : 2u); ++digit) {
                if (position >= text.size() || HexValue(text[position]) < 0)
                    return false;
                code = code * 16 + HexValue(text[position++]);
            }
            argument.text += static_cast<char>(code & 0xFF);
        } else
            argument.text += escaped;
    }
    if (!Expect(text, position, "\""))
        return false;
    argument.hasText = true;
    argument.textCut = Expect(text, position, "...");
    return true;
}

bool ParseTraceArgument(std::string_view text, size_t& position, TraceArgument& argument)
{
    if (!ParseHexNumber(text, position, argument.value))
        return false;
    if (!Expect(text, position, " "))
        return true;
    if (Expect(text, position, "(")) {  // "(invalid)" and the like: no text
        position = text.find(')', position);
        if (position == std::string_view::npos)
            return false;
        ++position;
        return true;
    }
    bool wide = Expect(text, position, "L");
    return ParseTracedText(text, position, wide, argument);
}

// "pid:tid:" at the start of a line of a +pid trace.
bool ParseThreadPrefix(std::string_view line, size_t& position, uint32_t& pid, uint32_t& tid)
{
    uint64_t value = 0;
    if (!ParseHexNumber(line, position, value) || !Expect(line, position, ":"))
        return false;
    pid = static_cast<uint32_t>(value);
    if (!ParseHexNumber(line, position, value) || !Expect(line, position, ":"))
        return false;
    tid = static_cast<uint32_t>(value);
    return true;
}

// "module.Function" up to the opening parenthesis.
bool ParseFunctionName(std::string_view line, size_t& position, TracedCall& call)
{
    size_t open = line.find('(', position);
    if (open == std::string_view::npos)
        return false;
    std::string_view name = line.substr(position, open - position);
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.find(' ') != std::string_view::npos)
        return false;
    call.module = std::string(name.substr(0, dot));
    call.function = std::string(name.substr(dot + 1));
    position = open + 1;
    return !call.function.empty();
}

// "Ret  module.Function() retval=N": the value a call returned.
bool ParseTraceReturn(std::string_view line, TracedCall& ret)
{
    size_t position = 0;
    if (!ParseThreadPrefix(line, position, ret.pid, ret.tid) || !Expect(line, position, "Ret  ") ||
        !ParseFunctionName(line, position, ret) || !Expect(line, position, ") retval="))
        return false;
    uint64_t value = 0;
    if (!ParseHexNumber(line, position, value))
        return false;
    ret.returned = value;
    return true;
}

// The line of text that starts at start (without its line feed); start moves
// past it.
std::string_view NextLine(std::string_view text, size_t& start)
{
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos)
        end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    return line;
}

std::vector<TracedCall> ParseTrace(std::string_view trace, uint32_t runnerPid)
{
    std::vector<TracedCall> calls;
    size_t start = 0;
    while (start < trace.size()) {
        std::string_view line = NextLine(trace, start);
        if (std::optional<TracedCall> call = ParseTraceCall(line)) {
            if (call->pid != runnerPid)
                calls.push_back(std::move(*call));
            continue;
        }
        TracedCall ret;
        if (!ParseTraceReturn(line, ret))
            continue;
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->pid == ret.pid && it->tid == ret.tid && it->function == ret.function && !it->returned) {
                it->returned = ret.returned;
                break;
            }
    }
    return calls;
}

std::vector<MessageBoxCall> MessageBoxesOf(const std::vector<TracedCall>& calls, uint32_t launcherPid)
{
    std::vector<MessageBoxCall> boxes;
    for (const TracedCall& call : calls) {
        if (call.pid != launcherPid || call.function != "MessageBoxA" || call.arguments.size() != 4)
            continue;
        MessageBoxCall box;
        box.owner = call.arguments[0].value;
        box.text = call.arguments[1].text;
        box.textCut = call.arguments[1].textCut;
        box.title = call.arguments[2].text;
        box.style = static_cast<uint32_t>(call.arguments[3].value);  // a UINT: low half only
        boxes.push_back(box);
    }
    return boxes;
}

std::vector<StubRecord> ParseStubRecords(std::string_view content)
{
    std::vector<StubRecord> records;
    std::istringstream lines{std::string(content)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string commandLine, modulePath, currentDirectory;
        fields >> commandLine >> modulePath >> currentDirectory;
        StubRecord record;
        record.commandLine = Unhex(commandLine).value_or("<unreadable>");
        record.modulePath = Unhex(modulePath).value_or("<unreadable>");
        record.currentDirectory = Unhex(currentDirectory).value_or("<unreadable>");
        records.push_back(record);
    }
    return records;
}

// key -> value of the runner's result file.
std::optional<std::string> ResultField(std::string_view content, std::string_view key)
{
    std::istringstream lines{std::string(content)};
    std::string line;
    while (std::getline(lines, line))
        if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 && line[key.size()] == ' ')
            return line.substr(key.size() + 1);
    return std::nullopt;
}

uint32_t ResultNumber(std::string_view content, std::string_view key, int base)
{
    std::string text = ResultField(content, key).value_or("0");
    return static_cast<uint32_t>(strtoul(text.c_str(), nullptr, base));
}

std::string_view LastPart(std::string_view name)
{
    return name.substr(name.rfind('/') + 1);
}

// Wine's own complaints in a trace file ("wine: ..." and err: lines), the
// last few, for a failure message.
std::string WineMessages(const std::string& tracePath)
{
    std::istringstream lines{ReadWholeFile(tracePath).value_or("")};
    std::vector<std::string> messages;
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind("wine:", 0) == 0 || line.find(":err:") != std::string::npos)
            messages.push_back(line);
    std::string text;
    for (size_t i = messages.size() > 5 ? messages.size() - 5 : 0; i < messages.size(); ++i)
        text += (text.empty() ? "" : " | ") + messages[i];
    return text.empty() ? "nothing said" : text;
}

// <number>-<suite>.<case>, the instantiation prefix and the test name of a
// parameterized case left out to keep it short.
std::string RunFolderName()
{
    static int runNumber = 0;
    std::string name = std::to_string(++runNumber);
    if (const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info()) {
        name += '-';
        std::string caseName =
            std::string(LastPart(test->test_suite_name())) + "." + std::string(LastPart(test->name()));
        for (char c : caseName)
            name += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.' ? c : '_';
    }
    return name.substr(0, 100);
}

}  // namespace

// --- media ------------------------------------------------------------------

WineFolder ScratchFolder(std::string_view relativePath)
{
    WineFolder folder{ScratchUnixRoot() + "/" + UnixRelative(relativePath),
                      std::string(kScratchWindows) + "\\" + std::string(relativePath)};
    std::error_code error;
    fs::create_directories(folder.unixPath, error);
    if (error)
        ADD_FAILURE() << "cannot make " << folder.unixPath << ": " << error.message();
    return folder;
}

WineFolder CreateMedium(std::string_view name)
{
    std::string relative = "media\\" + std::string(name);
    std::error_code error;
    fs::remove_all(ScratchUnixRoot() + "/" + UnixRelative(relative), error);
    return ScratchFolder(relative);
}

WineFolder CallerFolder()
{
    return ScratchFolder("caller");
}

void WriteMediumFile(const WineFolder& medium, std::string_view relativePath, std::string_view bytes)
{
    std::string path = medium.unixPath + "/" + UnixRelative(relativePath);
    if (!WriteWholeFile(path, bytes))
        ADD_FAILURE() << "cannot write " << path;
}

void AddMediumFolder(const WineFolder& medium, std::string_view relativePath)
{
    std::error_code error;
    fs::create_directories(medium.unixPath + "/" + UnixRelative(relativePath), error);
    if (error)
        ADD_FAILURE() << "cannot make " << relativePath << " in " << medium.unixPath;
}

void RemoveMediumPath(const WineFolder& medium, std::string_view relativePath)
{
    std::error_code error;
    fs::remove_all(medium.unixPath + "/" + UnixRelative(relativePath), error);
    if (error)
        ADD_FAILURE() << "cannot remove " << relativePath << " in " << medium.unixPath;
}

void CopyBuiltFile(std::string_view builtPath, const WineFolder& medium, std::string_view relativePath)
{
    std::string source = std::string(kWin64BuildDir) + "/" + std::string(builtPath);
    std::string target = medium.unixPath + "/" + UnixRelative(relativePath);
    std::error_code error;
    fs::create_directories(fs::path(target).parent_path(), error);
    fs::copy_file(source, target, fs::copy_options::overwrite_existing, error);
    if (error)
        ADD_FAILURE() << "cannot copy " << source << " to " << target << ": " << error.message();
}

void CopyLauncher(const WineFolder& medium, std::string_view relativePath)
{
    CopyBuiltFile("setup.exe", medium, relativePath);
}

void PlaceStubInstaller(const WineFolder& medium, std::string_view relativePath)
{
    CopyBuiltFile("tests/e2e/helpers/stub_installer.exe", medium, relativePath);
}

std::string ShipHomePropertiesText(std::string_view platformId, std::string_view platformName)
{
    // Line 4: 24 characters, the id, 10 characters with the line end. Line
    // 5: 36 characters, the name, 22 characters with the line end.
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<shiphome>\n  <properties>\n") +
           "     <platformId value=\"" + std::string(platformId) + "\" v=\"1\"/>\n" +
           "  <platformName lang=\"en-US\" value=\"" + std::string(platformName) + "\" kind=\"os-family\" />\n" +
           "  </properties>\n</shiphome>\n";
}

void AddTypicalMedium(const WineFolder& medium)
{
    CopyLauncher(medium);
    AddMediumFolder(medium, "stage\\Components\\tamvex.jdk");
    WriteMediumFile(medium, "stage\\disk.label", "[General]\nNumber=1\n");
    WriteMediumFile(medium, "stage\\shiphomeproperties.xml",
                    ShipHomePropertiesText("912", "Microsoft Windows (32-bit)"));
    PlaceStubInstaller(medium);
}

WineFolder MapDrive(char letter, const WineFolder& folder)
{
    std::string link = PrefixPath() + "/dosdevices/" + std::string(1, letter) + ":";
    std::error_code error;
    fs::remove(link, error);
    fs::create_directory_symlink(folder.unixPath, link, error);
    if (error)
        ADD_FAILURE() << "cannot map drive " << letter << ": to " << folder.unixPath << ": " << error.message();
    return WineFolder{folder.unixPath, std::string(1, static_cast<char>(std::toupper(letter))) + ":"};
}

void UnmapDrive(char letter)
{
    std::error_code error;
    fs::remove(PrefixPath() + "/dosdevices/" + std::string(1, letter) + ":", error);
}

// --- runs -------------------------------------------------------------------

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

LaunchRequest LaunchFrom(const WineFolder& folder, std::string_view launcherName)
{
    LaunchRequest request;
    std::string path = folder.windowsPath + "\\" + std::string(launcherName);
    request.applicationName = path;
    request.commandLine = Quoted(path);
    return request;
}

LaunchResult RunLauncher(const LaunchRequest& request)
{
    LaunchResult result;
    if (!WineProblem().empty()) {
        result.problem = "Wine is not ready: " + WineProblem();
        return result;
    }
    std::string name = RunFolderName();
    WineFolder run = ScratchFolder("runs\\" + name);
    result.runFolder = run.unixPath;

    std::vector<std::string> environment = request.environment;
    environment.push_back("STUB_RECORD=" + run.windowsPath + "\\stub-records.txt");
    environment.push_back("STUB_EXIT_CODE=" + std::to_string(request.stubExitCode));
    std::string requestText;
    if (request.applicationName)
        requestText += "application " + Hex(*request.applicationName) + "\n";
    requestText += "commandLine " + Hex(request.commandLine) + "\n";
    requestText += "currentDirectory " + Hex(request.currentDirectory.value_or(CallerFolder().windowsPath)) + "\n";
    for (const std::string& entry : environment)
        requestText += "environment " + Hex(entry) + "\n";
    requestText += "stdout " + Hex(run.windowsPath + "\\stdout.bin") + "\n";
    requestText += "stderr " + Hex(run.windowsPath + "\\stderr.bin") + "\n";
    requestText += "timeout " + Hex(std::to_string(request.timeoutSeconds * 1000)) + "\n";
    requestText += "result " + Hex(run.windowsPath + "\\result.txt") + "\n";
    if (!WriteWholeFile(run.unixPath + "/request.txt", requestText)) {
        result.problem = "cannot write " + run.unixPath + "/request.txt";
        return result;
    }

    std::string runner = std::string(kWin64BuildDir) + "/tests/e2e/helpers/runner.exe";
    ProgramOutcome outcome;
    for (int attempt = 1;; ++attempt) {
        outcome = RunProgram({kWineLoader, runner, run.windowsPath + "\\request.txt"},
                             WineProcessEnvironment("+pid,+relay,+loaddll", request.environment), run.unixPath,
                             run.unixPath + "/runner.out", run.unixPath + "/trace.txt",
                             request.timeoutSeconds + kWineMarginSeconds);
        // Wine may, rarely, fail to bring a program up at all. The runner
        // makes the launcher's output files just before starting it: without
        // them the launcher never ran, and one more try is safe.
        bool launcherUntouched = !fs::exists(run.unixPath + "/stdout.bin");
        if (!outcome.ended || !launcherUntouched || attempt == 2)
            break;
        std::error_code error;
        fs::rename(run.unixPath + "/trace.txt", run.unixPath + "/trace-first-try.txt", error);
        fprintf(stderr, "note: the runner did not start (exit status %d), trying once more: %s\n", outcome.exitStatus,
                WineMessages(run.unixPath + "/trace-first-try.txt").c_str());
    }
    std::string seeFolder = " (see " + run.unixPath + ")";
    if (!outcome.ended) {
        result.problem = "the runner did not end: " + outcome.failure + seeFolder;
        return result;
    }
    std::optional<std::string> resultText = ReadWholeFile(run.unixPath + "/result.txt");
    if (!resultText) {
        result.problem = "the runner left no result, exit status " + std::to_string(outcome.exitStatus) + "; Wine: " +
                         WineMessages(run.unixPath + "/trace.txt") + seeFolder;
        return result;
    }
    std::string status = ResultField(*resultText, "status").value_or("");
    result.pid = ResultNumber(*resultText, "pid", 10);
    result.exitCode = ResultNumber(*resultText, "exitCode", 16);
    uint32_t runnerPid = ResultNumber(*resultText, "runnerPid", 10);
    if (status == "not-started")
        result.problem = "the launcher could not be started, Windows error " +
                         ResultField(*resultText, "error").value_or("?") + seeFolder;
    else if (status == "timeout")
        result.problem = "the launcher did not end within " + std::to_string(request.timeoutSeconds) + " s" + seeFolder;
    else if (status != "ended")
        result.problem = "the runner's result is unreadable" + seeFolder;

    result.stdoutBytes = ReadWholeFile(run.unixPath + "/stdout.bin").value_or("");
    result.stubRecords = ParseStubRecords(ReadWholeFile(run.unixPath + "/stub-records.txt").value_or(""));
    result.calls = ParseTrace(ReadWholeFile(run.unixPath + "/trace.txt").value_or(""), runnerPid);
    result.messageBoxes = MessageBoxesOf(result.calls, result.pid);
    CheckPrediction(request, result, PrefixPath() + "/dosdevices", run.unixPath);
    return result;
}

std::vector<TracedCall> LauncherCalls(const LaunchResult& result, std::string_view function)
{
    std::vector<TracedCall> calls;
    for (const TracedCall& call : result.calls)
        if (call.pid == result.pid && call.function == function)
            calls.push_back(call);
    return calls;
}

bool TracedTextIs(const TraceArgument& argument, std::string_view expected)
{
    if (!argument.hasText)
        return false;
    if (argument.textCut)
        return expected.substr(0, argument.text.size()) == argument.text;
    return argument.text == expected;
}

std::optional<TracedCall> ParseTraceCall(std::string_view line)
{
    TracedCall call;
    size_t position = 0;
    if (!ParseThreadPrefix(line, position, call.pid, call.tid) || !Expect(line, position, "Call ") ||
        !ParseFunctionName(line, position, call))
        return std::nullopt;
    if (Expect(line, position, ")"))
        return call;
    while (true) {
        TraceArgument argument;
        if (!ParseTraceArgument(line, position, argument))
            return std::nullopt;
        call.arguments.push_back(std::move(argument));
        if (Expect(line, position, ")"))
            return call;
        if (!Expect(line, position, ","))
            return std::nullopt;
    }
}

std::string ReadTraceFile(const LaunchResult& result)
{
    return ReadWholeFile(result.runFolder + "/trace.txt").value_or("");
}

std::vector<std::string> LoadedModules(std::string_view trace, uint32_t pid)
{
    // pid:tid:trace:loaddll:build_module Loaded L"C:\\windows\\system32\\x.dll" at ...: builtin
    std::vector<std::string> modules;
    size_t start = 0;
    while (start < trace.size()) {
        std::string_view line = NextLine(trace, start);
        size_t position = 0;
        uint32_t linePid = 0;
        uint32_t tid = 0;
        if (!ParseThreadPrefix(line, position, linePid, tid) || linePid != pid)
            continue;
        if (line.find("trace:loaddll:") == std::string_view::npos)
            continue;
        size_t open = line.find("Loaded L\"");
        if (open == std::string_view::npos)
            continue;
        open += 9;
        size_t close = line.find('"', open);
        if (close == std::string_view::npos)
            continue;
        std::string path;
        std::string_view quoted = line.substr(open, close - open);
        for (size_t i = 0; i < quoted.size(); ++i) {
            if (quoted[i] == '\\' && i + 1 < quoted.size())
                ++i;
            path += quoted[i];
        }
        modules.push_back(path);
    }
    return modules;
}
