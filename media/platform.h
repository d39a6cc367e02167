// The medium's platform data as the launcher reads them, and the decision
// whether they fit the running Windows. Reading and deciding are kept apart
// (CheckMediaPlatform runs one after the other) so that a tool can show the
// fields without deciding anything.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What the three data files of a medium say about its platform.
struct MediaPlatform {
    std::string platformId;    // fourth line of stage\shiphomeproperties.xml
    std::string platformName;  // fifth line of the same file
    std::string mediaLabel;    // fourth line of stage\disk.label
    int allow32On64 = 0;       // the allow line is in stage\shiphomeinfo.properties
};

// The platform ids the launcher knows.
inline constexpr std::string_view kPlatformIdEither = "2000";  // accepted on either Windows
inline constexpr std::string_view kPlatformId64 = "233";       // accepted on 64-bit Windows
inline constexpr std::string_view kPlatformId32 = "912";       // accepted on 32-bit Windows

inline constexpr std::string_view kAllow32On64Line = "tamvex.as.install.allow.32bitin64bit=true";

inline constexpr size_t kRefusalCapacity = 3000;  // terminator included

// The fields sit at fixed positions within one read, its line feed counted:
// the platform id between the first 24 and the last 10 characters, the
// platform name between the first 36 and the last 22. Empty when the read
// is too short to hold anything there. The result is a view into line, so
// its position there is known to the caller.
std::string_view TakePlatformId(std::string_view line);
std::string_view TakePlatformName(std::string_view line);

// Whether one read is the allow line once trimmed of spaces, then of line
// feeds, then of carriage returns (in that order: spaces before a line feed
// survive the first trim and spoil the line).
bool IsAllowLine(std::string_view line);

// Reads the three files under the launcher directory, in the order
// properties, disk label, allow line. A file that does not open, or whose
// path does not fit kMediumFilePathCapacity, leaves its fields empty.
MediaPlatform ReadMediaPlatform(std::string_view launcherDirectory);

enum class PlatformDecision { Accept, AcceptWith32BitInstaller, Refuse };

// The platform id is compared exactly: no trimming, letter case counts.
PlatformDecision DecidePlatform(std::string_view platformId, int allow32On64, bool windows64);

// "ERROR: This version of the <label> installer requires a <name> operating
// system." and the advice, at most kRefusalCapacity - 1 characters.
std::string ComposePlatformRefusal(std::string_view mediaLabel, std::string_view platformName);
