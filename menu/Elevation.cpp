/* Whether the process runs elevated. An elevated process may run as another
   account than the one signed in ("Run as administrator" asks for an
   administrator's password), and then HKEY_CURRENT_USER is that account's.
   Windows before Vista has no elevation: the token refuses the question,
   and the process counts as not elevated, whoever it runs as. */
#include <windows.h>

#include "Elevation.h"

bool IsProcessElevated()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    BOOL known = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
    return known && elevation.TokenIsElevated;
}
