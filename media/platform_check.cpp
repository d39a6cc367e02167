// Whether the medium was built for the running Windows.
#include "launcher/launcher.h"
#include "launcher/text.h"
#include "media/layout.h"
#include "media/media.h"
#include "media/platform.h"
#include "platform/text_mode.h"

namespace {

std::string_view TakeBetween(std::string_view line, size_t head, size_t tail)
{
    if (line.size() <= head + tail)
        return line.substr(0, 0);
    return line.substr(head, line.size() - head - tail);
}

// A path that does not fit its capacity is treated as a file that does not
// open, rather than cut into the path of some other file.
bool OpenMediumFile(TextFile& file, std::string_view launcherDirectory, std::string_view relativePath)
{
    std::string path;
    if (!JoinWithin(path, kMediumFilePathCapacity, {launcherDirectory, relativePath}))
        return false;
    return OpenTextFile(file, path.c_str());
}

// The results are not looked at: a read past the end leaves the line as it
// was, so the last line read stands in for the missing ones.
void ReadTimes(TextFile& file, char* line, size_t capacity, int count)
{
    for (int i = 0; i < count; ++i)
        ReadTextLine(file, line, capacity);
}

void ReadPlatformFields(std::string_view launcherDirectory, MediaPlatform& platform)
{
    TextFile file;
    if (!OpenMediumFile(file, launcherDirectory, kShipHomePropertiesFile))
        return;
    char line[kLineCapacity] = {};
    ReadTimes(file, line, sizeof line, 4);
    platform.platformId = TakePlatformId(line);
    ReadTimes(file, line, sizeof line, 1);
    platform.platformName = TakePlatformName(line);
    CloseTextFile(file);
}

int ReadAllowLine(std::string_view launcherDirectory)
{
    TextFile file;
    if (!OpenMediumFile(file, launcherDirectory, kShipHomeInfoFile))
        return 0;
    int allow = 0;
    char line[kLineCapacity] = {};
    while (ReadTextLine(file, line, sizeof line))
        if (IsAllowLine(line))
            allow = 1;
    CloseTextFile(file);
    return allow;
}

}  // namespace

std::string_view TakePlatformId(std::string_view line)
{
    return TakeBetween(line, 24, 10);
}

std::string_view TakePlatformName(std::string_view line)
{
    return TakeBetween(line, 36, 22);
}

bool IsAllowLine(std::string_view line)
{
    return TrimChars(TrimChars(TrimChars(line, " "), "\n"), "\r") == kAllow32On64Line;
}

MediaPlatform ReadMediaPlatform(std::string_view launcherDirectory)
{
    MediaPlatform platform;
    ReadPlatformFields(launcherDirectory, platform);
    std::string labelPath;
    if (JoinWithin(labelPath, kMediumFilePathCapacity, {launcherDirectory, kDiskLabelFile}))
        platform.mediaLabel = ReadMediaLabel(labelPath);
    platform.allow32On64 = ReadAllowLine(launcherDirectory);
    return platform;
}

PlatformDecision DecidePlatform(std::string_view platformId, int allow32On64, bool windows64)
{
    if (platformId == kPlatformIdEither)
        return PlatformDecision::Accept;
    if (windows64) {
        if (platformId == kPlatformId64)
            return PlatformDecision::Accept;
        if (platformId == kPlatformId32 && allow32On64 != 0)
            return PlatformDecision::AcceptWith32BitInstaller;
        return PlatformDecision::Refuse;
    }
    return platformId == kPlatformId32 ? PlatformDecision::Accept : PlatformDecision::Refuse;
}

std::string ComposePlatformRefusal(std::string_view mediaLabel, std::string_view platformName)
{
    // The fields come from reads of at most 999 characters, so the message
    // always fits; the cut only keeps that true whatever a caller passes.
    std::string message;
    for (std::string_view piece :
         {std::string_view("ERROR: This version of the "), mediaLabel, std::string_view(" installer requires a "),
          platformName,
          std::string_view(" operating system.\nPlease download the appropriate installer for your operating "
                           "system, or contact Tamvex Support.")}) {
        message.append(piece.substr(0, kRefusalCapacity - 1 - message.size()));
    }
    return message;
}

PlatformVerdict CheckMediaPlatform(std::string_view launcherDirectory, std::string_view& childRelativePath)
{
    MediaPlatform platform = ReadMediaPlatform(launcherDirectory);
    // Asked afresh: the flavour choice made its own call earlier.
    switch (DecidePlatform(platform.platformId, platform.allow32On64, IsRunningUnderWow64())) {
    case PlatformDecision::Accept:
        return PlatformVerdict::Accepted;
    case PlatformDecision::AcceptWith32BitInstaller:
        childRelativePath = kInstaller32;
        return PlatformVerdict::Accepted;
    case PlatformDecision::Refuse:
        break;
    }
    std::string message = ComposePlatformRefusal(platform.mediaLabel, platform.platformName);
    ShowErrorBox(message.c_str());
    return PlatformVerdict::Refused;
}
