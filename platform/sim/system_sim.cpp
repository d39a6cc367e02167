// The simulated Windows behind platform/system.h.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "launcher/text.h"
#include "platform/sim/sim.h"
#include "platform/system.h"

struct SysFile {
    std::string content;
    size_t position = 0;
};

namespace {

SimWindows sim;
std::vector<std::string> loadedLibraries;  // handle n is entry n - 1

bool IsAbsolute(std::string_view path)
{
    return (path.size() >= 2 && path[1] == ':') || (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') &&
                                                    (path[1] == '\\' || path[1] == '/'));
}

std::string ParentOf(const std::string& normalised)
{
    size_t last = normalised.rfind('\\');
    if (last == std::string::npos || last < 3)
        return normalised.substr(0, std::min<size_t>(normalised.size(), 3));
    return normalised.substr(0, last);
}

std::string TrimBlanks(std::string_view text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

uint32_t CopyOut(std::string_view text, char* buffer, uint32_t capacity)
{
    if (capacity == 0)
        return 0;
    size_t count = std::min<size_t>(text.size(), capacity - 1);
    memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<uint32_t>(count);
}

std::string Unquote(std::string_view text)
{
    std::string result = TrimBlanks(text);
    if (result.size() >= 2 && result.front() == '"' && result.back() == '"')
        result = result.substr(1, result.size() - 2);
    return result;
}

// What GetPrivateProfileStringA takes for blanks: white space, and the
// Ctrl-Z that ends DOS text files.
std::string TrimProfileBlanks(std::string_view text)
{
    static constexpr std::string_view kBlanks = " \t\r\n\v\f\x1a";
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    size_t last = text.find_last_not_of(kBlanks);
    return std::string(text.substr(first, last - first + 1));
}

// GetPrivateProfileStringA as it treats what media hold: a UTF-8 mark at the
// start skipped; a section header is '[' up to the last ']' of its line, its
// name trimmed; sections and keys compared without regard to case; blanks
// around keys and values dropped; only the first section of the name is
// searched, and in it the first line with the key, where a line without '='
// gives the default; one pair of matching quotes around a value removed
// before the value is cut to the buffer.
std::optional<std::string> ProfileValue(std::string_view content, std::string_view section, std::string_view key)
{
    if (content.substr(0, 3) == "\xEF\xBB\xBF")
        content.remove_prefix(3);
    bool inSection = false;
    size_t position = 0;
    while (position <= content.size()) {
        size_t end = content.find('\n', position);
        if (end == std::string_view::npos)
            end = content.size();
        std::string line = TrimProfileBlanks(content.substr(position, end - position));
        position = end + 1;
        size_t close = line.rfind(']');
        if (!line.empty() && line.front() == '[' && close != std::string::npos) {
            if (inSection)
                return std::nullopt;
            inSection = EqualsIgnoringCase(TrimProfileBlanks(line.substr(1, close - 1)), section);
            continue;
        }
        if (!inSection)
            continue;
        size_t equals = line.find('=');
        if (!EqualsIgnoringCase(TrimProfileBlanks(std::string_view(line).substr(0, equals)), key))
            continue;
        if (equals == std::string::npos)
            return std::nullopt;
        std::string value = TrimProfileBlanks(std::string_view(line).substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return value;
    }
    return std::nullopt;
}

std::string CommandOutput(const std::string& command)
{
    auto found = sim.commandOutputs.find(command);
    std::string output;
    if (found != sim.commandOutputs.end()) {
        for (const SimOutputChunk& chunk : found->second)
            output += chunk.text;
        return output;
    }
    std::string word = command.substr(0, command.find(' '));
    return "'" + word + "' is not recognized as an internal or external command,\r\noperable program or batch file.\r\n";
}

}  // namespace

SimWindows& Sim()
{
    return sim;
}

void ResetSim()
{
    sim = SimWindows{};
    loadedLibraries.clear();
    SimAddFolder(sim.currentDirectory);
    SimAddFolder(sim.tempPath);
    SimAddFolder(sim.windowsDirectory + "\\system32");
}

std::string SimNormalize(std::string_view path)
{
    std::string text(path);
    std::replace(text.begin(), text.end(), '/', '\\');
    if (!IsAbsolute(text)) {
        if (!text.empty() && text.front() == '\\')
            text = sim.currentDirectory.substr(0, 2) + text;
        else
            text = sim.currentDirectory + "\\" + text;
    } else if (text.size() >= 2 && text[1] == ':' && (text.size() == 2 || text[2] != '\\')) {
        text.insert(2, "\\");
    }
    bool unc = text.size() >= 2 && text[0] == '\\' && text[1] == '\\';
    // Split into components, fold separators, resolve "." and "..".
    std::vector<std::string> parts;
    size_t position = unc ? 2 : 0;
    while (position < text.size()) {
        size_t end = text.find('\\', position);
        if (end == std::string::npos)
            end = text.size();
        std::string part = text.substr(position, end - position);
        position = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (parts.size() > 1)
                parts.pop_back();
            continue;
        }
        for (char& c : part)
            c = FoldCase(c);
        parts.push_back(part);
    }
    std::string result = unc ? "\\\\" : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            result += '\\';
        result += parts[i];
    }
    if (!unc && parts.size() == 1)
        result += '\\';  // a drive root
    return result;
}

void SimAddFolder(std::string_view path)
{
    std::string key = SimNormalize(path);
    while (key.size() > 3) {
        sim.entries[key].folder = true;
        std::string parent = ParentOf(key);
        if (parent == key)
            break;
        key = parent;
    }
}

void SimAddFile(std::string_view path, std::string_view content)
{
    std::string key = SimNormalize(path);
    SimAddFolder(ParentOf(key));
    SimEntry& entry = sim.entries[key];
    entry = SimEntry{};
    entry.content = std::string(content);
}

void SimAddLibrary(std::string_view path, std::map<uint32_t, std::string> strings)
{
    SimAddFile(path, "MZ");
    SimEntry& entry = sim.entries[SimNormalize(path)];
    entry.library = true;
    entry.strings = std::move(strings);
}

void SimRemove(std::string_view path)
{
    sim.entries.erase(SimNormalize(path));
}

const SimEntry* SimFind(std::string_view path)
{
    auto found = sim.entries.find(SimNormalize(path));
    return found == sim.entries.end() ? nullptr : &found->second;
}

bool SimFolderExists(std::string_view path)
{
    std::string key = SimNormalize(path);
    if (key.size() <= 3 && key.size() >= 2 && key[1] == ':')
        return true;  // drive roots always exist
    const SimEntry* entry = SimFind(path);
    return entry != nullptr && entry->folder;
}

// --- the seam ----------------------------------------------------------------

const char* SysGetCommandLine()
{
    sim.calls.push_back("GetCommandLineA");
    return sim.commandLine.c_str();
}

uint32_t SysGetModuleFileName(ModuleInstance, char* buffer, uint32_t capacity)
{
    sim.calls.push_back("GetModuleFileNameA");
    if (capacity == 0)
        return 0;
    if (sim.moduleFileName.size() >= capacity) {
        // Cut to the buffer, terminated, and the capacity returned.
        memcpy(buffer, sim.moduleFileName.data(), capacity - 1);
        buffer[capacity - 1] = '\0';
        sim.lastError = 122;  // ERROR_INSUFFICIENT_BUFFER
        return capacity;
    }
    return CopyOut(sim.moduleFileName, buffer, capacity);
}

uint32_t SysGetFileAttributes(const char* path)
{
    sim.calls.push_back("GetFileAttributesA");
    sim.fileProbes.push_back(path);
    if (SimFolderExists(path))
        return 0x10;  // FILE_ATTRIBUTE_DIRECTORY
    if (SimFind(path) != nullptr)
        return 0x20;  // FILE_ATTRIBUTE_ARCHIVE
    sim.lastError = 2;
    return kInvalidFileAttributes;
}

Wow64Query SysQueryWow64(int* isWow64)
{
    sim.calls.push_back("IsWow64Process");
    switch (sim.wow64) {
    case SimWow64::FunctionMissing:
        return Wow64Query::FunctionMissing;
    case SimWow64::CallFails:
        return Wow64Query::CallFailed;
    case SimWow64::Yes:
        *isWow64 = 1;
        return Wow64Query::Answered;
    case SimWow64::No:
        break;
    }
    *isWow64 = 0;
    return Wow64Query::Answered;
}

uint32_t SysGetLastError()
{
    return sim.lastError;
}

size_t SysDescribeError(uint32_t code, char* buffer, size_t capacity)
{
    std::string text;
    switch (code) {
    case 2:
        text = "The system cannot find the file specified.";
        break;
    case 3:
        text = "The system cannot find the path specified.";
        break;
    case 5:
        text = "Access is denied.";
        break;
    case 193:
        text = "%1 is not a valid Win32 application.";
        break;
    default:
        return 0;
    }
    return CopyOut(text, buffer, static_cast<uint32_t>(capacity));
}

int SysMessageBox(void* owner, const char* text, const char* title, uint32_t style)
{
    sim.calls.push_back("MessageBoxA");
    sim.messageBoxes.push_back({owner, text, title, style});
    return 1;  // IDOK
}

bool SysCreateProcess(const char* applicationName, char* commandLine, bool inheritHandles, uint32_t creationFlags,
                      const char* currentDirectory, const StartupRecord& startup, ProcessHandle* process)
{
    sim.calls.push_back("CreateProcessA");
    SimProcessStart start;
    start.applicationName = applicationName;
    start.commandLine = commandLine;
    start.inheritHandles = inheritHandles;
    start.creationFlags = creationFlags;
    start.hasCurrentDirectory = currentDirectory != nullptr;
    start.currentDirectory = currentDirectory ? currentDirectory : "";
    start.startup = startup;
    sim.processes.push_back(start);

    const SimEntry* entry = SimFind(applicationName);
    uint32_t error = 0;
    if (sim.startError)
        error = *sim.startError;
    else if (entry == nullptr)
        error = SimFolderExists(ParentOf(SimNormalize(applicationName))) ? 2 : 3;
    else if (entry->folder)
        error = 5;
    else if (entry->content.compare(0, 2, "MZ") != 0)
        error = 193;
    if (error != 0) {
        sim.lastError = error;
        return false;
    }
    *process = reinterpret_cast<ProcessHandle>(sim.processes.size());
    return true;
}

uint32_t SysWaitForSingleObject(ProcessHandle, uint32_t milliseconds)
{
    sim.calls.push_back("WaitForSingleObject");
    sim.waits.push_back(milliseconds);
    return sim.waitResult;
}

void SysWriteStdout(const char* text)
{
    sim.calls.push_back("printf");
    sim.standardOutput += text;
}

uint32_t SysGetTempPath(char* buffer, uint32_t capacity)
{
    sim.calls.push_back("GetTempPathA");
    if (sim.tempPathFails)
        return 0;
    if (sim.tempPath.size() >= capacity)
        return static_cast<uint32_t>(sim.tempPath.size() + 1);
    return CopyOut(sim.tempPath, buffer, capacity);
}

uint32_t SysGetShortPathName(const char* longPath, char* buffer, uint32_t capacity)
{
    sim.calls.push_back("GetShortPathNameA");
    if (sim.shortPathFails || !SimFolderExists(longPath))
        return 0;
    std::string shortPath = sim.shortTempPath.empty() || longPath != sim.tempPath ? std::string(longPath)
                                                                                  : sim.shortTempPath;
    if (shortPath.size() >= capacity)
        return static_cast<uint32_t>(shortPath.size() + 1);
    return CopyOut(shortPath, buffer, capacity);
}

int SysRunCommand(const char* command)
{
    sim.calls.push_back("system");
    sim.commands.push_back(command);
    std::string text = command;
    if (text.compare(0, 4, "del ") == 0) {
        std::string target = Unquote(std::string_view(text).substr(4));
        const SimEntry* entry = SimFind(target);
        if (entry == nullptr || entry->folder)
            return 1;
        SimRemove(target);
        return 0;
    }
    static constexpr std::string_view kBothStreams = " 2>&1";
    size_t redirect = text.rfind(" > ");
    if (redirect == std::string::npos || text.size() < kBothStreams.size() ||
        text.compare(text.size() - kBothStreams.size(), kBothStreams.size(), kBothStreams) != 0)
        return 0;  // output goes nowhere the launcher looks
    std::string target =
        Unquote(std::string_view(text).substr(redirect + 3, text.size() - kBothStreams.size() - redirect - 3));
    std::string output = CommandOutput(text.substr(0, redirect));
    std::string key = SimNormalize(target);
    if (!SimFolderExists(ParentOf(key)))
        return 1;
    SimEntry& entry = sim.entries[key];
    entry = SimEntry{};
    entry.content = output;
    return 0;
}

SysFile* SysFileOpen(const char* path)
{
    sim.calls.push_back("fopen");
    sim.fileOpens.push_back(path);
    const SimEntry* entry = SimFind(path);
    if (entry == nullptr || entry->folder)
        return nullptr;
    ++sim.openFiles;
    return new SysFile{entry->content, 0};
}

bool SysFileSeek(SysFile* file, int64_t offset, int origin)
{
    int64_t base = origin == kSeekEnd ? static_cast<int64_t>(file->content.size()) : 0;
    if (base + offset < 0)
        return false;
    file->position = static_cast<size_t>(base + offset);
    return true;
}

int64_t SysFileTell(SysFile* file)
{
    return static_cast<int64_t>(file->position);
}

size_t SysFileRead(SysFile* file, void* buffer, size_t size)
{
    if (file->position >= file->content.size())
        return 0;
    size_t count = std::min(size, file->content.size() - file->position);
    memcpy(buffer, file->content.data() + file->position, count);
    file->position += count;
    return count;
}

void SysFileClose(SysFile* file)
{
    --sim.openFiles;
    delete file;
}

void* SysAllocate(size_t size)
{
    if (sim.allocationFails)
        return nullptr;
    return malloc(size);
}

void SysRelease(void* block)
{
    free(block);
}

uint32_t SysGetPrivateProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                                    uint32_t capacity, const char* fileName)
{
    sim.calls.push_back("GetPrivateProfileStringA");
    sim.profileReads.push_back(fileName);
    std::string name = fileName;
    // A bare file name is looked for in the Windows folder.
    if (name.find('\\') == std::string::npos && name.find('/') == std::string::npos)
        name = sim.windowsDirectory + "\\" + name;
    const SimEntry* entry = SimFind(name);
    std::optional<std::string> value;
    if (entry != nullptr && !entry->folder)
        value = ProfileValue(entry->content, section, key);
    if (!value) {
        // Only trailing spaces are dropped from the default.
        std::string_view fallback = defaultValue ? defaultValue : "";
        value = std::string(fallback.substr(0, fallback.find_last_not_of(' ') + 1));
    }
    return CopyOut(*value, buffer, capacity);
}

int SysCompareStrings(const char* a, const char* b)
{
    sim.calls.push_back("lstrcmpA");
    int result = strcmp(a, b);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

uint16_t SysGetUserDefaultLangID()
{
    sim.calls.push_back("GetUserDefaultLangID");
    return sim.userLangId;
}

LibraryHandle SysLoadResourceLibrary(const char* name)
{
    sim.calls.push_back("LoadLibraryExA");
    sim.libraryLoads.push_back(name);
    std::vector<std::string> candidates;
    if (IsAbsolute(name)) {
        candidates.push_back(name);
    } else {
        size_t slash = sim.moduleFileName.rfind('\\');
        std::string applicationFolder = slash == std::string::npos ? "" : sim.moduleFileName.substr(0, slash);
        if (sim.dllSearchRestricted) {
            candidates.push_back(sim.windowsDirectory + "\\system32\\" + name);
        } else {
            candidates.push_back(applicationFolder + "\\" + name);
            candidates.push_back(sim.windowsDirectory + "\\system32\\" + name);
            candidates.push_back(sim.windowsDirectory + "\\" + name);
            candidates.push_back(sim.currentDirectory + "\\" + name);
            for (const std::string& folder : sim.searchPath)
                candidates.push_back(folder + "\\" + name);
        }
    }
    for (const std::string& candidate : candidates) {
        const SimEntry* entry = SimFind(candidate);
        if (entry != nullptr && entry->library) {
            loadedLibraries.push_back(SimNormalize(candidate));
            return reinterpret_cast<LibraryHandle>(loadedLibraries.size());
        }
    }
    sim.lastError = 126;  // ERROR_MOD_NOT_FOUND
    return nullptr;
}

int SysLoadString(LibraryHandle library, uint32_t id, char* buffer, int capacity)
{
    sim.calls.push_back("LoadStringA");
    size_t index = reinterpret_cast<size_t>(library);
    if (index == 0 || index > loadedLibraries.size() || capacity <= 0)
        return 0;
    const SimEntry* entry = SimFind(loadedLibraries[index - 1]);
    if (entry == nullptr)
        return 0;
    auto found = entry->strings.find(id);
    if (found == entry->strings.end())
        return 0;
    return static_cast<int>(CopyOut(found->second, buffer, static_cast<uint32_t>(capacity)));
}

void SysFreeLibrary(LibraryHandle library)
{
    sim.calls.push_back("FreeLibrary");
    size_t index = reinterpret_cast<size_t>(library);
    if (index != 0 && index <= loadedLibraries.size())
        sim.libraryFrees.push_back(loadedLibraries[index - 1]);
}

bool SysRestrictDllSearch()
{
    sim.calls.push_back("SetDefaultDllDirectories");
    if (!sim.dllSearchRestrictable)
        return false;
    sim.dllSearchRestricted = true;
    return true;
}
