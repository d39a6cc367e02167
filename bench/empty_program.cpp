// The floor of the start-up benchmark: a Windows GUI program that does
// nothing, built with the launcher's own compiler and flags, so that what it
// costs is the price of one process start and nothing more.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 0;
}
