/* Reads a file whole, as raw bytes, into one global block ended by a NUL and
   hands the block to the clipboard as CF_TEXT; when the bytes are UTF-8 or
   UTF-16 text, their decoded text goes with it as CF_UNICODETEXT, for the
   programs that paste Unicode text (nearly all of them). */
#include <windows.h>
#include <stdio.h>

#include "CopierTexts.h"
#include "CopyFileToClipboard.h"
#include "TextEncoding.h"
#include "../messages/MessageDialog.h"

// One block must hold the whole file and its NUL in a 32-bit process.
static const long long kTooLong = 0x80000000LL;
static const size_t kChunk = 512;
// The reads into the block stay at 512 bytes; a larger stream buffer makes
// fewer, larger reads of the file beneath them.
static const size_t kStreamBuffer = 65536;
// Clipboard managers, pollers and remote-desktop agents hold the clipboard
// for a few milliseconds at a time: about a second of tries before giving up,
// close together, since a program that opens the clipboard every millisecond
// can spoil several tries in a row.
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
    fseeko(stream, position, SEEK_SET);
    return length;
}

static const char *ReadWhole(FILE *stream, char *text, long long length, Utf8Scan *scan)
{
    const char *error = nullptr;
    char *cursor = text;
    size_t chunk = kChunk;
    for (long long remaining = length; remaining > 0 && !error; remaining -= static_cast<long long>(chunk)) {
        if (static_cast<long long>(chunk) > remaining)
            chunk = static_cast<size_t>(remaining);
        size_t got = fread(cursor, 1, chunk, stream);
        if (got < chunk)
            error = kReadFailed;
        ScanUtf8(scan, cursor, got);
        cursor += chunk;
    }
    *cursor = '\0';
    return error;
}

/* The text the bytes hold as UTF-16 and a NUL, in a block of its own, or
   null when they hold none or there is no memory for it: the copy is then
   CF_TEXT alone, and the system makes the Unicode text from the code page. */
static HGLOBAL MakeUnicodeText(const char *text, size_t length, const Utf8Scan &scan)
{
    size_t skip = 0;
    size_t units = 0;
    int encoding = GetTextEncoding(text, length, scan, &skip, &units);
    if (encoding == kNoUnicodeText)
        return nullptr;
    // The file is under 2 GiB, so every count here fits an int, and the
    // block's size a SIZE_T even in a 32-bit process.
    const char *from = text + skip;
    int size = static_cast<int>(length - skip);
    if (encoding == kUtf8WithFaults)
        units = static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, from, size, nullptr, 0));

    HGLOBAL unicode = GlobalAlloc(GMEM_MOVEABLE, (units + 1) * sizeof(WCHAR));
    WCHAR *wide = unicode ? static_cast<WCHAR *>(GlobalLock(unicode)) : nullptr;
    if (!wide) {
        if (unicode)
            GlobalFree(unicode);
        return nullptr;
    }
    if (encoding == kUtf16Le || encoding == kUtf16Be) {
        const unsigned char *bytes = reinterpret_cast<const unsigned char *>(from);
        size_t first = encoding == kUtf16Be ? 0 : 1; // the high byte of each unit
        for (size_t i = 0; i < units; i++)
            wide[i] = static_cast<WCHAR>(bytes[2 * i + first] << 8 | bytes[2 * i + 1 - first]);
    } else if (units > 0) {
        MultiByteToWideChar(CP_UTF8, 0, from, size, wide, static_cast<int>(units));
    }
    wide[units] = 0;
    GlobalUnlock(unicode);
    return unicode;
}

/* One try at the whole hand-over: open, empty, set, close. On success the
   clipboard owns the text block, and the Unicode block when it took it too
   (*unicode is then null). */
static const char *TryHandToClipboard(HGLOBAL block, HGLOBAL *unicode)
{
    const char *error = nullptr;
    BOOL open = OpenClipboard(nullptr);
    if (!open)
        error = kOpenClipboardFailed;
    if (!error && !EmptyClipboard())
        error = kEmptyClipboardFailed;
    if (!error && !SetClipboardData(CF_TEXT, block))
        error = kSetClipboardFailed;
    // The text is the clipboard's now and is never handed over again, so a
    // refused Unicode block is not tried again either: it stays ours to free.
    if (!error && *unicode && SetClipboardData(CF_UNICODETEXT, *unicode))
        *unicode = nullptr; // the clipboard owns the Unicode block now
    if (open)
        CloseClipboard();
    return error;
}

/* Another program may open the clipboard between our open and our empty or
   set (under Wine a window-less open even succeeds while ours is open), so
   the whole hand-over is tried again, not only the open. The block stays ours until a
   set succeeds. */
static const char *HandToClipboard(HGLOBAL block, HGLOBAL *unicode)
{
    const char *error = TryHandToClipboard(block, unicode);
    for (int tries = 1; error && tries < kClipboardTries; tries++) {
        Sleep(kClipboardPause);
        error = TryHandToClipboard(block, unicode);
    }
    return error;
}

/* Returns 0 when the text went to the clipboard or the file was empty,
   1 when a failure was shown. */
int CopyFileToClipboard(const wchar_t *name)
{
    const char *error = nullptr;
    HGLOBAL block = nullptr;
    HGLOBAL unicode = nullptr;
    char *text = nullptr;
    long long length = 0;
    Utf8Scan scan = {};

    // Never closed: the runtime's exit closes it.
    FILE *stream = _wfopen(name, L"rb");
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
        error = ReadWhole(stream, text, length, &scan);

    if (!error && text) {
        unicode = MakeUnicodeText(text, static_cast<size_t>(length), scan);
        GlobalUnlock(block);
        text = nullptr;
        error = HandToClipboard(block, &unicode);
        if (!error)
            block = nullptr; // the clipboard owns the text block now
    }

    if (text)
        GlobalUnlock(block);
    if (block)
        GlobalFree(block);
    if (unicode)
        GlobalFree(unicode);

    if (error) {
        ShowMessageDialog(error);
        return 1;
    }
    return 0;
}
