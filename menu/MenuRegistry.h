/* The menu entry in the registry, for the current user only: read, written
   and removed under HKEY_CURRENT_USER\Software\Classes\*\shell\KELBRANO. */
#ifndef KELBRANO_MENUREGISTRY_H
#define KELBRANO_MENUREGISTRY_H

enum MenuState { kMenuAbsent, kMenuHere, kMenuElsewhere };

/* Whether the entry is there, and whether its command is this one. */
MenuState GetMenuState(const wchar_t *command);

/* Writes the entry with this command, or rewrites it; then tells Explorer.
   Returns the failure's message, or null; a failure leaves no entry. */
const wchar_t *AddMenu(const wchar_t *command);

/* Deletes the entry, then the *\shell and * keys above it where they are
   left empty; then tells Explorer. No entry is no failure. Returns the
   failure's message, or null. */
const wchar_t *RemoveMenu();

#endif
