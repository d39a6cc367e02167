// The launcher: entry point, order of the run, message boxes and outcomes,
// the two directories every medium path is built on, and the system probes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/system.h"

// What the run learns on its way and hands to later steps. Flags are 0 or 1
// and only ever set to 1; argumentText is built once, on disk 1.
struct LauncherState {
    int jreLocGiven = 0;
    int vendorDrovane = 0;
    int vendorIbm = 0;
    int jvm64Bit = 0;
    std::string argumentText;
};

extern LauncherState launcherState;

// Back to the all-zero start; a process runs once, tests run many times.
void ResetLauncherState();

// Exit codes of the outcomes the launcher decides itself (the wait result
// of the installer is the exit code otherwise).
inline constexpr uint32_t kExitRefused = 1;
inline constexpr uint32_t kExitNoticeNoLibrary = 0xE0070001u;
inline constexpr uint32_t kExitNoticeNoString = 0xE0070002u;
inline constexpr uint32_t kExitNoticeEmpty = 0xE0070003u;
// The product installer could not be started at all.
inline constexpr uint32_t kExitInstallerNotStarted = 0xE0070004u;

// Message box style: OK button and the exclamation-mark icon.
inline constexpr uint32_t kBoxStyle = 0x30u;
inline constexpr const char* kNoticeTitle = "TamvexKit";
inline constexpr const char* kErrorTitle = "ERROR";

// The process entry point, called by the C runtime start-up of a GUI
// program; its result becomes the process exit code.
extern "C" int LAUNCHER_WINAPI WinMain(ModuleInstance instance, ModuleInstance previousInstance,
                                       char* commandTail, int showCommand);

std::string_view ChooseInstallerFlavour();
uint32_t LaunchInstaller(ModuleInstance instance, std::string_view childRelativePath);
void ShowNotice(const char* text);
void ShowErrorBox(const char* text);

// Directories and probes.
inline constexpr uint32_t kModuleNameCapacityRuntime = 2000;
inline constexpr uint32_t kModuleNameCapacityLaunch = 2048;
std::string BuildLauncherDirectory(ModuleInstance instance, uint32_t moduleNameCapacity);
std::string GetCommandLineDirectory(std::string_view commandLine);
// The folder that holds the running launcher, as the system names it, with
// its closing backslash; empty when the name cannot be read whole.
std::string GetLauncherFolder();
bool PathExists(const char* path);
bool IsRunningUnderWow64();
