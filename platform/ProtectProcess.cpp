/* Two settings of the process, made before anything else: DLLs are looked for
   in System32 alone, and the files it opens are the ones Explorer shows, not
   the copies UAC file virtualization keeps for old programs. Each is looked
   up, not imported, and where a Windows lacks it, or it fails, the program
   goes on as it would have without it, saying nothing. */
#include "ProtectProcess.h"
#include "SystemFunction.h"

using SetDllSearch = BOOL(WINAPI *)(DWORD flags);
using OpenToken = BOOL(WINAPI *)(HANDLE process, DWORD access, HANDLE *token);
using SetTokenValue = BOOL(WINAPI *)(HANDLE token, TOKEN_INFORMATION_CLASS what, void *value, DWORD size);

/* Windows' own DLLs load some of theirs by name alone, the theme library for
   any window among them, and such a name is looked for first in the folder
   the program is in: often Downloads, where any web page can save a file of
   that name. From here on, names are looked for in System32 alone. Windows 8
   and later have the switch, Vista and 7 only with KB2533623. */
static void NarrowDllSearch()
{
    auto setDllSearch = GetSystemFunction<SetDllSearch>("KERNEL32.DLL", "SetDefaultDllDirectories");
    if (setDllSearch)
        setDllSearch(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

/* A 32-bit program without a manifest runs virtualized on Windows Vista and
   later: where an older program once wrote into Program Files or Windows
   without the rights to, Windows kept its copy under
   %LOCALAPPDATA%\VirtualStore, and a virtualized process that opens the
   original path reads that copy, while Notepad and Explorer show the real
   file. A process may turn its own virtualization off. ADVAPI32 is loaded by
   its name, not from System32 by the narrowed search, which unpatched Vista
   and 7, the very systems that virtualize, lack. Windows 2000 and XP have no
   such information class, and Wine, without UAC, refuses it. */
static void TurnOffVirtualization()
{
    auto openToken = GetSystemFunction<OpenToken>("ADVAPI32.DLL", "OpenProcessToken");
    auto setTokenValue = GetSystemFunction<SetTokenValue>("ADVAPI32.DLL", "SetTokenInformation");
    HANDLE token;
    if (openToken && setTokenValue && openToken(GetCurrentProcess(), TOKEN_ADJUST_DEFAULT | TOKEN_QUERY, &token)) {
        DWORD off = 0;
        (void)setTokenValue(token, TokenVirtualizationEnabled, &off, sizeof off); // refused: as it was
        CloseHandle(token);
    }
}

void ProtectProcess()
{
    NarrowDllSearch();
    TurnOffVirtualization();
}
