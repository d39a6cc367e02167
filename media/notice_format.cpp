// The one formatter for both wrong-disk notices; the rules are in the header.
#include "media/notice_format.h"

#include <algorithm>
#include <limits>

namespace {

struct StringConversion {
    bool leftAlign = false;
    bool zeroPad = false;
    size_t width = 0;
    bool hasPrecision = false;
    size_t precision = 0;
};

char At(std::string_view text, size_t index)
{
    return index < text.size() ? text[index] : '\0';
}

// Digits of a width or precision; a number too large for size_t stays at the
// largest value, which the output limit cuts anyway.
size_t ReadNumber(std::string_view text, size_t& position)
{
    size_t value = 0;
    while (At(text, position) >= '0' && At(text, position) <= '9') {
        size_t digit = static_cast<size_t>(At(text, position) - '0');
        value = value > (std::numeric_limits<size_t>::max() - digit) / 10 ? std::numeric_limits<size_t>::max()
                                                                            : value * 10 + digit;
        ++position;
    }
    return value;
}

// Reads a string conversion at the '%' that starts text; its length, or 0
// when text does not start one.
size_t ParseStringConversion(std::string_view text, StringConversion& conversion)
{
    size_t position = 1;
    if (At(text, position) == '-') {
        conversion.leftAlign = true;
        ++position;
    }
    if (At(text, position) == '#')
        ++position;
    if (At(text, position) == '0') {
        conversion.zeroPad = true;
        ++position;
    }
    conversion.width = ReadNumber(text, position);
    if (At(text, position) == '.') {
        ++position;
        conversion.hasPrecision = true;
        conversion.precision = ReadNumber(text, position);
    }
    char size = At(text, position);
    if (size == 'h' || size == 'l' || size == 'w')
        ++position;
    char type = At(text, position);
    if (type != 's' && type != 'S')
        return 0;
    return position + 1;
}

void AppendWithin(std::string& out, std::string_view text)
{
    size_t room = kNoticeCapacity - 1 - out.size();
    out.append(text.substr(0, room));
}

void AppendRepeatedWithin(std::string& out, char c, size_t count)
{
    size_t room = kNoticeCapacity - 1 - out.size();
    out.append(std::min(count, room), c);
}

void AppendConverted(std::string& out, const StringConversion& conversion, std::string_view text)
{
    if (conversion.hasPrecision)
        text = text.substr(0, std::min(conversion.precision, text.size()));
    size_t padding = conversion.width > text.size() ? conversion.width - text.size() : 0;
    if (conversion.leftAlign) {
        AppendWithin(out, text);
        AppendRepeatedWithin(out, ' ', padding);
    } else {
        AppendRepeatedWithin(out, conversion.zeroPad ? '0' : ' ', padding);
        AppendWithin(out, text);
    }
}

}  // namespace

std::string ComposeNotice(std::string_view format, std::string_view diskNumber)
{
    std::string notice;
    size_t position = 0;
    while (position < format.size() && notice.size() < kNoticeCapacity - 1) {
        if (format[position] != '%') {
            notice += format[position++];
            continue;
        }
        if (At(format, position + 1) == '%') {
            notice += '%';
            position += 2;
            continue;
        }
        StringConversion conversion;
        size_t length = ParseStringConversion(format.substr(position), conversion);
        if (length == 0) {
            notice += format[position++];
            continue;
        }
        AppendConverted(notice, conversion, diskNumber);
        position += length;
    }
    return notice;
}
