/* Where the menu program runs from, and what that means for the entry. */
#ifndef KELBRANO_MENUPLACE_H
#define KELBRANO_MENUPLACE_H

#include <windows.h>

#include "MenuCommand.h"

struct MenuPlace {
    wchar_t copier[MAX_PATH];      // KELBRANO.EXE beside this program
    wchar_t command[kCommandRoom]; // what the entry runs
    const wchar_t *refusal;        // why the entry may not be added from here, or null
    bool farDrive;                 // on a network or removable drive
};

void FindMenuPlace(MenuPlace *place);

#endif
