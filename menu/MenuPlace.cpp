/* Where the menu program runs from: its own path, and from it KELBRANO.EXE's
   and the entry's command, checked against the temporary folder, the drive
   and KELBRANO.EXE being there. */
#include <windows.h>

#include "MenuPlace.h"
#include "MenuTexts.h"

// A path longer than the longest KELBRANO.EXE may have beside it is cut
// short by GetModuleFileNameW, and refused as too long.
static const DWORD kModuleRoom = MAX_PATH + 8;

/* The path in its long form into path (room units): without 8.3 names, which
   a path may hold when the program was started by one, and %TEMP% often does.
   Where it can't be had, the path as given. */
static void GetLongForm(const wchar_t *given, wchar_t *path, DWORD room)
{
    DWORD length = given[0] ? GetLongPathNameW(given, path, room) : 0;
    if (length == 0 || length >= room) {
        size_t i = 0;
        for (; given[i]; i++)
            path[i] = given[i];
        path[i] = L'\0';
    }
}

void FindMenuPlace(MenuPlace *place)
{
    // The program's own path, in the long form that the command written, the
    // test of whether the entry points here and the temporary folder's all use.
    wchar_t given[kModuleRoom];
    DWORD length = GetModuleFileNameW(nullptr, given, kModuleRoom);
    if (length == 0 || length >= kModuleRoom)
        given[0] = L'\0';
    wchar_t module[kModuleRoom];
    GetLongForm(given, module, kModuleRoom);
    wchar_t temp[MAX_PATH + 1];
    length = GetTempPathW(MAX_PATH + 1, given);
    if (length == 0 || length > MAX_PATH)
        given[0] = L'\0';
    GetLongForm(given, temp, MAX_PATH + 1);

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
