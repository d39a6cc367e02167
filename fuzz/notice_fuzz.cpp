// The wrong-disk notice composed from a hostile format, and the disk number
// read from a hostile disk label.
#include "fuzz_input.h"
#include "launcher/launcher.h"
#include "media/media.h"
#include "media/notice_format.h"
#include "platform/sim/sim.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> piece = SplitInput(data, size, 4);
    std::string diskNumber = piece[1].substr(0, 2);
    std::string notice = ComposeNotice(piece[0], diskNumber);
    FUZZ_CHECK(notice.size() <= kNoticeCapacity - 1);

    ResetSim();
    ResetLauncherState();
    std::string directory = AsCString(piece[2]);
    SimAddFile(directory + "stage\\disk.label", piece[3]);
    SimAddLibrary("D:\\install\\setupus.dll", {{1, piece[0]}});
    std::string number = CheckDiskNumber(directory);
    FUZZ_CHECK(!number.empty() && number.size() <= 2);
    uint32_t code = ShowWrongDiskNotice(number, directory);
    FUZZ_CHECK(Sim().messageBoxes.size() == 1);
    FUZZ_CHECK(Sim().messageBoxes[0].text.size() <= kNoticeCapacity - 1);
    FUZZ_CHECK(code == 0 || code == kExitNoticeNoLibrary || code == kExitNoticeNoString || code == kExitNoticeEmpty);
    return 0;
}
