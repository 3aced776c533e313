/* Scripting and inspecting the Win32 test double: what each call returns,
   and what the program did with it. */
#ifndef KELBRANO_WIN32DOUBLE_H
#define KELBRANO_WIN32DOUBLE_H

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct Win32Double {
    // What the calls return.
    size_t failedAlloc = 0; // the GlobalAlloc with this number (from 1) fails
    bool globalLockFails = false;
    int openClipboardRefusals = 0;     // this many OpenClipboard calls fail first
    int emptyClipboardRefusals = 0;    // and EmptyClipboard calls
    int setClipboardDataRefusals = 0;  // and SetClipboardData calls
    UINT refusedFormat = 0;            // SetClipboardData of this format fails
    LCID systemLocale = 0x0419;        // GetSystemDefaultLCID
    std::deque<INT_PTR> dialogResults; // DialogBoxParamA, then IDOK when empty
    INT_PTR shellResult = 42;
    RECT dialogRect = {10, 20, 110, 70};
    int screenWidth = 1024;
    int screenHeight = 768;
    std::function<void()> onGlobalAlloc;
    size_t shortRead = 0; // the fread with this number (from 1) yields one byte less
    // GetFullPathNameW resolves names against it as Windows would; while it
    // is empty, names are Linux paths of real files and come back as they are.
    std::wstring currentDirectory;
    bool wow64 = true;               // KERNEL32 has the file system redirector's switch
    bool redirectionStaysOn = false; // and turning it off fails
    int nativeOpenError = 0;         // _wfopen fails with this errno while redirection is off
    bool dllSearchSwitch = true;     // KERNEL32 has SetDefaultDllDirectories
    bool tokenCalls = true;          // ADVAPI32 has OpenProcessToken and SetTokenInformation
    bool openTokenFails = false;
    bool setTokenFails = false; // as under Wine, and on Windows before Vista
    std::wstring commandLine;   // GetCommandLineW
    // Standard input: a descriptor as the handle, whose kind GetFileType tells.
    // A pipe's ReadFile gives these pieces, as much of each as asked for (an
    // empty one: a read of 0 bytes that succeeds), then fails with pipeEnd.
    HANDLE standardInput = nullptr;
    DWORD startupFlags = 0;
    std::deque<std::string> pipe;
    DWORD pipeEnd = ERROR_BROKEN_PIPE;
    // The menu program's.
    std::wstring modulePath = L"C:\\Tools\\KELBRANO\\KELBRANO-MENU.EXE"; // GetModuleFileNameW
    std::wstring tempPath = L"C:\\Users\\Ann\\AppData\\Local\\Temp\\";   // GetTempPathW
    bool copierBeside = true;                                            // GetFileAttributesW finds a file
    UINT driveType = DRIVE_FIXED;                                        // GetDriveTypeW
    // The user of the signed-in shell's token (the program's is 1); 0: no shell
    // window; -1: its process can't be opened; -2: its token can't be.
    int shellUser = 1;
    // GetLongPathNameW: the long forms of these names; any other comes back as it is.
    std::map<std::wstring, std::wstring> longNames;
    // IsWow64Process says so, and the 64-bit registry view is a tree of its
    // own, as before Windows 7: its keys are "HKCU64\\...".
    bool wow64Registry = false;
    size_t failedRegistryWrite = 0; // the RegSetValueExW with this number (from 1) is refused
    std::deque<int> boxAnswers;     // MessageBoxW, then IDOK when empty
    // The registry: each key by its full path ("HKCU\\Software\\..."), with
    // its values by name ("" the default) and their REG_SZ data as written,
    // NUL included. Like Windows, it starts with the user's Software\Classes
    // (the keys above it are taken as there, and left out).
    std::map<std::wstring, std::map<std::wstring, std::wstring>> registry = {{L"HKCU\\Software\\Classes", {}}};

    // What the program did.
    // clang-format off
    std::vector<std::string> calls;         // each call with its arguments
    std::vector<std::string> dialogs;       // the message of each dialog shown
    std::map<int, std::string> controlText; // the last text set on each control of the last dialog
    std::vector<size_t> reads;              // the size asked for by each fread
    std::wstring opened;                    // the name _wfopen was last handed
    std::vector<std::string> opens;         // each _wfopen: "redirection off" or "redirection on"
    bool redirectionOff = false;
    int blocksAllocated = 0;
    int blocksFreed = 0;
    int faults = 0;                         // misuse: a double free, a clipboard call while closed,
                                            // any call but the open while redirection is off
    bool clipboardOpen = false;
    bool clipboardHasText = false;
    std::string clipboardText;              // the whole CF_TEXT block, NUL included
    std::u16string clipboardUnicode;        // the whole CF_UNICODETEXT block, NUL included
    std::string clipboardLocale;            // the whole CF_LOCALE block
    std::vector<std::wstring> boxes;        // the text of each MessageBoxW
    int openKeys = 0;                       // registry keys opened and not closed
    int openHandles = 0;                    // processes and tokens opened and not closed
    // clang-format on
    size_t clipboardSize = 0;

    size_t Count(const std::string &call) const;
};

extern Win32Double g_win32;
// Clears the script and the record, and frees what the clipboard holds.
void ResetWin32Double();

#endif
