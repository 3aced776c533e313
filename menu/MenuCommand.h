/* What the menu entry runs, decided from where KELBRANO-MENU.EXE is, and
   whether it may be added from there: rules of text alone, no system call. */
#ifndef KELBRANO_MENUCOMMAND_H
#define KELBRANO_MENUCOMMAND_H

#include <windows.h>

// The command: KELBRANO.EXE's path and "%1", each in quotes, and a NUL.
const size_t kCommandRoom = MAX_PATH + 8;

enum MenuSwitch { kMenuAsk, kMenuAdd, kMenuRemove, kMenuHelp, kMenuUnknown };

/* What the command tail asks for: nothing (ask in a box), /add, /remove or
   /?, in any letter case, with blanks around; anything else is unknown. */
MenuSwitch GetMenuSwitch(const wchar_t *tail);

/* From the menu program's full path and the temporary folder (empty when
   unknown), KELBRANO.EXE's full path beside it into copier (MAX_PATH units)
   and the menu's command into command (kCommandRoom units). Returns why the
   entry may not be added from there, or null. For a path too long both are
   left empty; otherwise they are made, refused or not. */
const wchar_t *MakeMenuCommand(const wchar_t *menuPath, const wchar_t *tempFolder, wchar_t *copier, wchar_t *command);

/* The length of the root of a full path, its backslash included: 3 for
   "C:\...", the length of "\\server\share\" for a share; 0 for any other. */
size_t GetRootLength(const wchar_t *path);

/* Whether a drive of this type (GetDriveTypeW's answer) may be gone when
   the menu is used: a network share or a removable disk. */
bool IsFarDrive(UINT driveType);

#endif
