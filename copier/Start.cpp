/* The process's entry point. The runtime's own start-up has a looser rule for
   the command tail (it skips every control character), so this one finds the
   tail itself and leaves through the runtime's exit, which closes the streams.
   The tail comes from the UTF-16 command line: the ANSI one is a best-fit
   translation, where a name outside the code page turns into a look-alike. */
#include <windows.h>
#include <stdlib.h>

#include "CommandTail.h"
#include "Start.h"
#include "wWinMain.h"
#include "../platform/ProtectProcess.h"

int StartProgram()
{
    ProtectProcess(); // before any DLL is loaded or any file opened
    const wchar_t *tail = GetCommandTail(GetCommandLineW());
    return wWinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPWSTR>(tail), SW_SHOWDEFAULT);
}

// The stack is aligned here for the code the compiler makes: the loader
// calls an entry point with it aligned to 4 bytes only.
extern "C" __attribute__((force_align_arg_pointer)) void Start()
{
    exit(StartProgram());
}
