// Starting the product installer and waiting for it.
#include "launch/launch.h"
#include "launcher/launcher.h"
#include "launcher/text.h"

namespace {

// The path as a person reads it: runs of separators shown as one (a UNC
// path keeps its leading pair).
std::string ReadablePath(std::string_view path)
{
    std::string readable;
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '\\' && i > 1 && path[i - 1] == '\\')
            continue;
        readable += path[i];
    }
    return readable;
}

uint32_t ReportStartFailure(std::string_view childPath, std::string_view reason)
{
    std::string text = "ERROR: The installer could not be started.\n";
    text += ReadablePath(childPath);
    text += "\n";
    text += reason;
    ShowErrorBox(text.c_str());
    return kExitInstallerNotStarted;
}

}  // namespace

const char* WaitReport(uint32_t waitResult)
{
    switch (waitResult) {
    case 0x0:
        return "\nWAIT_OBJECT_0\n";
    case 0x80:
        return "\nWAIT_ABANDONED\n";
    case 0x102:
        return "\nWAIT_TIMEOUT\n";
    case 0xFFFFFFFF:
        return "\nWAIT_FAILED\n";
    default:
        return "...";
    }
}

uint32_t StartChildAndWait(std::string_view launcherDirectory, std::string_view childRelativePath)
{
    std::string_view suffix = launcherState.vendorDrovane != 0 ? kJavaOptionSuffixDrovane : kJavaOptionSuffixDefault;

    std::string childPath;
    if (!JoinWithin(childPath, kChildPathCapacity, {launcherDirectory, childRelativePath})) {
        std::string whole(launcherDirectory);
        whole += childRelativePath;
        return ReportStartFailure(whole, "The path of the installer is longer than 4096 characters.");
    }
    // The command line is passed whole, however long the user's arguments made
    // it, up to what Windows accepts; never cut.
    std::string commandLine;
    if (!JoinWithin(commandLine, kChildCommandLineLimit, {launcherState.argumentText, suffix}))
        return ReportStartFailure(childPath, "The command line is longer than Windows accepts (32766 characters).");

    StartupRecord startup{};
    startup.cb = kStartupRecordSize;
    ProcessHandle process = nullptr;
    if (!SysCreateProcess(childPath.c_str(), commandLine.data(), false, kCreateDefaultErrorMode, nullptr, startup,
                          &process)) {
        uint32_t error = SysGetLastError();
        char reason[512] = {};
        if (SysDescribeError(error, reason, sizeof reason) == 0)
            return ReportStartFailure(childPath, "Windows error " + DecimalText(error) + ".");
        return ReportStartFailure(childPath, reason);
    }
    uint32_t waitResult = SysWaitForSingleObject(process, kInfinite);
    SysWriteStdout(WaitReport(waitResult));
    return waitResult;
}
