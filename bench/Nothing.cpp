/* A program that does nothing: what starting and ending any process costs
   under Wine. Built twice: importing KERNEL32 only, and with SAME_IMPORTS
   importing what KELBRANO.EXE imports (KERNEL32, USER32, SHELL32, msvcrt),
   which shows what loading those libraries alone costs. */
#include <windows.h>
#ifdef SAME_IMPORTS
#include <shellapi.h>
#include <stdlib.h>
#endif

extern "C" __attribute__((force_align_arg_pointer)) void Start()
{
#ifdef SAME_IMPORTS
    // Never true: only there so that the three libraries are imported and loaded.
    if (!GetCommandLineA()) {
        ShellExecuteA(nullptr, nullptr, nullptr, nullptr, nullptr, 0);
        MessageBoxA(nullptr, nullptr, nullptr, 0);
        exit(1);
    }
#endif
    ExitProcess(0);
}
