/* Telling what Unicode text, if any, a file's bytes hold, and decoding UTF-8
   that is well-formed throughout. */
#ifndef KELBRANO_TEXTENCODING_H
#define KELBRANO_TEXTENCODING_H

#include <stddef.h>

enum TextEncoding {
    kNoUnicodeText, // ASCII, UTF-32, or not UTF-8 where the first bytes above ASCII are
    kUtf8,          // no mark: the text only if DecodeUtf8 finds it well-formed
    kMarkedUtf8,    // after the UTF-8 mark, whatever follows
    kUtf16Le,
    kUtf16Be,
};

// DecodeUtf8's result for bytes that are not UTF-8.
const size_t kNotUtf8 = static_cast<size_t>(-1);

// What the bytes may hold, from their mark, or from their first bytes above
// ASCII; and the length of the mark to skip.
int GetTextEncoding(const char *bytes, size_t length, size_t *skip);

/* UTF-8 as UTF-16 (Unit is a 16-bit WCHAR), stopping at the first byte that
   is not well-formed UTF-8 (an overlong form, a surrogate, past U+10FFFF, a
   sequence cut short or a stray continuation byte). The units written, at
   most one for each byte, or kNotUtf8. */
template <typename Unit>
size_t DecodeUtf8(const char *bytes, size_t length, Unit *text);

#endif
