/* The Win32 calls of the native test build: they record what the program
   does and answer as the test has scripted. fread is wrapped at link time
   so that the size of each read is seen. */
#include "Win32Double.h"
#include "copier/WaitWindow.h"

#include <shellapi.h>
#include <shlobj.h>
#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wchar.h>
#include <wctype.h>

#include <algorithm>
#include <set>

Win32Double g_win32;

namespace {
std::set<void *> liveBlocks;
std::map<void *, size_t> blockSizes;
std::map<UINT, void *> clipboardBlocks; // each format's block
HWND const kDialog = reinterpret_cast<HWND>(0x1000);

bool quiet; // while the double itself runs the dialog procedure

void Log(const std::string &call)
{
    if (g_win32.redirectionOff)
        g_win32.faults++;
    if (!quiet)
        g_win32.calls.push_back(call);
}

bool OnClipboard(void *block)
{
    for (const auto &format : clipboardBlocks)
        if (format.second == block)
            return true;
    return false;
}

void ReleaseClipboardBlocks()
{
    for (const auto &format : clipboardBlocks) {
        liveBlocks.erase(format.second);
        free(format.second);
    }
    g_win32.blocksFreed += static_cast<int>(clipboardBlocks.size());
    clipboardBlocks.clear();
    g_win32.clipboardHasText = false;
    g_win32.clipboardText.clear();
    g_win32.clipboardUnicode.clear();
    g_win32.clipboardLocale.clear();
}

HMODULE const kKernel = reinterpret_cast<HMODULE>(0x7000);
HMODULE const kAdvapi = reinterpret_cast<HMODULE>(0x7200);
HANDLE const kProcess = reinterpret_cast<HANDLE>(-1);
HANDLE const kToken = reinterpret_cast<HANDLE>(0x7300);
HANDLE const kShellProcess = reinterpret_cast<HANDLE>(0x7400);
HANDLE const kShellToken = reinterpret_cast<HANDLE>(0x7500);
DWORD const kShellId = 4242;
std::map<HKEY, std::wstring> openKeys; // each open key's full path
UINT_PTR lastKey = 0x9000;
PVOID const kRedirectionState = reinterpret_cast<PVOID>(0x7100);

BOOL SetDefaultDllDirectories(DWORD flags)
{
    char hex[16];
    snprintf(hex, sizeof hex, "%#x", flags);
    Log(std::string("SetDefaultDllDirectories ") + hex);
    return TRUE;
}

BOOL SetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS what, void *value, DWORD size)
{
    std::string shown = size == sizeof(DWORD) ? std::to_string(*static_cast<DWORD *>(value)) : "?";
    Log("SetTokenInformation " + std::to_string(what) + " " + shown);
    if (token != kToken)
        g_win32.faults++;
    return !g_win32.setTokenFails;
}

BOOL Wow64DisableWow64FsRedirection(PVOID *state)
{
    if (g_win32.redirectionStaysOn)
        return FALSE;
    g_win32.redirectionOff = true;
    *state = kRedirectionState;
    return TRUE;
}

BOOL IsWow64Process(HANDLE process, BOOL *wow64)
{
    if (process != kProcess)
        g_win32.faults++;
    *wow64 = g_win32.wow64Registry;
    return TRUE;
}

BOOL Wow64RevertWow64FsRedirection(PVOID state)
{
    if (!g_win32.redirectionOff || state != kRedirectionState)
        g_win32.faults++;
    g_win32.redirectionOff = false;
    return TRUE;
}
}

BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE *token)
{
    char hex[16];
    snprintf(hex, sizeof hex, "%#x", access);
    Log(std::string("OpenProcessToken ") + (process == kProcess ? "self " : "other ") + hex);
    if (process != kProcess && process != kShellProcess)
        g_win32.faults++;
    if (g_win32.openTokenFails || (process == kShellProcess && g_win32.shellUser == -2))
        return FALSE;
    *token = process == kProcess ? kToken : kShellToken;
    g_win32.openHandles++;
    return TRUE;
}

// A token's user as Windows gives it: the SID after the TOKEN_USER, here
// the user's number.
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS what, void *value, DWORD size, DWORD *written)
{
    Log("GetTokenInformation " + std::to_string(what));
    *written = sizeof(TOKEN_USER) + sizeof(int);
    if ((token != kToken && token != kShellToken) || what != TokenUser || size < *written) {
        g_win32.faults++;
        return FALSE;
    }
    auto *user = static_cast<TOKEN_USER *>(value);
    user->User.Sid = user + 1;
    *static_cast<int *>(user->User.Sid) = token == kToken ? 1 : g_win32.shellUser;
    return TRUE;
}

BOOL EqualSid(PSID a, PSID b)
{
    return *static_cast<int *>(a) == *static_cast<int *>(b);
}

HWND GetShellWindow()
{
    return g_win32.shellUser ? reinterpret_cast<HWND>(0x3000) : nullptr;
}

DWORD GetWindowThreadProcessId(HWND window, DWORD *process)
{
    if (window != reinterpret_cast<HWND>(0x3000))
        g_win32.faults++;
    *process = kShellId;
    return 1;
}

HANDLE OpenProcess(DWORD access, BOOL, DWORD id)
{
    Log("OpenProcess " + std::to_string(access));
    if (id != kShellId)
        g_win32.faults++;
    if (access != PROCESS_QUERY_INFORMATION || g_win32.shellUser == -1)
        return nullptr;
    g_win32.openHandles++;
    return kShellProcess;
}

size_t Win32Double::Count(const std::string &call) const
{
    size_t n = 0;
    for (const std::string &c : calls)
        n += c.compare(0, call.size(), call) == 0;
    return n;
}

void ResetWin32Double()
{
    ReleaseClipboardBlocks();
    openKeys.clear();
    g_win32 = Win32Double();
}

extern "C" size_t __real_fread(void *buffer, size_t size, size_t count, FILE *stream);
extern "C" size_t __wrap_fread(void *buffer, size_t size, size_t count, FILE *stream)
{
    g_win32.reads.push_back(size * count);
    if (g_win32.reads.size() == g_win32.shortRead && count > 0)
        count--;
    return __real_fread(buffer, size, count, stream);
}

LPWSTR GetCommandLineW()
{
    Log("GetCommandLineW");
    return &g_win32.commandLine[0];
}

HMODULE GetModuleHandleA(LPCSTR name)
{
    if (!name)
        return reinterpret_cast<HMODULE>(0x400000); // the program's own
    return strcasecmp(name, "KERNEL32.DLL") == 0 ? kKernel : nullptr;
}

HMODULE LoadLibraryA(LPCSTR name)
{
    if (strcasecmp(name, "ADVAPI32.DLL") == 0)
        return kAdvapi;
    return GetModuleHandleA(name);
}

HANDLE GetCurrentProcess()
{
    return kProcess;
}

BOOL CloseHandle(HANDLE handle)
{
    Log(handle == kToken || handle == kShellToken ? "CloseHandle token" : "CloseHandle");
    g_win32.openHandles -= handle == kToken || handle == kShellToken || handle == kShellProcess;
    return TRUE;
}

// The kind of file behind a descriptor, which _get_osfhandle passes as it is.
DWORD GetFileType(HANDLE file)
{
    struct stat info;
    if (fstat(static_cast<int>(reinterpret_cast<intptr_t>(file)), &info) != 0)
        return FILE_TYPE_UNKNOWN;
    if (S_ISREG(info.st_mode))
        return FILE_TYPE_DISK;
    return S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode) ? FILE_TYPE_PIPE : FILE_TYPE_CHAR;
}

LONG RegDeleteKeyExW(HKEY parent, const wchar_t *name, REGSAM view, DWORD);

HANDLE GetStdHandle(DWORD which)
{
    return which == STD_INPUT_HANDLE ? g_win32.standardInput : nullptr;
}

void GetStartupInfoW(STARTUPINFOW *startup)
{
    startup->dwFlags = g_win32.startupFlags;
}

static DWORD lastError;

DWORD GetLastError()
{
    return lastError;
}

static int Descriptor(HANDLE file)
{
    return static_cast<int>(reinterpret_cast<intptr_t>(file));
}

// A disk file's descriptor is read; a pipe's is not: its pieces are scripted.
BOOL ReadFile(HANDLE file, void *buffer, DWORD size, DWORD *read, void *)
{
    Log("ReadFile " + std::to_string(size));
    *read = 0;
    if (GetFileType(file) != FILE_TYPE_PIPE) {
        ssize_t got = ::read(Descriptor(file), buffer, size);
        *read = got > 0 ? static_cast<DWORD>(got) : 0;
        return got >= 0;
    }
    if (g_win32.pipe.empty()) {
        lastError = g_win32.pipeEnd;
        return FALSE;
    }
    std::string &piece = g_win32.pipe.front();
    *read = static_cast<DWORD>(piece.copy(static_cast<char *>(buffer), size));
    piece.erase(0, *read);
    if (piece.empty())
        g_win32.pipe.pop_front();
    return TRUE;
}

BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER *size)
{
    struct stat info;
    if (fstat(Descriptor(file), &info) != 0)
        return FALSE;
    size->QuadPart = info.st_size;
    return TRUE;
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER move, LARGE_INTEGER *position, DWORD method)
{
    position->QuadPart = lseek(Descriptor(file), move.QuadPart, method == FILE_CURRENT ? SEEK_CUR : SEEK_SET);
    return position->QuadPart >= 0;
}

// Standard input is read without the wait window, which is seen under Wine.
void StartWaitWindow()
{
}

void EndWaitWindow()
{
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name)
{
    void *found = nullptr;
    if (module == kKernel && g_win32.wow64) {
        if (strcmp(name, "Wow64DisableWow64FsRedirection") == 0)
            found = reinterpret_cast<void *>(Wow64DisableWow64FsRedirection);
        else if (strcmp(name, "Wow64RevertWow64FsRedirection") == 0)
            found = reinterpret_cast<void *>(Wow64RevertWow64FsRedirection);
    }
    if (module == kKernel && strcmp(name, "IsWow64Process") == 0)
        found = reinterpret_cast<void *>(IsWow64Process);
    if (module == kAdvapi && strcmp(name, "RegDeleteKeyExW") == 0)
        found = reinterpret_cast<void *>(RegDeleteKeyExW);
    if (module == kKernel && g_win32.dllSearchSwitch && strcmp(name, "SetDefaultDllDirectories") == 0)
        found = reinterpret_cast<void *>(SetDefaultDllDirectories);
    if (module == kAdvapi && g_win32.tokenCalls) {
        if (strcmp(name, "OpenProcessToken") == 0)
            found = reinterpret_cast<void *>(OpenProcessToken);
        else if (strcmp(name, "SetTokenInformation") == 0)
            found = reinterpret_cast<void *>(SetTokenInformation);
    }
    return reinterpret_cast<FARPROC>(found);
}

FILE *_wfopen(const wchar_t *name, const wchar_t *mode)
{
    g_win32.opened = name;
    g_win32.opens.push_back(g_win32.redirectionOff ? "redirection off" : "redirection on");
    if (g_win32.redirectionOff && g_win32.nativeOpenError) {
        errno = g_win32.nativeOpenError;
        return nullptr;
    }
    // The extended-length form names the same file.
    if (wcsncmp(name, L"\\\\?\\", 4) == 0)
        name += 4;
    // In the tests' UTF-8 locale, as Linux file names are.
    char narrowName[4096];
    char narrowMode[8];
    if (wcstombs(narrowName, name, sizeof narrowName) >= sizeof narrowName ||
        wcstombs(narrowMode, mode, sizeof narrowMode) >= sizeof narrowMode)
        return nullptr;
    return fopen(narrowName, narrowMode);
}

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes)
{
    Log("GlobalAlloc " + std::to_string(flags) + " " + std::to_string(bytes));
    if (g_win32.onGlobalAlloc)
        g_win32.onGlobalAlloc();
    if (g_win32.Count("GlobalAlloc") == g_win32.failedAlloc)
        return nullptr;
    void *block = malloc(bytes);
    liveBlocks.insert(block);
    blockSizes[block] = bytes;
    g_win32.blocksAllocated++;
    return block;
}

HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags)
{
    Log("GlobalReAlloc " + std::to_string(bytes) + " " + std::to_string(flags));
    if (!liveBlocks.count(block) || OnClipboard(block)) {
        g_win32.faults++;
        return nullptr;
    }
    liveBlocks.erase(block);
    blockSizes.erase(block);
    block = realloc(block, bytes);
    liveBlocks.insert(block);
    blockSizes[block] = bytes;
    return block;
}

void *GlobalLock(HGLOBAL block)
{
    Log("GlobalLock");
    if (!liveBlocks.count(block))
        g_win32.faults++;
    return g_win32.globalLockFails ? nullptr : block;
}

BOOL GlobalUnlock(HGLOBAL block)
{
    Log("GlobalUnlock");
    if (!liveBlocks.count(block))
        g_win32.faults++;
    return FALSE; // a fixed block is never left locked
}

HGLOBAL GlobalFree(HGLOBAL block)
{
    Log("GlobalFree");
    if (!liveBlocks.count(block) || OnClipboard(block)) {
        g_win32.faults++;
        return block;
    }
    liveBlocks.erase(block);
    free(block);
    g_win32.blocksFreed++;
    return nullptr;
}

// UTF-8 only, each byte that is not UTF-8 becoming U+FFFD.
int MultiByteToWideChar(UINT codePage, DWORD, const char *bytes, int size, WCHAR *wide, int units)
{
    Log("MultiByteToWideChar " + std::to_string(size));
    if (codePage != CP_UTF8)
        g_win32.faults++;
    std::u16string text;
    mbstate_t state = {};
    for (size_t at = 0, n; at < static_cast<size_t>(size); at += n) {
        wchar_t c = 0;
        n = mbrtowc(&c, bytes + at, static_cast<size_t>(size) - at, &state);
        if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) {
            c = 0xFFFD;
            n = 1;
            state = mbstate_t();
        }
        n = n ? n : 1; // a NUL
        if (c > 0xFFFF)
            text += {static_cast<char16_t>(0xD7C0 + (c >> 10)), static_cast<char16_t>(0xDC00 | (c & 0x3FF))};
        else
            text += static_cast<char16_t>(c);
    }
    if (text.size() > static_cast<size_t>(units))
        return 0;
    text.copy(wide, text.size());
    return static_cast<int>(text.size());
}

// Windows' rules, as far as the tests need them: "/" is "\\", a name is
// taken from a drive's root, a UNC share or the current directory, and ".",
// "..", empty steps and the last step's trailing dots and blanks are dropped.
DWORD GetFullPathNameW(const wchar_t *name, DWORD size, wchar_t *path, wchar_t **filePart)
{
    // A room of more units than the longest path (32,767 with its NUL) is cut
    // to 16 bits by some implementations, which then write nothing.
    if (size > 32767)
        g_win32.faults++;
    std::wstring full = name;
    if (!g_win32.currentDirectory.empty()) {
        std::wstring in = name;
        for (wchar_t &c : in)
            c = c == '/' ? '\\' : c;
        // Neither \\server\share\... nor C:\...: relative to the current directory.
        // Compared a character at a time: under valgrind, glibc's wide compares
        // read past the end of a short name.
        bool unc = in.size() >= 2 && in[0] == '\\' && in[1] == '\\';
        bool drive = in.size() >= 3 && in[1] == ':' && in[2] == '\\';
        if (!unc && !drive)
            in = g_win32.currentDirectory + L"\\" + in;
        size_t rootEnd = in[0] == '\\' ? in.find('\\', in.find('\\', 2) + 1) : 2; // \\server\share or C:
        full = in.substr(0, rootEnd);
        // Compared as strings, which checks their sizes first: under valgrind
        // a compare with a literal reads past the end of a short step.
        const std::wstring up = L"..", here = L".";
        std::vector<std::wstring> steps;
        for (size_t at = rootEnd, next; at < in.size(); at = next) {
            next = std::min(in.find('\\', at + 1), in.size());
            std::wstring step = in.substr(at + 1, next - at - 1);
            if (step == up) {
                if (!steps.empty())
                    steps.pop_back();
            } else if (!step.empty() && step != here) {
                steps.push_back(step);
            }
        }
        if (!steps.empty())
            steps.back().erase(steps.back().find_last_not_of(L". ") + 1);
        for (const std::wstring &step : steps)
            full += L"\\" + step;
    }
    if (filePart)
        *filePart = nullptr;
    if (full.size() >= size)
        return static_cast<DWORD>(full.size() + 1);
    wcscpy(path, full.c_str());
    return static_cast<DWORD>(full.size());
}

LCID GetSystemDefaultLCID()
{
    return g_win32.systemLocale;
}

void Sleep(DWORD milliseconds)
{
    Log("Sleep " + std::to_string(milliseconds));
}

BOOL OpenClipboard(HWND owner)
{
    Log(owner ? "OpenClipboard owned" : "OpenClipboard");
    if (g_win32.clipboardOpen)
        g_win32.faults++;
    if (g_win32.openClipboardRefusals > 0) {
        g_win32.openClipboardRefusals--;
        return FALSE;
    }
    g_win32.clipboardOpen = true;
    return TRUE;
}

BOOL EmptyClipboard()
{
    Log("EmptyClipboard");
    if (!g_win32.clipboardOpen)
        g_win32.faults++;
    if (g_win32.emptyClipboardRefusals > 0) {
        g_win32.emptyClipboardRefusals--;
        return FALSE;
    }
    ReleaseClipboardBlocks();
    return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data)
{
    Log("SetClipboardData " + std::to_string(format));
    if (!g_win32.clipboardOpen || !liveBlocks.count(data))
        g_win32.faults++;
    if (g_win32.setClipboardDataRefusals > 0) {
        g_win32.setClipboardDataRefusals--;
        return nullptr;
    }
    if (format == g_win32.refusedFormat)
        return nullptr;
    if (clipboardBlocks.count(format) || blockSizes[data] % (format == CF_UNICODETEXT ? 2 : 1))
        g_win32.faults++;
    clipboardBlocks[format] = data;
    if (format == CF_UNICODETEXT) {
        g_win32.clipboardUnicode.assign(static_cast<char16_t *>(data), blockSizes[data] / 2);
    } else if (format == CF_LOCALE) {
        g_win32.clipboardLocale.assign(static_cast<char *>(data), blockSizes[data]);
    } else {
        g_win32.clipboardHasText = true;
        g_win32.clipboardSize = blockSizes[data];
        g_win32.clipboardText.assign(static_cast<char *>(data), blockSizes[data]);
    }
    return data;
}

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR, DWORD, int, int, int, int, HWND parent, void *, HINSTANCE, void *)
{
    Log(std::string("CreateWindowExA ") + className + (parent == HWND_MESSAGE ? " message-only" : ""));
    return reinterpret_cast<HWND>(0x2000);
}

BOOL DestroyWindow(HWND)
{
    Log("DestroyWindow");
    if (g_win32.clipboardOpen)
        g_win32.faults++;
    return TRUE;
}

BOOL CloseClipboard()
{
    Log("CloseClipboard");
    if (!g_win32.clipboardOpen)
        g_win32.faults++;
    g_win32.clipboardOpen = false;
    return TRUE;
}

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param)
{
    Log("DialogBoxParamA " + std::to_string(reinterpret_cast<UINT_PTR>(name)) + (owner ? " owned" : ""));
    if (g_win32.clipboardOpen)
        g_win32.faults++;
    INT_PTR result = IDOK;
    if (!g_win32.dialogResults.empty()) {
        result = g_win32.dialogResults.front();
        g_win32.dialogResults.pop_front();
    }
    if (result == -1)
        return result;
    g_win32.dialogs.push_back(reinterpret_cast<const char *>(param));
    g_win32.controlText.clear();
    quiet = true;
    proc(kDialog, WM_INITDIALOG, 0, param);
    quiet = false;
    return result;
}

BOOL EndDialog(HWND, INT_PTR result)
{
    Log("EndDialog " + std::to_string(result));
    return TRUE;
}

HWND GetDlgItem(HWND dialog, int id)
{
    return reinterpret_cast<HWND>(reinterpret_cast<UINT_PTR>(dialog) + static_cast<UINT_PTR>(id));
}

BOOL SetWindowTextA(HWND window, LPCSTR text)
{
    int id = static_cast<int>(reinterpret_cast<UINT_PTR>(window) - reinterpret_cast<UINT_PTR>(kDialog));
    g_win32.controlText[id] = text;
    return TRUE;
}

BOOL GetWindowRect(HWND, RECT *rect)
{
    *rect = g_win32.dialogRect;
    return TRUE;
}

int GetSystemMetrics(int index)
{
    return index == SM_CXSCREEN ? g_win32.screenWidth : g_win32.screenHeight;
}

BOOL MoveWindow(HWND, int x, int y, int width, int height, BOOL repaint)
{
    Log("MoveWindow " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(width) + " " +
        std::to_string(height) + " " + std::to_string(repaint));
    return TRUE;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    // clang-format off
    Log(std::string("MessageBoxA ") + (owner ? "owned " : "") + text + " | " + caption + " | " +
        std::to_string(type));
    // clang-format on
    return IDOK;
}

int wsprintfA(LPSTR buffer, LPCSTR format, ...)
{
    // Like the real one, it writes at most 1024 bytes.
    va_list args;
    va_start(args, format);
    int n = vsnprintf(buffer, 1024, format, args);
    va_end(args);
    return n < 1024 ? n : 1023;
}

HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, int show)
{
    Log(std::string("ShellExecuteA ") + (owner ? "owned " : "") + (verb ? verb : "-") + " " + file + " " +
        (parameters ? parameters : "-") + " " + (directory ? directory : "-") + " " + std::to_string(show));
    return reinterpret_cast<HINSTANCE>(g_win32.shellResult);
}

// In the tests' UTF-8 locale.
static std::string Narrow(const std::wstring &wide)
{
    std::string narrow(wide.size() * 4 + 1, '\0');
    size_t length = wcstombs(&narrow[0], wide.c_str(), narrow.size());
    narrow.resize(length == static_cast<size_t>(-1) ? 0 : length);
    return narrow;
}

DWORD GetModuleFileNameW(HMODULE module, wchar_t *path, DWORD size)
{
    if (module)
        g_win32.faults++;
    // As Windows XP and later: cut short, NUL-ended, and the room returned.
    size_t length = std::min<size_t>(g_win32.modulePath.size(), size - 1);
    wcsncpy(path, g_win32.modulePath.c_str(), length);
    path[length] = L'\0';
    return length < g_win32.modulePath.size() ? size : static_cast<DWORD>(length);
}

DWORD GetTempPathW(DWORD size, wchar_t *path)
{
    if (g_win32.tempPath.size() >= size)
        return static_cast<DWORD>(g_win32.tempPath.size() + 1);
    wcscpy(path, g_win32.tempPath.c_str());
    return static_cast<DWORD>(g_win32.tempPath.size());
}

DWORD GetLongPathNameW(const wchar_t *name, wchar_t *path, DWORD size)
{
    auto known = g_win32.longNames.find(name);
    std::wstring found = known == g_win32.longNames.end() ? name : known->second;
    if (found.size() >= size)
        return static_cast<DWORD>(found.size() + 1);
    wmemmove(path, found.c_str(), found.size() + 1);
    return static_cast<DWORD>(found.size());
}

DWORD CharUpperBuffW(wchar_t *text, DWORD length)
{
    for (DWORD i = 0; i < length; i++)
        text[i] = static_cast<wchar_t>(towupper(static_cast<wint_t>(text[i])));
    return length;
}

DWORD GetFileAttributesW(const wchar_t *name)
{
    Log("GetFileAttributesW " + Narrow(name));
    return g_win32.copierBeside ? FILE_ATTRIBUTE_NORMAL : INVALID_FILE_ATTRIBUTES;
}

UINT GetDriveTypeW(const wchar_t *root)
{
    Log("GetDriveTypeW " + Narrow(root));
    return g_win32.driveType;
}

int MessageBoxW(HWND owner, const wchar_t *text, const wchar_t *caption, UINT type)
{
    Log("MessageBoxW " + std::string(owner ? "owned " : "") + Narrow(caption) + " " + std::to_string(type));
    g_win32.boxes.push_back(text);
    int answer = IDOK;
    if (!g_win32.boxAnswers.empty()) {
        answer = g_win32.boxAnswers.front();
        g_win32.boxAnswers.pop_front();
    }
    return answer;
}

int wsprintfW(wchar_t *buffer, const wchar_t *format, ...)
{
    // Like the real one, it writes at most 1024 units.
    va_list args;
    va_start(args, format);
    int n = vswprintf(buffer, 1024, format, args);
    va_end(args);
    if (n < 0)
        g_win32.faults++; // more than would fit
    return n;
}

void SHChangeNotify(LONG event, UINT flags, const void *item1, const void *item2)
{
    Log("SHChangeNotify " + std::to_string(event) + " " + std::to_string(flags));
    if (item1 || item2)
        g_win32.faults++;
}

// The registry: one tree of keys, HKEY_CURRENT_USER's alone, and with
// wow64Registry its 64-bit view's too.
static std::wstring KeyPath(HKEY parent, const wchar_t *name, REGSAM access = 0)
{
    std::wstring path;
    if (parent == HKEY_CURRENT_USER)
        path = access & KEY_WOW64_64KEY && g_win32.wow64Registry ? L"HKCU64" : L"HKCU";
    else if (openKeys.count(parent))
        path = openKeys[parent];
    else
        g_win32.faults++;
    return name && *name ? path + L"\\" + name : path;
}

static HKEY OpenKey(const std::wstring &path)
{
    HKEY key = reinterpret_cast<HKEY>(++lastKey);
    openKeys[key] = path;
    g_win32.openKeys++;
    return key;
}

LONG RegCreateKeyExW(HKEY parent, const wchar_t *name, DWORD, wchar_t *, DWORD, REGSAM access, void *, HKEY *key,
                     DWORD *)
{
    std::wstring path = KeyPath(parent, name, access);
    Log("RegCreateKeyExW " + Narrow(path));
    // The keys above it too, as Windows makes them; HKCU and HKCU\Software
    // are taken as there, and left out of the tree.
    for (size_t at = path.find(L'\\', path.find(L"Software") + 9); at != std::wstring::npos;
         at = path.find(L'\\', at + 1))
        g_win32.registry[path.substr(0, at)];
    g_win32.registry[path];
    *key = OpenKey(path);
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExW(HKEY parent, const wchar_t *name, DWORD, REGSAM access, HKEY *key)
{
    std::wstring path = KeyPath(parent, name, access);
    Log("RegOpenKeyExW " + Narrow(path));
    if (!g_win32.registry.count(path))
        return ERROR_FILE_NOT_FOUND;
    *key = OpenKey(path);
    return ERROR_SUCCESS;
}

LONG RegSetValueExW(HKEY key, const wchar_t *name, DWORD, DWORD type, const BYTE *data, DWORD size)
{
    std::wstring path = KeyPath(key, nullptr);
    Log("RegSetValueExW " + Narrow(path) + " " + Narrow(name ? name : L"(default)"));
    if (type != REG_SZ || size % sizeof(wchar_t))
        g_win32.faults++;
    if (g_win32.Count("RegSetValueExW") == g_win32.failedRegistryWrite)
        return ERROR_ACCESS_DENIED;
    g_win32.registry[path][name ? name : L""].assign(reinterpret_cast<const wchar_t *>(data), size / sizeof(wchar_t));
    return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY key, const wchar_t *name, DWORD *, DWORD *type, BYTE *data, DWORD *size)
{
    const auto &values = g_win32.registry[KeyPath(key, nullptr)];
    auto value = values.find(name ? name : L"");
    if (value == values.end())
        return ERROR_FILE_NOT_FOUND;
    DWORD bytes = static_cast<DWORD>(value->second.size() * sizeof(wchar_t));
    if (type)
        *type = REG_SZ;
    if (!data || bytes > *size) {
        *size = bytes;
        return data ? ERROR_MORE_DATA : ERROR_SUCCESS;
    }
    memcpy(data, value->second.data(), bytes);
    *size = bytes;
    return ERROR_SUCCESS;
}

// The keys directly under path.
static DWORD Subkeys(const std::wstring &path)
{
    DWORD n = 0;
    for (const auto &key : g_win32.registry)
        n += key.first.size() > path.size() + 1 && key.first.compare(0, path.size() + 1, path + L"\\") == 0 &&
             key.first.find(L'\\', path.size() + 1) == std::wstring::npos;
    return n;
}

LONG RegQueryInfoKeyW(HKEY key, wchar_t *, DWORD *, DWORD *, DWORD *subkeys, DWORD *, DWORD *, DWORD *values, DWORD *,
                      DWORD *, DWORD *, void *)
{
    std::wstring path = KeyPath(key, nullptr);
    if (subkeys)
        *subkeys = Subkeys(path);
    if (values)
        *values = static_cast<DWORD>(g_win32.registry[path].size());
    return ERROR_SUCCESS;
}

LONG RegDeleteValueW(HKEY key, const wchar_t *name)
{
    std::wstring path = KeyPath(key, nullptr);
    Log("RegDeleteValueW " + Narrow(path) + " " + Narrow(name ? name : L"(default)"));
    return g_win32.registry[path].erase(name ? name : L"") ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LONG RegDeleteKeyW(HKEY parent, const wchar_t *name)
{
    return RegDeleteKeyExW(parent, name, 0, 0);
}

LONG RegDeleteKeyExW(HKEY parent, const wchar_t *name, REGSAM view, DWORD)
{
    std::wstring path = KeyPath(parent, name, view);
    Log("RegDeleteKeyW " + Narrow(path));
    if (!g_win32.registry.count(path))
        return ERROR_FILE_NOT_FOUND;
    if (Subkeys(path)) // Windows NT deletes only a key without subkeys
        return ERROR_ACCESS_DENIED;
    g_win32.registry.erase(path);
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key)
{
    if (!openKeys.erase(key))
        g_win32.faults++;
    else
        g_win32.openKeys--;
    return ERROR_SUCCESS;
}
