// One run of the launcher's own WinMain per Windows bitness, in the
// simulated Windows that holds the medium, and what its records tell.
#include <algorithm>

#include "java/java.h"
#include "launcher/launcher.h"
#include "launcher/text.h"
#include "media/layout.h"
#include "media/media.h"
#include "platform/sim/sim.h"
#include "tools/mediacheck/mediacheck.h"

namespace {

uint32_t RunWinMain()
{
    return static_cast<uint32_t>(WinMain(nullptr, nullptr, nullptr, 1));
}

// The version command the run gave the interpreter, without the
// redirection the probe added to it.
std::optional<std::string> VersionCommandOf(const SimWindows& run)
{
    for (const std::string& command : run.commands) {
        size_t redirect = command.rfind(" > ");
        if (command.compare(0, 4, "del ") != 0 && redirect != std::string::npos)
            return command.substr(0, redirect);
    }
    return std::nullopt;
}

bool IsLibrary(std::string_view path)
{
    const SimEntry* entry = SimFind(path);
    return entry != nullptr && entry->library;
}

RuntimeReading ReadRuntime(const SimWindows& run, const CheckOptions& options)
{
    RuntimeReading runtime;
    runtime.jreLocGiven = launcherState.jreLocGiven != 0;
    runtime.vendorDrovane = launcherState.vendorDrovane;
    runtime.vendorIbm = launcherState.vendorIbm;
    runtime.jvm64Bit = launcherState.jvm64Bit;
    // WinMain compares the disk number unless it refused a runtime first.
    runtime.refused = std::find(run.calls.begin(), run.calls.end(), "lstrcmpA") == run.calls.end();
    if (runtime.jreLocGiven) {
        runtime.versionCommand = VersionCommandOf(run).value_or("");
        runtime.versionTextGiven = options.versionText.has_value() && !runtime.versionCommand.empty();
        return runtime;
    }
    std::string launcherDirectory = BuildLauncherDirectory(nullptr, kModuleNameCapacityRuntime);
    std::string probePath;
    for (std::string_view folder : kRuntimeFolders)
        if (JoinWithin(probePath, kProbePathCapacity, {launcherDirectory, folder}) && PathExists(probePath.c_str()))
            runtime.foldersPresent.push_back(std::string(folder.substr(1)));
    return runtime;
}

Outcome OutcomeOf(const SimWindows& run, const RuntimeReading& runtime)
{
    if (runtime.refused)
        return Outcome::RuntimeRefused;
    if (!run.waits.empty())
        return Outcome::InstallerStarted;
    if (!run.processes.empty())
        return Outcome::InstallerNotStarted;
    if (!run.messageBoxes.empty() && run.messageBoxes.front().title == kNoticeTitle)
        return Outcome::WrongDiskNotice;
    return Outcome::PlatformRefused;
}

}  // namespace

CaseReport PredictCase(const Medium& medium, const CheckOptions& options, int windowsBits)
{
    PrepareSimulation(medium, options, windowsBits);
    uint32_t exitCode = RunWinMain();
    // The version command is known once the launcher has composed it; with a
    // version text to answer it, the run is made again.
    if (std::optional<std::string> command = VersionCommandOf(Sim()); command && options.versionText) {
        PrepareSimulation(medium, options, windowsBits);
        Sim().commandOutputs[*command] = {SimOutputChunk{1, *options.versionText}};
        exitCode = RunWinMain();
    }
    const SimWindows run = Sim();

    CaseReport report;
    report.windowsBits = windowsBits;
    report.exitCode = exitCode;
    report.runtime = ReadRuntime(run, options);
    report.outcome = OutcomeOf(run, report.runtime);
    report.standardOutput = run.standardOutput;
    if (!run.messageBoxes.empty()) {
        report.boxTitle = run.messageBoxes.front().title;
        report.boxText = run.messageBoxes.front().text;
    }
    if (report.runtime.refused)
        return report;

    report.flavour = std::string(ChooseInstallerFlavour());
    report.diskNumber = CheckDiskNumber(GetCommandLineDirectory(run.commandLine));
    if (report.outcome == Outcome::WrongDiskNotice) {
        report.librariesTried = run.libraryLoads;
        for (const std::string& name : run.libraryLoads)
            if (IsLibrary(name)) {
                report.noticeLibrary = name;
                break;
            }
        return report;
    }
    std::string launcherDirectory = BuildLauncherDirectory(nullptr, kModuleNameCapacityLaunch);
    MediaPlatform platform = ReadMediaPlatform(launcherDirectory);
    report.platformChecked = true;
    report.decision = DecidePlatform(platform.platformId, platform.allow32On64, windowsBits == 64);
    if (!run.processes.empty()) {
        report.childTried = true;
        report.childPath = run.processes.front().applicationName;
        report.childCommandLine = run.processes.front().commandLine;
        const SimEntry* installer = SimFind(report.childPath);
        report.installerExists = installer != nullptr && !installer->folder;
    }
    return report;
}

Report CheckMedium(const Medium& medium, const CheckOptions& options)
{
    Report report;
    report.folder = medium.folder;
    report.launcherPath = options.launcherPath;
    report.mediumRoot = MediumRoot(options.launcherPath);
    report.arguments = options.arguments;
    report.commandLine = LauncherCommandLine(options.launcherPath, options.arguments);
    report.langId = options.langId;
    report.encoding = EncodingForLanguage(options.langId);
    report.libraries = medium.libraries;

    PrepareSimulation(medium, options, options.windowsBits.front());
    report.languageSuffix = std::string(GetLanguageSuffix());
    ReadMediumFields(report);
    FindTraps(medium, report);

    report.ok = true;
    for (int bits : options.windowsBits) {
        CaseReport one = PredictCase(medium, options, bits);
        std::string windows = DecimalText(static_cast<unsigned long>(bits)) + "-bit Windows";
        if (one.childTried && !one.installerExists)
            report.warnings.push_back({"installer-missing", "On " + windows + " the launcher would start " +
                                                                ReadableMediumPath(one.childPath, report.mediumRoot) +
                                                                ", which is not on the medium."});
        else if (one.childTried && one.outcome != Outcome::InstallerStarted)
            report.warnings.push_back({"installer-not-startable", "On " + windows + " the launcher would start " +
                                                                      ReadableMediumPath(one.childPath, report.mediumRoot) +
                                                                      ", which is not a program Windows can start."});
        report.ok = report.ok && one.outcome == Outcome::InstallerStarted;
        report.cases.push_back(std::move(one));
    }
    if (options.versionText && !report.cases.front().runtime.jreLocGiven)
        report.warnings.push_back({"version-text-unused", "A version text was given, but without a -jreLoc and a "
                                                          "location among the arguments no runtime is asked."});
    return report;
}

std::string_view OutcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::RuntimeRefused:
        return "runtime-refused";
    case Outcome::WrongDiskNotice:
        return "wrong-disk-notice";
    case Outcome::PlatformRefused:
        return "platform-refused";
    case Outcome::InstallerStarted:
        return "installer-started";
    case Outcome::InstallerNotStarted:
        return "installer-not-started";
    }
    return "unknown";
}

std::string ReadableMediumPath(std::string_view path, std::string_view mediumRoot)
{
    std::string readable = LauncherModuleName(path);
    if (readable.size() > mediumRoot.size() && EqualsIgnoringCase(readable.substr(0, mediumRoot.size()), mediumRoot))
        return readable.substr(mediumRoot.size());
    return readable;
}
