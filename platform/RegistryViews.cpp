/* The registry views of a 32-bit program on 64-bit Windows (WoW64). Before
   Windows 7, HKEY_CURRENT_USER\Software\Classes is redirected for 32-bit
   programs: they see a view of their own, which Windows reflects into the
   64-bit one that 64-bit Explorer reads, and a key deleted there is not
   documented to be deleted from the 64-bit view. So what the menu program
   writes and deletes it writes and deletes in the 64-bit view too. From
   Windows 7 on the two views are one key, which is then written twice and
   found deleted the second time: no version test, which a compatibility mode
   could fool. RegDeleteKeyExW, the one call that deletes in another view, is
   looked up, not imported: 32-bit Windows XP and 2000 lack it, and
   IsWow64Process, missing on Windows 2000 and XP before SP2, likewise. */
#include "RegistryViews.h"
#include "SystemFunction.h"

using IsWow64 = BOOL(WINAPI *)(HANDLE process, BOOL *wow64);
using DeleteKeyEx = LONG(WINAPI *)(HKEY parent, const wchar_t *name, REGSAM view, DWORD reserved);

static DeleteKeyEx GetDeleteKeyEx()
{
    return GetSystemFunction<DeleteKeyEx>("ADVAPI32.DLL", "RegDeleteKeyExW");
}

size_t GetRegistryViews(REGSAM views[2])
{
    views[0] = 0;
    auto isWow64 = GetSystemFunction<IsWow64>("KERNEL32.DLL", "IsWow64Process");
    BOOL wow64 = FALSE;
    // Without RegDeleteKeyExW the 64-bit view could not be cleaned: not written either.
    if (!isWow64 || !isWow64(GetCurrentProcess(), &wow64) || !wow64 || !GetDeleteKeyEx())
        return 1;
    views[1] = KEY_WOW64_64KEY;
    return 2;
}

LONG DeleteKeyInView(HKEY parent, const wchar_t *name, REGSAM view)
{
    if (!view)
        return RegDeleteKeyW(parent, name);
    DeleteKeyEx deleteKeyEx = GetDeleteKeyEx();
    if (!deleteKeyEx)
        return ERROR_CALL_NOT_IMPLEMENTED;
    return deleteKeyEx(parent, name, view, 0);
}
