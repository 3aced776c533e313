// Fuzz target: the command tail found in any command line.
#include "Expected.h"
#include "copier/CommandTail.h"

#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The command line ends at the first NUL, and so does its heap block:
    // AddressSanitizer sees any read past it.
    size_t length = strnlen(reinterpret_cast<const char *>(data), size);
    std::unique_ptr<char[]> line(new char[length + 1]);
    memcpy(line.get(), data, length);
    line[length] = '\0';

    const char *tail = GetCommandTail(line.get());

    EXPECT_OR_ABORT(tail >= line.get() && tail <= line.get() + length);
    std::string_view expected = ExpectedTail(std::string_view(line.get(), length));
    EXPECT_OR_ABORT(tail == line.get() + (length - expected.size()));
    return 0;
}
