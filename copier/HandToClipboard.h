/* Giving the clipboard a copy's blocks, in one open of it. */
#ifndef KELBRANO_HANDTOCLIPBOARD_H
#define KELBRANO_HANDTOCLIPBOARD_H

#include <windows.h>

/* Empties the clipboard and gives it the Unicode text when there is one, the
   text block as CF_TEXT, and the system's locale. The Unicode block (or null)
   is the hand-over's from here on, taken or freed. The text block is the
   clipboard's when the result is null; otherwise it is still the caller's,
   and the result is the message to show. */
const char *HandToClipboard(HGLOBAL text, HGLOBAL unicode);

#endif
