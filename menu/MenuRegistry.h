/* The menu entry in the registry, for the current user only: read, written
   and removed under HKEY_CURRENT_USER\Software\Classes\*\shell\KELBRANO. */
#ifndef KELBRANO_MENUREGISTRY_H
#define KELBRANO_MENUREGISTRY_H

#include "MenuCommand.h"

enum MenuState { kMenuAbsent, kMenuHere, kMenuElsewhere };

/* Whether the entry is there, and whether its command is this one, letter
   case aside. Into current (kCommandRoom units), the command it runs now, or
   what is said instead of a value that is missing, not text or too long;
   empty when there is no entry. */
MenuState GetMenuState(const wchar_t *command, wchar_t *current);

/* Writes the entry with this command, or rewrites it; then tells Explorer.
   Returns the failure's message, or null; a failure leaves the entry as it
   was, none when there was none. */
const wchar_t *AddMenuEntry(const wchar_t *command);

/* Deletes the entry, the "none" it set and the *\shell and * keys above it
   where they are left empty; then tells Explorer. No entry is no failure.
   Returns the failure's message, or null. */
const wchar_t *RemoveMenuEntry();

#endif
