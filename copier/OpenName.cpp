/* The name a file is opened by. Windows opens a file whose full path is
   MAX_PATH (260) characters or more only by the extended-length form of that
   path: \\?\C:\... or \\?\UNC\server\share\... It takes that form as it is,
   without resolving the current directory, ".", "..", "/" or trailing blanks
   and dots, so the full path is made first, by the system's own rules. Every
   other name is opened as it was given. */
#include "OpenName.h"

// Before the full path: "\\?\UNC" takes the place of a UNC path's first
// backslash, "\\?\" goes in front of a drive's path.
static const DWORD kPrefix = 6;

// \\?\ or \\.\: a name the system already takes as it is.
static bool IsTakenAsItIs(const wchar_t *name)
{
    return name[0] == '\\' && name[1] == '\\' && (name[2] == '?' || name[2] == '.') && name[3] == '\\';
}

const wchar_t *GetOpenName(const wchar_t *name, wchar_t *path)
{
    if (IsTakenAsItIs(name))
        return name;
    wchar_t *full = path + kPrefix;
    // The length without the NUL, or 0 when there is no full path, or the
    // room it would need when it does not fit.
    DWORD length = GetFullPathNameW(name, kOpenNameRoom - kPrefix, full, nullptr);
    if (length < MAX_PATH || length >= kOpenNameRoom - kPrefix || IsTakenAsItIs(full))
        return name;

    // \\server\share\... becomes \\?\UNC\server\share\..., C:\... becomes \\?\C:\...
    static const wchar_t kUnc[] = L"\\\\?\\UNC";
    bool unc = full[0] == '\\' && full[1] == '\\';
    wchar_t *start = unc ? path : path + 2;
    for (int i = 0; i < (unc ? 7 : 4); i++)
        start[i] = kUnc[i];
    return start;
}
