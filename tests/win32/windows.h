/* Test double of <windows.h>: the few types, constants and calls the two
   programs use, for the native unit tests. The calls are in Win32Double.cpp. */
#ifndef KELBRANO_TEST_WINDOWS_H
#define KELBRANO_TEST_WINDOWS_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#define WINAPI
#define CALLBACK

typedef int BOOL;
typedef int LONG;
typedef unsigned int UINT;
typedef unsigned int DWORD;
typedef DWORD LCID;
typedef size_t SIZE_T;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef UINT_PTR WPARAM;
typedef INT_PTR LPARAM;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef wchar_t *LPWSTR;
typedef char16_t WCHAR; // 16-bit, as on Windows; wchar_t is 32-bit here
typedef void *PVOID;
typedef void *HANDLE;
typedef void *HGLOBAL;
typedef unsigned char BYTE;
typedef DWORD REGSAM;
typedef struct HKEY__ *HKEY;
typedef struct HWND__ *HWND;
typedef struct HINSTANCE__ *HINSTANCE;
typedef HINSTANCE HMODULE;
typedef INT_PTR(WINAPI *FARPROC)();
typedef INT_PTR(CALLBACK *DLGPROC)(HWND, UINT, WPARAM, LPARAM);

enum TOKEN_INFORMATION_CLASS { TokenUser = 1, TokenVirtualizationEnabled = 24 };

typedef void *PSID;
struct SID_AND_ATTRIBUTES {
    PSID Sid;
    DWORD Attributes;
};
struct TOKEN_USER {
    SID_AND_ATTRIBUTES User;
};

struct RECT {
    LONG left, top, right, bottom;
};

struct LARGE_INTEGER {
    long long QuadPart;
};

struct STARTUPINFOW {
    DWORD cb;
    DWORD dwFlags;
};

#define TRUE 1
#define FALSE 0
#define GMEM_FIXED 0
#define GMEM_MOVEABLE 2
#define CF_TEXT 1
#define CF_UNICODETEXT 13
#define CF_LOCALE 16
#define CP_UTF8 65001
#define MAX_PATH 260
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x800
#define TOKEN_QUERY 0x0008
#define TOKEN_ADJUST_DEFAULT 0x0080
#define PROCESS_QUERY_INFORMATION 0x0400
#define SECURITY_MAX_SID_SIZE 68
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<UINT_PTR>(0x80000001u)))
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_WOW64_64KEY 0x0100
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define ERROR_SUCCESS 0L
#define ERROR_ACCESS_DENIED 5L
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define FILE_ATTRIBUTE_NORMAL 0x80
#define INVALID_FILE_ATTRIBUTES (static_cast<DWORD>(-1))
#define FILE_TYPE_UNKNOWN 0
#define FILE_TYPE_DISK 1
#define FILE_TYPE_CHAR 2
#define FILE_TYPE_PIPE 3
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(-1))
#define STD_INPUT_HANDLE (static_cast<DWORD>(-10))
#define STARTF_USEHOTKEY 0x200
#define FILE_CURRENT 1
#define ERROR_BROKEN_PIPE 109L
#define ERROR_NETNAME_DELETED 64L
#define HWND_MESSAGE (reinterpret_cast<HWND>(-3))
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SW_SHOW 5
#define SW_SHOWDEFAULT 10
#define MB_OK 0x0
#define MB_YESNO 0x4
#define MB_ICONERROR 0x10
#define MB_ICONQUESTION 0x20
#define MB_ICONWARNING 0x30
#define MB_ICONINFORMATION 0x40
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_INVALID_DATA 13L
#define ERROR_CALL_NOT_IMPLEMENTED 120L
#define ERROR_MORE_DATA 234L
#define SE_ERR_NOASSOC 31
#define LOWORD(l) (static_cast<unsigned short>(static_cast<UINT_PTR>(l) & 0xffff))
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<unsigned short>(i))))

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
void *GlobalLock(HGLOBAL block);
HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags);
BOOL GlobalUnlock(HGLOBAL block);
HGLOBAL GlobalFree(HGLOBAL block);
void Sleep(DWORD milliseconds);
LCID GetSystemDefaultLCID();
LPWSTR GetCommandLineW();
HMODULE GetModuleHandleA(LPCSTR name);
HMODULE LoadLibraryA(LPCSTR name);
HANDLE GetCurrentProcess();
BOOL CloseHandle(HANDLE handle);
DWORD GetFileType(HANDLE file);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
DWORD GetFullPathNameW(const wchar_t *name, DWORD size, wchar_t *path, wchar_t **filePart);
DWORD GetModuleFileNameW(HMODULE module, wchar_t *path, DWORD size);
DWORD GetTempPathW(DWORD size, wchar_t *path);
DWORD GetLongPathNameW(const wchar_t *name, wchar_t *path, DWORD size);
DWORD GetFileAttributesW(const wchar_t *name);
UINT GetDriveTypeW(const wchar_t *root);
HANDLE GetStdHandle(DWORD which);
void GetStartupInfoW(STARTUPINFOW *startup);
BOOL ReadFile(HANDLE file, void *buffer, DWORD size, DWORD *read, void *overlapped);
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER *size);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER move, LARGE_INTEGER *position, DWORD method);
DWORD GetLastError();
int MultiByteToWideChar(UINT codePage, DWORD flags, const char *bytes, int size, WCHAR *wide, int units);

BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE *token);
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS what, void *value, DWORD size, DWORD *written);
BOOL EqualSid(PSID a, PSID b);
HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD id);
HWND GetShellWindow();
DWORD GetWindowThreadProcessId(HWND window, DWORD *process);
DWORD CharUpperBuffW(wchar_t *text, DWORD length);
LONG RegCreateKeyExW(HKEY parent, const wchar_t *name, DWORD, wchar_t *keyClass, DWORD options, REGSAM access,
                     void *security, HKEY *key, DWORD *disposition);
LONG RegOpenKeyExW(HKEY parent, const wchar_t *name, DWORD options, REGSAM access, HKEY *key);
LONG RegSetValueExW(HKEY key, const wchar_t *name, DWORD, DWORD type, const BYTE *data, DWORD size);
LONG RegQueryValueExW(HKEY key, const wchar_t *name, DWORD *, DWORD *type, BYTE *data, DWORD *size);
LONG RegQueryInfoKeyW(HKEY key, wchar_t *keyClass, DWORD *classSize, DWORD *, DWORD *subkeys, DWORD *longestSubkey,
                      DWORD *longestClass, DWORD *values, DWORD *longestName, DWORD *longestValue, DWORD *securitySize,
                      void *lastWrite);
LONG RegDeleteKeyW(HKEY parent, const wchar_t *name);
LONG RegDeleteValueW(HKEY key, const wchar_t *name);
LONG RegCloseKey(HKEY key);

BOOL OpenClipboard(HWND owner);
BOOL EmptyClipboard();
HANDLE SetClipboardData(UINT format, HANDLE data);
BOOL CloseClipboard();
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR name, DWORD style, int x, int y, int width, int height,
                     HWND parent, void *menu, HINSTANCE instance, void *param);
BOOL DestroyWindow(HWND window);

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);
HWND GetDlgItem(HWND dialog, int id);
BOOL SetWindowTextA(HWND window, LPCSTR text);
BOOL GetWindowRect(HWND window, RECT *rect);
int GetSystemMetrics(int index);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
int wsprintfA(LPSTR buffer, LPCSTR format, ...);
int MessageBoxW(HWND owner, const wchar_t *text, const wchar_t *caption, UINT type);
int wsprintfW(wchar_t *buffer, const wchar_t *format, ...);

// The C runtime's wide open, which Windows has and Linux doesn't.
FILE *_wfopen(const wchar_t *name, const wchar_t *mode);

#endif
