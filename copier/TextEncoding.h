/* Telling what Unicode text, if any, a file's bytes hold: a mark at the start,
   or well-formed UTF-8 with at least one byte above ASCII. */
#ifndef KELBRANO_TEXTENCODING_H
#define KELBRANO_TEXTENCODING_H

#include <stddef.h>

enum TextEncoding {
    kNoUnicodeText,  // ASCII, the code page's text, binary bytes, UTF-32
    kUtf8,           // well-formed throughout
    kUtf8WithFaults, // after the UTF-8 mark; the converter mends the faults
    kUtf16Le,
    kUtf16Be,
};

// The UTF-8 check of bytes read so far, fed in pieces in file order.
struct Utf8Scan {
    size_t units;      // UTF-16 units of the text so far
    unsigned pending;  // continuation bytes still owed by the last sequence
    unsigned char low; // the range of the next continuation byte
    unsigned char high;
    bool aboveAscii; // a byte of 0x80 or above was seen
    bool illFormed;  // no longer UTF-8; later bytes are not looked at
};

void ScanUtf8(Utf8Scan *scan, const char *bytes, size_t length);

/* What text the bytes hold, given their scan. Also gives the length of the
   mark to skip, and the text's length in UTF-16 units (not known for
   kUtf8WithFaults, whose faults the converter mends). */
int GetTextEncoding(const char *bytes, size_t length, const Utf8Scan &scan, size_t *skip, size_t *units);

#endif
