// The entry: from the command tail to the usage text, a refusal or a copy.
#include "Fixture.h"
#include "Texts.h"
#include "copier/wWinMain.h"
#include "messages/MessageDialog.h"

#include <fcntl.h>
#include <unistd.h>

using namespace expected;

class Entry : public ProgramTest {
protected:
    int Run(const std::string &tail)
    {
        std::wstring wide = Wide(tail);
        return wWinMain(reinterpret_cast<HINSTANCE>(0x400000), nullptr, &wide[0], SW_SHOWDEFAULT);
    }
};

TEST_F(Entry, ShowsTheUsageWhenThereIsNoFileName)
{
    // Without a name, standard input is read when it is a pipe or a disk file.
    std::string name = WriteFile("notes.txt", "named");
    int ends[2];
    ASSERT_EQ(0, pipe(ends));
    int disk = open(WriteFile("input.txt", "on disk").c_str(), O_RDONLY);
    int console = open("/dev/null", O_RDONLY); // a character device, as a console and NUL are
    auto handle = [](int descriptor) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(descriptor)); };
    const HANDLE none = nullptr, piped = handle(ends[0]);
    const struct {
        std::string tail;
        HANDLE input;
        DWORD startupFlags;
        int exitCode;
        Calls dialogs;
        std::string text; // on the clipboard
        bool inputRead;
    } rows[] = {
        {"", none, 0, 1, {Usage}, "", false},
        {"\"\"", none, 0, 1, {Usage}, "", false},
        {"\"\"  ", none, 0, 1, {Usage}, "", false},
        {"", INVALID_HANDLE_VALUE, 0, 1, {Usage}, "", false},
        {"", handle(console), 0, 1, {Usage}, "", false},
        {"", handle(9999), 0, 1, {Usage}, "", false},         // of no known type
        {"", piped, STARTF_USEHOTKEY, 1, {Usage}, "", false}, // a hot key, not a handle
        {"", piped, 0, 0, {}, std::string("piped", 6), true},
        {"\"\"", handle(disk), 0, 0, {}, std::string("on disk", 8), true},
        {name, piped, 0, 0, {}, std::string("named", 6), false}, // a name always wins
        {"/?", none, 0, 0, {Usage}, "", false},
        {"/? \t", piped, 0, 0, {Usage}, "", false},
        {"/?x", none, 0, 1, {OpenFailed}, "", false},
    };
    for (const auto &row : rows) {
        ResetWin32Double();
        g_win32.standardInput = row.input;
        g_win32.startupFlags = row.startupFlags;
        g_win32.pipe = {"piped"};
        EXPECT_EQ(row.exitCode, Run(row.tail)) << row.tail;
        EXPECT_EQ(row.dialogs, g_win32.dialogs) << row.tail;
        EXPECT_EQ(row.text, g_win32.clipboardText) << row.tail;
        EXPECT_EQ(row.inputRead, g_win32.Count("ReadFile") > 0) << row.tail;
        EXPECT_EQ(reinterpret_cast<HINSTANCE>(0x400000), g_instance);
    }
    for (int descriptor : {ends[0], ends[1], disk, console})
        close(descriptor);
}

TEST_F(Entry, CopiesTheNamedFileWithOrWithoutEnclosingQuotes)
{
    std::string name = WriteFile("my notes.txt", "hello");
    // Names no ANSI code page holds, fullwidth quotes included, are opened as they are.
    std::string wide = WriteFile("\uff02\u0142\u00f3d\u017a \u043f\U0001f600\uff02.txt", "hello");
    for (std::string tail : {name, "\"" + name + "\"", "\"" + name + "\" \t", wide, "\"" + wide + "\""}) {
        ResetWin32Double();
        EXPECT_EQ(0, Run(tail)) << tail;
        EXPECT_EQ(std::string("hello", 6), g_win32.clipboardText) << tail;
    }
    ResetWin32Double();
    EXPECT_EQ(1, Run(name + "\""));
    EXPECT_EQ(Calls{OpenFailed}, g_win32.dialogs);
}

TEST_F(Entry, RefusesANameTooLongForItsBufferRatherThanCuttingItShort)
{
    // An existing file whose name is 1023 characters fits; with 1024 it
    // doesn't, though its first 1023 characters name that first file.
    std::filesystem::path path = folder;
    while (path.string().size() < 900)
        path /= std::string(60, 'd');
    std::filesystem::create_directories(path);
    std::string fits = (path / std::string(1022 - path.string().size(), 'f')).string();
    ASSERT_EQ(1023u, fits.size());
    std::ofstream(fits) << "x";
    std::ofstream(fits + "g") << "y";

    EXPECT_EQ(0, Run(fits));
    EXPECT_EQ(std::string("x", 2), g_win32.clipboardText);

    ResetWin32Double();
    EXPECT_EQ(1, Run(fits + "g"));
    EXPECT_EQ(Calls{OpenFailed}, g_win32.dialogs);
    EXPECT_EQ(0u, g_win32.Count("GlobalAlloc"));
    EXPECT_EQ(1, Run(std::string(5000, 'n')));
}
