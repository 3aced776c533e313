// Copying real files through the Win32 double: the block, the reads, the
// clipboard sequence, the Unicode text beside the bytes, files too long or
// changing underneath. The failure of each platform call is in
// FaultMatrixTest.cpp.
#include "Fixture.h"
#include "Texts.h"
#include "copier/CopyFileToClipboard.h"

#include <fcntl.h>
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
        EXPECT_EQ(g_win32.blocksAllocated, g_win32.blocksFreed + g_win32.clipboardHasText +
                                               !g_win32.clipboardUnicode.empty() + !g_win32.clipboardLocale.empty());
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
        {0, {}}, // an empty text, in place of what the clipboard held
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
        g_win32.systemLocale = 0x0408;
        std::string bytes = Bytes(row.size, static_cast<unsigned>(row.size));
        std::string name = WriteFile("file.txt", bytes);

        EXPECT_EQ(0, CopyFileToClipboard(Wide(name).c_str())) << row.size;

        EXPECT_EQ(bytes + '\0', g_win32.clipboardText) << row.size;
        // Unicode programs read the bytes through the system's code page.
        EXPECT_EQ(LocaleBlock(0x0408), g_win32.clipboardLocale) << row.size;
        EXPECT_EQ(row.reads, g_win32.reads) << row.size;
        // clang-format off
        EXPECT_EQ((Calls{"GlobalAlloc 0 " + std::to_string(row.size + 1), "GlobalLock", "GlobalUnlock",
                         "GlobalAlloc 2 4", "GlobalLock", "GlobalUnlock",
                         "CreateWindowExA STATIC message-only", "OpenClipboard owned", "EmptyClipboard",
                         "SetClipboardData 1", "SetClipboardData 16", "CloseClipboard", "DestroyWindow"}),
                  g_win32.calls);
        // clang-format on
        EXPECT_TRUE(g_win32.dialogs.empty());
        ExpectReleased();
    }
}

TEST_F(Copy, GivesUnicodeProgramsTheTextTheBytesHold)
{
    std::string lines;
    std::u16string text;
    for (int i = 0; i < 40; i++) { // sequences across the 512-byte reads
        lines += u8"Perch\u00e9 \u00e8 cos\u00ec? \u041f\u0440\u0438\u0432\u0435\u0442, \u4e2d\u6587 \U0001F600\r\n";
        text += u"Perch\u00e9 \u00e8 cos\u00ec? \u041f\u0440\u0438\u0432\u0435\u0442, \u4e2d\u6587 \U0001F600\r\n";
    }
    // clang-format off
    const struct {
        std::string bytes;
        std::u16string text; // empty: no Unicode text of ours
        bool decoded = false; // though the bytes were decoded
    } rows[] = {
        {lines, text},
        {"\xEF\xBB\xBF" + lines, text},
        {std::string("\xFF\xFEh\0\xE9\0=\0\xAC\x20!", 11), u"h\u00e9=\u20ac"},
        {std::string("\xFE\xFF\0h\0\xE9\0=\x20\xAC", 10), u"h\u00e9=\u20ac"},
        // The converter mends what is not UTF-8 after the mark.
        {"\xEF\xBB\xBF" "caf\xE9!", u"caf\ufffd!"},
        {"caf\xE9 cr\xE8me", u""},
        {"plain ASCII", u""},
        // UTF-8 where it was looked at, but not further on: the text made so
        // far is freed, and the bytes go alone.
        {"\xC3\xA9" + std::string(100, 'a') + "\xE9", u"", true},
    };
    // clang-format on
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.bytes.substr(0, 16)));
        ResetWin32Double();
        EXPECT_EQ(0, CopyFileToClipboard(Wide(WriteFile("file.txt", row.bytes)).c_str()));

        EXPECT_EQ(row.bytes + '\0', g_win32.clipboardText);
        EXPECT_EQ(row.text.empty() ? u"" : row.text + u'\0', g_win32.clipboardUnicode);
        EXPECT_EQ(row.text.empty() && !row.decoded ? 2u : 3u, g_win32.Count("GlobalAlloc"));
        EXPECT_EQ(LocaleBlock(g_win32.systemLocale), g_win32.clipboardLocale);
        // The text first, for programs that take the first format they can.
        Calls set;
        for (const std::string &call : g_win32.calls)
            if (call.compare(0, 17, "SetClipboardData ") == 0)
                set.push_back(call.substr(17));
        EXPECT_EQ((row.text.empty() ? Calls{"1", "16"} : Calls{"13", "1", "16"}), set);
        ExpectReleased();
    }
}

TEST_F(Copy, OpensANameWhoseFullPathIsLongByItsExtendedLengthForm)
{
    const std::wstring deep = L"C:\\" + std::wstring(250, L'd'); // 253 characters
    // clang-format off
    const struct {
        std::wstring currentDirectory, name, opened;
    } rows[] = {
        {L"C:\\work", deep + L"\\fffff", deep + L"\\fffff"}, // 259
        {L"C:\\work", deep + L"\\ffffff", L"\\\\?\\" + deep + L"\\ffffff"}, // 260
        {deep, L"notes.txt", L"\\\\?\\" + deep + L"\\notes.txt"},
        {L"C:\\work", deep + L"/x/../notes.txt. ", L"\\\\?\\" + deep + L"\\notes.txt"},
        {L"C:\\work", L"\\\\server\\share" + deep.substr(2) + L"\\a.txt",
         L"\\\\?\\UNC\\server\\share" + deep.substr(2) + L"\\a.txt"},
        {deep, L"\\\\?\\" + deep + L"\\..\\a.txt", L"\\\\?\\" + deep + L"\\..\\a.txt"},
        {L"C:\\work", L"notes.txt", L"notes.txt"},
        // The UNC form from the full path, not from the name as given.
        {L"\\\\server\\share" + deep.substr(2), L"a.txt", L"\\\\?\\UNC\\server\\share" + deep.substr(2) + L"\\a.txt"},
        // Longer than any path: opened as given, to fail, never a prefix before room not filled.
        {L"C:\\work", L"C:\\" + std::wstring(32800, L'd'), L"C:\\" + std::wstring(32800, L'd')},
    };
    // clang-format on
    for (const auto &row : rows) {
        ResetWin32Double();
        g_win32.currentDirectory = row.currentDirectory;
        CopyFileToClipboard(row.name.c_str());
        EXPECT_EQ(row.opened, g_win32.opened) << row.name.size() << " characters under " << row.currentDirectory.size();
    }
}

TEST_F(Copy, AnEmptyFileReplacesWhatTheClipboardHeld)
{
    ASSERT_EQ(0, CopyFileToClipboard(Wide(WriteFile("before.txt", u8"caf\u00e9")).c_str()));
    ASSERT_FALSE(g_win32.clipboardUnicode.empty());
    EXPECT_EQ(0, CopyFileToClipboard(Wide(WriteFile("empty.txt", "")).c_str()));
    EXPECT_EQ(std::string(1, '\0'), g_win32.clipboardText);
    EXPECT_EQ(u"", g_win32.clipboardUnicode);
    EXPECT_EQ(LocaleBlock(g_win32.systemLocale), g_win32.clipboardLocale);
    EXPECT_TRUE(g_win32.dialogs.empty());
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
    g_win32.failedAlloc = 1;
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

TEST_F(Copy, StandardInputFromAPipeToItsEndOrFromWhereADiskFileStands)
{
    const std::string big = Bytes(150000, 3); // past the pipe's first block of 64 KiB
    const std::string text = "Perch\xC3\xA9\r\n\x1a" + big;
    const std::string full = Bytes(65536, 4);
    const long long twoGiB = 0x80000000LL;
    struct Row {
        std::deque<std::string> pipe; // no pieces: a disk file of size bytes (sparse), read from position
        DWORD pipeEnd;
        long long size, position;
        const char *message;
        std::string text;
        Calls blocks; // each GlobalAlloc of the text and each GlobalReAlloc
    };
    // clang-format off
    const Row rows[] = {
        // Pieces of any size, one of 0 bytes (a writer's empty write), into a
        // block that grows, then cut down to the text and its NUL.
        {{"Perch\xC3", "", "\xA9\r\n\x1a", big}, ERROR_BROKEN_PIPE, -1, 0, nullptr, text,
         {"GlobalAlloc 0 65537", "GlobalReAlloc 1048577 2", "GlobalReAlloc 150011 2"}},
        // A text that fills the block exactly.
        {{full}, ERROR_BROKEN_PIPE, -1, 0, nullptr, full,
         {"GlobalAlloc 0 65537", "GlobalReAlloc 1048577 2", "GlobalReAlloc 65537 2"}},
        {{}, ERROR_BROKEN_PIPE, -1, 0, nullptr, "", {"GlobalAlloc 0 65537", "GlobalReAlloc 1 2"}},
        {{"abc"}, ERROR_NETNAME_DELETED, -1, 0, expected::ReadFailed, "", {"GlobalAlloc 0 65537"}},
        {{}, 0, 10, 4, nullptr, "456789", {"GlobalAlloc 0 7"}},
        {{}, 0, 10, 10, nullptr, "", {"GlobalAlloc 0 1"}},
        {{}, 0, twoGiB + 5, 5, expected::NoMemory, "", {}},
        {{}, 0, twoGiB + 5, 6, expected::NoMemory, "", {"GlobalAlloc 0 2147483648"}}, // refused by GlobalAlloc
    };
    // clang-format on
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text.substr(0, 8) + " " + std::to_string(row.size));
        ResetWin32Double();
        std::string name = WriteFile("input.txt", "0123456789");
        ASSERT_EQ(0, truncate(name.c_str(), row.size < 0 ? 0 : row.size));
        int ends[2];
        ASSERT_EQ(0, pipe(ends));
        int input = row.size < 0 ? ends[0] : open(name.c_str(), O_RDONLY);
        ASSERT_EQ(row.position, row.size < 0 ? 0 : lseek(input, row.position, SEEK_SET));
        g_win32.pipe = row.pipe;
        g_win32.pipeEnd = row.pipeEnd;
        g_win32.failedAlloc = row.size > twoGiB ? 1 : 0;

        EXPECT_EQ(row.message ? 1 : 0, CopyInputToClipboard(reinterpret_cast<HANDLE>(static_cast<intptr_t>(input))));
        if (row.message)
            ExpectFailure(row.message);
        else
            EXPECT_EQ(row.text + '\0', g_win32.clipboardText); // a block of exactly the text and its NUL
        Calls blocks;
        for (const std::string &call : g_win32.calls)
            if (call.compare(0, 13, "GlobalAlloc 0") == 0 || call.compare(0, 13, "GlobalReAlloc") == 0)
                blocks.push_back(call);
        EXPECT_EQ(row.blocks, blocks);
        ExpectReleased();
        for (int descriptor : {ends[0], ends[1], input})
            close(descriptor);
    }
}
