// The fields the launcher takes by position, where they came from, and the
// traps a medium builder falls into with them.
#include <algorithm>

#include "launcher/launcher.h"
#include "launcher/text.h"
#include "media/layout.h"
#include "platform/text_mode.h"
#include "tools/mediacheck/mediacheck.h"

namespace {

constexpr std::string_view kKnownPlatformIds[] = {kPlatformIdEither, kPlatformId64, kPlatformId32};

// The reads of a medium file in text mode, as the launcher's reader makes
// them (at most 999 characters each); all of them when count is 0.
std::vector<std::string> ReadLines(std::string_view relativePath, size_t count, bool& opens)
{
    std::vector<std::string> reads;
    std::string path = BuildLauncherDirectory(nullptr, kModuleNameCapacityLaunch) + std::string(relativePath);
    TextFile file;
    opens = OpenTextFile(file, path.c_str());
    if (!opens)
        return reads;
    char line[kLineCapacity] = {};
    while ((count == 0 || reads.size() < count) && ReadTextLine(file, line, sizeof line))
        reads.emplace_back(line);
    CloseTextFile(file);
    return reads;
}

// The field of the wanted read, or of the last read that stands in for it.
FieldReading FieldOf(std::string_view relativePath, const std::vector<std::string>& reads, bool opens, size_t wanted,
                     std::string_view (*take)(std::string_view))
{
    FieldReading field;
    field.file = std::string(relativePath);
    field.fileOpens = opens;
    if (reads.empty())
        return field;
    size_t index = std::min(wanted, reads.size());
    field.line = static_cast<int>(index);
    field.lineText = reads[index - 1];
    std::string_view view = take(field.lineText);
    field.start = static_cast<size_t>(view.data() - field.lineText.data());
    field.text = std::string(view);
    return field;
}

std::string_view TakeMediaLabel(std::string_view line)
{
    return line.size() <= 7 ? line.substr(0, 0) : line.substr(6, line.size() - 7);
}

bool IsKnownPlatformId(std::string_view id)
{
    for (std::string_view known : kKnownPlatformIds)
        if (id == known)
            return true;
    return false;
}

std::string Quote(std::string_view text)
{
    std::string quoted = "\"";
    quoted += text;
    quoted += '"';
    return quoted;
}

std::string Span(size_t start, size_t length)
{
    if (length == 0)
        return "no characters at " + DecimalText(start);
    return "characters " + DecimalText(start) + "-" + DecimalText(start + length - 1);
}

// The text between head and tail characters, as the launcher cuts fields.
std::string_view Between(std::string_view line, size_t head, size_t tail)
{
    return line.size() <= head + tail ? line.substr(0, 0) : line.substr(head, line.size() - head - tail);
}

void CheckPlatformId(const Report& report, std::vector<Warning>& warnings)
{
    const FieldReading& id = report.platformId;
    std::string where = "line " + DecimalText(static_cast<unsigned long>(id.line)) + " of " + id.file;
    if (IsKnownPlatformId(id.text))
        return;
    if (!id.fileOpens) {
        warnings.push_back({"platform-id-unknown", id.file + " is missing: the platform id is empty, which "
                                                   "the launcher refuses on every Windows."});
        return;
    }
    warnings.push_back({"platform-id-unknown", "The platform id " + Quote(id.text) + " (" + where +
                                                   ") is none of \"2000\", \"233\" and \"912\": the launcher "
                                                   "refuses the medium on every Windows."});
    std::string_view trimmed = TrimChars(id.text, " \t");
    if (trimmed != id.text && IsKnownPlatformId(trimmed))
        warnings.push_back({"platform-id-spaces", "The platform id " + Quote(id.text) + " (" + where +
                                                      ") has blanks around " + Quote(trimmed) +
                                                      "; the launcher does not trim it."});
    // The line one character short or long: the id sits one place off.
    struct Shift {
        size_t head;
        size_t tail;
        std::string_view how;
    };
    static constexpr Shift kShifts[] = {{23, 10, "too short"}, {24, 9, "too short"},
                                        {25, 10, "too long"},  {24, 11, "too long"}};
    std::string_view line = id.lineText;
    for (const Shift& shift : kShifts) {
        std::string_view candidate = Between(line, shift.head, shift.tail);
        if (!IsKnownPlatformId(candidate))
            continue;
        warnings.push_back(
            {"platform-id-shifted",
             "The platform id line (" + where + ", " + DecimalText(line.size()) +
                 " characters with its line end) is one character " + std::string(shift.how) +
                 ": the launcher takes " + Quote(id.text) + " from " + Span(id.start, id.text.size()) + ", but " +
                 Quote(candidate) + " stands at " + Span(shift.head, candidate.size()) +
                 ". The id must have exactly 24 characters before it and 10 after it, the line end counted."});
        break;
    }
}

const MediumEntry* FindEntry(const Medium& medium, std::string_view relativePath)
{
    for (const MediumEntry& entry : medium.entries)
        if (!entry.folder && EqualsIgnoringCase(entry.path, relativePath))
            return &entry;
    return nullptr;
}

// Line ends as the bytes hold them, up to a Ctrl-Z, where text mode stops.
void CheckLineEnds(const Medium& medium, std::vector<Warning>& warnings)
{
    for (std::string_view name : {kShipHomePropertiesFile, kDiskLabelFile, kShipHomeInfoFile}) {
        const MediumEntry* entry = FindEntry(medium, name);
        if (entry == nullptr)
            continue;
        std::string_view bytes = entry->bytes;
        bytes = bytes.substr(0, bytes.find('\x1a'));
        size_t crlf = 0;
        size_t lf = 0;
        size_t cr = 0;
        int firstCrlf = 0;
        int firstLf = 0;
        int firstCr = 0;
        int line = 1;
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                if (crlf++ == 0)
                    firstCrlf = line;
                ++i;
                ++line;
            } else if (bytes[i] == '\n') {
                if (lf++ == 0)
                    firstLf = line;
                ++line;
            } else if (bytes[i] == '\r') {
                if (cr++ == 0)
                    firstCr = line;
            }
        }
        std::string file(name);
        if (crlf > 0 && lf > 0)
            warnings.push_back({"mixed-line-ends", file + " mixes CRLF line ends (first on line " +
                                                       DecimalText(static_cast<unsigned long>(firstCrlf)) +
                                                       ") with LF line ends (first on line " +
                                                       DecimalText(static_cast<unsigned long>(firstLf)) +
                                                       "); the launcher reads both alike, but a line's length then depends on who counts it, and a "
                                                       "position checked in an editor may be one off."});
        if (cr > 0)
            warnings.push_back({"carriage-return-alone",
                                file + " has a carriage return that no line feed follows (first on line " +
                                    DecimalText(static_cast<unsigned long>(firstCr)) +
                                    "); the launcher counts it as a character of the line."});
    }
}

std::string LanguageOfSuffix(std::string_view suffix)
{
    struct Name {
        std::string_view suffix;
        std::string_view language;
    };
    static constexpr Name kNames[] = {{"D", "German"},   {"E", "Spanish"},     {"F", "French"},
                                      {"I", "Italian"},  {"JA", "Japanese"},   {"KO", "Korean"},
                                      {"PTB", "Portuguese (Brazil)"}, {"ZHS", "Chinese (Simplified)"},
                                      {"US", "English"}};
    for (const Name& name : kNames)
        if (EqualsIgnoringCase(name.suffix, suffix))
            return std::string(name.language);
    return "no language the launcher asks for";
}

void CheckLibraries(const Report& report, std::vector<Warning>& warnings)
{
    for (const LibraryReading& library : report.libraries) {
        std::string what = library.path + " (" + LanguageOfSuffix(library.suffix) + ")";
        if (!library.image)
            warnings.push_back({"library-not-loadable", what + " is not a PE file Windows can load: a user of that "
                                                               "language gets the English notice, exit code "
                                                               "0xE0070001 when no other library loads."});
        else if (!library.string1)
            warnings.push_back({"library-without-string-1",
                                what + " has no string 1: a user of that language gets the English notice and exit "
                                       "code 0xE0070002."});
    }
}

}  // namespace

void ReadMediumFields(Report& report)
{
    bool opens = false;
    std::vector<std::string> reads = ReadLines(kShipHomePropertiesFile, 5, opens);
    report.platformId = FieldOf(kShipHomePropertiesFile, reads, opens, 4, TakePlatformId);
    report.platformName = FieldOf(kShipHomePropertiesFile, reads, opens, 5, TakePlatformName);
    reads = ReadLines(kDiskLabelFile, 4, opens);
    report.mediaLabel = FieldOf(kDiskLabelFile, reads, opens, 4, TakeMediaLabel);
    // The texts are the launcher's own readings; the reads above only tell
    // where they stand.
    MediaPlatform platform = ReadMediaPlatform(BuildLauncherDirectory(nullptr, kModuleNameCapacityLaunch));
    report.platformId.text = platform.platformId;
    report.platformName.text = platform.platformName;
    report.mediaLabel.text = platform.mediaLabel;
    reads = ReadLines(kShipHomeInfoFile, 0, opens);
    report.allowFile = std::string(kShipHomeInfoFile);
    report.allowFileOpens = opens;
    report.allowLine = 0;
    for (size_t i = 0; i < reads.size() && report.allowLine == 0; ++i)
        if (IsAllowLine(reads[i]))
            report.allowLine = static_cast<int>(i + 1);
}

void FindTraps(const Medium& medium, Report& report)
{
    std::vector<Warning>& warnings = report.warnings;
    std::string moduleName = LauncherModuleName(report.launcherPath);
    std::string_view fileName = std::string_view(moduleName).substr(report.mediumRoot.size());
    if (!EqualsIgnoringCase(fileName, "setup.exe"))
        warnings.push_back({"launcher-renamed", "Started as " + std::string(fileName) +
                                                    ", the launcher keeps that name in the folder it finds the "
                                                    "medium in: only a file named setup.exe drops out of it."});
    else if (FindEntry(medium, "setup.exe") == nullptr)
        warnings.push_back({"no-launcher", "There is no setup.exe at the medium's root."});
    std::string commandLineDirectory = GetCommandLineDirectory(report.commandLine);
    if (!EqualsIgnoringCase(LauncherModuleName(commandLineDirectory), report.mediumRoot))
        warnings.push_back({"command-line-directory-elsewhere",
                            "Started as " + Quote(report.launcherPath) + ", the launcher looks for " +
                                std::string(kDiskLabelFile) + " and the notice libraries in " +
                                Quote(commandLineDirectory) + " (its path ends at the first space), not on the medium."});
    CheckPlatformId(report, warnings);
    CheckLineEnds(medium, warnings);
    if (report.mediaLabel.fileOpens && report.mediaLabel.line < 4)
        warnings.push_back(
            {"disk-label-short",
             std::string(kDiskLabelFile) + " has no fourth line: the media label is taken from " +
                 (report.mediaLabel.line == 0 ? std::string("nothing (the file is empty)")
                                              : "line " + DecimalText(static_cast<unsigned long>(report.mediaLabel.line))) +
                 " and would read " + Quote(report.mediaLabel.text) + " in a refusal message."});
    if (report.allowFileOpens && report.allowLine == 0) {
        bool opens = false;
        std::vector<std::string> reads = ReadLines(kShipHomeInfoFile, 0, opens);
        for (size_t i = 0; i < reads.size(); ++i) {
            std::string folded;
            for (char c : TrimChars(reads[i], " \t\r\n"))
                folded += FoldCase(c);
            if (folded == kAllow32On64Line)
                warnings.push_back({"allow-line-not-recognised",
                                    "Line " + DecimalText(i + 1) + " of " + std::string(kShipHomeInfoFile) +
                                        " looks like the allow line but is not recognised: only spaces before it, "
                                        "and nothing but its line end after it, letter case as written."});
        }
    }
    CheckLibraries(report, warnings);
}
