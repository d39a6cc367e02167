// Both directory derivations: from the command line and from the module name.
#include "fuzz_input.h"
#include "launcher/launcher.h"
#include "platform/sim/sim.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> pieces = SplitInput(data, size, 2);
    std::string commandLine = AsCString(pieces[0]);
    std::string directory = GetCommandLineDirectory(commandLine);
    FUZZ_CHECK(directory.empty() || directory.back() == '\\');
    FUZZ_CHECK(directory.size() <= commandLine.size());

    ResetSim();
    Sim().moduleFileName = AsCString(pieces[1]);
    for (uint32_t capacity : {kModuleNameCapacityRuntime, kModuleNameCapacityLaunch}) {
        std::string launcherDirectory = BuildLauncherDirectory(nullptr, capacity);
        FUZZ_CHECK(launcherDirectory.size() + 1 <= 4097);
        FUZZ_CHECK(launcherDirectory.empty() || launcherDirectory.ends_with("\\\\"));
    }
    return 0;
}
