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

typedef BOOL(WINAPI *SetDllSearch)(DWORD flags);

int StartProgram()
{
    // Windows' own DLLs load some of theirs by name alone, the theme library
    // for any window among them, and such a name is looked for first in the
    // folder the program is in: often Downloads, where any web page can save
    // a file of that name. From here on, names are looked for in System32
    // alone. Looked up, not imported: Windows 8 and later have it, Vista and
    // 7 only with KB2533623. Without it, or when it fails, the search stays
    // as it was.
    auto setDllSearch = reinterpret_cast<SetDllSearch>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("KERNEL32.DLL"), "SetDefaultDllDirectories")));
    if (setDllSearch)
        setDllSearch(LOAD_LIBRARY_SEARCH_SYSTEM32);

    const wchar_t *tail = GetCommandTail(GetCommandLineW());
    return wWinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPWSTR>(tail), SW_SHOWDEFAULT);
}

// Flattened, so that the run is in one function: called, it takes the 32-bit
// executable past 10 KiB.
extern "C" __attribute__((force_align_arg_pointer, flatten)) void Start()
{
    exit(StartProgram());
}
