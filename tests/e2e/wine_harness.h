// End-to-end harness: the 64-bit Windows build of the launcher run under
// Wine, started by the project's runner and starting the stub installer.
//
// One private Wine prefix is made per run of e2e_tests (a global test
// environment: `wineboot -i` in <build>/tests/e2e/e2e-run/prefix, a
// persistent wineserver, stopped with `wineserver -k` at the end). If wine64
// or the win64 build (setup.exe, runner.exe, stub_installer.exe under
// WIN64_BUILD_DIR) is missing, the set-up fails and so does every case.
//
// Scratch space is C:\e2e inside the prefix, so Windows paths stay short and
// the same wherever the build folder lies: media under C:\e2e\media\<name>,
// the default current directory C:\e2e\caller, each run's files under
// C:\e2e\runs\<number>-<test name> (kept for a look after a failure).
//
// What the relay trace can tell (RelayInclude is set to kTracedFunctions):
// - calls made from inside kernel32, user32, gdi32 and advapi32 are not
//   traced (Wine's RelayFromExclude), so what shows is the program's own
//   calls and those of its C runtime (msvcrt);
// - a new function is traced once its name is added to kTracedFunctions;
// - 32-bit arguments (DWORD, BOOL, UINT) of a 64-bit process may carry
//   garbage in their upper half: compare the low 32 bits;
// - Wine cuts a string argument at about 290 characters (escaped); the
//   argument then says textCut and holds the part before the cut. Compare
//   long command lines from the stub's record instead;
// - a string argument that is a null pointer shows as a number without text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The functions whose calls the relay trace shows.
inline constexpr const char* kTracedFunctions =
    "MessageBoxA;CreateProcessA;GetFileAttributesA;LoadLibraryA;LoadLibraryExA;FreeLibrary;LoadStringA;"
    "GetPrivateProfileStringA;"
    "GetUserDefaultLangID;GetTempPathA;GetShortPathNameA;system";

// One folder, as Unix and as the launcher sees it. Neither path ends with a
// separator.
struct WineFolder {
    std::string unixPath;
    std::string windowsPath;
};

// --- media --------------------------------------------------------------------

// A fresh, empty folder C:\e2e\media\<name> (name may hold spaces and
// backslashes for subfolders); an older one of that name is removed first.
WineFolder CreateMedium(std::string_view name);

// A folder under C:\e2e (made if missing), e.g. a current directory to start
// the launcher from.
WineFolder ScratchFolder(std::string_view relativePath);

// The folder the launcher starts in when a request names none: C:\e2e\caller.
WineFolder CallerFolder();

// Writes bytes exactly (no line-end conversion) to a path relative to the
// folder, written with backslashes; makes the folders on the way.
void WriteMediumFile(const WineFolder& medium, std::string_view relativePath, std::string_view bytes);
void AddMediumFolder(const WineFolder& medium, std::string_view relativePath);
void RemoveMediumPath(const WineFolder& medium, std::string_view relativePath);

// Copies a file of the win64 build (a path relative to WIN64_BUILD_DIR, with
// slashes) into the medium.
void CopyBuiltFile(std::string_view builtPath, const WineFolder& medium, std::string_view relativePath);
// The launcher (win64 setup.exe) under any name, and the stub installer.
void CopyLauncher(const WineFolder& medium, std::string_view relativePath = "setup.exe");
void PlaceStubInstaller(const WineFolder& medium, std::string_view relativePath = "install\\win32\\setup.exe");

// stage\shiphomeproperties.xml with the platform id on line 4 and the
// platform name on line 5, each at the fixed positions the launcher reads.
std::string ShipHomePropertiesText(std::string_view platformId, std::string_view platformName);

// A disk-1 medium the launcher accepts under Wine (where it never runs under
// WOW64, so it counts as 32-bit Windows): setup.exe at its root, the runtime
// folder stage\Components\tamvex.jdk, stage\disk.label "[General]\nNumber=1\n",
// platform id "912" and the stub at install\win32\setup.exe.
void AddTypicalMedium(const WineFolder& medium);

// Maps a drive letter (d to y) to a folder, so a medium can sit at a drive
// root (D:\setup.exe); replaces an earlier mapping of that letter.
WineFolder MapDrive(char letter, const WineFolder& folder);
void UnmapDrive(char letter);

// --- runs ---------------------------------------------------------------------

struct LaunchRequest {
    // Passed to CreateProcessA exactly; no value: a null application name.
    std::optional<std::string> applicationName;
    std::string commandLine;
    // The launcher's current directory; no value: CallerFolder().
    std::optional<std::string> currentDirectory;
    // "NAME=VALUE" set for the launcher and so for what it starts ("NAME"
    // alone removes it). Applied in the Windows environment the runner
    // passes on and in Wine's Unix environment (LC_ALL picks the user's
    // language there; TEMP and TMP count only in the Windows one).
    std::vector<std::string> environment;
    // The exit code of every stub installer started in this run.
    uint32_t stubExitCode = 0;
    // The launcher and all it started are ended after this long.
    // Generous: under Wine the first message box of a run that binds user32
    // late can take seconds while the desktop process starts.
    int timeoutSeconds = 60;
    // Why mediacheck's prediction does not apply to this run (its outcome
    // depends on more than the medium and the command line); empty: the run
    // is also predicted by mediacheck and must agree (tests/e2e/prediction.h).
    std::string noPrediction;
};

// A request that starts <folder>\<launcherName> by its full path: that path
// as application name and, in double quotes, as the whole command line.
LaunchRequest LaunchFrom(const WineFolder& folder, std::string_view launcherName = "setup.exe");
// The text in double quotes.
std::string Quoted(std::string_view text);

// What one start of the stub installer recorded.
struct StubRecord {
    std::string commandLine;
    std::string modulePath;
    std::string currentDirectory;
};

struct TraceArgument {
    uint64_t value = 0;
    bool hasText = false;
    std::string text;  // unescaped
    bool textCut = false;
};

struct TracedCall {
    uint32_t pid = 0;
    uint32_t tid = 0;
    std::string module;    // as the trace names it, e.g. "KERNEL32", "user32"
    std::string function;  // e.g. "CreateProcessA"
    std::vector<TraceArgument> arguments;
    std::optional<uint64_t> returned;
};

struct MessageBoxCall {
    uint64_t owner = 0;
    std::string text;
    bool textCut = false;
    std::string title;
    uint32_t style = 0;
};

struct LaunchResult {
    // Empty when the launcher was started and ended in time; otherwise what
    // went wrong (wine missing, start failed, timeout...). Check it first.
    std::string problem;
    uint32_t exitCode = 0;
    uint32_t pid = 0;
    std::string stdoutBytes;
    std::vector<StubRecord> stubRecords;
    // Traced calls of every process of the run but the runner, in order.
    std::vector<TracedCall> calls;
    // The launcher's MessageBoxA calls.
    std::vector<MessageBoxCall> messageBoxes;
    // Unix folder of this run's files: request, result, stdout, trace.txt.
    std::string runFolder;
};

// Starts the launcher through the runner and collects everything. Bounded by
// the request's timeout (and a margin for Wine itself). When Wine fails to
// bring the runner up at all (the launcher was never started), it is tried
// once more, with a note on standard error.
LaunchResult RunLauncher(const LaunchRequest& request);

// The launcher's traced calls of one function.
std::vector<TracedCall> LauncherCalls(const LaunchResult& result, std::string_view function);

// Whether a traced text argument is the expected text: equal, or, where Wine
// cut it, the expected text begins with what was shown.
bool TracedTextIs(const TraceArgument& argument, std::string_view expected);

// The run's whole Wine trace: relay calls and the loader's lines.
std::string ReadTraceFile(const LaunchResult& result);

// The paths of the modules the loader mapped into process pid, in order.
std::vector<std::string> LoadedModules(std::string_view trace, uint32_t pid);

// One "Call" line of a relay trace with +pid; nothing for other lines.
std::optional<TracedCall> ParseTraceCall(std::string_view line);
