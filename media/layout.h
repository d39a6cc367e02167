// Where things are on an installation medium, relative to the launcher
// directory or the command-line directory, and the two readings of the
// disk label file.
#pragma once

#include <string>
#include <string_view>

// Joined to the command-line directory (disk number, resource libraries) and
// to the launcher directory (media label).
inline constexpr std::string_view kDiskLabelFile = "stage\\disk.label";
// Joined to the launcher directory.
inline constexpr std::string_view kShipHomePropertiesFile = "stage\\shiphomeproperties.xml";
inline constexpr std::string_view kShipHomeInfoFile = "stage\\shiphomeinfo.properties";

// The product installer flavours, with doubled separators.
inline constexpr std::string_view kInstaller32 = "install\\\\win32\\\\setup.exe";
inline constexpr std::string_view kInstaller64 = "install\\\\win64\\\\setup.exe";

// Runtime folders shipped on the medium, in the order they are probed; each
// begins with a separator of its own.
inline constexpr std::string_view kRuntimeFolders[] = {
    "\\stage\\Components\\tamvex.jdk",
    "\\stage\\Components\\tamvex.drovane",
    "\\stage\\Components\\tamvex.jre",
    "\\stage\\Components\\tamvex.drovane.jre",
    "\\stage\\Components\\tamvex.swd.jre",
};

// Resource libraries: the name with a language suffix (joined to the
// command-line directory) and the fallback, found by the library search.
inline constexpr std::string_view kResourceLibraryPrefix = "install\\setup";
inline constexpr std::string_view kResourceLibrarySuffix = ".dll";
inline constexpr std::string_view kFallbackResourceLibrary = "install\\setupus.dll";

// Capacities, terminator included.
inline constexpr size_t kDiskLabelPathCapacity = 260;
inline constexpr size_t kMediumFilePathCapacity = 3000;
inline constexpr size_t kLineCapacity = 1000;  // one read takes at most 999 characters

// The disk number from section "General", key "Number": at most two
// characters, "1" when the file, section, key or value is missing. A path
// over its capacity is a file that does not exist.
std::string ReadDiskNumber(std::string_view diskLabelPath);

// The media label: the fourth line read in text mode, less its first six
// characters and its last one; the last line read stands in for a missing
// fourth. Empty when the file does not open.
std::string ReadMediaLabel(std::string_view diskLabelPath);
