// Small text helpers shared by the launcher's steps. Texts are 8-bit; case
// folding covers the letters A to Z only, as everywhere in the launcher.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>

inline char FoldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

// StrTrimA: removes every leading and trailing character found in set.
inline std::string_view TrimChars(std::string_view text, std::string_view set)
{
    size_t first = text.find_first_not_of(set);
    if (first == std::string_view::npos)
        return {};
    size_t last = text.find_last_not_of(set);
    return text.substr(first, last - first + 1);
}

// Joins pieces into out when the result and its terminator fit capacity;
// otherwise out is left empty and the result is false. Fixed-capacity paths
// of the launcher are built this way, so an overlong one is refused whole
// instead of being cut into some other path.
inline bool JoinWithin(std::string& out, size_t capacity, std::initializer_list<std::string_view> pieces)
{
    size_t length = 0;
    for (std::string_view piece : pieces)
        length += piece.size();
    out.clear();
    if (length + 1 > capacity)
        return false;
    out.reserve(length);
    for (std::string_view piece : pieces)
        out += piece;
    return true;
}

inline std::string DecimalText(unsigned long value)
{
    char digits[24];
    size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return std::string(std::make_reverse_iterator(digits + count), std::make_reverse_iterator(digits));
}
