/* Copies a file whole, as raw bytes, to the clipboard: opened, measured, read
   into one global block ended by a NUL, its Unicode text made beside it, and
   both handed to the clipboard. Standard input, read whole, ends the same way. */
#include <windows.h>
#include <io.h>
#include <stdio.h>

#include "CopierTexts.h"
#include "CopyFileToClipboard.h"
#include "HandToClipboard.h"
#include "OpenNamedFile.h"
#include "ReadStandardInput.h"
#include "UnicodeText.h"
#include "../messages/MessageDialog.h"

// One block must hold the whole file and its NUL in a 32-bit process.
static const long long kTooLong = 0x80000000LL;
static const size_t kChunk = 512;
// The reads into the block stay at 512 bytes; a larger stream buffer makes
// fewer, larger reads of the file beneath them.
static const size_t kStreamBuffer = 65536;

/* The stream's length in bytes, or -1 when it can't be told; the position
   is left where it was. Positions are 64-bit: a 32-bit tell wraps at 4 GiB.
   Only a file on a disk has a length: a pipe's may read as 0 and a device's
   (NUL, CON, COM1) is undefined, so neither is taken for an empty file. */
long long GetFileLength(FILE *stream)
{
    if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)))) != FILE_TYPE_DISK)
        return -1;
    off_t position = ftello(stream);
    if (position < 0 || fseeko(stream, 0, SEEK_END) != 0)
        return -1;
    off_t length = ftello(stream);
    (void)fseeko(stream, position, SEEK_SET); // should it fail, so does the read that follows
    return length;
}

/* Reads length bytes into text in reads of 512, and ends them with a NUL. */
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

/* The end every copy shares. Unless a failure is pending, the text (length
   bytes and a NUL, in the block, locked at text) goes to the clipboard with
   its Unicode text; what the clipboard did not take is freed, and a failure is
   shown. Returns 0 when the text went to the clipboard, 1 when a failure was
   shown. */
static int FinishCopy(const char *error, HGLOBAL block, const char *text, size_t length)
{
    if (!error) {
        HGLOBAL unicode = MakeUnicodeText(text, length);
        GlobalUnlock(block);
        text = nullptr;
        error = HandToClipboard(block, unicode); // which takes unicode, whatever happens
        if (!error)
            block = nullptr; // the clipboard owns the text block now
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

/* Returns 0 when the text went to the clipboard, 1 when a failure was shown. */
int CopyFileToClipboard(const wchar_t *name)
{
    const char *error = nullptr;
    HGLOBAL block = nullptr;
    char *text = nullptr;
    long long length = 0;

    // Never closed: the runtime's exit closes it.
    FILE *stream = OpenNamedFile(name);
    if (!stream)
        error = kOpenFileFailed;
    else
        (void)setvbuf(stream, nullptr, _IOFBF, kStreamBuffer); // without it, only slower

    if (!error) {
        length = GetFileLength(stream);
        if (length < 0)
            error = kReadFailed;
        else if (length >= kTooLong)
            error = kNoMemory;
    }

    // An empty file is copied too: as an empty text, which replaces what the
    // clipboard held, so that nobody pastes the previous copy for the file.
    if (!error) {
        block = GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(length) + 1);
        if (block)
            text = static_cast<char *>(GlobalLock(block));
        if (!text)
            error = kNoMemory;
    }

    if (!error)
        error = ReadWhole(stream, text, length);
    return FinishCopy(error, block, text, static_cast<size_t>(length));
}

/* Returns 0 when the input's text went to the clipboard, 1 when a failure was shown. */
int CopyInputToClipboard(HANDLE input)
{
    HGLOBAL block;
    char *text;
    size_t length = 0;
    const char *error = ReadStandardInput(input, &block, &text, &length);
    return FinishCopy(error, block, text, length);
}
