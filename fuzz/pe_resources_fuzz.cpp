// mediacheck's own reader of string resources in a PE file from a medium.
#include "fuzz_input.h"
#include "tools/mediacheck/mediacheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view file(reinterpret_cast<const char*>(data), size);
    for (uint16_t langId : {0x0409, 0x0407, 0x0411})
        FindResourceString(file, 1, langId);
    FindResourceString(file, 0xFFFF, 0x0409);
    return 0;
}
