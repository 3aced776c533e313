/* The process's entry point. The runtime's own start-up has a looser rule for
   the command tail (it skips every control character), so this one finds the
   tail itself and leaves through the runtime's exit, which closes the streams. */
#include <windows.h>
#include <stdlib.h>

#include "CommandTail.h"
#include "WinMain.h"

extern "C" __attribute__((force_align_arg_pointer)) void Start()
{
    const char *tail = GetCommandTail(GetCommandLineA());
    exit(WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(tail), SW_SHOWDEFAULT));
}
