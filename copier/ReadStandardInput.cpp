/* Reading standard input whole, as raw bytes, with ReadFile itself: the C
   runtime's text mode would turn CR LF into LF and stop at byte 26. A file on
   a disk (KELBRANO < notes.txt) is measured and read from where its handle
   stands; a pipe is read into a block that grows, until its writer closes it.
   While it reads, the wait window stands by. */
#include <string.h>

#include "CopierTexts.h"
#include "ReadStandardInput.h"
#include "WaitWindow.h"

// One block must hold the whole text and its NUL in a 32-bit process.
static const size_t kTooLong = 0x80000000u;
static const size_t kFirstRoom = 65536;
// No read asks for more: some systems refuse very large reads from the network.
static const size_t kMostRead = 1 << 20;
// What a full block's next read asks for, before the block grows.
static const DWORD kProbe = 4096;

static DWORD ReadSize(size_t room)
{
    return static_cast<DWORD>(room < kMostRead ? room : kMostRead);
}

/* The disk file from where its handle stands to its end, in one block of
   exactly that length and a NUL. */
static const char *ReadDisk(HANDLE input, HGLOBAL *block, char **text, size_t *length)
{
    const char *error = nullptr;
    LARGE_INTEGER size = {};
    LARGE_INTEGER position = {};
    LARGE_INTEGER zero = {};
    if (!GetFileSizeEx(input, &size) || !SetFilePointerEx(input, zero, &position, FILE_CURRENT))
        error = kReadFailed;
    // A handle past the end has nothing left to read.
    long long left = position.QuadPart < size.QuadPart ? size.QuadPart - position.QuadPart : 0;
    if (!error && left >= static_cast<long long>(kTooLong))
        error = kNoMemory;

    if (!error) {
        *block = GlobalAlloc(GMEM_FIXED, static_cast<size_t>(left) + 1);
        *text = *block ? static_cast<char *>(GlobalLock(*block)) : nullptr;
        if (!*text)
            error = kNoMemory;
    }
    size_t done = 0;
    while (!error && done < static_cast<size_t>(left)) {
        DWORD got = 0;
        // Nothing more before the length measured: the file shrank meanwhile.
        if (!ReadFile(input, *text + done, ReadSize(static_cast<size_t>(left) - done), &got, nullptr) || !got)
            error = kReadFailed;
        done += got;
    }
    *length = done;
    return error;
}

/* The block, twice as large, or a message. */
static const char *Grow(HGLOBAL *block, char **text, size_t *room)
{
    // Full at 2 GiB: the text would be 2 GiB or more, too long as a file is.
    HGLOBAL larger = *room < kTooLong ? GlobalReAlloc(*block, *room * 2, GMEM_MOVEABLE) : nullptr;
    if (!larger)
        return kNoMemory;
    *block = larger;
    *room *= 2;
    *text = static_cast<char *>(GlobalLock(larger));
    return *text ? nullptr : kNoMemory;
}

/* A pipe to its end: ReadFile fails with ERROR_BROKEN_PIPE once every writer
   has closed it. A read of 0 bytes that succeeds is a writer's empty write. */
static const char *ReadPipe(HANDLE input, HGLOBAL *block, char **text, size_t *length)
{
    const char *error = nullptr;
    size_t room = kFirstRoom;
    *block = GlobalAlloc(GMEM_FIXED, room);
    *text = *block ? static_cast<char *>(GlobalLock(*block)) : nullptr;
    if (!*text)
        error = kNoMemory;

    size_t size = 0;
    bool ended = false;
    while (!error && !ended) {
        // A full block grows only once more text has come: a text that fills
        // it exactly (64 MiB, say) ends without a block twice its size.
        char more[kProbe];
        char *into = size < room ? *text + size : more;
        DWORD got = 0;
        if (!ReadFile(input, into, into == more ? kProbe : ReadSize(room - size), &got, nullptr)) {
            if (GetLastError() == ERROR_BROKEN_PIPE)
                ended = true;
            else
                error = kReadFailed; // a socket is a pipe too, and can fail
        } else if (into == more && got) {
            error = Grow(block, text, &room);
            if (!error)
                memcpy(*text + size, more, got);
        }
        size += got;
    }
    // A text that fills the largest block exactly is 2 GiB: too long as well.
    if (!error && size >= kTooLong)
        error = kNoMemory;
    // The block given to the clipboard is exactly the text and its NUL.
    if (!error) {
        HGLOBAL exact = GlobalReAlloc(*block, size + 1, GMEM_MOVEABLE);
        *block = exact ? exact : *block;
        *text = exact ? static_cast<char *>(GlobalLock(exact)) : nullptr;
        if (!*text)
            error = kNoMemory;
    }
    *length = size;
    return error;
}

const char *ReadStandardInput(HANDLE input, HGLOBAL *block, char **text, size_t *length)
{
    *block = nullptr;
    *text = nullptr;
    StartWaitWindow();
    const char *error = GetFileType(input) == FILE_TYPE_PIPE ? ReadPipe(input, block, text, length)
                                                             : ReadDisk(input, block, text, length);
    EndWaitWindow();
    if (!error)
        (*text)[*length] = '\0';
    return error;
}
