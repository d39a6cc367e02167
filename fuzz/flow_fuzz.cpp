// The whole run of WinMain against a simulated medium whose files, command
// line and system answers come from the fuzzer.
#include "fuzz_input.h"
#include "launch/launch.h"
#include "launcher/launcher.h"
#include "platform/sim/sim.h"

namespace {

enum Piece { kControl, kCommandLine, kModuleName, kDiskLabel, kProperties, kInfo, kVersionText, kNotice, kPieces };

bool Bit(const std::string& control, size_t index)
{
    size_t byte = index / 8;
    return byte < control.size() && ((static_cast<unsigned char>(control[byte]) >> (index % 8)) & 1) != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> piece = SplitInput(data, size, kPieces);
    const std::string& control = piece[kControl];
    ResetSim();
    ResetLauncherState();
    SimWindows& sim = Sim();

    sim.commandLine = AsCString(piece[kCommandLine]);
    sim.moduleFileName = Bit(control, 0) ? AsCString(piece[kModuleName]) : "D:\\setup.exe";
    sim.wow64 = static_cast<SimWow64>((Bit(control, 1) ? 1 : 0) + (Bit(control, 2) ? 2 : 0));
    static const uint16_t kLanguages[] = {0x0409, 0x0407, 0x0411, 0x100C};
    sim.userLangId = kLanguages[(Bit(control, 3) ? 1 : 0) + (Bit(control, 4) ? 2 : 0)];
    static const uint32_t kWaits[] = {0, 0x80, 0x102, 0xFFFFFFFF};
    sim.waitResult = kWaits[(Bit(control, 5) ? 1 : 0) + (Bit(control, 6) ? 2 : 0)];
    sim.tempPathFails = Bit(control, 7);
    sim.allocationFails = Bit(control, 8);

    if (Bit(control, 9))
        SimAddFolder("D:\\stage\\Components\\tamvex.swd.jre");
    if (Bit(control, 10))
        SimAddFile("D:\\install\\win32\\setup.exe", "MZ");
    if (Bit(control, 11))
        SimAddFile("D:\\install\\win64\\setup.exe", "MZ");
    if (Bit(control, 12))
        SimAddFile("D:\\stage\\disk.label", piece[kDiskLabel]);
    if (Bit(control, 13))
        SimAddFile("D:\\stage\\shiphomeproperties.xml", piece[kProperties]);
    if (Bit(control, 14))
        SimAddFile("D:\\stage\\shiphomeinfo.properties", piece[kInfo]);
    if (Bit(control, 15))
        SimAddLibrary("D:\\install\\setupus.dll", {{1, piece[kNotice]}});
    // Whatever "-jreLoc" names, its version command prints the fuzzed text.
    std::string location = sim.commandLine;
    for (size_t at = 0; (at = location.find(' ', at)) != std::string::npos;)
        location.erase(at, 1);  // not a real parse: enough that some commands match
    sim.commandOutputs[location + "\\bin\\java.exe -version"] = {{2, piece[kVersionText]}};

    uint32_t exitCode = static_cast<uint32_t>(WinMain(nullptr, nullptr, nullptr, 1));

    FUZZ_CHECK(sim.messageBoxes.size() <= 1);
    FUZZ_CHECK(sim.processes.size() <= 1);
    FUZZ_CHECK(sim.openFiles == 0);
    FUZZ_CHECK(SimFind(sim.tempPath + "commandoutput.txt") == nullptr);
    bool started = !sim.waits.empty();
    if (started) {
        FUZZ_CHECK(sim.messageBoxes.empty());
        FUZZ_CHECK(exitCode == sim.waitResult);
        FUZZ_CHECK(sim.standardOutput == WaitReport(sim.waitResult));
    } else {
        FUZZ_CHECK(sim.standardOutput.empty());
        FUZZ_CHECK(sim.messageBoxes.size() == 1);  // every refusal says why
        const SimMessageBox& box = sim.messageBoxes[0];
        FUZZ_CHECK(box.style == 0x30 && box.owner == nullptr);
        if (box.title == "TamvexKit") {
            FUZZ_CHECK(exitCode == 0 || exitCode == kExitNoticeNoLibrary || exitCode == kExitNoticeNoString ||
                       exitCode == kExitNoticeEmpty);
            FUZZ_CHECK(box.text.size() <= 1023);
        } else {
            FUZZ_CHECK(box.title == "ERROR");
            FUZZ_CHECK(exitCode == kExitRefused || exitCode == kExitInstallerNotStarted);
        }
    }
    return 0;
}
