/* Telling what Unicode text, if any, a file's bytes hold, and decoding UTF-8.
   ASCII is told from UTF-8 at memory speed, a word at a time; the code page's
   text and binary files nearly always show at their first byte above ASCII
   that they are not UTF-8; the decoding checks every sequence as it goes and
   gives up at the first byte that is not UTF-8. */
#include "TextEncoding.h"

#include <string.h>

// Every byte's top bit, in a word.
static const size_t kHighBits = static_cast<size_t>(-1) / 0xFF * 0x80;
// How far past the first byte above ASCII the bytes are checked before they
// are taken for UTF-8.
static const size_t kStretch = 64;

// One word from any address, with a plain load.
static inline size_t LoadWord(const char *bytes)
{
    size_t word;
    memcpy(&word, bytes, sizeof word);
    return word;
}

// Where the first byte above ASCII is (length when there is none), looked for
// four words at a time. Each word is loaded on its own: one copy of all four
// into an array is a "rep movs" in the 32-bit build under -Os, which cost
// 30 to 40 ms on 64 MiB of ASCII.
static size_t FindAboveAscii(const char *bytes, size_t length)
{
    const size_t kWord = sizeof(size_t);
    size_t at = 0;
    while (length - at >= 4 * kWord) {
        const char *p = bytes + at;
        if ((LoadWord(p) | LoadWord(p + kWord) | LoadWord(p + 2 * kWord) | LoadWord(p + 3 * kWord)) & kHighBits)
            break;
        at += 4 * kWord;
    }
    while (at < length && !(bytes[at] & 0x80))
        at++;
    return at;
}

static bool StartsWith(const char *bytes, size_t length, const char *mark, size_t markLength)
{
    return length >= markLength && memcmp(bytes, mark, markLength) == 0;
}

int GetTextEncoding(const char *bytes, size_t length, size_t *skip)
{
    *skip = 0;
    // UTF-32's marks begin or end like UTF-16's.
    if (StartsWith(bytes, length, "\xFF\xFE\0\0", 4) || StartsWith(bytes, length, "\0\0\xFE\xFF", 4))
        return kNoUnicodeText;
    if (StartsWith(bytes, length, "\xFF\xFE", 2) || StartsWith(bytes, length, "\xFE\xFF", 2)) {
        *skip = 2;
        return bytes[0] == '\xFF' ? kUtf16Le : kUtf16Be;
    }
    if (StartsWith(bytes, length, "\xEF\xBB\xBF", 3)) {
        *skip = 3;
        return kMarkedUtf8;
    }
    // Text that is not UTF-8 nearly always shows it at its first byte above
    // ASCII: told here, before any room is made for the text. The stretch
    // looked at ends before a continuation byte, so as not to cut a sequence.
    size_t first = FindAboveAscii(bytes, length);
    if (first == length)
        return kNoUnicodeText;
    wchar_t stretch[kStretch]; // WCHAR on Windows: the program has one decoder
    size_t size = length - first < kStretch ? length - first : kStretch;
    for (int back = 0; back < 3 && first + size < length && (bytes[first + size] & 0xC0) == 0x80; back++)
        size--;
    return DecodeUtf8(bytes + first, size, stretch) == kNotUtf8 ? kNoUnicodeText : kUtf8;
}

static bool IsContinuation(unsigned c)
{
    return (c & 0xC0) == 0x80;
}

/* The character a sequence stands for, from its lead byte (0x80 or above) in
   *c and the left bytes after it at p; how many continuation bytes it took,
   or 0 when it is not UTF-8. Each length has its least value, which rules out
   the overlong forms. Always inlined: a call for each character would cost
   a third of the decoding's time. */
static inline __attribute__((always_inline)) unsigned DecodeSequence(unsigned *c, const unsigned char *p, size_t left)
{
    unsigned lead = *c;
    if (lead < 0xC2 || lead > 0xF4)
        return 0;
    if (lead < 0xE0) {
        if (left < 1 || !IsContinuation(p[0]))
            return 0;
        *c = (lead & 0x1F) << 6 | (p[0] & 0x3F);
        return 1;
    }
    if (lead < 0xF0) {
        if (left < 2 || !IsContinuation(p[0]) || !IsContinuation(p[1]))
            return 0;
        *c = (lead & 0x0F) << 12 | (p[0] & 0x3F) << 6 | (p[1] & 0x3F);
        return *c < 0x800 || (*c >= 0xD800 && *c <= 0xDFFF) ? 0 : 2; // or a surrogate
    }
    if (left < 3 || !IsContinuation(p[0]) || !IsContinuation(p[1]) || !IsContinuation(p[2]))
        return 0;
    *c = (lead & 0x07) << 18 | (p[0] & 0x3F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F);
    return *c < 0x10000 || *c > 0x10FFFF ? 0 : 3; // or past the last character
}

template <typename Unit>
size_t DecodeUtf8(const char *bytes, size_t length, Unit *text)
{
    const unsigned char *p = reinterpret_cast<const unsigned char *>(bytes);
    const unsigned char *end = p + length;
    Unit *out = text;
    while (p != end) {
        unsigned c = *p++;
        if (c >= 0x80) {
            unsigned more = DecodeSequence(&c, p, static_cast<size_t>(end - p));
            if (more == 0)
                return kNotUtf8;
            p += more;
        }
        if (c > 0xFFFF) { // a surrogate pair
            *out++ = static_cast<Unit>(0xD7C0 + (c >> 10));
            c = 0xDC00 | (c & 0x3FF);
        }
        *out++ = static_cast<Unit>(c);
    }
    return static_cast<size_t>(out - text);
}

template size_t DecodeUtf8(const char *, size_t, char16_t *);
template size_t DecodeUtf8(const char *, size_t, wchar_t *);
