// Whether the medium was built for the running Windows.
#include "launcher/launcher.h"
#include "media/layout.h"
#include "media/media.h"

PlatformVerdict CheckMediaPlatform(std::string_view, std::string_view&)
{
    return PlatformVerdict::Accepted;
}
