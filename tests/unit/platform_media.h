// The platform data files of a medium, written the way the launcher reads
// them: fields at fixed character positions of fixed lines.
#pragma once

#include <string>
#include <string_view>

// Fourth line: 24 characters, the platform id, 10 characters ending the line.
inline constexpr std::string_view kIdHead = "     <id for=\"platform\">";
inline constexpr std::string_view kIdTail = "    </id>";  // and the line feed
// Fifth line: 36 characters, the platform name, 22 characters ending the line.
inline constexpr std::string_view kNameHead = "        <name for=\"platform\" value=\"";
inline constexpr std::string_view kNameTail = "\"/> <!-- required -->";  // and the line feed
static_assert(kIdHead.size() == 24 && kIdTail.size() + 1 == 10);
static_assert(kNameHead.size() == 36 && kNameTail.size() + 1 == 22);

inline std::string PlatformIdLine(std::string_view id, std::string_view lineEnd = "\n")
{
    return std::string(kIdHead) + std::string(id) + std::string(kIdTail) + std::string(lineEnd);
}

inline std::string PlatformNameLine(std::string_view name, std::string_view lineEnd = "\n")
{
    return std::string(kNameHead) + std::string(name) + std::string(kNameTail) + std::string(lineEnd);
}

// The three lines before the fields.
inline std::string PropertiesPreamble(std::string_view lineEnd = "\n")
{
    std::string end(lineEnd);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + end + "<shiphome>" + end + "  <platform>" + end;
}

// A whole stage\shiphomeproperties.xml.
inline std::string ShipHomeProperties(std::string_view id, std::string_view name, std::string_view lineEnd = "\n")
{
    std::string end(lineEnd);
    return PropertiesPreamble(lineEnd) + PlatformIdLine(id, lineEnd) + PlatformNameLine(name, lineEnd) +
           "  </platform>" + end + "</shiphome>" + end;
}

// A stage\disk.label of disk 1 whose fourth line names the installer.
inline std::string DiskLabel(std::string_view mediaLabel)
{
    return "[General]\nNumber=1\n\nLabel=" + std::string(mediaLabel) + "\n";
}

inline constexpr std::string_view kAllowLineText = "tamvex.as.install.allow.32bitin64bit=true";
