/* Opening the file the user named as Explorer means it. A 32-bit process on
   64-bit Windows is shown SysWOW64 wherever it names System32; the user means
   the folder Explorer shows, so the file is opened with that redirection off
   for this thread, and on again at once: the dialog, the shell and every DLL
   loaded later need it. Windows resolves the Sysnative alias only while
   redirection is on, so a name that is not found with it off is opened once
   more as it is (which also finds a System32 name that only SysWOW64 has).
   The switch is looked up, not imported: the KERNEL32 of Windows 2000 and
   32-bit XP has none, and there, or when it fails (not under WoW64), the name
   is opened as it is. */
#include <windows.h>
#include <errno.h>

#include "OpenName.h"
#include "OpenNamedFile.h"
#include "../platform/SystemFunction.h"

using DisableRedirection = BOOL(WINAPI *)(PVOID *state);
using RevertRedirection = BOOL(WINAPI *)(PVOID state);

/* Never inlined, so that the room for a long path is on the stack only while
   the file opens, not during the copy. */
__attribute__((noinline)) FILE *OpenNamedFile(const wchar_t *name)
{
    wchar_t path[kOpenNameRoom];
    const wchar_t *openName = GetOpenName(name, path);
    auto disable = GetSystemFunction<DisableRedirection>("KERNEL32.DLL", "Wow64DisableWow64FsRedirection");
    auto revert = GetSystemFunction<RevertRedirection>("KERNEL32.DLL", "Wow64RevertWow64FsRedirection");
    PVOID state;
    if (disable && revert && disable(&state)) {
        FILE *stream = _wfopen(openName, L"rb");
        int error = errno;
        revert(state);
        if (stream || error != ENOENT) // ENOENT: no such file, or no such folder on its way
            return stream;
    }
    return _wfopen(openName, L"rb");
}
