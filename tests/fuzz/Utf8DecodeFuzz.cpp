// Fuzz target: the UTF-8 decoding must agree with glibc's iconv (UTF-8 to
// UTF-16LE) on every input: the same verdict, the same number of UTF-16
// units, the same text; and well-formed UTF-8 above ASCII is always taken for
// UTF-8 from its first bytes, or for marked UTF-8 after its mark.
#include "Expected.h"
#include "copier/TextEncoding.h"

#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Blocks of exactly their size, for AddressSanitizer: at most a unit a byte.
    std::unique_ptr<char[]> bytes(new char[size]);
    std::copy(data, data + size, bytes.get());
    std::unique_ptr<char16_t[]> text(new char16_t[size]);
    size_t units = DecodeUtf8(bytes.get(), size, text.get());

    static iconv_t toUtf16 = iconv_open("UTF-16LE", "UTF-8");
    EXPECT_OR_ABORT(toUtf16 != reinterpret_cast<iconv_t>(-1));
    iconv(toUtf16, nullptr, nullptr, nullptr, nullptr);
    std::vector<char> out(2 * size + 2);
    char *in = bytes.get();
    size_t inLeft = size;
    char *to = out.data();
    size_t outLeft = out.size();
    bool converted = iconv(toUtf16, &in, &inLeft, &to, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;

    EXPECT_OR_ABORT(converted == (units != kNotUtf8));
    if (converted) {
        EXPECT_OR_ABORT(units == (out.size() - outLeft) / 2);
        EXPECT_OR_ABORT(memcmp(text.get(), out.data(), 2 * units) == 0);
        size_t skip = 0;
        int encoding = GetTextEncoding(bytes.get(), size, &skip);
        bool aboveAscii = std::any_of(data, data + size, [](uint8_t b) { return b >= 0x80; });
        // Well-formed UTF-8 opens with no UTF-16 mark; it opens with the UTF-8 one or none.
        bool marked = size >= 3 && memcmp(data, "\xEF\xBB\xBF", 3) == 0;
        EXPECT_OR_ABORT(encoding == (marked ? kMarkedUtf8 : aboveAscii ? kUtf8 : kNoUnicodeText));
        EXPECT_OR_ABORT(skip == (marked ? 3 : 0));
    }
    return 0;
}
