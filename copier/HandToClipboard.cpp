/* Handing a copy's blocks to the clipboard: a window of our own to open it
   with, the open tried again while another program has it, the formats in the
   order programs look for them, and the locale that says which code page the
   bytes are in. */
#include "CopierTexts.h"
#include "HandToClipboard.h"

// Clipboard managers, pollers and remote-desktop agents hold the clipboard
// for a few milliseconds at a time: about a second of tries at the open before
// giving up, close together, since a program that opens the clipboard every
// millisecond can be in the way of several tries in a row.
static const int kClipboardTries = 50;
static const DWORD kClipboardPause = 20;

/* The system's default locale, in a block of its own, or null when there is
   no memory for it. It tells the clipboard which code page the text block is
   in: the system's, the one programs use for 8-bit text. Without it the
   system adds a locale itself when the clipboard closes, from the keyboard
   layout (Windows) or the user's locale (Wine), and Unicode programs get the
   bytes through that locale's code page instead: Cyrillic read as Western on
   a Russian system with the English layout active, and the reverse. */
static HGLOBAL MakeLocale()
{
    HGLOBAL locale = GlobalAlloc(GMEM_MOVEABLE, sizeof(LCID));
    LCID *id = locale ? static_cast<LCID *>(GlobalLock(locale)) : nullptr;
    if (id) {
        *id = GetSystemDefaultLCID();
        GlobalUnlock(locale);
    } else if (locale) {
        GlobalFree(locale);
        locale = nullptr;
    }
    return locale;
}

/* Gives the clipboard a block it may refuse: a refusal is no failure, and the
   block then stays ours to free. True, and *block null, once the clipboard
   took it. */
static bool SetOptionalData(UINT format, HGLOBAL *block)
{
    if (!*block || !SetClipboardData(format, *block))
        return false;
    *block = nullptr; // the clipboard owns it now
    return true;
}

/* The window keeps every other program out while the clipboard is ours: under
   Wine a window-less open even succeeds while another window-less one is in
   progress, so another program's copy and ours could mix their formats, or
   spoil each other's writes. It also tells the two kinds of refusal apart:
   only the open is refused because another program has the clipboard, and
   only the open is tried again. An empty or set refused after our open is
   nobody else's doing (the block is too large, memory ran out), and another
   try would only hand the whole block over again, which under Wine means
   copying it again: its message is shown at once. */
const char *HandToClipboard(HGLOBAL text, HGLOBAL unicode)
{
    const char *error = nullptr;
    HGLOBAL locale = MakeLocale();
    // Should no window be made, the open is window-less. EmptyClipboard then
    // leaves the clipboard with no owner, and Windows documents a set after
    // that as failing: the copy then ends with "Errore nella scrittura della
    // clipboard." and the clipboard empty.
    HWND window = CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    BOOL open = OpenClipboard(window);
    for (int tries = 1; !open && tries < kClipboardTries; tries++) {
        Sleep(kClipboardPause);
        open = OpenClipboard(window);
    }
    if (!open)
        error = kOpenClipboardFailed;
    if (!error && !EmptyClipboard())
        error = kEmptyClipboardFailed;

    // The richest format first: a program that pastes takes the first format
    // on the list that it can handle, and the list is in the order of placing.
    // Refusals of the Unicode text or the locale are no failure: without our
    // Unicode text the system makes one from the bytes, and without our locale
    // it adds one of its own.
    bool unicodeTaken = !error && SetOptionalData(CF_UNICODETEXT, &unicode);
    if (!error && !SetClipboardData(CF_TEXT, text)) {
        error = kSetClipboardFailed;
        if (unicodeTaken)
            EmptyClipboard(); // never the text without its bytes
    }
    if (!error)
        SetOptionalData(CF_LOCALE, &locale);

    if (open)
        CloseClipboard();
    if (window)
        DestroyWindow(window);
    if (locale)
        GlobalFree(locale);
    if (unicode)
        GlobalFree(unicode);
    return error;
}
