/* Putting a file's bytes on the clipboard as plain text. */
#ifndef KELBRANO_COPYFILETOCLIPBOARD_H
#define KELBRANO_COPYFILETOCLIPBOARD_H

#include <stdio.h>

long long GetFileLength(FILE *stream);
int CopyFileToClipboard(const wchar_t *name);

#endif
