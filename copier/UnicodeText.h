/* The Unicode text a file's bytes hold, for the programs that paste it. */
#ifndef KELBRANO_UNICODETEXT_H
#define KELBRANO_UNICODETEXT_H

#include <windows.h>

/* The text the bytes hold as UTF-16 and a NUL, in a movable block of its own
   that the caller then owns, or null when they hold none or there is no
   memory for it. */
HGLOBAL MakeUnicodeText(const char *text, size_t length);

#endif
