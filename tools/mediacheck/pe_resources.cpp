// String resources read straight from a PE file, without asking Windows: a
// medium built on Linux is checked on Linux, and the file is untrusted, so
// every offset is checked against the file before it is followed.
#include <cstring>

#include "tools/mediacheck/mediacheck.h"

namespace {

constexpr uint32_t kResourceTypeString = 6;  // RT_STRING
constexpr size_t kResourceDirectoryIndex = 2;
constexpr uint32_t kSubdirectoryFlag = 0x80000000u;
constexpr uint32_t kNamedEntryFlag = 0x80000000u;

struct Section {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawSize;
    uint32_t rawOffset;
};

struct Image {
    std::string_view file;
    std::vector<Section> sections;
    uint32_t resourceRva = 0;
    uint32_t resourceSize = 0;
};

bool Read16(std::string_view file, uint64_t offset, uint16_t& value)
{
    if (offset + 2 > file.size())
        return false;
    value = static_cast<uint16_t>(static_cast<unsigned char>(file[offset]) |
                                  static_cast<unsigned char>(file[offset + 1]) << 8);
    return true;
}

bool Read32(std::string_view file, uint64_t offset, uint32_t& value)
{
    uint16_t low = 0;
    uint16_t high = 0;
    if (!Read16(file, offset, low) || !Read16(file, offset + 2, high))
        return false;
    value = static_cast<uint32_t>(low) | static_cast<uint32_t>(high) << 16;
    return true;
}

// The file offset of an address of the mapped image, when the file holds
// count bytes there.
bool MapAddress(const Image& image, uint64_t rva, uint64_t count, uint64_t& offset)
{
    for (const Section& section : image.sections) {
        uint64_t start = section.virtualAddress;
        if (rva < start || rva + count > start + section.rawSize)
            continue;
        offset = section.rawOffset + (rva - start);
        return offset + count <= image.file.size();
    }
    return false;
}

bool ParseHeaders(std::string_view file, Image& image)
{
    image.file = file;
    uint32_t peOffset = 0;
    if (file.substr(0, 2) != "MZ" || !Read32(file, 0x3C, peOffset))
        return false;
    if (file.size() < static_cast<uint64_t>(peOffset) + 24 ||
        file.substr(peOffset, 4) != std::string_view("PE\0\0", 4))
        return false;
    uint16_t sectionCount = 0;
    uint16_t optionalSize = 0;
    uint16_t magic = 0;
    uint64_t optional = static_cast<uint64_t>(peOffset) + 24;
    if (!Read16(file, peOffset + 6, sectionCount) || !Read16(file, peOffset + 20, optionalSize) ||
        !Read16(file, optional, magic))
        return false;
    uint64_t countAt = 0;
    uint64_t directoriesAt = 0;
    if (magic == 0x10B) {  // PE32
        countAt = optional + 92;
        directoriesAt = optional + 96;
    } else if (magic == 0x20B) {  // PE32+
        countAt = optional + 108;
        directoriesAt = optional + 112;
    } else {
        return false;
    }
    uint32_t directoryCount = 0;
    if (!Read32(file, countAt, directoryCount))
        return false;
    uint64_t resourceEntry = directoriesAt + 8 * kResourceDirectoryIndex;
    if (directoryCount > kResourceDirectoryIndex && resourceEntry + 8 <= optional + optionalSize) {
        Read32(file, resourceEntry, image.resourceRva);
        Read32(file, resourceEntry + 4, image.resourceSize);
    }
    uint64_t table = optional + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        uint64_t at = table + 40ull * i;
        Section section{};
        if (!Read32(file, at + 8, section.virtualSize) || !Read32(file, at + 12, section.virtualAddress) ||
            !Read32(file, at + 16, section.rawSize) || !Read32(file, at + 20, section.rawOffset))
            return false;
        // Bytes beyond the virtual size are not part of the mapped section.
        if (section.virtualSize != 0 && section.virtualSize < section.rawSize)
            section.rawSize = section.virtualSize;
        image.sections.push_back(section);
    }
    return true;
}

struct DirectoryEntry {
    uint32_t name;
    uint32_t target;
};

// The entries of the resource directory at offset (from the start of the
// resource data); empty when it does not lie inside the file.
std::vector<DirectoryEntry> DirectoryEntries(const Image& image, uint32_t offset)
{
    std::vector<DirectoryEntry> entries;
    uint64_t at = 0;
    if (offset >= image.resourceSize || !MapAddress(image, uint64_t{image.resourceRva} + offset, 16, at))
        return entries;
    uint16_t named = 0;
    uint16_t numbered = 0;
    Read16(image.file, at + 12, named);
    Read16(image.file, at + 14, numbered);
    uint64_t count = uint64_t{named} + numbered;
    uint64_t first = 0;
    if (!MapAddress(image, uint64_t{image.resourceRva} + offset + 16, 8 * count, first))
        return entries;
    for (uint64_t i = 0; i < count; ++i) {
        DirectoryEntry entry{};
        Read32(image.file, first + 8 * i, entry.name);
        Read32(image.file, first + 8 * i + 4, entry.target);
        entries.push_back(entry);
    }
    return entries;
}

std::optional<uint32_t> SubdirectoryFor(const Image& image, uint32_t offset, uint32_t id)
{
    for (const DirectoryEntry& entry : DirectoryEntries(image, offset))
        if ((entry.name & kNamedEntryFlag) == 0 && entry.name == id && (entry.target & kSubdirectoryFlag) != 0)
            return entry.target & ~kSubdirectoryFlag;
    return std::nullopt;
}

// Of a block's languages, the one the loader would take for a thread that
// asks for no language in particular: neutral, the user's language, its
// primary language, English (US), else the first listed.
std::optional<uint32_t> LanguageData(const Image& image, uint32_t offset, uint16_t langId)
{
    std::vector<DirectoryEntry> languages;
    for (const DirectoryEntry& entry : DirectoryEntries(image, offset))
        if ((entry.name & kNamedEntryFlag) == 0 && (entry.target & kSubdirectoryFlag) == 0)
            languages.push_back(entry);
    if (languages.empty())
        return std::nullopt;
    auto exact = [&](uint32_t wanted) -> std::optional<uint32_t> {
        for (const DirectoryEntry& entry : languages)
            if (entry.name == wanted)
                return entry.target;
        return std::nullopt;
    };
    if (auto found = exact(0))
        return found;
    if (auto found = exact(langId))
        return found;
    for (const DirectoryEntry& entry : languages)
        if ((entry.name & 0x3FF) == (langId & 0x3FFu))
            return entry.target;
    if (auto found = exact(0x0409))
        return found;
    return languages.front().target;
}

std::optional<std::u16string> StringOfBlock(const Image& image, uint32_t dataEntry, uint32_t index)
{
    uint64_t at = 0;
    uint32_t dataRva = 0;
    uint32_t dataSize = 0;
    if (dataEntry >= image.resourceSize || !MapAddress(image, uint64_t{image.resourceRva} + dataEntry, 16, at) ||
        !Read32(image.file, at, dataRva) || !Read32(image.file, at + 4, dataSize))
        return std::nullopt;
    uint64_t block = 0;
    if (!MapAddress(image, dataRva, dataSize, block))
        return std::nullopt;
    // Sixteen strings, each a count of UTF-16 units and the units.
    uint64_t position = block;
    uint64_t end = block + dataSize;
    for (uint32_t i = 0; i < 16; ++i) {
        uint16_t length = 0;
        if (position + 2 > end || !Read16(image.file, position, length))
            return std::nullopt;
        position += 2;
        if (position + 2ull * length > end)
            return std::nullopt;
        if (i == index) {
            if (length == 0)
                return std::nullopt;  // LoadStringA gives 0 for an empty string: as missing
            std::u16string text;
            for (uint16_t unit = 0; unit < length; ++unit) {
                uint16_t c = 0;
                Read16(image.file, position + 2ull * unit, c);
                text += static_cast<char16_t>(c);
            }
            return text;
        }
        position += 2ull * length;
    }
    return std::nullopt;
}

}  // namespace

ResourceString FindResourceString(std::string_view file, uint32_t id, uint16_t langId)
{
    ResourceString result;
    Image image;
    if (!ParseHeaders(file, image))
        return result;
    result.image = true;
    if (image.resourceRva == 0 || image.resourceSize == 0)
        return result;
    std::optional<uint32_t> types = SubdirectoryFor(image, 0, kResourceTypeString);
    if (!types)
        return result;
    std::optional<uint32_t> block = SubdirectoryFor(image, *types, id / 16 + 1);
    if (!block)
        return result;
    std::optional<uint32_t> data = LanguageData(image, *block, langId);
    if (!data)
        return result;
    result.text = StringOfBlock(image, *data, id % 16);
    return result;
}
