/* Where the menu program runs from: its own path, and from it KELBRANO.EXE's
   and the entry's command, checked against the temporary folder, the drive
   and KELBRANO.EXE being there. */
#include <windows.h>

#include "MenuPlace.h"
#include "MenuTexts.h"

// A path longer than the longest KELBRANO.EXE may have beside it is cut
// short by GetModuleFileNameW, and refused as too long.
static const DWORD kModuleRoom = MAX_PATH + 8;

/* The temporary folder in its long form: %TEMP% may hold 8.3 names, and the
   program's own path never does. Empty when it can't be told. */
static void GetTempFolder(wchar_t *folder)
{
    wchar_t given[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, given);
    if (length == 0 || length > MAX_PATH)
        given[0] = L'\0';
    length = given[0] ? GetLongPathNameW(given, folder, MAX_PATH + 1) : 0;
    if (length == 0 || length > MAX_PATH) { // then as %TEMP% gives it
        size_t i = 0;
        for (; given[i]; i++)
            folder[i] = given[i];
        folder[i] = L'\0';
    }
}

void FindMenuPlace(MenuPlace *place)
{
    wchar_t module[kModuleRoom];
    DWORD length = GetModuleFileNameW(nullptr, module, kModuleRoom);
    if (length == 0 || length >= kModuleRoom)
        module[0] = L'\0';
    wchar_t temp[MAX_PATH + 1];
    GetTempFolder(temp);

    place->refusal = MakeMenuCommand(module, temp, place->copier, place->command);
    if (!place->refusal && !module[0])
        place->refusal = kPathTooLong;
    if (!place->refusal) {
        DWORD attributes = GetFileAttributesW(place->copier);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            place->refusal = kNoCopier;
    }

    place->farDrive = false;
    size_t root = GetRootLength(place->copier);
    if (root) {
        wchar_t drive[MAX_PATH];
        for (size_t i = 0; i < root; i++)
            drive[i] = place->copier[i];
        drive[root] = L'\0';
        place->farDrive = IsFarDrive(GetDriveTypeW(drive));
    }
}
