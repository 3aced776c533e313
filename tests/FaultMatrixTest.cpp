// Each platform call of a run that can fail, made to fail alone, with the
// whole outcome: exit code, messages, and every call made, in order, from the
// process's start (whose DLL search is narrowed before anything else). The
// exact call list is what shows the block allocated and then freed or handed
// over exactly once, the clipboard closed after each successful open, and no
// clipboard call at all where the clipboard must stay as it was.
#include "Fixture.h"
#include "Texts.h"
#include "copier/Start.h"
#include "resources/resource.h"

#include <errno.h>
#include <unistd.h>

#include <random>

using namespace expected;

namespace {
Calls operator+(Calls a, const Calls &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Calls Times(int n, const Calls &calls)
{
    Calls all;
    while (n-- > 0)
        all = all + calls;
    return all;
}

// A 1300-byte UTF-8 file: a block of 1301 bytes, filled by reads of 512, 512,
// 276, its text as UTF-16 in a block of its own, and the system's locale in a
// third.
const std::vector<size_t> Reads = {512, 512, 276};
const Calls Take = {"GlobalAlloc 0 1301", "GlobalLock", "GlobalUnlock"};
const Calls Locale = {"GlobalAlloc 2 4", "GlobalLock", "GlobalUnlock"};
// The clipboard is opened with a message-only window of the copy's own.
const Calls Window = {"CreateWindowExA STATIC message-only"};
// The Unicode text first, then the bytes, then their locale.
const Calls Hand = {"OpenClipboard owned", "EmptyClipboard",      "SetClipboardData 13",
                    "SetClipboardData 1",  "SetClipboardData 16", "CloseClipboard"};
const Calls Show = {"DialogBoxParamA 1"};
const Calls FreeAndShow = Calls{"GlobalFree"} + Show;
const Calls DialogFailed = {DialogFailedBox};

struct Fault {
    std::string what;
    std::function<void(std::string &name)> inject; // scripts the double, or changes the name run
    int exitCode;
    Calls calls;
    Calls dialogs; // the message of each dialog shown
    size_t reads;  // how many of Reads were made
    bool copied;
    bool unicode = true; // the Unicode text went with the copy
    bool locale = true;  // and the locale
    // Each open of the file, under WoW64: with the file system redirector
    // off, then once more with it on when nothing was found.
    Calls opens = {"redirection off"};
    // Before the command line is read, DLLs are looked for in System32 alone,
    // and the process's file virtualization is turned off.
    Calls start = {"SetDefaultDllDirectories 0x800", "OpenProcessToken self 0x88", "SetTokenInformation 24 0",
                   "CloseHandle token", "GetCommandLineW"};
};

// Well-formed UTF-8 of exactly 1300 bytes, characters of every length, some
// across the reads' boundaries, and the same text as UTF-16.
void MakeText(std::string &bytes, std::u16string &text)
{
    const struct {
        const char *bytes;
        const char16_t *text;
    } samples[] = {{"a", u"a"},
                   {"\r\n", u"\r\n"},
                   {u8"\u00e9", u"\u00e9"},
                   {u8"\u0416", u"\u0416"},
                   {u8"\u4e2d", u"\u4e2d"},
                   {u8"\U0001F600", u"\U0001F600"}};
    std::mt19937 random(7);
    while (bytes.size() < 1296) {
        const auto &sample = samples[random() % 6];
        bytes += sample.bytes;
        text += sample.text;
    }
    text += std::u16string(1300 - bytes.size(), u'.');
    bytes.resize(1300, '.');
}
} // namespace

class FaultMatrix : public ProgramTest {};

TEST_F(FaultMatrix, EachFailingCallEndsTheRunWithItsMessageAndReleasesWhatItHeld)
{
    std::string bytes;
    std::u16string text;
    MakeText(bytes, text);
    // Read whole, then its text made in a block with room for a unit a byte,
    // cut down to what the text needs, then the locale's block.
    const std::string AllocUnicode = "GlobalAlloc 2 2602";
    const Calls Made = {"GlobalAlloc 0 1301", "GlobalLock",
                        AllocUnicode,         "GlobalLock",
                        "GlobalUnlock",       "GlobalReAlloc " + std::to_string(2 * text.size() + 2) + " 0",
                        "GlobalUnlock"};
    const Calls Read = Made + Locale;
    const Calls Copied = Read + Window + Hand + Calls{"DestroyWindow"};
    const Calls Twice = {"redirection off", "redirection on"};

    int pipeEnds[2];
    ASSERT_EQ(0, pipe(pipeEnds));
    ASSERT_EQ(5, write(pipeEnds[1], "bytes", 5));
    auto script = [](std::function<void()> f) { return [f](std::string &) { f(); }; };
    auto missing = [](std::string &name) { name += ".missing"; };
    auto noDialog = [] { g_win32.dialogResults = {-1}; };
    auto noHomePage = [] {
        g_win32.dialogResults = {IDC_HOMEPAGE};
        g_win32.shellResult = ERROR_FILE_NOT_FOUND;
    };

    // clang-format off
    std::vector<Fault> rows = {
        // (Not a folder: Linux opens one for reading, where Windows doesn't.)
        {"fopen: no such file", missing, 1, Show, {OpenFailed}, 0, false, true, true, Twice},
        {"fopen: a path through a file", [](std::string &name) { name += "/a.txt"; }, 1, Show, {OpenFailed}, 0,
         false},
        // It opens, but is no file on a disk, and has no length to read to: a
        // failure to read it, and the clipboard as it was.
        {"length: a pipe", [&](std::string &name) { name = "/proc/self/fd/" + std::to_string(pipeEnds[0]); }, 1,
         Show, {ReadFailed}, 0, false},
        {"length: a device", [](std::string &name) { name = "/dev/null"; }, 1, Show, {ReadFailed}, 0, false},
        {"GlobalAlloc", script([] { g_win32.failedAlloc = 1; }), 1, Calls{"GlobalAlloc 0 1301"} + Show,
         {NoMemory}, 0, false},
        {"GlobalLock", script([] { g_win32.globalLockFails = true; }), 1,
         Calls{"GlobalAlloc 0 1301", "GlobalLock"} + FreeAndShow, {NoMemory}, 0, false},
        // The dialog can't be made: the fallback box says so; the exit code stays.
        {"DialogBoxParamA for a failure", [&](std::string &name) { missing(name); noDialog(); }, 1,
         Show + DialogFailed, {}, 0, false, true, true, Twice},
        {"DialogBoxParamA for the usage", [&](std::string &name) { name.clear(); noDialog(); }, 1,
         Show + DialogFailed, {}, 0, false, true, true, {}},
        // The home page won't open: a further dialog says so; the exit code stays.
        {"ShellExecuteA", [&](std::string &name) { missing(name); noHomePage(); }, 1,
         Show + Calls{"ShellExecuteA - " + Home + " - - 5"} + Show,
         {OpenFailed, HomeNotFound}, 0, false, true, true, Twice},
        // Found only with redirection on (Sysnative on Windows, or a System32
        // name that only SysWOW64 has): opened once more. Any other failure
        // with it off is the file's own.
        {"fopen with redirection off: no such file", script([] { g_win32.nativeOpenError = ENOENT; }), 0,
         Copied, {}, 3, true, true, true, Twice},
        {"fopen with redirection off: access denied", script([] { g_win32.nativeOpenError = EACCES; }), 1, Show,
         {OpenFailed}, 0, false},
        // Without the switch (Windows 2000, 32-bit XP), or where it fails (not
        // under WoW64), the name is opened as it is.
        {"GetProcAddress: no redirection switch", script([] { g_win32.wow64 = false; }), 0, Copied, {}, 3, true,
         true, true, {"redirection on"}},
        {"Wow64DisableWow64FsRedirection", script([] { g_win32.redirectionStaysOn = true; }), 0, Copied, {}, 3,
         true, true, true, {"redirection on"}},
        // Without the DLL search's switch (Windows 2000, XP, Vista and 7
        // without KB2533623) the run goes on as it is.
        {"GetProcAddress: no DLL search switch", script([] { g_win32.dllSearchSwitch = false; }), 0, Copied, {}, 3,
         true, true, true, {"redirection off"},
         {"OpenProcessToken self 0x88", "SetTokenInformation 24 0", "CloseHandle token", "GetCommandLineW"}},
        // Nor without the token's calls (Windows 2000), where the token can't be
        // opened, or where virtualization can't be turned off (XP, Wine).
        {"GetProcAddress: no token calls", script([] { g_win32.tokenCalls = false; }), 0, Copied, {}, 3, true, true,
         true, {"redirection off"}, {"SetDefaultDllDirectories 0x800", "GetCommandLineW"}},
        {"OpenProcessToken", script([] { g_win32.openTokenFails = true; }), 0, Copied, {}, 3, true, true, true,
         {"redirection off"}, {"SetDefaultDllDirectories 0x800", "OpenProcessToken self 0x88", "GetCommandLineW"}},
        {"SetTokenInformation", script([] { g_win32.setTokenFails = true; }), 0, Copied, {}, 3, true},
    };
    // Without its Unicode text, or the locale, the copy is still made with
    // what it has, as for any file without one; a block the clipboard refused
    // is freed.
    Calls noUnicode = Calls{"GlobalAlloc 0 1301", "GlobalLock", AllocUnicode, "GlobalUnlock"} + Locale + Window +
                      Calls{"OpenClipboard owned", "EmptyClipboard", "SetClipboardData 1", "SetClipboardData 16",
                            "CloseClipboard", "DestroyWindow"};
    rows.push_back({"GlobalAlloc for the Unicode text", script([] { g_win32.failedAlloc = 2; }), 0, noUnicode, {}, 3,
                    true, false});
    rows.push_back({"SetClipboardData(CF_UNICODETEXT)", script([] { g_win32.refusedFormat = CF_UNICODETEXT; }), 0,
                    Read + Window + Hand + Calls{"DestroyWindow", "GlobalFree"}, {}, 3, true, false});
    Calls noLocale = Made + Calls{"GlobalAlloc 2 4"} + Window +
                     Calls{"OpenClipboard owned", "EmptyClipboard", "SetClipboardData 13", "SetClipboardData 1",
                           "CloseClipboard", "DestroyWindow"};
    rows.push_back({"GlobalAlloc for the locale", script([] { g_win32.failedAlloc = 3; }), 0, noLocale, {}, 3, true,
                    true, false});
    rows.push_back({"SetClipboardData(CF_LOCALE)", script([] { g_win32.refusedFormat = CF_LOCALE; }), 0,
                    Read + Window + Hand + Calls{"DestroyWindow", "GlobalFree"}, {}, 3, true, true, false});
    for (size_t read = 1; read <= Reads.size(); read++)
        rows.push_back({"fread " + std::to_string(read), script([read] { g_win32.shortRead = read; }), 1,
                        Take + FreeAndShow, {ReadFailed}, read, false});
    // While another program has the clipboard, the open is tried fifty times,
    // 20 ms apart. More refusals than tries show its message, with the blocks
    // freed once.
    const Calls retry = {"OpenClipboard owned", "Sleep 20"};
    for (int refusals : {1, 2, 49, 50, 51}) {
        std::string what = "OpenClipboard refused " + std::to_string(refusals) + " times";
        auto inject = script([refusals] { g_win32.openClipboardRefusals = refusals; });
        if (refusals < 50)
            rows.push_back({what, inject, 0, Read + Window + Times(refusals, retry) + Hand + Calls{"DestroyWindow"},
                            {}, 3, true});
        else
            rows.push_back({what, inject, 1,
                            Read + Window + Times(49, retry) + Calls{"OpenClipboard owned", "DestroyWindow",
                                                                    "GlobalFree", "GlobalFree"} + FreeAndShow,
                            {ClipboardBusy}, 3, false});
    }
    // Once the clipboard is open to the copy's window alone, a refused empty or
    // set (no memory for so large a block) is no other program's doing: tried
    // once, the clipboard closed, its message shown, the blocks freed once.
    const Calls opened = Read + Window + Calls{"OpenClipboard owned", "EmptyClipboard"};
    rows.push_back({"EmptyClipboard refused", script([] { g_win32.emptyClipboardRefusals = 50; }), 1,
                    opened + Calls{"CloseClipboard", "DestroyWindow", "GlobalFree", "GlobalFree"} + FreeAndShow,
                    {EmptyFailed}, 3, false});
    rows.push_back({"SetClipboardData refused, no memory", script([] { g_win32.setClipboardDataRefusals = 50; }), 1,
                    opened + Calls{"SetClipboardData 13", "SetClipboardData 1", "CloseClipboard", "DestroyWindow",
                                   "GlobalFree", "GlobalFree"} + FreeAndShow,
                    {SetFailed}, 3, false});
    // The bytes refused after their text was taken: emptied again, never half a copy.
    rows.push_back({"SetClipboardData(CF_TEXT) refused", script([] { g_win32.refusedFormat = CF_TEXT; }), 1,
                    opened + Calls{"SetClipboardData 13", "SetClipboardData 1", "EmptyClipboard", "CloseClipboard",
                                   "DestroyWindow", "GlobalFree"} + FreeAndShow,
                    {SetFailed}, 3, false});
    // clang-format on

    for (const Fault &row : rows) {
        SCOPED_TRACE(row.what);
        ResetWin32Double();
        std::string name = WriteFile("a.txt", bytes);
        row.inject(name);
        g_win32.commandLine = L"\"C:\\Tools\\KELBRANO.EXE\" " + Wide(name);

        EXPECT_EQ(row.exitCode, StartProgram());
        EXPECT_EQ(row.start + row.calls, g_win32.calls);
        EXPECT_EQ(row.opens, g_win32.opens);
        EXPECT_FALSE(g_win32.redirectionOff);
        EXPECT_EQ(row.dialogs, g_win32.dialogs);
        EXPECT_EQ(std::vector<size_t>(Reads.begin(), Reads.begin() + static_cast<long>(row.reads)), g_win32.reads);
        EXPECT_EQ(row.copied, g_win32.clipboardHasText);
        EXPECT_EQ(row.copied ? bytes + '\0' : "", g_win32.clipboardText);
        bool unicode = row.copied && row.unicode;
        EXPECT_EQ(unicode ? text + u'\0' : u"", g_win32.clipboardUnicode);
        bool locale = row.copied && row.locale;
        EXPECT_EQ(locale ? LocaleBlock(g_win32.systemLocale) : "", g_win32.clipboardLocale);
        // No double free, no clipboard call while closed nor dialog while open,
        // nothing left held.
        EXPECT_EQ(0, g_win32.faults);
        EXPECT_FALSE(g_win32.clipboardOpen);
        EXPECT_EQ(g_win32.blocksAllocated, g_win32.blocksFreed + row.copied + unicode + locale);
    }
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}
