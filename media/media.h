// The checks of the medium: which disk of the set it is, and whether it was
// built for the running Windows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The disk-number text of the medium the launcher was started from (at most
// two characters); "1" unless the medium names another disk.
std::string CheckDiskNumber(std::string_view commandLineDirectory);

// Tells the user to start from disk 1, in their language where the medium
// can; the result is the exit code.
uint32_t ShowWrongDiskNotice(std::string_view diskNumber, std::string_view commandLineDirectory);

// The suffix of the resource library for the user's default language ("D",
// "JA", ...), "US" for every language the medium has no library for.
std::string_view GetLanguageSuffix();

enum class PlatformVerdict { Accepted, Refused };

// Compares the medium's platform with the running Windows. May replace the
// child relative path by the 32-bit installer; on refusal the error box has
// been shown.
PlatformVerdict CheckMediaPlatform(std::string_view launcherDirectory, std::string_view& childRelativePath);
