/* The menu program run with no argument, as from a double-click: one box
   says what it will do and asks; nothing changes before the answer. */
#include <windows.h>

#include "Elevation.h"
#include "MenuQuestion.h"
#include "MenuRegistry.h"
#include "MenuTexts.h"

static bool Ask(const wchar_t *format, const wchar_t *command, const wchar_t *farDrive)
{
    // The formats and warnings take some 700 units, the command at most 267:
    // within the 1,024 wsprintfW writes.
    wchar_t question[1024];
    const wchar_t *elevated = IsProcessElevated() ? kElevatedWarning : L"";
    wsprintfW(question, format, command, farDrive, elevated);
    return MessageBoxW(nullptr, question, kMenuTitle, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

int AskAndChangeMenu(const MenuPlace *place)
{
    const wchar_t *error = nullptr;
    const wchar_t *done = nullptr;
    MenuState state = GetMenuState(place->command);

    if (state == kMenuHere) {
        if (Ask(kAskRemove, place->command, L"")) {
            error = RemoveMenu();
            done = kRemoved;
        }
    } else if (place->refusal) {
        error = place->refusal;
    } else if (Ask(state == kMenuAbsent ? kAskAdd : kAskUpdate, place->command,
                   place->farDrive ? kFarDriveWarning : L"")) {
        error = AddMenu(place->command);
        done = kAdded;
    }

    if (error) {
        MessageBoxW(nullptr, error, kMenuTitle, MB_OK | MB_ICONERROR);
        return 1;
    }
    if (done)
        MessageBoxW(nullptr, done, kMenuTitle, MB_OK | MB_ICONINFORMATION);
    return 0;
}
