// The launcher's one door to the operating system.
//
// Every system call the program makes goes through exactly one function
// declared here. There are two implementations, chosen at link time:
//   platform/win32/  the real ANSI Win32 and C runtime calls, nothing more;
//   platform/sim/    a simulated Windows held in memory, for native tests
//                    and for tools that predict what the launcher would do.
// The portable code includes no Windows header and never learns which one
// it is linked against.
#pragma once

#include <cstddef>
#include <cstdint>

// Opaque handles. The module instance has the same type as Windows' HINSTANCE
// so that WinMain can be defined in portable code with the signature the
// C runtime start-up expects.
struct HINSTANCE__;  // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): Windows' own name
using ModuleInstance = HINSTANCE__*;
using LibraryHandle = HINSTANCE__*;
using ProcessHandle = void*;
struct SysFile;

#if defined(_WIN32) && !defined(_WIN64)
#define LAUNCHER_WINAPI __stdcall
#else
#define LAUNCHER_WINAPI
#endif

inline constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;

// --- process and module (kernel32) -----------------------------------------

// GetCommandLineA: the process command line, program word included.
const char* SysGetCommandLine();

// GetModuleFileNameA: copies at most capacity - 1 characters and a NUL;
// returns the number of characters copied, capacity when the name was cut.
uint32_t SysGetModuleFileName(ModuleInstance instance, char* buffer, uint32_t capacity);

// GetFileAttributesA: kInvalidFileAttributes when the path cannot be examined.
uint32_t SysGetFileAttributes(const char* path);

// GetModuleHandleA("kernel32") + GetProcAddress("IsWow64Process") + the call
// with GetCurrentProcess().
enum class Wow64Query { FunctionMissing, CallFailed, Answered };
Wow64Query SysQueryWow64(int* isWow64);

// GetLastError after a failed call, and FormatMessageA of such a code into
// text (no trailing line end); returns the length written.
uint32_t SysGetLastError();
size_t SysDescribeError(uint32_t code, char* buffer, size_t capacity);

// --- user interface (user32) -------------------------------------------------

// MessageBoxA.
int SysMessageBox(void* owner, const char* text, const char* title, uint32_t style);

// --- child processes -----------------------------------------------------------

// The members of STARTUPINFOA the launcher sets; the Win32 side fills the
// real record from these and leaves every other member zero.
struct StartupRecord {
    uint32_t cb;
    const char* lpReserved;
    const char* lpDesktop;
    const char* lpTitle;
    uint32_t dwFlags;
    uint16_t cbReserved2;
    const void* lpReserved2;
};

// CreateProcessA with no security attributes and the inherited environment.
// On success *process receives the new process's handle (thread handle and
// identifiers are not passed on; they live until the launcher exits).
bool SysCreateProcess(const char* applicationName, char* commandLine, bool inheritHandles,
                      uint32_t creationFlags, const char* currentDirectory,
                      const StartupRecord& startup, ProcessHandle* process);

// WaitForSingleObject.
uint32_t SysWaitForSingleObject(ProcessHandle handle, uint32_t milliseconds);

// Formatted output to standard output (text mode) with the text as the
// whole format; the text holds no conversion. The result is not reported.
void SysWriteStdout(const char* text);

// --- the Java version probe ---------------------------------------------------

// GetTempPathA / GetShortPathNameA: the number of characters written, or the
// capacity needed when it did not fit, 0 on failure.
uint32_t SysGetTempPath(char* buffer, uint32_t capacity);
uint32_t SysGetShortPathName(const char* longPath, char* buffer, uint32_t capacity);

// The C runtime's system(): the command interpreter named by COMSPEC runs
// "/c" and the command; returns when it has ended.
int SysRunCommand(const char* command);

// The C runtime's buffered files, binary mode ("rb"). Text-mode reading is
// done portably on top of these (platform/text_mode.h), so that every build
// reads a medium alike.
SysFile* SysFileOpen(const char* path);
bool SysFileSeek(SysFile* file, int64_t offset, int origin);  // origin as SEEK_SET/SEEK_END
int64_t SysFileTell(SysFile* file);
size_t SysFileRead(SysFile* file, void* buffer, size_t size);
void SysFileClose(SysFile* file);

inline constexpr int kSeekSet = 0;
inline constexpr int kSeekEnd = 2;

// malloc / free, so that a failed allocation can be simulated.
void* SysAllocate(size_t size);
void SysRelease(void* block);

// --- the disk check and its notice ---------------------------------------------

// GetPrivateProfileStringA.
uint32_t SysGetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                    char* buffer, uint32_t capacity, const char* fileName);

// lstrcmpA.
int SysCompareStrings(const char* a, const char* b);

// GetUserDefaultLangID.
uint16_t SysGetUserDefaultLangID();

// LoadLibraryExA(path, NULL, LOAD_LIBRARY_AS_DATAFILE): a library used only
// for its resources, never run.
LibraryHandle SysLoadResourceLibrary(const char* path);

// LoadStringA: the length copied, 0 when the string is missing.
int SysLoadString(LibraryHandle library, uint32_t id, char* buffer, int capacity);

// FreeLibrary.
void SysFreeLibrary(LibraryHandle library);

// SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32), looked up at run
// time; false where the system does not offer it.
bool SysRestrictDllSearch();
