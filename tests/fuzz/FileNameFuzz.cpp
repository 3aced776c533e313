// Fuzz target: from a raw command line to the file name the copy is given,
// through the tail and the entry's 1024-byte name buffer.
#include "Expected.h"
#include "copier/CommandTail.h"

#include <cstdint>
#include <cstring>
#include <memory>

static const size_t kNameSize = 1024;
static const char kUntouched = '\xA5';

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Heap blocks of exactly their size: AddressSanitizer sees a read past
    // the command line's NUL or a write past the name buffer.
    size_t length = strnlen(reinterpret_cast<const char *>(data), size);
    std::unique_ptr<char[]> line(new char[length + 1]);
    memcpy(line.get(), data, length);
    line[length] = '\0';
    std::unique_ptr<char[]> name(new char[kNameSize]);
    memset(name.get(), kUntouched, kNameSize);

    const char *tail = GetCommandTail(line.get());
    EXPECT_OR_ABORT(tail >= line.get() && tail <= line.get() + length);
    int result = GetFileName(tail, name.get(), kNameSize);

    std::string_view expected = ExpectedName(ExpectedTail(std::string_view(line.get(), length)));
    if (expected.size() < kNameSize) {
        // A byte-exact copy and its NUL.
        EXPECT_OR_ABORT(result == 0);
        EXPECT_OR_ABORT(memcmp(name.get(), expected.data(), expected.size()) == 0);
        EXPECT_OR_ABORT(name[expected.size()] == '\0');
    } else {
        // Refused, and nothing cut short left behind.
        EXPECT_OR_ABORT(result == 1);
        for (size_t i = 0; i < kNameSize; i++)
            EXPECT_OR_ABORT(name[i] == kUntouched);
    }
    return 0;
}
