/* Reading standard input whole into one global block. */
#ifndef KELBRANO_READSTANDARDINPUT_H
#define KELBRANO_READSTANDARDINPUT_H

#include <windows.h>

/* Reads the input to its end into a fixed block of exactly length + 1 bytes,
   the last a NUL, locked at *text. Returns null, or the message to show; the
   block, if any, is the caller's either way. */
const char *ReadStandardInput(HANDLE input, HGLOBAL *block, char **text, size_t *length);

#endif
