// The medium folder read from disk and laid into the simulated Windows.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "launcher/launcher.h"
#include "launcher/text.h"
#include "media/layout.h"
#include "platform/sim/sim.h"
#include "tools/mediacheck/mediacheck.h"

namespace fs = std::filesystem;

namespace {

// Of any other file only its first bytes are kept: the simulated Windows
// starts a program file by its "MZ", and a medium may hold gigabytes.
constexpr size_t kHeadBytes = 64;
constexpr uint32_t kNoticeStringId = 1;

std::string ReadBytes(const fs::path& path, size_t limit)
{
    std::ifstream file(path, std::ios::binary);
    std::string bytes;
    char block[65536];
    while (file && bytes.size() < limit) {
        file.read(block, static_cast<std::streamsize>(std::min(sizeof block, limit - bytes.size())));
        bytes.append(block, static_cast<size_t>(file.gcount()));
    }
    return bytes;
}

bool IsDataFile(std::string_view relativePath)
{
    for (std::string_view name : {kDiskLabelFile, kShipHomePropertiesFile, kShipHomeInfoFile})
        if (EqualsIgnoringCase(relativePath, name))
            return true;
    return false;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view head)
{
    return text.size() >= head.size() && EqualsIgnoringCase(text.substr(0, head.size()), head);
}

// install\setup<suffix>.dll: the names the launcher loads its notice from.
std::optional<std::string> ResourceLibrarySuffix(std::string_view relativePath)
{
    if (!StartsWithIgnoringCase(relativePath, kResourceLibraryPrefix) ||
        relativePath.size() < kResourceLibraryPrefix.size() + kResourceLibrarySuffix.size())
        return std::nullopt;
    std::string_view rest = relativePath.substr(kResourceLibraryPrefix.size());
    std::string_view suffix = rest.substr(0, rest.size() - kResourceLibrarySuffix.size());
    if (!EqualsIgnoringCase(rest.substr(suffix.size()), kResourceLibrarySuffix) ||
        suffix.find('\\') != std::string_view::npos)
        return std::nullopt;
    return std::string(suffix);
}

std::string WindowsRelative(const fs::path& relative)
{
    std::string text = relative.generic_string();
    for (char& c : text)
        if (c == '/')
            c = '\\';
    return text;
}

}  // namespace

Medium LoadMedium(const std::string& folder, uint16_t langId, std::string& error)
{
    Medium medium;
    medium.folder = folder;
    std::error_code code;
    fs::path root(folder);
    if (!fs::is_directory(root, code)) {
        error = "not a folder: " + folder;
        return medium;
    }
    fs::recursive_directory_iterator walk(root, fs::directory_options::skip_permission_denied, code);
    if (code) {
        error = "cannot read " + folder + ": " + code.message();
        return medium;
    }
    TextEncoding encoding = EncodingForLanguage(langId);
    for (; walk != fs::recursive_directory_iterator(); walk.increment(code)) {
        if (code)
            break;
        const fs::directory_entry& item = *walk;
        MediumEntry entry;
        entry.path = WindowsRelative(item.path().lexically_relative(root));
        std::error_code kind;
        if (item.is_directory(kind)) {
            entry.folder = true;
            medium.entries.push_back(std::move(entry));
            continue;
        }
        std::optional<std::string> suffix = ResourceLibrarySuffix(entry.path);
        bool whole = IsDataFile(entry.path) || suffix.has_value();
        entry.bytes = ReadBytes(item.path(), whole ? std::string::npos : kHeadBytes);
        if (suffix) {
            ResourceString found = FindResourceString(entry.bytes, kNoticeStringId, langId);
            LibraryReading library{entry.path, *suffix, found.image, std::nullopt};
            if (found.text)
                library.string1 = ToAnsi(*found.text, encoding);
            entry.library = found.image;
            entry.string1 = library.string1;
            medium.libraries.push_back(library);
        }
        medium.entries.push_back(std::move(entry));
    }
    if (code) {
        error = "cannot read " + folder + ": " + code.message();
        return Medium{folder, {}, {}};
    }
    // The order of a folder listing is the file system's: sorted, every run
    // reports alike.
    std::sort(medium.entries.begin(), medium.entries.end(),
              [](const MediumEntry& a, const MediumEntry& b) { return a.path < b.path; });
    std::sort(medium.libraries.begin(), medium.libraries.end(),
              [](const LibraryReading& a, const LibraryReading& b) { return a.path < b.path; });
    return medium;
}

bool IsLauncherPath(std::string_view path)
{
    bool drive = path.size() > 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                 path[1] == ':' && path[2] == '\\';
    bool unc = path.size() > 2 && path[0] == '\\' && path[1] == '\\';
    return (drive || unc) && path.back() != '\\' && path.find('"') == std::string_view::npos;
}

std::string LauncherModuleName(std::string_view launcherPath)
{
    std::string name;
    for (size_t i = 0; i < launcherPath.size(); ++i)
        if (!(launcherPath[i] == '\\' && i > 1 && launcherPath[i - 1] == '\\'))
            name += launcherPath[i];
    return name;
}

std::string MediumRoot(std::string_view launcherPath)
{
    std::string name = LauncherModuleName(launcherPath);
    return name.substr(0, name.rfind('\\') + 1);
}

std::string LauncherCommandLine(std::string_view launcherPath, const std::vector<std::string>& arguments)
{
    std::string commandLine = "\"";
    commandLine += launcherPath;
    commandLine += '"';
    for (const std::string& argument : arguments) {
        commandLine += ' ';
        commandLine += argument;
    }
    return commandLine;
}

void PrepareSimulation(const Medium& medium, const CheckOptions& options, int windowsBits)
{
    ResetSim();
    ResetLauncherState();
    SimWindows& sim = Sim();
    sim.moduleFileName = LauncherModuleName(options.launcherPath);
    sim.commandLine = LauncherCommandLine(options.launcherPath, options.arguments);
    sim.wow64 = windowsBits == 64 ? SimWow64::Yes : SimWow64::No;
    sim.userLangId = options.langId;
    std::string root = MediumRoot(options.launcherPath);
    for (const MediumEntry& entry : medium.entries) {
        if (entry.folder) {
            SimAddFolder(root + entry.path);
        } else if (entry.library) {
            std::map<uint32_t, std::string> strings;
            if (entry.string1)
                strings[kNoticeStringId] = *entry.string1;
            SimAddLibrary(root + entry.path, strings);
        } else {
            SimAddFile(root + entry.path, entry.bytes);
        }
    }
}
