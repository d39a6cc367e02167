// The runtime selection: "-jreLoc" or a runtime shipped on the medium.
#include <optional>

#include "java/java.h"
#include "launcher/launcher.h"
#include "launcher/text.h"
#include "media/layout.h"

namespace {

// The next word at or after position: words are separated by runs of
// spaces only, so tabs and double quotes belong to the word they stand in.
std::string_view NextWord(std::string_view text, size_t& position)
{
    size_t start = text.find_first_not_of(' ', position);
    if (start == std::string_view::npos) {
        position = text.size();
        return {};
    }
    size_t end = text.find(' ', start);
    if (end == std::string_view::npos)
        end = text.size();
    position = end;
    return text.substr(start, end - start);
}

// The word after the first "-jreLoc" word, verbatim. The whole line is
// scanned, however long. A "-jreLoc" with no word after it names no runtime
// to ask, so it counts as no "-jreLoc" at all.
std::optional<std::string_view> FindRuntimeLocation(std::string_view commandLine)
{
    size_t position = 0;
    for (std::string_view word = NextWord(commandLine, position); !word.empty();
         word = NextWord(commandLine, position)) {
        if (!EqualsIgnoringCase(word, "-jreLoc"))
            continue;
        std::string_view location = NextWord(commandLine, position);
        if (location.empty())
            return std::nullopt;
        return location;
    }
    return std::nullopt;
}

void ReadVersionFlags(std::string_view location)
{
    // A location too long for its buffer is not cut into some other path:
    // nothing is run and the version text stays empty.
    std::string versionCommand;
    if (location.size() < kRuntimeLocationCapacity)
        JoinWithin(versionCommand, kVersionCommandCapacity, {location, kVersionCommandTail});
    std::string versionText = versionCommand.empty() ? std::string() : ProbeJavaVersion(versionCommand);

    std::string_view text = versionText;
    if (text.find("Drovane") != std::string_view::npos)
        launcherState.vendorDrovane = 1;
    if (text.find("IBM") != std::string_view::npos)
        launcherState.vendorIbm = 1;
    std::string_view marker = launcherState.vendorDrovane != 0 ? "x86_64"
                              : launcherState.vendorIbm != 0   ? "amd64-64"
                                                               : "64-Bit";
    if (text.find(marker) != std::string_view::npos)
        launcherState.jvm64Bit = 1;
}

bool MediumShipsRuntime(ModuleInstance instance)
{
    std::string launcherDirectory = BuildLauncherDirectory(instance, kModuleNameCapacityRuntime);
    bool found = false;
    // All five are asked, whatever the earlier answers. A path over its
    // capacity is a folder that is not there; it is not asked about cut.
    std::string probePath;
    for (std::string_view folder : kRuntimeFolders)
        if (JoinWithin(probePath, kProbePathCapacity, {launcherDirectory, folder}) && PathExists(probePath.c_str()))
            found = true;
    return found;
}

}  // namespace

RuntimeSelection SelectJavaRuntime(std::string_view commandLine, ModuleInstance instance)
{
    std::optional<std::string_view> location = FindRuntimeLocation(commandLine);
    if (location) {
        launcherState.jreLocGiven = 1;
        ReadVersionFlags(*location);
        return RuntimeSelection::GoOn;
    }
    if (MediumShipsRuntime(instance))
        return RuntimeSelection::GoOn;
    ShowErrorBox(kNoRuntimeMessage);
    return RuntimeSelection::Refused;
}
