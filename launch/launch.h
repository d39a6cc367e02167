// Starting the product installer: its command line, the start and the wait.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The Java options that end the child's command line, by vendor.
inline constexpr std::string_view kJavaOptionSuffixDrovane = " -J -mx512m -Dtamvex.installer.appendjre=true ";
inline constexpr std::string_view kJavaOptionSuffixDefault =
    " -J -mx512m -XX:MaxPermSize=512m -Dtamvex.installer.appendjre=true ";

// Capacities, terminator included.
inline constexpr size_t kChildPathCapacity = 4097;
// The longest command line Windows starts a process with.
inline constexpr size_t kChildCommandLineLimit = 32767;

inline constexpr uint32_t kCreateDefaultErrorMode = 0x04000000u;
inline constexpr uint32_t kStartupRecordSize = 68;  // STARTUPINFOA of the 32-bit program

// What the user typed after the launcher's own path, trimmed of spaces.
std::string_view FindArgumentPart(std::string_view commandLine);

inline constexpr size_t kArgumentCopyCapacity = 2048;  // the part the scan reads
inline constexpr size_t kHoistedRunsCapacity = 2048;

// The -J and -D stretches of the argument part, each followed by a space.
struct HoistedRuns {
    std::string text;
    bool found = false;      // a run started, even an empty one
    bool truncated = false;  // a run did not fit and hoisting stopped there
};
HoistedRuns HoistJavaOptions(std::string_view argumentPart);

// Builds launcherState.argumentText from the process command line.
void ComposeArgumentText();

// Starts the installer at launcherDirectory + childRelativePath, waits for it
// without a time limit, writes the wait report and returns the wait result.
uint32_t StartChildAndWait(std::string_view launcherDirectory, std::string_view childRelativePath);

// The wait report for a wait result.
const char* WaitReport(uint32_t waitResult);
