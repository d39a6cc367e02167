// Which disk of the set the launcher was started from.
#include "launcher/launcher.h"
#include "media/layout.h"
#include "media/media.h"

std::string CheckDiskNumber(std::string_view)
{
    return "1";
}

uint32_t ShowWrongDiskNotice(std::string_view, std::string_view)
{
    return 0;
}
