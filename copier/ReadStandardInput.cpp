/* Reading standard input whole, as raw bytes, with ReadFile itself: the C
   runtime's text mode would turn CR LF into LF and stop at byte 26. A file on
   a disk (KELBRANO < notes.txt) is measured and read from where its handle
   stands; a pipe is read into a block that grows, until its writer closes it.
   While it reads, the wait window stands by. */
#include "CopierTexts.h"
#include "ReadStandardInput.h"
#include "WaitWindow.h"

// One block must hold the whole text and its NUL in a 32-bit process.
static const size_t kTooLong = 0x80000000u;
static const size_t kFirstRoom = 65536;
static const size_t kGrowth = 16;
// No read asks for more: some systems refuse very large reads from the network.
static const size_t kMostRead = 1 << 20;

/* What is left of a disk file from where its handle stands, or a message. */
static const char *MeasureDisk(HANDLE input, size_t *left)
{
    LARGE_INTEGER size = {};
    LARGE_INTEGER position = {};
    LARGE_INTEGER zero = {};
    if (!GetFileSizeEx(input, &size) || !SetFilePointerEx(input, zero, &position, FILE_CURRENT))
        return kReadFailed;
    // A handle past the end has nothing left to read.
    long long rest = position.QuadPart < size.QuadPart ? size.QuadPart - position.QuadPart : 0;
    if (rest >= static_cast<long long>(kTooLong))
        return kNoMemory;
    *left = static_cast<size_t>(rest);
    return nullptr;
}

/* The block with room for more text, or a message. It grows 16 times larger
   at a time: a page never written costs no time, while every block outgrown
   is written whole twice (read into, then copied into the next), and under
   Wine each page written first is a page fault. Where a block that large
   can't be had, it doubles. */
static const char *Grow(HGLOBAL *block, char **text, size_t *room)
{
    // Full at 2 GiB: the text would be 2 GiB or more, too long as a file is.
    if (*room >= kTooLong)
        return kNoMemory;
    size_t larger = *room < kTooLong / kGrowth ? *room * kGrowth : kTooLong;
    HGLOBAL grown = GlobalReAlloc(*block, larger + 1, GMEM_MOVEABLE);
    if (!grown) {
        larger = *room * 2;
        grown = GlobalReAlloc(*block, larger + 1, GMEM_MOVEABLE);
    }
    if (!grown)
        return kNoMemory;
    *block = grown;
    *room = larger;
    *text = static_cast<char *>(GlobalLock(grown));
    return *text ? nullptr : kNoMemory;
}

/* One read of at most want bytes, and at most 1 MiB, into into; sets ended
   at a pipe's end. Returns a message, or null. */
static const char *ReadSome(HANDLE input, bool pipe, char *into, size_t want, DWORD *got, bool *ended)
{
    if (ReadFile(input, into, static_cast<DWORD>(want < kMostRead ? want : kMostRead), got, nullptr))
        return pipe || *got ? nullptr : kReadFailed; // a file that gives nothing shrank after it was measured
    *ended = pipe && GetLastError() == ERROR_BROKEN_PIPE;
    return *ended ? nullptr : kReadFailed; // a socket is a pipe too, and can fail
}

/* Reads into a block with room for room bytes and a NUL. A disk file's room
   is its length measured: it is read to there (a file that grew meanwhile
   gives only those bytes; one that shrank fails). A pipe is read to its end,
   where ReadFile fails with ERROR_BROKEN_PIPE once every writer has closed it
   (a read of 0 bytes that succeeds is a writer's empty write), its block
   growing as it fills and then made exactly the text and its NUL. */
static const char *ReadToEnd(HANDLE input, bool pipe, size_t room, HGLOBAL *block, char **text, size_t *length)
{
    const char *error = nullptr;
    *block = GlobalAlloc(GMEM_FIXED, room + 1);
    *text = *block ? static_cast<char *>(GlobalLock(*block)) : nullptr;
    if (!*text)
        error = kNoMemory;

    size_t size = 0;
    bool ended = false;
    while (!error && !ended && (pipe || size < room)) {
        if (size == room)
            error = Grow(block, text, &room);
        DWORD got = 0;
        if (!error)
            error = ReadSome(input, pipe, *text + size, room - size, &got, &ended);
        size += got;
    }
    // A text that fills the largest block exactly is 2 GiB: too long as well.
    if (!error && size >= kTooLong)
        error = kNoMemory;
    // The block given to the clipboard is exactly the text and its NUL.
    if (!error && size < room) {
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
    bool pipe = GetFileType(input) == FILE_TYPE_PIPE;
    size_t room = kFirstRoom;
    const char *error = pipe ? nullptr : MeasureDisk(input, &room);
    if (!error)
        error = ReadToEnd(input, pipe, room, block, text, length);
    EndWaitWindow();
    if (!error)
        (*text)[*length] = '\0';
    return error;
}
