/* Telling what Unicode text, if any, a file's bytes hold. The UTF-8 check
   runs over each piece just read, while it is still in the cache, and stops
   looking at the first byte that is not UTF-8: ASCII, the code page's text and
   binary files cost next to nothing. */
#include "TextEncoding.h"

#include <string.h>

// Every byte's top bit, in a word.
static const size_t kHighBits = static_cast<size_t>(-1) / 0xFF * 0x80;

// The end of the run of ASCII that starts at p, found four words at a time:
// it stops at the first group of words holding a byte above ASCII.
static const unsigned char *SkipAscii(const unsigned char *p, const unsigned char *end)
{
    size_t words[4];
    while (static_cast<size_t>(end - p) >= sizeof words) {
        memcpy(words, p, sizeof words);
        if ((words[0] | words[1] | words[2] | words[3]) & kHighBits)
            break;
        p += sizeof words;
    }
    return p;
}

static void ScanByte(Utf8Scan *scan, unsigned c)
{
    if (scan->pending) {
        if (c < scan->low || c > scan->high)
            scan->illFormed = true;
        scan->pending--;
        scan->low = 0x80;
        scan->high = 0xBF;
    } else if (c < 0x80) {
        scan->units++;
    } else if (c < 0xC2 || c > 0xF4) {
        // A continuation byte with no lead, an overlong lead, or past U+10FFFF.
        scan->aboveAscii = true;
        scan->illFormed = true;
    } else {
        scan->aboveAscii = true;
        scan->pending = c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        scan->units += scan->pending == 3 ? 2 : 1; // a surrogate pair past U+FFFF
        // The second byte rules out overlong forms, surrogates and everything
        // past U+10FFFF.
        scan->low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
        scan->high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
    }
}

void ScanUtf8(Utf8Scan *scan, const char *bytes, size_t length)
{
    const unsigned char *p = reinterpret_cast<const unsigned char *>(bytes);
    const unsigned char *end = p + length;
    while (p != end && !scan->illFormed) {
        if (!scan->pending) {
            const unsigned char *run = SkipAscii(p, end);
            scan->units += static_cast<size_t>(run - p);
            p = run;
            if (p == end)
                break;
        }
        ScanByte(scan, *p++);
    }
}

static bool StartsWith(const char *bytes, size_t length, const char *mark, size_t markLength)
{
    return length >= markLength && memcmp(bytes, mark, markLength) == 0;
}

int GetTextEncoding(const char *bytes, size_t length, const Utf8Scan &scan, size_t *skip, size_t *units)
{
    *skip = 0;
    *units = 0;
    // UTF-32's marks begin or end like UTF-16's.
    if (StartsWith(bytes, length, "\xFF\xFE\0\0", 4) || StartsWith(bytes, length, "\0\0\xFE\xFF", 4))
        return kNoUnicodeText;
    if (StartsWith(bytes, length, "\xFF\xFE", 2) || StartsWith(bytes, length, "\xFE\xFF", 2)) {
        *skip = 2;
        *units = (length - 2) / 2; // a stray last byte is not text
        return bytes[0] == '\xFF' ? kUtf16Le : kUtf16Be;
    }
    bool wellFormed = !scan.illFormed && !scan.pending;
    if (StartsWith(bytes, length, "\xEF\xBB\xBF", 3)) {
        *skip = 3;
        if (!wellFormed)
            return kUtf8WithFaults;
        *units = scan.units - 1; // the mark itself is one unit
        return kUtf8;
    }
    if (wellFormed && scan.aboveAscii) {
        *units = scan.units;
        return kUtf8;
    }
    return kNoUnicodeText;
}
