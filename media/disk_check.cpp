// Which disk of the set the launcher was started from, and the notice that
// sends the user to disk 1.
#include "launcher/launcher.h"
#include "launcher/text.h"
#include "media/layout.h"
#include "media/media.h"
#include "media/notice_format.h"

namespace {

// Composed when the medium has no usable notice of its own.
constexpr std::string_view kEnglishNoticeFormat =
    "You have inserted Disk #%s.\n\nTo run the installer and install products off of this CD, you must first "
    "insert Disk #1 and invoke the installer from there.  The installer will prompt you to insert this CD when "
    "needed.";

constexpr size_t kLibraryPathCapacity = 260;
constexpr uint32_t kNoticeStringId = 1;
constexpr int kNoticeFormatCapacity = 4097;

struct LanguageSuffix {
    uint16_t langId;
    std::string_view suffix;
};

// Whole identifiers, sublanguage included: a regional form not listed here
// gets the English library.
constexpr LanguageSuffix kLanguageSuffixes[] = {
    {0x0407, "D"},  {0x0807, "D"}, {0x0C07, "D"},  // German: Germany, Switzerland, Austria
    {0x040A, "E"},  {0x0C0A, "E"},                 // Spanish: Spain, traditional and modern sort
    {0x040C, "F"},  {0x100C, "F"},                 // French: France, Switzerland
    {0x0410, "I"},  {0x0810, "I"},                 // Italian: Italy, Switzerland
    {0x0411, "JA"}, {0x0412, "KO"},                // Japanese, Korean
    {0x0416, "PTB"},                               // Portuguese: Brazil
    {0x0804, "ZHS"},                               // Chinese: People's Republic
};

// A resource library by its path. A relative name is looked for in the
// launcher's own folder, where the library search would look first, and
// nowhere else: a copied medium may sit in a folder (or be started from one,
// or with a PATH) where someone else left a file of that name.
LibraryHandle LoadLibraryFile(std::string_view name)
{
    bool relative = !(name.size() >= 2 && name[1] == ':') && !(!name.empty() && (name[0] == '\\' || name[0] == '/'));
    std::string path;
    if (relative) {
        std::string folder = GetLauncherFolder();
        if (folder.empty() || !JoinWithin(path, kLibraryPathCapacity, {folder, name}))
            return nullptr;
    } else if (!JoinWithin(path, kLibraryPathCapacity, {name})) {
        return nullptr;
    }
    return SysLoadResourceLibrary(path.c_str());
}

// The library with the notice format: the one for the user's language
// beside the launcher's command-line directory, else the English one beside
// the launcher. Only its strings are used, so it is mapped as data and none of
// its code runs.
LibraryHandle LoadNoticeLibrary(std::string_view commandLineDirectory, std::string_view suffix)
{
    std::string path;
    if (JoinWithin(path, kLibraryPathCapacity,
                   {commandLineDirectory, kResourceLibraryPrefix, suffix, kResourceLibrarySuffix})) {
        LibraryHandle library = LoadLibraryFile(path);
        if (library != nullptr)
            return library;
    }
    return LoadLibraryFile(kFallbackResourceLibrary);
}

}  // namespace

std::string CheckDiskNumber(std::string_view commandLineDirectory)
{
    std::string path;
    if (!JoinWithin(path, kDiskLabelPathCapacity, {commandLineDirectory, kDiskLabelFile}))
        return "1";  // a path that cannot exist names no other disk
    return ReadDiskNumber(path);
}

std::string_view GetLanguageSuffix()
{
    uint16_t langId = SysGetUserDefaultLangID();
    for (const LanguageSuffix& entry : kLanguageSuffixes)
        if (entry.langId == langId)
            return entry.suffix;
    return "US";
}

uint32_t ShowWrongDiskNotice(std::string_view diskNumber, std::string_view commandLineDirectory)
{
    std::string englishNotice = ComposeNotice(kEnglishNoticeFormat, diskNumber);
    LibraryHandle library = LoadNoticeLibrary(commandLineDirectory, GetLanguageSuffix());
    if (library == nullptr) {
        ShowNotice(englishNotice.c_str());
        return kExitNoticeNoLibrary;
    }
    // Failures from here on leave the library loaded: the process ends next.
    char format[kNoticeFormatCapacity] = {};
    if (SysLoadString(library, kNoticeStringId, format, kNoticeFormatCapacity) <= 0) {
        ShowNotice(englishNotice.c_str());
        return kExitNoticeNoString;
    }
    format[kNoticeFormatCapacity - 1] = '\0';
    std::string notice = ComposeNotice(format, diskNumber);
    if (notice.empty()) {
        ShowNotice(englishNotice.c_str());
        return kExitNoticeEmpty;
    }
    ShowNotice(notice.c_str());
    SysFreeLibrary(library);
    return 0;
}
