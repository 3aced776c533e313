/* The process's entry point. The runtime's own start-up has a looser rule for
   the command tail (it skips every control character), so this one finds the
   tail itself and leaves through the runtime's exit, which closes the streams.
   The tail comes from the UTF-16 command line: the ANSI one is a best-fit
   translation, where a name outside the code page turns into a look-alike. */
#include <windows.h>
#include <stdlib.h>

#include "CommandTail.h"
#include "wWinMain.h"

extern "C" __attribute__((force_align_arg_pointer)) void Start()
{
    const wchar_t *tail = GetCommandTail(GetCommandLineW());
    exit(wWinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPWSTR>(tail), SW_SHOWDEFAULT));
}
