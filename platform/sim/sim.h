// A simulated Windows for native tests and for tools that predict what the
// launcher would do: an in-memory medium, configurable answers, and a record
// of every system call in the order it was made.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system.h"

enum class SimWow64 { No, Yes, FunctionMissing, CallFails };

struct SimEntry {
    bool folder = false;
    std::string content;                       // a file's bytes
    std::map<uint32_t, std::string> strings;   // a resource library's string table
    bool library = false;
};

struct SimMessageBox {
    void* owner = nullptr;
    std::string text;
    std::string title;
    uint32_t style = 0;
};

struct SimProcessStart {
    std::string applicationName;
    std::string commandLine;
    bool inheritHandles = false;
    uint32_t creationFlags = 0;
    bool hasCurrentDirectory = false;
    std::string currentDirectory;
    StartupRecord startup{};
};

// What a command run through the interpreter writes, in order.
struct SimOutputChunk {
    int stream = 1;  // 1 standard output, 2 standard error
    std::string text;
};

struct SimWindows {
    // Process and module.
    std::string commandLine;
    std::string moduleFileName = "D:\\setup.exe";
    std::string currentDirectory = "C:\\Users\\me";
    std::string windowsDirectory = "C:\\windows";
    SimWow64 wow64 = SimWow64::No;

    // Child process: the start succeeds when the application name names a
    // program file ("MZ" first); startError forces a failure with that code.
    std::optional<uint32_t> startError;
    uint32_t waitResult = 0;

    // Java probe.
    std::string tempPath = "C:\\Users\\me\\AppData\\Local\\Temp\\";
    std::string shortTempPath;  // empty: the same as tempPath
    bool tempPathFails = false;
    bool shortPathFails = false;
    bool allocationFails = false;
    // Output of a command (without redirection) run by the interpreter.
    std::map<std::string, std::vector<SimOutputChunk>> commandOutputs;

    // Disk check and notice.
    uint16_t userLangId = 0x0409;
    std::vector<std::string> searchPath;  // folders of PATH, for the library search
    bool dllSearchRestrictable = true;
    bool dllSearchRestricted = false;

    // Files and folders, by normalised path.
    std::map<std::string, SimEntry> entries;

    // Records.
    std::vector<std::string> calls;  // "GetCommandLineA", "MessageBoxA", ... in order
    std::vector<SimMessageBox> messageBoxes;
    std::vector<SimProcessStart> processes;
    std::vector<std::string> fileProbes;   // GetFileAttributesA, as passed
    std::vector<std::string> fileOpens;    // fopen, as passed
    std::vector<std::string> commands;     // system(), as passed
    std::vector<std::string> profileReads; // GetPrivateProfileStringA file names, as passed
    std::vector<std::string> libraryLoads; // LoadLibraryExA names, as passed
    std::vector<std::string> libraryFrees; // names of libraries released
    std::vector<uint32_t> waits;           // timeouts of WaitForSingleObject
    std::string standardOutput;
    uint32_t lastError = 0;
    int openFiles = 0;
};

SimWindows& Sim();
void ResetSim();

// Windows' view of a path: separators folded, relative paths joined to the
// current directory, letter case ignored.
std::string SimNormalize(std::string_view path);

void SimAddFile(std::string_view path, std::string_view content);
void SimAddFolder(std::string_view path);
void SimAddLibrary(std::string_view path, std::map<uint32_t, std::string> strings);
void SimRemove(std::string_view path);
const SimEntry* SimFind(std::string_view path);
bool SimFolderExists(std::string_view path);
