// Composing the wrong-disk notice from a format and the disk-number text.
//
// The localized format comes from a resource library on the medium, so it
// is untrusted: composing never reads anything but the one text it is given,
// whatever the format holds. The rules, in the order they are tried at each
// '%':
//   "%%"          one '%'.
//   a string conversion, %[-][#][0][width][.precision][h|l|w](s|S), with the
//                 flags in that order as wsprintfA reads them: the disk-number
//                 text, every time one occurs.
//                   precision  at most that many characters of the text;
//                              "%.0s" and "%.s" give none.
//                   width      padded to at least that many characters,
//                              on the left, or on the right with '-'.
//                   '0'        pads on the left with zeros instead of
//                              spaces; with '-' the padding stays spaces, so
//                              a number is never followed by zeros that
//                              would change it.
//                   '#'        no effect on a text.
//                 The size prefixes only name the width of the characters the
//                 argument would have had ("%ls", "%S" a wide text); the one
//                 text there is is given to them all.
//   anything else the '%' is copied as an ordinary character and the
//                 characters after it are read as ordinary text, so a numeric
//                 or character conversion ("%d", "%c", "%5x"), a malformed one
//                 and a '%' at the very end all stand in the notice as written.
// The result is cut at kNoticeCapacity - 1 bytes, the limit of wsprintfA's
// output buffer with its terminator.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

inline constexpr size_t kNoticeCapacity = 1024;

std::string ComposeNotice(std::string_view format, std::string_view diskNumber);
