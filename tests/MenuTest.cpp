// KELBRANO-MENU.EXE: its switches, the command and refusals made from its
// path, and what it leaves in the registry double, run from its entry.
#include "Fixture.h"
#include "menu/MenuCommand.h"
#include "menu/MenuTexts.h"
#include "menu/StartMenu.h"

#include <string>

namespace {
using Registry = std::map<std::wstring, std::map<std::wstring, std::wstring>>;

// For the failure messages, in the tests' UTF-8 locale.
std::string Narrow(const std::wstring &wide)
{
    std::string narrow(wide.size() * 4 + 1, '\0');
    size_t length = wcstombs(&narrow[0], wide.c_str(), narrow.size());
    narrow.resize(length == static_cast<size_t>(-1) ? 0 : length);
    return narrow;
}

// A registry as text, one line a key or value, to compare byte for byte:
// glibc's wide compares read past the end of a short value, which valgrind
// reports.
std::string Show(const Registry &registry)
{
    std::string text;
    for (const auto &key : registry)
        for (const auto &value : key.second)
            text += Narrow(key.first + L" " + value.first + L"=" + value.second) + "|" +
                    std::to_string(value.second.size()) + "\n";
    for (const auto &key : registry)
        text += Narrow(key.first) + "\n";
    return text;
}

// A REG_SZ value's data as it is written: its NUL included.
std::wstring Sz(const std::wstring &text)
{
    return text + L'\0';
}

const std::wstring kClasses = L"HKCU\\Software\\Classes";
const std::wstring kVerb = kClasses + L"\\*\\shell\\KELBRANO";
const Registry kNothing = {{kClasses, {}}}; // the user's classes, as Windows starts them

// What /add leaves in a registry where the user's classes were empty.
Registry Added(const std::wstring &command)
{
    return {{kClasses, {}},
            {kClasses + L"\\*", {}},
            {kClasses + L"\\*\\shell", {{L"", Sz(L"none")}}},
            {kVerb, {{L"", Sz(L"Copy contents")}, {L"MultiSelectModel", Sz(L"Single")}, {L"NeverDefault", Sz(L"")}}},
            {kVerb + L"\\command", {{L"", Sz(command)}}}};
}

const std::wstring kHere = L"\"C:\\Tools\\KELBRANO\\KELBRANO.EXE\" \"%1\"";

class Menu : public ProgramTest {
protected:
    int Run(const std::wstring &arguments)
    {
        g_win32.calls.clear();
        g_win32.boxes.clear();
        g_win32.commandLine = L"\"" + g_win32.modulePath + L"\" " + arguments;
        int code = StartMenuProgram();
        // Before anything else: the DLL search narrowed, virtualization off.
        EXPECT_EQ((Calls{"SetDefaultDllDirectories 0x800", "OpenProcessToken self 0x88", "SetTokenInformation 24 0"}),
                  Calls(g_win32.calls.begin(), g_win32.calls.begin() + std::min<size_t>(3, g_win32.calls.size())));
        EXPECT_EQ(0, g_win32.openKeys) << "keys left open";
        EXPECT_EQ(0, g_win32.openHandles) << "handles left open";
        EXPECT_EQ(0, g_win32.faults);
        return code;
    }
};
} // namespace

TEST(MenuSwitch, TakesOneSwitchInAnyCaseWithBlanksAround)
{
    const struct {
        const wchar_t *tail;
        MenuSwitch what;
    } rows[] = {
        {L"", kMenuAsk},
        {L" \t ", kMenuAsk},
        {L"/add", kMenuAdd},
        {L"/ADD", kMenuAdd},
        {L" /Add \t", kMenuAdd},
        {L"/remove", kMenuRemove},
        {L"/rEMOVE ", kMenuRemove},
        {L"/?", kMenuHelp},
        {L"/add /remove", kMenuUnknown},
        {L"/addx", kMenuUnknown},
        {L"/ad", kMenuUnknown},
        {L"add", kMenuUnknown},
        {L"-add", kMenuUnknown},
        {L"\"/add\"", kMenuUnknown},
        {L"/", kMenuUnknown},
        {L"/\u0130DD", kMenuUnknown},
    };
    for (const auto &row : rows)
        EXPECT_EQ(row.what, GetMenuSwitch(row.tail)) << "tail: " << Narrow(row.tail);
}

TEST(MenuCommand, QuotesKelbranoBesideTheProgramOrSaysWhyNot)
{
    const std::wstring temp = L"C:\\Users\\Ann\\AppData\\Local\\Temp\\";
    // A folder whose KELBRANO.EXE has a path of 259 units, the most Explorer starts.
    const std::wstring longest = L"C:\\" + std::wstring(259 - 3 - 13, L'd') + L"\\";
    const struct {
        std::wstring menuPath;
        std::wstring tempFolder;
        const wchar_t *refusal;
        std::wstring copier;
    } rows[] = {
        {L"C:\\Tools\\KELBRANO\\KELBRANO-MENU.EXE", temp, nullptr, L"C:\\Tools\\KELBRANO\\KELBRANO.EXE"},
        {L"C:\\My Tools & Co (x) ^!\\KELBRANO-MENU.EXE", temp, nullptr, L"C:\\My Tools & Co (x) ^!\\KELBRANO.EXE"},
        {L"D:\\\u0142\u00f3d\u017a\\\u4e2d\\menu.exe", temp, nullptr, L"D:\\\u0142\u00f3d\u017a\\\u4e2d\\KELBRANO.EXE"},
        {L"\\\\server\\share\\KELBRANO-MENU.EXE", temp, nullptr, L"\\\\server\\share\\KELBRANO.EXE"},
        {longest + L"KELBRANO-MENU.EXE", temp, nullptr, longest + L"KELBRANO.EXE"},
        {L"C:\\" + std::wstring(259 - 3 - 12, L'd') + L"\\KELBRANO-MENU.EXE", temp, kPathTooLong, L""},
        {L"C:\\100%\\KELBRANO-MENU.EXE", temp, kPercentInPath, L"C:\\100%\\KELBRANO.EXE"},
        {L"C:\\%1\\KELBRANO-MENU.EXE", temp, kPercentInPath, L"C:\\%1\\KELBRANO.EXE"},
        {L"C:\\Tools\\KELBRANO-MENU%.EXE", temp, nullptr, L"C:\\Tools\\KELBRANO.EXE"},
        // Run from inside a zip: Windows unpacks the one program into a folder of the temporary one.
        {temp + L"Temp1_KELBRANO-1.0.0-win32.zip\\KELBRANO-MENU.EXE", temp, kInTempFolder,
         temp + L"Temp1_KELBRANO-1.0.0-win32.zip\\KELBRANO.EXE"},
        {L"c:\\users\\ANN\\appdata\\local\\temp\\x\\KELBRANO-MENU.EXE", temp, kInTempFolder,
         L"c:\\users\\ANN\\appdata\\local\\temp\\x\\KELBRANO.EXE"},
        {L"C:\\Users\\Ann\\AppData\\Local\\Temporary\\KELBRANO-MENU.EXE", temp, nullptr,
         L"C:\\Users\\Ann\\AppData\\Local\\Temporary\\KELBRANO.EXE"},
        {temp + L"KELBRANO-MENU.EXE", L"", nullptr, temp + L"KELBRANO.EXE"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(Narrow(row.menuPath));
        wchar_t copier[MAX_PATH];
        wchar_t command[kCommandRoom];
        EXPECT_EQ(row.refusal, MakeMenuCommand(row.menuPath.c_str(), row.tempFolder.c_str(), copier, command));
        EXPECT_EQ(row.copier, copier);
        EXPECT_EQ(row.copier.empty() ? L"" : L"\"" + row.copier + L"\" \"%1\"", command);
    }
}

TEST(MenuCommand, TellsTheDriveFromThePath)
{
    const struct {
        const wchar_t *path;
        size_t root;
    } rows[] = {
        {L"C:\\Tools\\KELBRANO.EXE", 3},
        {L"z:\\KELBRANO.EXE", 3},
        {L"\\\\server\\share\\KELBRANO.EXE", 15},
        {L"\\\\server\\share", 0},
        {L"\\\\?\\C:\\KELBRANO.EXE", 0},
        {L"\\\\.\\C:\\KELBRANO.EXE", 0},
        {L"KELBRANO.EXE", 0},
        {L"C:KELBRANO.EXE", 0},
        {L"", 0},
    };
    for (const auto &row : rows)
        EXPECT_EQ(row.root, GetRootLength(row.path)) << Narrow(row.path);
    for (UINT type : {0u, 1u, 2u, 3u, 4u, 5u, 6u})
        EXPECT_EQ(type == DRIVE_REMOTE || type == DRIVE_REMOVABLE, IsFarDrive(type)) << type;
}

TEST_F(Menu, AddWritesTheEntryAndASecondAddTheSame)
{
    g_win32.modulePath = L"C:\\My Tools & Co\\KELBRANO-MENU.EXE";
    const Registry added = Added(L"\"C:\\My Tools & Co\\KELBRANO.EXE\" \"%1\"");
    for (const wchar_t *arguments : {L"/add", L"/ADD"}) {
        EXPECT_EQ(0, Run(arguments));
        EXPECT_EQ(Show(added), Show(g_win32.registry));
        EXPECT_EQ(Calls{"SHChangeNotify 134217728 0"}, Calls{g_win32.calls.back()});
        EXPECT_TRUE(g_win32.boxes.empty());
    }
    // Started by an 8.3 name: the long one is written, and found pointing here.
    g_win32.modulePath = L"C:\\MYTOOL~1\\KELBRA~1.EXE";
    g_win32.longNames[g_win32.modulePath] = L"C:\\My Tools & Co\\KELBRANO-MENU.EXE";
    EXPECT_EQ(0, Run(L"/add"));
    EXPECT_EQ(Show(added), Show(g_win32.registry));
    g_win32.boxAnswers = {IDNO};
    EXPECT_EQ(0, Run(L""));
    EXPECT_NE(std::wstring::npos, g_win32.boxes.at(0).find(L"Remove it?"));
    // Moved: the next /add points the entry at the new place.
    g_win32.modulePath = L"D:\\KELBRANO-MENU.EXE";
    EXPECT_EQ(0, Run(L"/add"));
    EXPECT_EQ(Show(Added(L"\"D:\\KELBRANO.EXE\" \"%1\"")), Show(g_win32.registry));
}

TEST_F(Menu, RemoveDeletesOnlyWhatAddMade)
{
    // What the user's classes held before: add, then remove, leaves exactly that.
    const Registry rows[] = {
        {{kClasses, {}}},
        {{kClasses, {}}, {kClasses + L"\\*", {}}, {kClasses + L"\\*\\shellex", {}}},
        {{kClasses, {}}, {kClasses + L"\\*", {{L"", Sz(L"something")}}}},
        {{kClasses, {}}, {kClasses + L"\\*", {}}, {kClasses + L"\\*\\shell", {}}, {kClasses + L"\\*\\shell\\edit", {}}},
        {{kClasses, {}}, {kClasses + L"\\*", {}}, {kClasses + L"\\*\\shell", {{L"", Sz(L"edit")}}}},
    };
    for (const Registry &before : rows) {
        SCOPED_TRACE(before.size());
        g_win32.registry = before;
        EXPECT_EQ(0, Run(L"/add"));
        g_win32.copierBeside = false; // removing needs no KELBRANO.EXE
        EXPECT_EQ(0, Run(L"/remove"));
        EXPECT_EQ(Show(before), Show(g_win32.registry));
        EXPECT_EQ(0, Run(L"/Remove")); // nothing there: done
        EXPECT_EQ(Show(before), Show(g_win32.registry));
        g_win32.copierBeside = true;
    }
    // On 64-bit Windows before 7, in the 64-bit view too.
    const Registry views = {{kClasses, {}}, {L"HKCU64\\Software\\Classes", {}}};
    g_win32.wow64Registry = true;
    g_win32.registry = views;
    EXPECT_EQ(0, Run(L"/add"));
    EXPECT_EQ(1u, g_win32.registry.count(L"HKCU64" + kVerb.substr(4) + L"\\command"));
    EXPECT_EQ(0, Run(L"/remove"));
    EXPECT_EQ(Show(views), Show(g_win32.registry));
    // A default set after the entry's "none" is someone else's: it stays.
    g_win32.wow64Registry = false;
    g_win32.registry = kNothing;
    EXPECT_EQ(0, Run(L"/add"));
    g_win32.registry[kClasses + L"\\*\\shell"][L""] = Sz(L"edit");
    EXPECT_EQ(0, Run(L"/remove"));
    EXPECT_EQ(
        Show((Registry{{kClasses, {}}, {kClasses + L"\\*", {}}, {kClasses + L"\\*\\shell", {{L"", Sz(L"edit")}}}})),
        Show(g_win32.registry));
    // With no entry, an empty * key that was there stays.
    const Registry emptyStar = {{kClasses, {}}, {kClasses + L"\\*", {}}};
    g_win32.registry = emptyStar;
    EXPECT_EQ(0, Run(L"/remove"));
    EXPECT_EQ(Show(emptyStar), Show(g_win32.registry));
}

TEST_F(Menu, RefusesToAddFromWhereTheEntryWouldNotWork)
{
    const struct {
        const char *what;
        std::wstring modulePath;
        bool copierBeside;
        UINT driveType;
        const wchar_t *message; // the box's, run with no argument
    } rows[] = {
        {"a % in the folder", L"C:\\100% Tools\\KELBRANO-MENU.EXE", true, DRIVE_FIXED, kPercentInPath},
        {"the temporary folder", g_win32.tempPath + L"Temp1_K.zip\\KELBRANO-MENU.EXE", true, DRIVE_FIXED,
         kInTempFolder},
        {"the temporary folder by an 8.3 name", L"C:\\Users\\ANN~1\\AppData\\Local\\Temp\\x\\KELBRA~1.EXE", true,
         DRIVE_FIXED, kInTempFolder},
        {"a path too long", L"C:\\" + std::wstring(300, L'd') + L"\\KELBRANO-MENU.EXE", true, DRIVE_FIXED,
         kPathTooLong},
        {"no KELBRANO.EXE beside it", L"C:\\Tools\\KELBRANO-MENU.EXE", false, DRIVE_FIXED, kNoCopier},
        {"a network share", L"\\\\server\\share\\KELBRANO-MENU.EXE", true, DRIVE_REMOTE, nullptr},
        {"a removable drive", L"E:\\KELBRANO-MENU.EXE", true, DRIVE_REMOVABLE, nullptr},
    };
    g_win32.longNames[rows[2].modulePath] = g_win32.tempPath + L"x\\KELBRANO-MENU.EXE";
    const Registry before = g_win32.registry;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        g_win32.modulePath = row.modulePath;
        g_win32.copierBeside = row.copierBeside;
        g_win32.driveType = row.driveType;
        EXPECT_EQ(1, Run(L"/add"));
        EXPECT_EQ(Show(before), Show(g_win32.registry));
        EXPECT_TRUE(g_win32.boxes.empty());
        if (row.message) {
            EXPECT_EQ(1, Run(L""));
            EXPECT_EQ(std::vector<std::wstring>{row.message}, g_win32.boxes);
        } else {
            // Asked with a warning, Yes adds it all the same.
            g_win32.boxAnswers = {IDYES, IDOK};
            EXPECT_EQ(0, Run(L""));
            ASSERT_EQ(2u, g_win32.boxes.size());
            EXPECT_NE(std::wstring::npos, g_win32.boxes[0].find(kFarDriveWarning));
            EXPECT_EQ(kAdded, g_win32.boxes[1]);
            g_win32.registry = before;
        }
    }
}

TEST_F(Menu, AFailedWriteLeavesTheEntryAsItWas)
{
    // None, and one elsewhere that an earlier version wrote without the "none".
    Registry elsewhere = Added(L"\"D:\\KELBRANO.EXE\" \"%1\"");
    elsewhere[kClasses + L"\\*\\shell"].clear();
    for (const Registry &before : {kNothing, elsewhere})
        for (size_t write = 1; write <= 5; write++) {
            SCOPED_TRACE(write);
            g_win32.registry = before;
            g_win32.failedRegistryWrite = write;
            EXPECT_EQ(1, Run(L"/add"));
            EXPECT_EQ(Show(before), Show(g_win32.registry));
            g_win32.boxAnswers = {IDYES, IDOK};
            EXPECT_EQ(1, Run(L""));
            EXPECT_EQ(before == kNothing ? kAddFailed : kChangeFailed, g_win32.boxes.back());
            EXPECT_EQ(Show(before), Show(g_win32.registry));
        }
}

TEST_F(Menu, TheBoxAsksBeforeAnyChange)
{
    const std::wstring elsewhere = L"\"D:\\KELBRANO.EXE\" \"%1\"";
    const std::wstring tooLong = L"\"D:\\" + std::wstring(270, L'd') + L"\\KELBRANO.EXE\" \"%1\"";
    const struct {
        const char *what;
        std::wstring before; // the command of the entry already there, or none
        std::deque<int> answers;
        int shellUser;
        bool copierBeside;
        std::wstring after;   // the command then, or none
        const wchar_t *asked; // the end of the question
        const wchar_t *said;  // the second box, or none
    } rows[] = {
        {"none yet, No", L"", {IDNO}, 1, true, L"", L"Add it?", nullptr},
        {"none yet, Yes", L"", {IDYES}, 1, true, kHere, L"Add it?", kAdded},
        {"none yet, the box fails", L"", {0}, 1, true, L"", L"Add it?", nullptr},
        {"one elsewhere, No", elsewhere, {IDNO}, 1, true, elsewhere, L"Change it?", nullptr},
        {"one elsewhere, Yes", elsewhere, {IDYES}, 1, true, kHere, L"Change it?", kAdded},
        {"one too long to show, another account", tooLong, {IDNO}, 2, true, tooLong, L"Change it?", nullptr},
        {"this one, No", kHere, {IDNO}, 1, true, kHere, L"Remove it?", nullptr},
        {"this one, Yes", kHere, {IDYES}, 1, true, L"", L"Remove it?", kRemoved},
        {"this one, KELBRANO.EXE gone", kHere, {IDYES}, 1, false, L"", L"Remove it?", kRemoved},
        {"this one in other letters",
         L"\"c:\\tools\\kelbrano\\kelbrano.exe\" \"%1\"",
         {IDNO},
         1,
         true,
         L"\"c:\\tools\\kelbrano\\kelbrano.exe\" \"%1\"",
         L"Remove it?",
         nullptr},
        {"another account", kHere, {IDNO}, 2, true, kHere, L"Remove it?", nullptr},
        {"the shell's process unreadable", L"", {IDNO}, -1, true, L"", L"Add it?", nullptr},
        {"the shell's token unreadable", L"", {IDNO}, -2, true, L"", L"Add it?", nullptr},
        {"no shell window", L"", {IDNO}, 0, true, L"", L"Add it?", nullptr},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        ResetWin32Double();
        if (!row.before.empty()) {
            g_win32.modulePath = L"D:\\KELBRANO-MENU.EXE";
            EXPECT_EQ(0, Run(L"/add"));
            g_win32.modulePath = Win32Double().modulePath;
            g_win32.registry[kVerb + L"\\command"][L""] = Sz(row.before);
        }
        const Registry before = g_win32.registry;
        g_win32.boxAnswers = row.answers;
        g_win32.shellUser = row.shellUser;
        g_win32.copierBeside = row.copierBeside;
        g_win32.boxAnswers.push_back(IDOK);
        EXPECT_EQ(row.answers.front() ? 0 : 1, Run(L""));
        ASSERT_EQ(row.said ? 2u : 1u, g_win32.boxes.size());
        const std::wstring &question = g_win32.boxes[0];
        EXPECT_NE(std::wstring::npos, question.find(L"\n\n" + kHere + L"\n\n")) << Narrow(question);
        EXPECT_EQ(row.asked, question.substr(question.size() - wcslen(row.asked)));
        bool otherAccount = row.shellUser != 1 && row.shellUser != 0;
        EXPECT_EQ(otherAccount, question.find(kOtherAccountWarning) != std::wstring::npos);
        if (row.asked == std::wstring(L"Change it?")) { // what it runs now, then what it will run
            EXPECT_EQ(question.find(L"runs:\n\n") + 7,
                      question.find(row.before == tooLong ? std::wstring(kCommandTooLong) : row.before));
        }
        if (row.said) {
            EXPECT_EQ(row.said, g_win32.boxes[1]);
        }
        if (row.after.empty())
            EXPECT_EQ(Show(kNothing), Show(g_win32.registry));
        else if (row.answers.front() != IDYES)
            EXPECT_EQ(Show(before), Show(g_win32.registry));
        else
            EXPECT_EQ(Show(Added(row.after)), Show(g_win32.registry));
        if (otherAccount) { // without a window, refused
            EXPECT_EQ(1, Run(L"/add"));
            EXPECT_EQ(1, Run(L"/remove"));
            EXPECT_EQ(Show(before), Show(g_win32.registry));
        }
    }
}

TEST_F(Menu, ShowsTheUsageForAnyOtherArgument)
{
    const struct {
        const wchar_t *arguments;
        int exitCode;
    } rows[] = {{L"/?", 0}, {L"/help", 1}, {L"/add now", 1}, {L"notes.txt", 1}};
    for (const auto &row : rows) {
        EXPECT_EQ(row.exitCode, Run(row.arguments)) << Narrow(row.arguments);
        EXPECT_EQ(std::vector<std::wstring>{kMenuUsage}, g_win32.boxes);
        EXPECT_EQ(Show(kNothing), Show(g_win32.registry));
    }
}
