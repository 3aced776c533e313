/* Putting a file's bytes, or standard input's, on the clipboard as plain text. */
#ifndef KELBRANO_COPYFILETOCLIPBOARD_H
#define KELBRANO_COPYFILETOCLIPBOARD_H

#include <windows.h>
#include <stdio.h>

long long GetFileLength(FILE *stream);
int CopyFileToClipboard(const wchar_t *name);
// Standard input, as GetInputToRead gives it.
int CopyInputToClipboard(HANDLE input);

#endif
