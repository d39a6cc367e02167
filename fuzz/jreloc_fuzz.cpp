// The "-jreLoc" scan, the version probe and the flags it sets.
#include "fuzz_input.h"
#include "java/java.h"
#include "launcher/launcher.h"
#include "platform/sim/sim.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> piece = SplitInput(data, size, 3);
    ResetSim();
    ResetLauncherState();
    SimWindows& sim = Sim();
    sim.commandLine = AsCString(piece[0]);
    if (!piece[2].empty() && (piece[2][0] & 1) != 0)
        SimAddFolder("D:\\stage\\Components\\tamvex.jre");
    // Every word of the line, taken as a location, prints the fuzzed text.
    size_t start = 0;
    while (start < sim.commandLine.size()) {
        size_t end = sim.commandLine.find(' ', start);
        if (end == std::string::npos)
            end = sim.commandLine.size();
        if (end > start)
            sim.commandOutputs[sim.commandLine.substr(start, end - start) + "\\bin\\java.exe -version"] = {
                {1, piece[1]}};
        start = end + 1;
    }

    RuntimeSelection selection = SelectJavaRuntime(sim.commandLine, nullptr);

    const LauncherState& state = launcherState;
    for (int flag : {state.jreLocGiven, state.vendorDrovane, state.vendorIbm, state.jvm64Bit})
        FUZZ_CHECK(flag == 0 || flag == 1);
    FUZZ_CHECK(sim.commands.size() == 0 || sim.commands.size() == 2);
    FUZZ_CHECK(SimFind(sim.tempPath + "commandoutput.txt") == nullptr);
    FUZZ_CHECK(sim.openFiles == 0);
    if (state.jreLocGiven == 0) {
        FUZZ_CHECK(state.vendorDrovane == 0 && state.vendorIbm == 0 && state.jvm64Bit == 0);
        FUZZ_CHECK(sim.commands.empty());
        FUZZ_CHECK(sim.fileProbes.size() == 5);
        FUZZ_CHECK((selection == RuntimeSelection::Refused) == sim.messageBoxes.size());
    } else {
        FUZZ_CHECK(selection == RuntimeSelection::GoOn);
        FUZZ_CHECK(sim.messageBoxes.empty());
        FUZZ_CHECK(sim.commands.size() <= 2);
    }
    return 0;
}
