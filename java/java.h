// Where the product installer's Java runtime comes from.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/system.h"

enum class RuntimeSelection { GoOn, Refused };

// Capacities, terminator included. A runtime location that does not fit
// runs no version command; a probe path that does not fit counts as a
// runtime folder that is not there.
inline constexpr size_t kRuntimeLocationCapacity = 2000;
inline constexpr size_t kVersionCommandCapacity = 4000;
inline constexpr size_t kProbePathCapacity = 2000;
// Each working text of the version probe: the temporary directory, its short
// form, the output path and the command text.
inline constexpr size_t kProbeTextCapacity = 4096;

// Appended to the runtime location to ask the runtime for its version.
inline constexpr std::string_view kVersionCommandTail = "\\bin\\java.exe -version";
// Where the probe captures a command's output, below the temporary directory.
inline constexpr std::string_view kProbeOutputFile = "\\commandoutput.txt";

inline constexpr const char* kNoRuntimeMessage =
    "ERROR: Provide the JDK/JRE location while launching the installer.\n"
    "Invoke the setup.exe with -jreLoc <JDK/JRE location absolute path> parameter(s)";

// Sets the runtime flags of launcherState from the command line and, with
// "-jreLoc", from the named runtime's version text; without it, refuses when
// the medium ships no runtime (after the error box).
RuntimeSelection SelectJavaRuntime(std::string_view commandLine, ModuleInstance instance);

// Runs command through the command interpreter with both of its output
// streams captured in a temporary file, and gives back what it wrote, up to
// the first NUL byte. Empty when nothing could be captured.
std::string ProbeJavaVersion(std::string_view command);
