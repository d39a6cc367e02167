// A library whose code makes itself known: loaded as a program, it ends the
// process that loads it with exit code 77 before anything else happens.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        ExitProcess(77);
    return TRUE;
}
