// Code page 1252 both ways, and UTF-8 for the languages whose double-byte
// code pages are not reproduced here.
#include "tools/mediacheck/mediacheck.h"

namespace {

// 0x80 to 0x9F of code page 1252; 0 where Windows maps the byte to the C1
// control of the same number.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char32_t FromWindows1252(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0 && kHighControls[byte - 0x80] != 0)
        return kHighControls[byte - 0x80];
    return byte;
}

std::optional<unsigned char> ToWindows1252(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<unsigned char>(c);
    for (unsigned i = 0; i < 32; ++i) {
        char16_t mapped = kHighControls[i];
        if ((mapped == 0 && c == 0x80 + i) || (mapped != 0 && c == mapped))
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The code points of UTF-16 text; an unpaired surrogate is U+FFFD.
std::u32string CodePoints(std::u16string_view text)
{
    std::u32string points;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            points += static_cast<char32_t>(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            points += U'\uFFFD';
        } else {
            points += c;
        }
    }
    return points;
}

// The length of the well-formed UTF-8 sequence at position, 0 when there is
// none.
size_t Utf8SequenceLength(std::string_view bytes, size_t position)
{
    auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    unsigned char lead = byte(position);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || position + length > bytes.size())
        return 0;
    for (size_t i = 1; i < length; ++i)
        if ((byte(position + i) & 0xC0) != 0x80)
            return 0;
    // Overlong forms and surrogates are not UTF-8.
    if ((length == 2 && lead < 0xC2) || (length == 3 && lead == 0xE0 && byte(position + 1) < 0xA0) ||
        (length == 3 && lead == 0xED && byte(position + 1) >= 0xA0) ||
        (length == 4 && (lead > 0xF4 || (lead == 0xF0 && byte(position + 1) < 0x90) ||
                         (lead == 0xF4 && byte(position + 1) >= 0x90))))
        return 0;
    return length;
}

}  // namespace

TextEncoding EncodingForLanguage(uint16_t langId)
{
    switch (langId & 0x3FF) {
    case 0x04:  // Chinese
    case 0x11:  // Japanese
    case 0x12:  // Korean
        return TextEncoding::Utf8;
    default:
        return TextEncoding::Windows1252;
    }
}

std::string ToAnsi(std::u16string_view text, TextEncoding encoding)
{
    std::string bytes;
    for (char32_t c : CodePoints(text)) {
        if (encoding == TextEncoding::Utf8) {
            AppendUtf8(bytes, c);
            continue;
        }
        std::optional<unsigned char> mapped = ToWindows1252(c);
        bytes += mapped ? static_cast<char>(*mapped) : '?';
    }
    return bytes;
}

std::string ToUtf8(std::string_view bytes, TextEncoding encoding)
{
    std::string text;
    for (size_t i = 0; i < bytes.size();) {
        if (encoding == TextEncoding::Windows1252) {
            AppendUtf8(text, FromWindows1252(static_cast<unsigned char>(bytes[i++])));
            continue;
        }
        size_t length = Utf8SequenceLength(bytes, i);
        if (length == 0) {
            AppendUtf8(text, U'\uFFFD');
            ++i;
            continue;
        }
        text.append(bytes.substr(i, length));
        i += length;
    }
    return text;
}
