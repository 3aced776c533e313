/* The physical limit of the job, for the benchmark to compare against: one
   ReadFile of the whole file into one global block, handed to the clipboard
   as CF_TEXT. No runtime library; imports KERNEL32 and USER32 only.
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

static UINT Copy(const char *name)
{
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size;
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size) || size.HighPart || size.LowPart >= 0x80000000u)
        return 1;
    DWORD length = size.LowPart;
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, length + 1);
    char *text = static_cast<char *>(block);
    DWORD read = 0;
    if (!block || !ReadFile(file, text, length, &read, nullptr) || read != length)
        return 1;
    text[length] = '\0';
    if (!OpenClipboard(nullptr))
        return 1;
    UINT failed = !EmptyClipboard() || !SetClipboardData(CF_TEXT, block);
    CloseClipboard();
    return failed;
}

extern "C" __attribute__((force_align_arg_pointer)) void Start()
{
    ExitProcess(Copy(CommandTail(GetCommandLineA())));
}
