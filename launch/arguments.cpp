// The child's arguments: what the user typed after the launcher's path, with
// every -J and -D stretch also copied to the front, where the Java-based
// installer looks for its own options.
#include "launch/launch.h"
#include "launcher/launcher.h"
#include "launcher/text.h"

std::string_view FindArgumentPart(std::string_view commandLine)
{
    size_t start;
    size_t firstQuote = commandLine.find('"');
    if (firstQuote != std::string_view::npos) {
        size_t secondQuote = commandLine.find('"', firstQuote + 1);
        if (secondQuote == std::string_view::npos)
            return {};
        start = secondQuote + 1;
    } else {
        start = commandLine.find(' ');
        if (start == std::string_view::npos)
            return {};
    }
    return TrimChars(commandLine.substr(start), " ");
}

HoistedRuns HoistJavaOptions(std::string_view argumentPart)
{
    HoistedRuns hoisted;
    // The scan reads the working copy: what of the argument part fits it.
    std::string_view copy = argumentPart.substr(0, kArgumentCopyCapacity - 1);
    size_t i = 0;
    while (i < copy.size()) {
        bool starts = copy[i] == '-' && i + 1 < copy.size() && (copy[i + 1] == 'J' || copy[i + 1] == 'D');
        if (!starts) {
            ++i;
            continue;
        }
        hoisted.found = true;
        size_t first = copy[i + 1] == 'J' ? i + 2 : i;  // -J drops its prefix, -D keeps it
        size_t end = copy.find(' ', first);
        if (end == std::string_view::npos)
            end = copy.size();
        std::string_view run = copy.substr(first, end - first);
        // Only whole runs, in order: one cut by the end of the working copy, or
        // one that no longer fits, ends the hoisting rather than being passed
        // on as some other option.
        bool cut = end == copy.size() && copy.size() < argumentPart.size();
        if (cut || hoisted.text.size() + run.size() + 1 > kHoistedRunsCapacity - 1) {
            hoisted.truncated = true;
            break;
        }
        hoisted.text += run;
        hoisted.text += ' ';
        i = end + 1;
    }
    return hoisted;
}

void ComposeArgumentText()
{
    const char* commandLine = SysGetCommandLine();
    std::string_view argumentPart = FindArgumentPart(commandLine != nullptr ? commandLine : "");
    HoistedRuns hoisted = HoistJavaOptions(argumentPart);
    std::string text;
    if (hoisted.found)
        text = hoisted.text;
    text += ' ';
    text += argumentPart;
    launcherState.argumentText = std::move(text);
}
