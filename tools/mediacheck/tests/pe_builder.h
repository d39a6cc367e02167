// Small resource-only PE files for the tests: headers, one .rsrc section and
// a string table, laid out as a resource compiler and linker lay them out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One block of the string table: strings blockId * 16 - 16 to
// blockId * 16 - 1, in one language. Missing strings are empty.
struct StringBlock {
    uint16_t blockId = 1;
    uint16_t lang = 0x0409;
    std::vector<std::u16string> strings;
};

namespace pe_builder {

inline void Put16(std::string& bytes, size_t at, uint32_t value)
{
    if (bytes.size() < at + 2)
        bytes.resize(at + 2, '\0');
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

inline void Put32(std::string& bytes, size_t at, uint32_t value)
{
    Put16(bytes, at, value & 0xFFFF);
    Put16(bytes, at + 2, value >> 16);
}

// A resource directory header with count numbered entries.
inline void PutDirectory(std::string& section, size_t at, size_t count)
{
    Put32(section, at, 0);
    Put16(section, at + 12, 0);
    Put16(section, at + 14, static_cast<uint32_t>(count));
}

}  // namespace pe_builder

inline constexpr uint32_t kTestSectionRva = 0x1000;

// The .rsrc section: type 6, one subdirectory per block, one per language.
inline std::string ResourceSection(const std::vector<StringBlock>& blocks)
{
    using namespace pe_builder;
    std::vector<uint16_t> ids;
    for (const StringBlock& block : blocks) {
        bool known = false;
        for (uint16_t id : ids)
            known = known || id == block.blockId;
        if (!known)
            ids.push_back(block.blockId);
    }
    std::string section;
    PutDirectory(section, 0, 1);
    size_t typeDirectory = 16 + 8;
    Put32(section, 16, 6);
    Put32(section, 20, 0x80000000u | static_cast<uint32_t>(typeDirectory));
    PutDirectory(section, typeDirectory, ids.size());
    size_t next = typeDirectory + 16 + 8 * ids.size();
    std::vector<std::pair<size_t, const StringBlock*>> dataEntries;  // where each entry goes
    for (size_t i = 0; i < ids.size(); ++i) {
        std::vector<const StringBlock*> languages;
        for (const StringBlock& block : blocks)
            if (block.blockId == ids[i])
                languages.push_back(&block);
        Put32(section, typeDirectory + 16 + 8 * i, ids[i]);
        Put32(section, typeDirectory + 16 + 8 * i + 4, 0x80000000u | static_cast<uint32_t>(next));
        size_t languageDirectory = next;
        PutDirectory(section, languageDirectory, languages.size());
        next += 16 + 8 * languages.size();
        for (size_t j = 0; j < languages.size(); ++j) {
            Put32(section, languageDirectory + 16 + 8 * j, languages[j]->lang);
            dataEntries.emplace_back(languageDirectory + 16 + 8 * j + 4, languages[j]);
        }
    }
    std::vector<size_t> entryAt;
    for (auto& [slot, block] : dataEntries) {
        Put32(section, slot, static_cast<uint32_t>(next));
        entryAt.push_back(next);
        next += 16;
    }
    section.resize(next, '\0');
    for (size_t k = 0; k < dataEntries.size(); ++k) {
        std::string data;
        for (size_t s = 0; s < 16; ++s) {
            std::u16string text = s < dataEntries[k].second->strings.size() ? dataEntries[k].second->strings[s] : u"";
            Put16(data, data.size(), static_cast<uint32_t>(text.size()));
            for (char16_t c : text)
                Put16(data, data.size(), c);
        }
        size_t at = section.size();
        section += data;
        section.resize((section.size() + 3) & ~size_t{3}, '\0');
        Put32(section, entryAt[k], kTestSectionRva + static_cast<uint32_t>(at));
        Put32(section, entryAt[k] + 4, static_cast<uint32_t>(data.size()));
    }
    return section;
}

// A whole DLL image file; no blocks: no resource directory at all.
inline std::string ResourceLibrary(const std::vector<StringBlock>& blocks, bool pe32Plus = false)
{
    using namespace pe_builder;
    std::string section = blocks.empty() ? std::string(16, '\0') : ResourceSection(blocks);
    size_t rawSize = (section.size() + 0x1FF) & ~size_t{0x1FF};
    std::string file(0x200, '\0');
    file[0] = 'M';
    file[1] = 'Z';
    Put32(file, 0x3C, 0x40);
    file.replace(0x40, 4, std::string("PE\0\0", 4));
    size_t optionalSize = pe32Plus ? 240 : 224;
    Put16(file, 0x44, pe32Plus ? 0x8664 : 0x14C);
    Put16(file, 0x46, 1);
    Put16(file, 0x54, static_cast<uint32_t>(optionalSize));
    Put16(file, 0x56, 0x2102);
    size_t optional = 0x58;
    Put16(file, optional, pe32Plus ? 0x20B : 0x10B);
    Put32(file, optional + 32, 0x1000);
    Put32(file, optional + 36, 0x200);
    Put32(file, optional + 56, 0x1000 + static_cast<uint32_t>((section.size() + 0xFFF) & ~size_t{0xFFF}));
    Put32(file, optional + 60, 0x200);
    size_t directories = optional + (pe32Plus ? 112 : 96);
    Put32(file, optional + (pe32Plus ? 108 : 92), 16);
    if (!blocks.empty()) {
        Put32(file, directories + 16, kTestSectionRva);
        Put32(file, directories + 20, static_cast<uint32_t>(section.size()));
    }
    size_t table = optional + optionalSize;
    file.replace(table, 5, ".rsrc");
    Put32(file, table + 8, static_cast<uint32_t>(section.size()));
    Put32(file, table + 12, kTestSectionRva);
    Put32(file, table + 16, static_cast<uint32_t>(rawSize));
    Put32(file, table + 20, 0x200);
    Put32(file, table + 36, 0x40000040u);
    file.resize(0x200);
    section.resize(rawSize, '\0');
    return file + section;
}

// The usual case: block 1 in one language with string 1 (and nothing else).
inline std::string LibraryWithString1(const std::u16string& text, uint16_t lang = 0x0409)
{
    return ResourceLibrary({StringBlock{1, lang, {u"", text}}});
}
