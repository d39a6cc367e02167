// mediacheck: see mediacheck.h.
#include <iostream>

#ifdef _WIN32
#include <windows.h>
#endif

#include "tools/mediacheck/mediacheck.h"

int main(int argc, char** argv)
{
#ifdef _WIN32
    // The report is UTF-8; a console shows it as such only when told so.
    SetConsoleOutputCP(65001);
#endif
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return RunMediacheck(arguments, std::cout, std::cerr);
}
