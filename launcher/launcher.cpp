// The launcher's one line of control: each step in its fixed order, at most
// one message box, and the exit code.
#include "launcher/launcher.h"

#include "java/java.h"
#include "launch/launch.h"
#include "media/layout.h"
#include "media/media.h"

LauncherState launcherState;

void ResetLauncherState()
{
    launcherState = LauncherState{};
}

extern "C" int LAUNCHER_WINAPI WinMain(ModuleInstance instance, ModuleInstance, char*, int)
{
    // Before anything can load a library: a copied medium may sit in a folder
    // where someone else left DLLs.
    SysRestrictDllSearch();
    const char* commandLine = SysGetCommandLine();
    if (commandLine == nullptr)
        commandLine = "";
    if (SelectJavaRuntime(commandLine, instance) == RuntimeSelection::Refused)
        return static_cast<int>(kExitRefused);
    std::string_view childRelativePath = ChooseInstallerFlavour();
    std::string commandLineDirectory = GetCommandLineDirectory(commandLine);
    std::string diskNumber = CheckDiskNumber(commandLineDirectory);
    uint32_t result = SysCompareStrings(diskNumber.c_str(), "1") == 0
                          ? LaunchInstaller(instance, childRelativePath)
                          : ShowWrongDiskNotice(diskNumber, commandLineDirectory);
    return static_cast<int>(result);
}

std::string_view ChooseInstallerFlavour()
{
    // Asked first, whatever the flags hold.
    if (!IsRunningUnderWow64())
        return kInstaller32;
    if (launcherState.jreLocGiven == 0)
        return kInstaller64;
    return launcherState.jvm64Bit != 0 ? kInstaller64 : kInstaller32;
}

uint32_t LaunchInstaller(ModuleInstance instance, std::string_view childRelativePath)
{
    ComposeArgumentText();
    std::string launcherDirectory = BuildLauncherDirectory(instance, kModuleNameCapacityLaunch);
    if (CheckMediaPlatform(launcherDirectory, childRelativePath) == PlatformVerdict::Refused)
        return kExitRefused;
    return StartChildAndWait(launcherDirectory, childRelativePath);
}

void ShowNotice(const char* text)
{
    SysMessageBox(nullptr, text, kNoticeTitle, kBoxStyle);
}

void ShowErrorBox(const char* text)
{
    SysMessageBox(nullptr, text, kErrorTitle, kBoxStyle);
}
