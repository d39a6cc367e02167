// The argument part of the command line and the -J/-D hoisting.
#include "fuzz_input.h"
#include "launch/launch.h"
#include "launcher/launcher.h"
#include "platform/sim/sim.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ResetSim();
    ResetLauncherState();
    std::string commandLine = AsCString(std::string(reinterpret_cast<const char*>(data), size));
    Sim().commandLine = commandLine;
    ComposeArgumentText();
    std::string_view argumentPart = FindArgumentPart(commandLine);
    HoistedRuns hoisted = HoistJavaOptions(argumentPart);
    FUZZ_CHECK(hoisted.text.size() <= kHoistedRunsCapacity - 1);
    const std::string& text = launcherState.argumentText;
    // The whole argument part is always forwarded, after one space.
    FUZZ_CHECK(text.size() >= argumentPart.size() + 1);
    FUZZ_CHECK(text.compare(text.size() - argumentPart.size(), argumentPart.size(), argumentPart) == 0);
    FUZZ_CHECK(text[text.size() - argumentPart.size() - 1] == ' ');
    return 0;
}
