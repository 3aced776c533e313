/* Whether the program runs as the Windows account signed in. HKEY_CURRENT_USER
   is the registry of the account the process runs as, which is another one
   after "Run as administrator" with another account's password, "Run as
   different user", or Run as on Windows 2000 and XP; then the entry would be
   in that account's menu, not in the one the user sees. The account signed in
   is the user of the shell's process (Explorer's, which owns the desktop).
   The same user elevated is the same account. */
#include <windows.h>

#include "SignedInAccount.h"

// A token's user, as GetTokenInformation gives it: a TOKEN_USER, then the SID
// it points to, of SECURITY_MAX_SID_SIZE bytes at most.
static const DWORD kUserRoom = sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE;

/* The user of the process's token into user (kUserRoom bytes, aligned as a
   TOKEN_USER). */
static bool GetTokenUser(HANDLE process, BYTE *user)
{
    HANDLE token;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return false;
    DWORD size = 0;
    BOOL read = GetTokenInformation(token, TokenUser, user, kUserRoom, &size);
    CloseHandle(token);
    return read;
}

bool RunsAsSignedInAccount()
{
    // No shell window: no one to compare with (another shell, or none), and
    // the account the program runs as is the one to change.
    HWND shellWindow = GetShellWindow();
    if (!shellWindow)
        return true;
    DWORD id = 0;
    GetWindowThreadProcessId(shellWindow, &id);
    // The limited query right is missing before Vista. Another account's
    // process or token is refused without the debug privilege: a refusal
    // means another account.
    HANDLE shell = id ? OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id) : nullptr;
    if (!shell)
        return false;
    alignas(TOKEN_USER) BYTE ours[kUserRoom];
    alignas(TOKEN_USER) BYTE theirs[kUserRoom];
    bool same =
        GetTokenUser(GetCurrentProcess(), ours) && GetTokenUser(shell, theirs) &&
        EqualSid(reinterpret_cast<TOKEN_USER *>(ours)->User.Sid, reinterpret_cast<TOKEN_USER *>(theirs)->User.Sid);
    CloseHandle(shell);
    return same;
}
