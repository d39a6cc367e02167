// The real system: each function is the one ANSI Win32 or C runtime call it
// is named after, and nothing more.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/system.h"

#if !defined(_WIN64)
static_assert(sizeof(STARTUPINFOA) == 68, "the start-up record of the 32-bit program");
#endif

const char* SysGetCommandLine()
{
    return GetCommandLineA();
}

uint32_t SysGetModuleFileName(ModuleInstance instance, char* buffer, uint32_t capacity)
{
    return GetModuleFileNameA(instance, buffer, capacity);
}

uint32_t SysGetFileAttributes(const char* path)
{
    return GetFileAttributesA(path);
}

Wow64Query SysQueryWow64(int* isWow64)
{
    // Looked up at run time: older Windows has no such function.
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = GetModuleHandleA("kernel32");
    auto isWow64Process = kernel == nullptr ? nullptr
                                            : reinterpret_cast<IsWow64ProcessFunction>(
                                                  reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
    if (isWow64Process == nullptr)
        return Wow64Query::FunctionMissing;
    BOOL flag = FALSE;
    if (!isWow64Process(GetCurrentProcess(), &flag))
        return Wow64Query::CallFailed;
    *isWow64 = flag;
    return Wow64Query::Answered;
}

uint32_t SysGetLastError()
{
    return GetLastError();
}

size_t SysDescribeError(uint32_t code, char* buffer, size_t capacity)
{
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                  buffer, static_cast<DWORD>(capacity), nullptr);
    while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r' || buffer[length - 1] == ' '))
        buffer[--length] = '\0';
    return length;
}

// user32 is bound on first use instead of imported: mapping it prepares the
// process for windows, which on the usual run (no box, no notice) costs about
// as much as starting a whole program. Its name alone maps the system's copy:
// it is a known DLL, and the search is narrowed to the system folder at start.
static FARPROC User32Function(const char* name)
{
    static HMODULE user32 = nullptr;
    if (user32 == nullptr)
        user32 = LoadLibraryExA("user32.dll", nullptr, 0);
    return user32 == nullptr ? nullptr : GetProcAddress(user32, name);
}

int SysMessageBox(void* owner, const char* text, const char* title, uint32_t style)
{
    using MessageBoxFunction = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
    auto messageBox = reinterpret_cast<MessageBoxFunction>(reinterpret_cast<void*>(User32Function("MessageBoxA")));
    // Without user32 no box can be shown: as a box that failed.
    return messageBox == nullptr ? 0 : messageBox(static_cast<HWND>(owner), text, title, style);
}

bool SysCreateProcess(const char* applicationName, char* commandLine, bool inheritHandles, uint32_t creationFlags,
                      const char* currentDirectory, const StartupRecord& startup, ProcessHandle* process)
{
    STARTUPINFOA startupInfo;
    memset(&startupInfo, 0, sizeof startupInfo);
    startupInfo.cb = sizeof startupInfo;
    startupInfo.lpReserved = const_cast<char*>(startup.lpReserved);
    startupInfo.lpDesktop = const_cast<char*>(startup.lpDesktop);
    startupInfo.lpTitle = const_cast<char*>(startup.lpTitle);
    startupInfo.dwFlags = startup.dwFlags;
    startupInfo.cbReserved2 = startup.cbReserved2;
    startupInfo.lpReserved2 = static_cast<BYTE*>(const_cast<void*>(startup.lpReserved2));
    PROCESS_INFORMATION processInfo;
    memset(&processInfo, 0, sizeof processInfo);
    if (!CreateProcessA(applicationName, commandLine, nullptr, nullptr, inheritHandles ? TRUE : FALSE, creationFlags,
                        nullptr, currentDirectory, &startupInfo, &processInfo))
        return false;
    *process = processInfo.hProcess;
    return true;
}

uint32_t SysWaitForSingleObject(ProcessHandle handle, uint32_t milliseconds)
{
    return WaitForSingleObject(handle, milliseconds);
}

void SysWriteStdout(const char* text)
{
    fputs(text, stdout);
}

uint32_t SysGetTempPath(char* buffer, uint32_t capacity)
{
    return GetTempPathA(capacity, buffer);
}

uint32_t SysGetShortPathName(const char* longPath, char* buffer, uint32_t capacity)
{
    return GetShortPathNameA(longPath, buffer, capacity);
}

int SysRunCommand(const char* command)
{
    return system(command);
}

SysFile* SysFileOpen(const char* path)
{
    return reinterpret_cast<SysFile*>(fopen(path, "rb"));
}

bool SysFileSeek(SysFile* file, int64_t offset, int origin)
{
    return fseek(reinterpret_cast<FILE*>(file), static_cast<long>(offset), origin) == 0;
}

int64_t SysFileTell(SysFile* file)
{
    return ftell(reinterpret_cast<FILE*>(file));
}

size_t SysFileRead(SysFile* file, void* buffer, size_t size)
{
    return fread(buffer, 1, size, reinterpret_cast<FILE*>(file));
}

void SysFileClose(SysFile* file)
{
    fclose(reinterpret_cast<FILE*>(file));
}

void* SysAllocate(size_t size)
{
    return malloc(size);
}

void SysRelease(void* block)
{
    free(block);
}

uint32_t SysGetPrivateProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                                    uint32_t capacity, const char* fileName)
{
    return GetPrivateProfileStringA(section, key, defaultValue, buffer, capacity, fileName);
}

int SysCompareStrings(const char* a, const char* b)
{
    return lstrcmpA(a, b);
}

uint16_t SysGetUserDefaultLangID()
{
    return GetUserDefaultLangID();
}

LibraryHandle SysLoadResourceLibrary(const char* path)
{
    return LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

int SysLoadString(LibraryHandle library, uint32_t id, char* buffer, int capacity)
{
    using LoadStringFunction = int(WINAPI*)(HINSTANCE, UINT, LPSTR, int);
    auto loadString = reinterpret_cast<LoadStringFunction>(reinterpret_cast<void*>(User32Function("LoadStringA")));
    return loadString == nullptr ? 0 : loadString(library, id, buffer, capacity);
}

void SysFreeLibrary(LibraryHandle library)
{
    FreeLibrary(library);
}

bool SysRestrictDllSearch()
{
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32");
    auto setDefault = kernel == nullptr ? nullptr
                                        : reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(
                                              GetProcAddress(kernel, "SetDefaultDllDirectories")));
    return setDefault != nullptr && setDefault(0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */) != FALSE;
}
