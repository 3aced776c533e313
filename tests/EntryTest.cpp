// The entry: from the command tail to the usage text, a refusal or a copy.
#include "Fixture.h"
#include "Texts.h"
#include "copier/wWinMain.h"
#include "messages/MessageDialog.h"

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
    for (const char *tail : {"", "\"\"", "\"\"  "}) {
        ResetWin32Double();
        EXPECT_EQ(1, Run(tail)) << tail;
        EXPECT_EQ(Calls{Usage}, g_win32.dialogs) << tail;
        EXPECT_EQ(reinterpret_cast<HINSTANCE>(0x400000), g_instance);
    }
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
