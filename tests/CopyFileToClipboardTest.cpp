// Copying real files through the Win32 double: the block, the reads, the
// clipboard sequence, files too long or changing underneath. The failure of
// each platform call is in FaultMatrixTest.cpp.
#include "Fixture.h"
#include "Texts.h"
#include "copier/CopyFileToClipboard.h"

#include <unistd.h>

#include <random>

static std::string Bytes(size_t size, unsigned seed)
{
    // Every awkward byte first, then noise: NUL, CR, LF, EOF mark, high bytes.
    std::string bytes("\0\r\n\x1a\x80\xff\r\r\n\n", 10);
    std::mt19937 random(seed);
    while (bytes.size() < size)
        bytes += static_cast<char>(random());
    bytes.resize(size);
    return bytes;
}

class Copy : public ProgramTest {
protected:
    // The clipboard must be closed and every block freed or handed over,
    // whatever happened.
    void ExpectReleased()
    {
        EXPECT_FALSE(g_win32.clipboardOpen);
        EXPECT_EQ(0, g_win32.faults);
        EXPECT_EQ(g_win32.blocksAllocated, g_win32.blocksFreed + (g_win32.clipboardHasText ? 1 : 0));
    }

    void ExpectFailure(const char *message)
    {
        EXPECT_EQ(Calls{message}, g_win32.dialogs);
        EXPECT_FALSE(g_win32.clipboardHasText);
        ExpectReleased();
    }
};

TEST_F(Copy, PutsEveryByteOnTheClipboardFollowedByOneNul)
{
    const struct {
        size_t size;
        std::vector<size_t> reads;
    } rows[] = {
        {1, {1}},
        {10, {10}},
        {512, {512}},
        {513, {512, 1}},
        {1024, {512, 512}},
        {1300, {512, 512, 276}},
        {1 << 20, std::vector<size_t>(2048, 512)},
    };
    for (const auto &row : rows) {
        ResetWin32Double();
        std::string bytes = Bytes(row.size, static_cast<unsigned>(row.size));
        std::string name = WriteFile("file.txt", bytes);

        EXPECT_EQ(0, CopyFileToClipboard(Wide(name).c_str())) << row.size;

        EXPECT_EQ(bytes + '\0', g_win32.clipboardText) << row.size;
        EXPECT_EQ(row.reads, g_win32.reads) << row.size;
        // clang-format off
        EXPECT_EQ((Calls{"GlobalAlloc 0 " + std::to_string(row.size + 1), "GlobalLock", "GlobalUnlock",
                         "OpenClipboard", "EmptyClipboard", "SetClipboardData 1", "CloseClipboard"}),
                  g_win32.calls);
        // clang-format on
        EXPECT_TRUE(g_win32.dialogs.empty());
        ExpectReleased();
    }
}

TEST_F(Copy, LeavesTheClipboardAloneForAnEmptyFile)
{
    EXPECT_EQ(0, CopyFileToClipboard(Wide(WriteFile("empty.txt", "")).c_str()));
    EXPECT_TRUE(g_win32.calls.empty());
}

TEST_F(Copy, RefusesAFileTooLongForOneBlockWithoutReadingIt)
{
    // Sparse files; the last is 4 GiB + 700 bytes, which a 32-bit tell
    // would take for 700.
    for (off_t size : {0x80000000LL, 0xC0000000LL, 0x1000002BCLL}) {
        ResetWin32Double();
        std::string name = WriteFile("huge.bin", "");
        ASSERT_EQ(0, truncate(name.c_str(), size));
        EXPECT_EQ(1, CopyFileToClipboard(Wide(name).c_str()));
        ExpectFailure(expected::NoMemory);
        EXPECT_EQ(0u, g_win32.Count("GlobalAlloc"));
        EXPECT_TRUE(g_win32.reads.empty());
    }
    // One byte less still gets its block.
    ResetWin32Double();
    std::string name = WriteFile("big.bin", "");
    ASSERT_EQ(0, truncate(name.c_str(), 0x7FFFFFFF));
    g_win32.globalAllocFails = true;
    EXPECT_EQ(1, CopyFileToClipboard(Wide(name).c_str()));
    EXPECT_EQ(Calls{"GlobalAlloc 0 2147483648"}, Calls{g_win32.calls.front()});
}

TEST_F(Copy, AFileThatChangesAfterItWasMeasured)
{
    // Larger than any read-ahead of the stream, so the loss is seen.
    std::string name = WriteFile("a.txt", Bytes(40000, 1));

    g_win32.onGlobalAlloc = [&] { ASSERT_EQ(0, truncate(name.c_str(), 30000)); };
    EXPECT_EQ(1, CopyFileToClipboard(Wide(name).c_str()));
    ExpectFailure(expected::ReadFailed);
    EXPECT_EQ(0u, g_win32.Count("OpenClipboard"));

    ResetWin32Double();
    std::string bytes = Bytes(700, 2);
    WriteFile("a.txt", bytes);
    g_win32.onGlobalAlloc = [&] { std::ofstream(name, std::ios::app) << "more"; };
    EXPECT_EQ(0, CopyFileToClipboard(Wide(name).c_str()));
    EXPECT_EQ(bytes + '\0', g_win32.clipboardText);
}
