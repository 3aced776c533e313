/* The physical limit of the job, for the benchmark to compare against: one
   ReadFile of the whole file into one global block, handed to the clipboard
   as CF_TEXT. No runtime library; imports KERNEL32 and USER32 only.
   Built with UNICODE_TEXT (UnicodeBaseline.cpp) it also converts the block
   from UTF-8 with one MultiByteToWideChar call and hands that over as
   CF_UNICODETEXT right after CF_TEXT: the least a copy of UTF-8 text costs.
   Built with FROM_PIPE (PipeBaseline.cpp) it reads its standard input instead.
   Usage: Baseline FILE (the rest of the command line after the program name). */
#include <windows.h>

static const char *CommandTail(const char *p)
{
    if (*p == '"') {
        for (p++; *p && *p != '"'; p++) {
        }
        if (*p)
            p++;
    } else {
        while (*p && *p != ' ')
            p++;
    }
    while (*p == ' ')
        p++;
    return p;
}

#ifdef UNICODE_TEXT
/* The text and its NUL (count bytes) as UTF-16 and a NUL unit, in a block for
   the clipboard; UTF-16 never takes more units than UTF-8 takes bytes. */
static HGLOBAL Utf16Block(const char *text, int count)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(count) * sizeof(WCHAR));
    WCHAR *wide = block ? static_cast<WCHAR *>(GlobalLock(block)) : nullptr;
    if (!wide)
        return nullptr;
    int converted = MultiByteToWideChar(CP_UTF8, 0, text, count, wide, count);
    GlobalUnlock(block);
    return converted ? block : nullptr;
}
#endif

static UINT HandOver(HGLOBAL block, DWORD length);

#ifdef FROM_PIPE
/* Standard input, a pipe whose writer sends as many bytes as the command tail
   says, into one block of that many and a NUL, then its end. */
static UINT Copy(const char *tail)
{
    DWORD length = 0;
    for (; *tail >= '0' && *tail <= '9'; tail++)
        length = length * 10 + static_cast<DWORD>(*tail - '0');
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, length + 1);
    char *text = static_cast<char *>(block);
    DWORD size = 0, read = 0;
    while (block && size < length && ReadFile(input, text + size, length - size, &read, nullptr))
        size += read;
    if (!block || size != length || ReadFile(input, text + size, 1, &read, nullptr) ||
        GetLastError() != ERROR_BROKEN_PIPE)
        return 1;
    return HandOver(block, length);
}
#else
static UINT Copy(const char *name)
{
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size;
    // The length and its NUL must fit the int that MultiByteToWideChar counts in.
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size) || size.HighPart || size.LowPart >= 0x7fffffffu)
        return 1;
    DWORD length = size.LowPart;
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, length + 1);
    DWORD read = 0;
    if (!block || !ReadFile(file, block, length, &read, nullptr) || read != length)
        return 1;
    return HandOver(block, length);
}
#endif

/* The block, the file's bytes, ended by a NUL and handed to the clipboard. */
static UINT HandOver(HGLOBAL block, DWORD length)
{
    char *text = static_cast<char *>(block);
    text[length] = '\0';
#ifdef UNICODE_TEXT
    HGLOBAL unicode = Utf16Block(text, static_cast<int>(length + 1));
    if (!unicode)
        return 1;
#endif
    if (!OpenClipboard(nullptr))
        return 1;
    UINT failed = !EmptyClipboard() || !SetClipboardData(CF_TEXT, block);
#ifdef UNICODE_TEXT
    failed = failed || !SetClipboardData(CF_UNICODETEXT, unicode);
#endif
    CloseClipboard();
    return failed;
}

extern "C" __attribute__((force_align_arg_pointer)) void Start()
{
    ExitProcess(Copy(CommandTail(GetCommandLineA())));
}
