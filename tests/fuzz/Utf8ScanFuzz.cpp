// Fuzz target: the UTF-8 check must agree with glibc's iconv (UTF-8 to
// UTF-16LE) on every input, fed whole or in two pieces as the reads feed it:
// the same verdict, and the same number of UTF-16 units.
#include "Expected.h"
#include "copier/TextEncoding.h"

#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte says where the reads split the rest.
    size_t length = size - 1;
    size_t split = length * data[0] / 255;
    std::unique_ptr<char[]> bytes(new char[length]); // exactly its size, for AddressSanitizer
    std::copy(data + 1, data + size, bytes.get());

    Utf8Scan scan = {};
    ScanUtf8(&scan, bytes.get(), split);
    ScanUtf8(&scan, bytes.get() + split, length - split);

    static iconv_t toUtf16 = iconv_open("UTF-16LE", "UTF-8");
    EXPECT_OR_ABORT(toUtf16 != reinterpret_cast<iconv_t>(-1));
    iconv(toUtf16, nullptr, nullptr, nullptr, nullptr);
    std::vector<char> out(2 * length + 2);
    char *in = bytes.get();
    size_t inLeft = length;
    char *to = out.data();
    size_t outLeft = out.size();
    bool converted = iconv(toUtf16, &in, &inLeft, &to, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;

    EXPECT_OR_ABORT(converted == (!scan.illFormed && !scan.pending));
    if (converted) {
        EXPECT_OR_ABORT(scan.units == (out.size() - outLeft) / 2);
        bool aboveAscii = std::any_of(data + 1, data + size, [](uint8_t b) { return b >= 0x80; });
        EXPECT_OR_ABORT(scan.aboveAscii == aboveAscii);
    }
    return 0;
}
