/* Reads a file whole, as raw bytes, into one global block ended by a NUL and
   hands the block to the clipboard as CF_TEXT. */
#include <windows.h>
#include <stdio.h>

#include "CopierTexts.h"
#include "CopyFileToClipboard.h"
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

/* One try at the whole hand-over: open, empty, set, close. On success the
   clipboard owns the block. */
static const char *TryHandToClipboard(HGLOBAL block)
{
    const char *error = nullptr;
    BOOL open = OpenClipboard(nullptr);
    if (!open)
        error = kOpenClipboardFailed;
    if (!error && !EmptyClipboard())
        error = kEmptyClipboardFailed;
    if (!error && !SetClipboardData(CF_TEXT, block))
        error = kSetClipboardFailed;
    if (open)
        CloseClipboard();
    return error;
}

/* Another program may open the clipboard between our open and our empty or
   set (under Wine a window-less open even succeeds while ours is open), so
   the whole hand-over is tried again, not only the open. The block stays ours until a
   set succeeds. */
static const char *HandToClipboard(HGLOBAL block)
{
    const char *error = TryHandToClipboard(block);
    for (int tries = 1; error && tries < kClipboardTries; tries++) {
        Sleep(kClipboardPause);
        error = TryHandToClipboard(block);
    }
    return error;
}

/* Returns 0 when the text went to the clipboard or the file was empty,
   1 when a failure was shown. */
int CopyFileToClipboard(const wchar_t *name)
{
    const char *error = nullptr;
    HGLOBAL block = nullptr;
    char *text = nullptr;
    long long length = 0;

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
        error = ReadWhole(stream, text, length);

    if (!error && text) {
        GlobalUnlock(block);
        text = nullptr;
        error = HandToClipboard(block);
        if (!error)
            block = nullptr; // the clipboard owns the block now
    }

    if (text)
        GlobalUnlock(block);
    if (block)
        GlobalFree(block);

    if (error) {
        ShowMessageDialog(error);
        return 1;
    }
    return 0;
}
