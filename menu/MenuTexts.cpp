/* What the menu program says to the user, in English, and the text of its
   entry. In kAskAdd, kAskUpdate and kAskRemove each %ls is filled in: with
   the command the entry runs now (kAskUpdate's first), the command it will
   run, then the warnings that apply, each ending in a blank line, or empty
   texts (kAskRemove's: the account's alone). */
#include "MenuTexts.h"

const wchar_t kMenuTitle[] = L"KELBRANO";
const wchar_t kMenuText[] = L"Copy contents";

const wchar_t kMenuUsage[] =
    L"KELBRANO-MENU.EXE puts \"Copy contents\" in the right-click menu of every file, for this Windows user, "
    L"or takes it out.\n\n"
    L"KELBRANO-MENU.EXE    asks, then adds it or removes it\n"
    L"KELBRANO-MENU.EXE /add    adds it, without a window\n"
    L"KELBRANO-MENU.EXE /remove    removes it, without a window\n\n"
    L"Exit code: 0 when done, 1 when refused or failed.";

const wchar_t kAskAdd[] =
    L"This puts \"Copy contents\" in the right-click menu of every file, for this Windows user "
    L"only. It runs:\n\n%ls\n\n%ls%lsAdd it?";
const wchar_t kAskUpdate[] =
    L"\"Copy contents\" is in the right-click menu of every file, for this Windows user, "
    L"and runs:\n\n%ls\n\nThis points it at the KELBRANO.EXE here, for this Windows user "
    L"only. It then runs:\n\n%ls\n\n%ls%lsChange it?";
const wchar_t kAskRemove[] =
    L"\"Copy contents\" is in the right-click menu of every file, for this Windows user, "
    L"and runs:\n\n%ls\n\n%lsRemove it?";
const wchar_t kCommandNotText[] = L"(a value that is not text)";
const wchar_t kCommandTooLong[] = L"(a command too long to show)";
const wchar_t kNoCommand[] = L"(no command)";

const wchar_t kFarDriveWarning[] =
    L"This folder is on a network or removable drive: the entry does nothing while "
    L"the drive is away. A local folder, like C:\\Tools\\KELBRANO, is better.\n\n";
const wchar_t kOtherAccountWarning[] =
    L"This program runs as another Windows account than the one signed in: it changes "
    L"the menu of the account it runs as, not yours. To change your own, start it "
    L"without \"Run as administrator\", \"Run as different user\" or \"Run as\".\n\n";

const wchar_t kAdded[] =
    L"Done. Right-click a file and choose \"Copy contents\" (on Windows 11, \"Show more "
    L"options\" first, or Shift+F10).\n\nAfter moving this folder, run KELBRANO-MENU.EXE "
    L"again. Before deleting it, run KELBRANO-MENU.EXE to remove the entry.";
const wchar_t kRemoved[] = L"Done: \"Copy contents\" is out of the right-click menu.";

const wchar_t kPathTooLong[] =
    L"The path of this folder is too long: Windows can't start a program there from the "
    L"right-click menu. Move the folder to a shorter path, like C:\\Tools\\KELBRANO, and "
    L"run KELBRANO-MENU.EXE there.";
const wchar_t kPercentInPath[] =
    L"The path of this folder holds a %, which Windows would read as a placeholder in "
    L"the menu's command. Move the folder to a path without %, like "
    L"C:\\Tools\\KELBRANO, and run KELBRANO-MENU.EXE there.";
const wchar_t kInTempFolder[] =
    L"KELBRANO-MENU.EXE runs from the temporary folder, where Windows puts a program "
    L"started from inside a zip, and later deletes it. Unpack the whole zip into a "
    L"lasting folder, like C:\\Tools\\KELBRANO, and run KELBRANO-MENU.EXE there.";
const wchar_t kNoCopier[] =
    L"KELBRANO.EXE is not in this folder, beside KELBRANO-MENU.EXE. Unpack the whole zip "
    L"into one folder, like C:\\Tools\\KELBRANO, and run KELBRANO-MENU.EXE there.";
const wchar_t kAddFailed[] =
    L"Windows did not let this program write the entry under HKEY_CURRENT_USER\\Software\\"
    L"Classes, and nothing is left of it. Try again; where a policy of this computer "
    L"forbids it, Send To still works (README.md, Using it on Windows).";
const wchar_t kChangeFailed[] =
    L"Windows did not let this program change the entry under HKEY_CURRENT_USER\\Software\\"
    L"Classes, and it is unchanged: it runs what it ran before. Try again; where a "
    L"policy of this computer forbids it, Send To still works (README.md, Using it on "
    L"Windows).";
const wchar_t kRemoveFailed[] =
    L"Windows did not let this program remove the entry. Run this line in a command "
    L"prompt to remove it:\n\nreg delete \"HKCU\\Software\\Classes\\*\\shell\\KELBRANO\" "
    L"/f";
