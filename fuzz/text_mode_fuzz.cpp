// Text-mode line reading and the disk label's two readings.
#include <cstring>

#include "fuzz_input.h"
#include "media/layout.h"
#include "platform/sim/sim.h"
#include "platform/text_mode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ResetSim();
    std::string content(reinterpret_cast<const char*>(data), size);
    SimAddFile("D:\\stage\\disk.label", content);

    TextFile file;
    FUZZ_CHECK(OpenTextFile(file, "D:\\stage\\disk.label"));
    char line[kLineCapacity];
    memset(line, 'z', sizeof line);
    size_t total = 0;
    while (ReadTextLine(file, line, sizeof line)) {
        size_t length = strnlen(line, sizeof line);
        FUZZ_CHECK(length < sizeof line);
        total += length;
        FUZZ_CHECK(total <= size);
        // A read ends at its first line feed: none stands before the last character.
        FUZZ_CHECK(length == 0 || memchr(line, '\n', length - 1) == nullptr);
    }
    CloseTextFile(file);
    FUZZ_CHECK(Sim().openFiles == 0);

    std::string label = ReadMediaLabel("D:\\stage\\disk.label");
    FUZZ_CHECK(label.size() <= 992);
    std::string number = ReadDiskNumber("D:\\stage\\disk.label");
    FUZZ_CHECK(!number.empty() && number.size() <= 2);
    return 0;
}
