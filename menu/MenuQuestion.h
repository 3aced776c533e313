/* The menu program run with no argument, as from a double-click. */
#ifndef KELBRANO_MENUQUESTION_H
#define KELBRANO_MENUQUESTION_H

#include "MenuPlace.h"

/* Asks in a box, then adds the entry, or removes it when it is there and
   points here; says how it went. Returns 0 when done or declined, 1 when
   it was refused or failed, or the box could not be shown. */
int AskAndChangeMenu(const MenuPlace *place);

#endif
