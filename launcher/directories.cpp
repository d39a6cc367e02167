// The two directories every medium path is built on, and the two probes.
#include <cstring>
#include <vector>

#include "launcher/launcher.h"
#include "launcher/text.h"

std::string BuildLauncherDirectory(ModuleInstance instance, uint32_t moduleNameCapacity)
{
    std::vector<char> modulePath(moduleNameCapacity + 1, '\0');
    uint32_t length = SysGetModuleFileName(instance, modulePath.data(), moduleNameCapacity);
    // A name that did not fit is cut by the system; a cut path would send every
    // medium path into some other folder, so it counts as unreadable, like a
    // failed call: the directory stays empty.
    if (length == 0 || length >= moduleNameCapacity)
        return {};
    std::string_view path(modulePath.data(), strnlen(modulePath.data(), length));

    std::string directory;
    if (!path.empty() && path.front() == '\\')
        directory = "\\\\";  // UNC: exactly two, however many the path has
    // Components as a tokenizer sees them: runs of separators are one, and
    // no component is empty. Every "setup.exe" is dropped, wherever it stands.
    size_t position = 0;
    while (position < path.size()) {
        if (path[position] == '\\') {
            ++position;
            continue;
        }
        size_t end = path.find('\\', position);
        if (end == std::string_view::npos)
            end = path.size();
        std::string_view component = path.substr(position, end - position);
        if (!EqualsIgnoringCase(component, "setup.exe")) {
            directory += component;
            directory += "\\\\";
        }
        position = end;
    }
    return directory;
}

std::string GetCommandLineDirectory(std::string_view commandLine)
{
    // Only the space separates words here; quotes do not group.
    size_t start = commandLine.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return {};
    size_t end = commandLine.find(' ', start);
    std::string_view word = commandLine.substr(start, end == std::string_view::npos ? end : end - start);
    if (word.front() == '"')
        word.remove_prefix(1);
    size_t lastSeparator = word.rfind('\\');
    if (lastSeparator == std::string_view::npos)
        return {};
    return std::string(word.substr(0, lastSeparator + 1));
}

std::string GetLauncherFolder()
{
    char modulePath[kModuleNameCapacityLaunch] = {};
    uint32_t length = SysGetModuleFileName(nullptr, modulePath, sizeof modulePath);
    if (length == 0 || length >= sizeof modulePath)
        return {};
    std::string_view path(modulePath, strnlen(modulePath, length));
    size_t lastSeparator = path.rfind('\\');
    if (lastSeparator == std::string_view::npos)
        return {};
    return std::string(path.substr(0, lastSeparator + 1));
}

bool PathExists(const char* path)
{
    return SysGetFileAttributes(path) != kInvalidFileAttributes;
}

bool IsRunningUnderWow64()
{
    int isWow64 = 0;
    if (SysQueryWow64(&isWow64) != Wow64Query::Answered)
        return false;  // no such function, or it failed: taken as 32-bit Windows
    return isWow64 != 0;
}
