// Splits one fuzzer input into the pieces a target needs, and checks that
// abort the run at once when the launcher breaks one of its promises.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// Pieces are separated by the byte 0xFF (which media text rarely holds);
// missing pieces are empty.
inline std::vector<std::string> SplitInput(const uint8_t* data, size_t size, size_t count)
{
    std::vector<std::string> pieces(count);
    size_t piece = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF && piece + 1 < count) {
            ++piece;
            continue;
        }
        pieces[piece] += static_cast<char>(data[i]);
    }
    return pieces;
}

// A C string as the system would hand it over: up to the first NUL.
inline std::string AsCString(const std::string& text)
{
    return std::string(text.c_str());
}

#define FUZZ_CHECK(condition)                                                        \
    do {                                                                             \
        if (!(condition)) {                                                          \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            abort();                                                                 \
        }                                                                            \
    } while (0)
