/* Whether a run without a file name reads its standard input. */
#ifndef KELBRANO_INPUTTOREAD_H
#define KELBRANO_INPUTTOREAD_H

#include <windows.h>

// Whether the input handle, as the start-up flags and its file type describe
// it, is something to read text from.
bool IsInputToRead(HANDLE input, DWORD startupFlags, DWORD type);
// The standard input to copy, or null when the usage is to be shown instead.
HANDLE GetInputToRead();

#endif
