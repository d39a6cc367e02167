// The Java version probe: a command's output captured through the command
// interpreter in a temporary file.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "java/java.h"
#include "launcher/text.h"

namespace {

// A directory the system reports into a buffer of kProbeTextCapacity; empty
// when the call failed or the answer did not fit.
std::string TextFromSystem(uint32_t length, const std::vector<char>& buffer)
{
    if (length == 0 || length >= kProbeTextCapacity)
        return {};
    return std::string(buffer.data(), strnlen(buffer.data(), length));
}

// The whole file as one text, bytes untranslated, up to the first NUL byte.
// Empty when it cannot be opened, measured or held in memory.
std::string ReadWholeFile(const char* path)
{
    SysFile* file = SysFileOpen(path);
    if (file == nullptr)
        return {};
    std::string text;
    int64_t size = -1;
    if (SysFileSeek(file, 0, kSeekEnd))
        size = SysFileTell(file);
    if (size >= 0 && static_cast<uint64_t>(size) < SIZE_MAX && SysFileSeek(file, 0, kSeekSet)) {
        size_t capacity = static_cast<size_t>(size) + 1;
        char* block = static_cast<char*>(SysAllocate(capacity));
        if (block != nullptr) {
            size_t count = SysFileRead(file, block, capacity - 1);
            block[count] = '\0';
            text = block;
            SysRelease(block);
        }
    }
    SysFileClose(file);
    return text;
}

}  // namespace

std::string ProbeJavaVersion(std::string_view command)
{
    // Without a temporary directory there is nowhere to capture into, and a
    // command that does not fit its buffer is not cut into another command:
    // either way nothing is run and nothing was captured.
    std::vector<char> buffer(kProbeTextCapacity, '\0');
    std::string tempDirectory = TextFromSystem(SysGetTempPath(buffer.data(), kProbeTextCapacity), buffer);
    if (tempDirectory.empty())
        return {};
    std::fill(buffer.begin(), buffer.end(), '\0');
    // The short form has no spaces for the interpreter to split at.
    std::string shortDirectory =
        TextFromSystem(SysGetShortPathName(tempDirectory.c_str(), buffer.data(), kProbeTextCapacity), buffer);
    if (shortDirectory.empty())
        return {};

    std::string outputPath;
    std::string quotedOutputPath;
    std::string redirectedCommand;
    if (!JoinWithin(outputPath, kProbeTextCapacity, {shortDirectory, kProbeOutputFile}) ||
        !JoinWithin(quotedOutputPath, kProbeTextCapacity, {"\"", outputPath, "\""}) ||
        !JoinWithin(redirectedCommand, kProbeTextCapacity, {command, " > ", quotedOutputPath, " 2>&1"}))
        return {};

    SysRunCommand(redirectedCommand.c_str());
    std::string versionText = ReadWholeFile(outputPath.c_str());

    // Never longer than the redirected command, so it always fits.
    std::string deleteCommand;
    JoinWithin(deleteCommand, kProbeTextCapacity, {"del ", quotedOutputPath});
    SysRunCommand(deleteCommand.c_str());
    return versionText;
}
