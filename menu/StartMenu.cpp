/* KELBRANO-MENU.EXE's entry point. As KELBRANO.EXE's, it narrows the DLL
   search first (it too is started from Downloads), takes its tail from the
   UTF-16 command line by the same rule, and leaves through the runtime's
   exit. */
#include <windows.h>
#include <stdlib.h>

#include "RunMenu.h"
#include "StartMenu.h"
#include "../copier/CommandTail.h"
#include "../platform/ProtectProcess.h"

int StartMenuProgram()
{
    ProtectProcess(); // before any DLL is loaded or any file opened
    return RunMenu(GetCommandTail(GetCommandLineW()));
}

// The stack is aligned here for the code the compiler makes: the loader
// calls an entry point with it aligned to 4 bytes only.
extern "C" __attribute__((force_align_arg_pointer)) void StartMenu()
{
    exit(StartMenuProgram());
}
