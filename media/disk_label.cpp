// The two readings of stage\disk.label.
#include <cstring>

#include "media/layout.h"
#include "platform/system.h"
#include "platform/text_mode.h"

std::string ReadDiskNumber(std::string_view diskLabelPath)
{
    if (diskLabelPath.size() + 1 > kDiskLabelPathCapacity)
        return "1";
    std::string path(diskLabelPath);
    char number[3] = {};
    SysGetPrivateProfileString("General", "Number", "1", number, sizeof number, path.c_str());
    number[sizeof number - 1] = '\0';
    if (number[0] == '\0')
        return "1";
    return number;
}

std::string ReadMediaLabel(std::string_view diskLabelPath)
{
    if (diskLabelPath.size() + 1 > kMediumFilePathCapacity)
        return {};
    std::string path(diskLabelPath);
    TextFile file;
    if (!OpenTextFile(file, path.c_str()))
        return {};
    char line[kLineCapacity] = {};
    for (int i = 0; i < 4; ++i)
        ReadTextLine(file, line, sizeof line);
    CloseTextFile(file);
    size_t length = strlen(line);
    if (length <= 7)
        return {};
    return std::string(line + 6, length - 7);
}
