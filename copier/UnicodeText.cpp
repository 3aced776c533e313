/* The Unicode text a file's bytes hold, when they are UTF-8 or marked UTF-16,
   made beside the bytes for the programs that paste Unicode text (nearly all
   of them). Without it the copy is CF_TEXT alone, and the system makes the
   Unicode text from the code page. */
#include "TextEncoding.h"
#include "UnicodeText.h"

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

HGLOBAL MakeUnicodeText(const char *text, size_t length)
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

    // Half a text is no text: the bytes that are not UTF-8 go as CF_TEXT alone.
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
