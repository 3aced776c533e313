/* Whether a run without a file name reads its standard input: only a pipe
   (dir | KELBRANO) or a file on a disk (KELBRANO < notes.txt). A program
   started by a double-click, a drop, Send To, a shortcut or the Task
   Scheduler has no handle; a console it inherits is a character device (or
   of no known type before Windows 8), and so is NUL: those show the usage. */
#include "InputToRead.h"

// HANDLE is the platform's opaque type, never a pointer to const.
// cppcheck-suppress constParameter
bool IsInputToRead(HANDLE input, DWORD startupFlags, DWORD type)
{
    // With STARTF_USEHOTKEY the start-up's input field holds a hot key, not a handle.
    return input && input != INVALID_HANDLE_VALUE && !(startupFlags & STARTF_USEHOTKEY) &&
           (type == FILE_TYPE_PIPE || type == FILE_TYPE_DISK);
}

HANDLE GetInputToRead()
{
    STARTUPINFOW startup;
    GetStartupInfoW(&startup);
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    // Only asked, never used, when the rule then turns the handle down.
    return IsInputToRead(input, startup.dwFlags, GetFileType(input)) ? input : nullptr;
}
