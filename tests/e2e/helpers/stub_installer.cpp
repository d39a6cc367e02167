// Stands in for the product installer on a test medium: appends what it was
// started with to a record file and ends with a chosen exit code.
//
// STUB_RECORD     Windows path of the record file; nothing is recorded
//                 without it.
// STUB_EXIT_CODE  exit code, decimal or 0x-hex; 0 when unset.
// STUB_WAIT_MS    how long to run before ending (to try a launcher that
//                 waits too long); not at all when unset.
//
// One line per start: the command line, the module path and the current
// directory, each in lower-case hex (so spaces, quotes and any byte survive),
// separated by single spaces.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void AppendHex(FILE* file, const char* text, DWORD length)
{
    for (DWORD i = 0; i < length; ++i)
        fprintf(file, "%02x", static_cast<unsigned char>(text[i]));
}

void AppendRecord(const char* recordPath)
{
    char modulePath[32768] = {};
    DWORD moduleLength = GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);
    char currentDirectory[32768] = {};
    DWORD directoryLength = GetCurrentDirectoryA(sizeof currentDirectory, currentDirectory);
    if (directoryLength >= sizeof currentDirectory)
        directoryLength = 0;
    const char* commandLine = GetCommandLineA();

    FILE* file = fopen(recordPath, "ab");
    if (file == nullptr)
        return;
    AppendHex(file, commandLine, static_cast<DWORD>(strlen(commandLine)));
    fputc(' ', file);
    AppendHex(file, modulePath, moduleLength);
    fputc(' ', file);
    AppendHex(file, currentDirectory, directoryLength);
    fputc('\n', file);
    fclose(file);
}

unsigned long NumberFromEnvironment(const char* name)
{
    char text[64] = {};
    DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
    if (length == 0 || length >= sizeof text)
        return 0;
    return strtoul(text, nullptr, 0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char recordPath[32768] = {};
    DWORD length = GetEnvironmentVariableA("STUB_RECORD", recordPath, sizeof recordPath);
    if (length > 0 && length < sizeof recordPath)
        AppendRecord(recordPath);
    Sleep(static_cast<DWORD>(NumberFromEnvironment("STUB_WAIT_MS")));
    // ExitProcess rather than a return: the whole 32-bit code, not a C int
    // the runtime might reinterpret.
    ExitProcess(static_cast<UINT>(NumberFromEnvironment("STUB_EXIT_CODE")));
}
