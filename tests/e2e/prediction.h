// mediacheck's prediction of a run, compared with what the launcher did
// under Wine: after every run, the native mediacheck is asked about the same
// medium folder, command line, language and version text for 32-bit Windows
// (what the 64-bit launcher sees under Wine, which never runs it under
// WOW64), and its exit code, whether an installer started and the title of
// the box it shows must be what happened.
//
// mediacheck models a launcher started by its full path in double quotes
// (what Explorer and the runner's LaunchFrom do), optionally followed by a
// space and the user's arguments. A run started any other way (a bare name,
// a command line whose first word is not the program started) is outside
// that model and is not predicted; the reason is written to prediction.txt
// in the run's folder. A request whose outcome depends on something outside
// the medium and the command line opts out with LaunchRequest::noPrediction.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tests/e2e/wine_harness.h"

// What mediacheck is asked.
struct PredictionInput {
    std::string launcherPath;  // Windows path, as quoted on the command line
    std::string mediumFolder;  // Unix folder holding the launcher
    std::string arguments;     // the command line after the closing quote, less its first space
    uint16_t langId = 0x0409;
    std::optional<std::string> versionText;
};

// Unix path of a Windows path of the prefix, through its dosdevices links
// (C: and mapped drives alike); empty for anything but a drive path.
std::string UnixPathOf(std::string_view windowsPath, std::string_view dosDevices);

// The user's language Wine derives from LC_ALL ("de_DE.UTF-8": 0x0407);
// nothing for a locale this table does not know.
std::optional<uint16_t> LanguageOfLocale(std::string_view locale);

// The text a test runtime's java.exe writes (both streams, in order) from
// the records of its fake-java-output.txt.
std::string FakeJavaVersionText(std::string_view records);

// What mediacheck is asked about this request, or why it cannot be.
std::optional<PredictionInput> PredictionInputOf(const LaunchRequest& request, std::string_view dosDevices,
                                                 std::string& reason);

// What mediacheck's JSON report predicts for its one case.
struct Prediction {
    uint32_t exitCode = 0;
    bool installerStarted = false;
    std::string boxTitle;  // empty: no box
};
std::optional<Prediction> ReadPrediction(std::string_view json);

// Runs mediacheck for the request and fails the current test where its
// prediction differs from the result. runFolder receives mediacheck.json,
// mediacheck.err and prediction.txt.
void CheckPrediction(const LaunchRequest& request, const LaunchResult& result, std::string_view dosDevices,
                     const std::string& runFolder);
