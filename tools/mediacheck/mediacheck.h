// mediacheck: what setup.exe would do on a medium, told without starting
// anything. The medium folder is loaded into the simulated Windows (by
// default at D:\, the launcher started as "D:\setup.exe") and the launcher's
// own WinMain is run there once per asked Windows bitness; the report is read
// from the simulation's records and from the launcher's own field readers.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "media/platform.h"

// How the user starts the launcher unless told otherwise: by its full path
// in double quotes, from the root of a disc.
inline constexpr std::string_view kDefaultLauncherPath = "D:\\setup.exe";

// --- resource libraries -----------------------------------------------------

// What LoadLibraryExA(..., LOAD_LIBRARY_AS_DATAFILE) and LoadStringA would
// find in a file: whether it maps as an image at all, and string 1.
struct ResourceString {
    bool image = false;               // "MZ", a PE header and a known optional header
    std::optional<std::u16string> text;  // the string, when the table has it and it is not empty
};

// RT_STRING, block id / 16 + 1, entry id % 16; of several languages the one
// Windows' loader would prefer for langId. Bounds are checked everywhere:
// the file is untrusted.
ResourceString FindResourceString(std::string_view file, uint32_t id, uint16_t langId);

// --- texts ------------------------------------------------------------------

// How texts travel through the simulated Windows for the asked language:
// code page 1252 for every language but Japanese, Korean and Chinese, whose
// double-byte code pages are not reproduced; their library strings are
// carried as UTF-8 instead (same outcome, but a notice near the 1024-byte
// limit may be cut at another place).
enum class TextEncoding { Windows1252, Utf8 };

TextEncoding EncodingForLanguage(uint16_t langId);
// UTF-16 to the bytes LoadStringA would give; a character the code page
// lacks becomes '?'.
std::string ToAnsi(std::u16string_view text, TextEncoding encoding);
// Bytes of the simulated Windows as UTF-8, for the report.
std::string ToUtf8(std::string_view bytes, TextEncoding encoding);

// --- the medium ---------------------------------------------------------------

struct MediumEntry {
    std::string path;  // relative, with backslashes, as found on disk
    bool folder = false;
    std::string bytes;  // whole for the files the launcher reads, else the head
    bool library = false;
    std::optional<std::string> string1;  // ANSI, as LoadStringA gives it
};

struct LibraryReading {
    std::string path;  // relative
    std::string suffix;  // the language suffix of its name, "D", "US"...
    bool image = false;
    std::optional<std::string> string1;
};

struct Medium {
    std::string folder;  // as given
    std::vector<MediumEntry> entries;
    std::vector<LibraryReading> libraries;
};

// Reads the folder: every folder and file by name, the bytes of the files
// the launcher reads, and string 1 of every install\setup*.dll. Empty with a
// message in error when the folder cannot be read.
Medium LoadMedium(const std::string& folder, uint16_t langId, std::string& error);

// --- the report ---------------------------------------------------------------

// One field the launcher takes by position.
struct FieldReading {
    std::string file;      // relative, single separators
    bool fileOpens = false;
    int line = 0;          // the read it came from, from 1; 0 when nothing was read
    size_t start = 0;      // its position in that read, from 0
    std::string text;
    std::string lineText;  // the whole read
};

struct Warning {
    std::string code;
    std::string text;
};

enum class Outcome { RuntimeRefused, WrongDiskNotice, PlatformRefused, InstallerStarted, InstallerNotStarted };

struct RuntimeReading {
    bool jreLocGiven = false;
    std::string versionCommand;  // as the launcher ran it, without redirection
    bool versionTextGiven = false;
    int vendorDrovane = 0;
    int vendorIbm = 0;
    int jvm64Bit = 0;
    std::vector<std::string> foldersPresent;  // runtime folders found, as listed on the medium
    bool refused = false;
};

struct CaseReport {
    int windowsBits = 32;
    RuntimeReading runtime;
    std::string flavour;  // child relative path as chosen, doubled separators
    std::string diskNumber;
    // Another disk: the library tried and the one that gave string 1.
    std::vector<std::string> librariesTried;
    std::string noticeLibrary;
    // Disk 1.
    bool platformChecked = false;
    PlatformDecision decision = PlatformDecision::Refuse;
    bool childTried = false;
    std::string childPath;
    std::string childCommandLine;
    bool installerExists = false;
    std::optional<std::string> boxTitle;
    std::string boxText;
    std::string standardOutput;
    Outcome outcome = Outcome::InstallerNotStarted;
    uint32_t exitCode = 0;
};

struct Report {
    std::string folder;
    std::string launcherPath;
    std::string mediumRoot;
    std::vector<std::string> arguments;
    std::string commandLine;
    uint16_t langId = 0x0409;
    std::string languageSuffix;
    TextEncoding encoding = TextEncoding::Windows1252;
    FieldReading platformId;
    FieldReading platformName;
    FieldReading mediaLabel;
    std::string allowFile;
    bool allowFileOpens = false;
    int allowLine = 0;  // the first line recognised, from 1; 0 when none
    std::vector<LibraryReading> libraries;
    std::vector<Warning> warnings;
    std::vector<CaseReport> cases;
    bool ok = false;
};

struct CheckOptions {
    std::string folder;
    std::string launcherPath = std::string(kDefaultLauncherPath);
    std::vector<int> windowsBits = {32, 64};
    uint16_t langId = 0x0409;
    std::optional<std::string> versionText;
    std::vector<std::string> arguments;
    bool json = false;
};

// The process command line the user's arguments give: the launcher's path
// in double quotes, then each argument after one space, verbatim.
std::string LauncherCommandLine(std::string_view launcherPath, const std::vector<std::string>& arguments);

// Whether a path can name the launcher: absolute (a drive letter, colon and
// backslash, or a UNC path) and ending in a file name.
bool IsLauncherPath(std::string_view path);
// The launcher's module file name as Windows reports it for that path: runs
// of separators read as one (a UNC path keeps its leading pair).
std::string LauncherModuleName(std::string_view launcherPath);
// The folder the medium is placed at: that of the module, with its closing
// backslash.
std::string MediumRoot(std::string_view launcherPath);

// Loads the medium into a fresh simulated Windows set up for one case.
void PrepareSimulation(const Medium& medium, const CheckOptions& options, int windowsBits);

// The fields, the allow line and the warnings that belong to the medium.
void ReadMediumFields(Report& report);
void FindTraps(const Medium& medium, Report& report);

// Runs the launcher for one bitness and reads what it did.
CaseReport PredictCase(const Medium& medium, const CheckOptions& options, int windowsBits);

Report CheckMedium(const Medium& medium, const CheckOptions& options);

void WriteHumanReport(const Report& report, std::ostream& out);
void WriteJsonReport(const Report& report, std::ostream& out);

std::string_view OutcomeName(Outcome outcome);

// A path of the simulated Windows as a person reads it: runs of separators
// shown as one, and relative to the medium root when it lies beneath it.
std::string ReadableMediumPath(std::string_view path, std::string_view mediumRoot);

// The whole program: arguments without the program name; 0, 1 or 2.
int RunMediacheck(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
