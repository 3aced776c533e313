/* The menu program's switches: /add and /remove work without a window and
   say how it went in the exit code alone (0 done, 1 refused or failed); /?
   and any other argument show the usage; none asks in a box. */
#include <windows.h>

#include "MenuCommand.h"
#include "MenuPlace.h"
#include "MenuQuestion.h"
#include "MenuRegistry.h"
#include "MenuTexts.h"
#include "RunMenu.h"
#include "SignedInAccount.h"

int RunMenu(const wchar_t *tail)
{
    MenuSwitch what = GetMenuSwitch(tail);
    if (what == kMenuHelp || what == kMenuUnknown) {
        UINT icon = static_cast<UINT>(what == kMenuHelp ? MB_ICONINFORMATION : MB_ICONWARNING);
        MessageBoxW(nullptr, kMenuUsage, kMenuTitle, MB_OK | icon);
        return what == kMenuHelp ? 0 : 1;
    }
    // With no window to warn in, another account's menu is left alone: the
    // entry would not be in the menu of the user signed in.
    if (what != kMenuAsk && !RunsAsSignedInAccount())
        return 1;
    // Removing needs no KELBRANO.EXE, nor any place.
    if (what == kMenuRemove)
        return RemoveMenuEntry() == nullptr ? 0 : 1;

    MenuPlace place;
    FindMenuPlace(&place);
    if (what == kMenuAsk)
        return AskAndChangeMenu(&place);
    // With no window to warn in, a network or removable drive is refused:
    // the entry would be on every file's menu, and do nothing while the
    // drive is away.
    if (place.refusal || place.farDrive)
        return 1;
    return AddMenuEntry(place.command) == nullptr ? 0 : 1;
}
