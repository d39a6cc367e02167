// The platform data of a medium: field positions, the allow line, the
// decision and the refusal message.
#include "fuzz_input.h"
#include "launcher/launcher.h"
#include "media/media.h"
#include "media/layout.h"
#include "media/platform.h"
#include "platform/sim/sim.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> piece = SplitInput(data, size, 4);
    ResetSim();
    ResetLauncherState();
    SimAddFile("D:\\stage\\shiphomeproperties.xml", piece[0]);
    SimAddFile("D:\\stage\\disk.label", piece[1]);
    SimAddFile("D:\\stage\\shiphomeinfo.properties", piece[2]);
    Sim().wow64 = (!piece[3].empty() && (piece[3][0] & 1) != 0) ? SimWow64::Yes : SimWow64::No;

    std::string line = AsCString(piece[0]).substr(0, kLineCapacity - 1);
    std::string_view id = TakePlatformId(line);
    std::string_view name = TakePlatformName(line);
    FUZZ_CHECK(id.empty() || (id.data() == line.data() + 24 && id.size() + 34 == line.size()));
    FUZZ_CHECK(name.empty() || (name.data() == line.data() + 36 && name.size() + 58 == line.size()));
    IsAllowLine(piece[2]);

    MediaPlatform platform = ReadMediaPlatform("D:\\\\");
    FUZZ_CHECK(platform.platformId.size() <= 965);
    FUZZ_CHECK(platform.platformName.size() <= 941);
    FUZZ_CHECK(platform.mediaLabel.size() <= 992);
    FUZZ_CHECK(Sim().openFiles == 0);
    std::string refusal = ComposePlatformRefusal(platform.mediaLabel, platform.platformName);
    FUZZ_CHECK(refusal.size() <= kRefusalCapacity - 1);

    std::string_view child = kInstaller64;
    PlatformVerdict verdict = CheckMediaPlatform("D:\\\\", child);
    FUZZ_CHECK((verdict == PlatformVerdict::Refused) == (Sim().messageBoxes.size() == 1));
    FUZZ_CHECK(Sim().messageBoxes.size() <= 1);
    FUZZ_CHECK(child == kInstaller64 || child == kInstaller32);
    bool accepted = platform.platformId == "2000" || (Sim().wow64 == SimWow64::Yes ? platform.platformId == "233" ||
                                                                                          (platform.platformId == "912" && platform.allow32On64)
                                                                                    : platform.platformId == "912");
    FUZZ_CHECK(accepted == (verdict == PlatformVerdict::Accepted));
    return 0;
}
