/* Reads a file whole, as raw bytes, into one global block ended by a NUL and
   hands the block to the clipboard as CF_TEXT, with the system's locale as
   CF_LOCALE; when the bytes are UTF-8 or UTF-16 text, their decoded text goes
   with it as CF_UNICODETEXT, for the programs that paste Unicode text (nearly
   all of them). */
#include <windows.h>
#include <errno.h>
#include <stdio.h>

#include "CopierTexts.h"
#include "CopyFileToClipboard.h"
#include "OpenName.h"
#include "TextEncoding.h"
#include "../messages/MessageDialog.h"

// One block must hold the whole file and its NUL in a 32-bit process.
static const long long kTooLong = 0x80000000LL;
static const size_t kChunk = 512;
// The reads into the block stay at 512 bytes; a larger stream buffer makes
// fewer, larger reads of the file beneath them.
static const size_t kStreamBuffer = 65536;
// Clipboard managers, pollers and remote-desktop agents hold the clipboard
// for a few milliseconds at a time: about a second of tries at the open before
// giving up, close together, since a program that opens the clipboard every
// millisecond can be in the way of several tries in a row.
static const int kClipboardTries = 50;
static const DWORD kClipboardPause = 20;

/* The stream's length in bytes, or -1 when it can't be told; the position
   is left where it was. Positions are 64-bit: a 32-bit tell wraps at 4 GiB. */
long long GetFileLength(FILE *stream)
{
    off_t position = ftello(stream);
    if (position < 0 || fseeko(stream, 0, SEEK_END) != 0)
        return -1;
    off_t length = ftello(stream);
    (void)fseeko(stream, position, SEEK_SET); // should it fail, so does the read that follows
    return length;
}

static const char *ReadWhole(FILE *stream, char *text, long long length)
{
    const char *error = nullptr;
    char *cursor = text;
    size_t chunk = kChunk;
    for (long long remaining = length; remaining > 0 && !error; remaining -= static_cast<long long>(chunk)) {
        if (static_cast<long long>(chunk) > remaining)
            chunk = static_cast<size_t>(remaining);
        if (fread(cursor, 1, chunk, stream) < chunk)
            error = kReadFailed;
        cursor += chunk;
    }
    *cursor = '\0';
    return error;
}

/* The text of the bytes after their mark into wide, which has room for it;
   its length in units, or kNotUtf8 when the bytes are not UTF-8 after all. */
static size_t Decode(int encoding, const char *from, size_t size, WCHAR *wide, size_t room)
{
    if (encoding == kUtf16Le || encoding == kUtf16Be) {
        const unsigned char *bytes = reinterpret_cast<const unsigned char *>(from);
        size_t first = encoding == kUtf16Be ? 0 : 1; // the high byte of each unit
        for (size_t i = 0; i < room; i++)
            wide[i] = static_cast<WCHAR>(bytes[2 * i + first] << 8 | bytes[2 * i + 1 - first]);
        return room;
    }
    // Faster than the platform's converter, which would read the whole file
    // even when its first bytes are not UTF-8.
    size_t units = DecodeUtf8(from, size, wide);
    // After the mark it is UTF-8 whatever follows: the platform's converter
    // mends the faults (there is at least one byte here).
    if (units == kNotUtf8 && encoding == kMarkedUtf8) {
        int made = MultiByteToWideChar(CP_UTF8, 0, from, static_cast<int>(size), wide, static_cast<int>(room));
        units = made > 0 ? static_cast<size_t>(made) : kNotUtf8;
    }
    return units;
}

/* The text the bytes hold as UTF-16 and a NUL, in a block of its own, or
   null when they hold none or there is no memory for it: the copy is then
   CF_TEXT alone, and the system makes the Unicode text from the code page. */
static HGLOBAL MakeUnicodeText(const char *text, size_t length)
{
    size_t skip = 0;
    int encoding = GetTextEncoding(text, length, &skip);
    if (encoding == kNoUnicodeText)
        return nullptr;
    const char *from = text + skip;
    size_t size = length - skip;
    // Room for the longest text the bytes can make: a unit for each byte of
    // UTF-8, for each two of UTF-16 (a stray last byte is not text). The file
    // is under 2 GiB, so the room fits an int even in a 32-bit process; its
    // bytes, with the NUL's, would not for a file of 2 GiB - 1 bytes, whose
    // text is then left to the system like any other text without memory.
    size_t room = encoding == kUtf16Le || encoding == kUtf16Be ? size / 2 : size;
    if (room >= static_cast<size_t>(-1) / sizeof(WCHAR))
        return nullptr;

    HGLOBAL unicode = GlobalAlloc(GMEM_MOVEABLE, (room + 1) * sizeof(WCHAR));
    WCHAR *wide = unicode ? static_cast<WCHAR *>(GlobalLock(unicode)) : nullptr;
    size_t units = wide ? Decode(encoding, from, size, wide, room) : kNotUtf8;
    if (units != kNotUtf8)
        wide[units] = 0;
    if (wide)
        GlobalUnlock(unicode);

    if (unicode && units == kNotUtf8) {
        GlobalFree(unicode);
        unicode = nullptr;
    }
    // The clipboard keeps the whole block, and hands it out whole.
    if (unicode && units < room) {
        HGLOBAL smaller = GlobalReAlloc(unicode, (units + 1) * sizeof(WCHAR), 0);
        if (smaller)
            unicode = smaller;
    }
    return unicode;
}

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
   block then stays ours to free (*block is null once the clipboard took it).
   Out of line: inlined at both its calls, it takes the 32-bit executable
   past 10 KiB. */
__attribute__((noinline)) static void SetOptionalData(UINT format, HGLOBAL *block)
{
    if (*block && SetClipboardData(format, *block))
        *block = nullptr; // the clipboard owns it now
}

/* Opens the clipboard with a message-only window of our own, empties it and
   gives it the Unicode block when there is one, the text block, and the
   locale block; on success the clipboard owns the text block, and each of
   the others it took too (*locale or *unicode is then null). When the text
   block is refused, the clipboard is left empty.
   The window keeps every other program out while the clipboard is ours: under
   Wine a window-less open even succeeds while another window-less one is in
   progress, so another program's copy and ours could mix their formats, or
   spoil each other's writes. It also tells the two kinds of refusal apart:
   only the open is refused because another program has the clipboard, and
   only the open is tried again, for about a second. An empty or set refused
   after our open is nobody else's doing (the block is too large, memory ran
   out), and another try would only hand the whole block over again, which
   under Wine means copying it again: its message is shown at once.
   Kept out of line: inlined, its code grows enough to take the 32-bit
   executable past 9.5 KiB. */
__attribute__((noinline)) static const char *HandToClipboard(HGLOBAL block, HGLOBAL *locale, HGLOBAL *unicode)
{
    const char *error = nullptr;
    // Without a window (none could be made) the open is window-less, the rest the same.
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
    HGLOBAL offered = *unicode;
    if (!error)
        SetOptionalData(CF_UNICODETEXT, unicode);
    if (!error && !SetClipboardData(CF_TEXT, block)) {
        error = kSetClipboardFailed;
        if (offered && !*unicode)
            EmptyClipboard(); // never the text without its bytes
    }
    if (!error)
        SetOptionalData(CF_LOCALE, locale);
    if (open)
        CloseClipboard();
    if (window)
        DestroyWindow(window);
    return error;
}

typedef BOOL(WINAPI *DisableRedirection)(PVOID *state);
typedef BOOL(WINAPI *RevertRedirection)(PVOID state);

/* The named file, opened for reading in binary mode, or null. Out of line,
   so that the room for a long path is on the stack only while it opens.
   A 32-bit process on 64-bit Windows is shown SysWOW64 wherever it names
   System32; the user means the folder Explorer shows, so the file is opened
   with that redirection off for this thread, and on again at once: the
   dialog, the shell and every DLL loaded later need it. Windows resolves the
   Sysnative alias only while redirection is on, so a name that is not found
   with it off is opened once more as it is (which also finds a System32 name
   that only SysWOW64 has). The switch is looked up, not imported: the
   KERNEL32 of Windows 2000 and 32-bit XP has none, and there, or when it
   fails (not under WoW64), the name is opened as it is. */
__attribute__((noinline)) static FILE *OpenFile(const wchar_t *name)
{
    wchar_t path[kOpenNameRoom];
    const wchar_t *openName = GetOpenName(name, path);
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    // Through void (*)(), which a function pointer may be cast from without a warning.
    auto disable = reinterpret_cast<DisableRedirection>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
    auto revert = reinterpret_cast<RevertRedirection>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
    PVOID state;
    if (disable && revert && disable(&state)) {
        FILE *stream = _wfopen(openName, L"rb");
        int error = errno;
        revert(state);
        if (stream || error != ENOENT) // ENOENT: no such file, or no such folder on its way
            return stream;
    }
    return _wfopen(openName, L"rb");
}

/* Returns 0 when the text went to the clipboard or the file was empty,
   1 when a failure was shown. */
int CopyFileToClipboard(const wchar_t *name)
{
    const char *error = nullptr;
    HGLOBAL block = nullptr;
    HGLOBAL locale = nullptr;
    HGLOBAL unicode = nullptr;
    char *text = nullptr;
    long long length = 0;

    // Never closed: the runtime's exit closes it.
    FILE *stream = OpenFile(name);
    if (!stream)
        error = kOpenFileFailed;
    else
        (void)setvbuf(stream, nullptr, _IOFBF, kStreamBuffer); // without it, only slower

    if (!error) {
        length = GetFileLength(stream);
        if (length >= kTooLong)
            error = kNoMemory;
    }

    // An empty file, or one that can't be measured, leaves the clipboard alone.
    if (!error && length > 0) {
        block = GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(length) + 1);
        if (block)
            text = static_cast<char *>(GlobalLock(block));
        if (!text)
            error = kNoMemory;
    }

    if (!error && text)
        error = ReadWhole(stream, text, length);

    if (!error && text) {
        unicode = MakeUnicodeText(text, static_cast<size_t>(length));
        GlobalUnlock(block);
        text = nullptr;
        locale = MakeLocale();
        error = HandToClipboard(block, &locale, &unicode);
        if (!error)
            block = nullptr; // the clipboard owns the text block now
    }

    if (text)
        GlobalUnlock(block);
    if (block)
        GlobalFree(block);
    if (locale)
        GlobalFree(locale);
    if (unicode)
        GlobalFree(unicode);

    if (error) {
        ShowMessageDialog(error);
        return 1;
    }
    return 0;
}
