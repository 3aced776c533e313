/* A DLL that tells who loaded it: on load, it adds the path of the process's
   program to planted.txt beside it, one a line. It exports nothing. Saved
   under a system DLL's name beside a program, it shows whether that program
   loads DLLs from its own folder. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE dll, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char marker[MAX_PATH + 16];
    char program[MAX_PATH + 2];
    DWORD length = GetModuleFileNameA(dll, marker, MAX_PATH);
    while (length > 0 && marker[length - 1] != '\\')
        length--;
    lstrcpyA(marker + length, "planted.txt");
    length = GetModuleFileNameA(nullptr, program, MAX_PATH);
    lstrcpyA(program + length, "\n");
    HANDLE file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written;
        WriteFile(file, program, length + 1, &written, nullptr);
        CloseHandle(file);
    }
    return TRUE;
}
