/* Runs one program for the benchmark and measures it from inside Wine, so
   that starting Wine's loader for this launcher is not counted.
   Usage: Launch EXPECTED PROGRAM [FILE]
   Empties the clipboard, runs "PROGRAM" FILE, waits for it, then prints
     <milliseconds> <peak working set> <peak private bytes> <exit code> <clipboard>
   Memory is in bytes, sampled every millisecond while the program runs (under
   Wine the counters come from /proc/PID/status: VmHWM, and RssAnon + VmSwap).
   <clipboard> is "same" when the clipboard's CF_TEXT is EXPECTED's bytes and a
   NUL, "differs" otherwise, "-" when EXPECTED is "-". A program still running
   after two minutes (a message dialog waiting for a click) is ended with exit
   code 124. */
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <string.h>

static char *ReadWholeFile(const char *name, DWORD *length)
{
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    *length = GetFileSize(file, nullptr);
    char *bytes = static_cast<char *>(VirtualAlloc(nullptr, *length + 1, MEM_COMMIT, PAGE_READWRITE));
    DWORD read = 0;
    if (bytes && (!ReadFile(file, bytes, *length, &read, nullptr) || read != *length))
        bytes = nullptr;
    CloseHandle(file);
    return bytes;
}

static bool ClipboardHolds(const char *expectedName)
{
    DWORD length = 0;
    const char *expected = ReadWholeFile(expectedName, &length);
    if (!expected || !OpenClipboard(nullptr))
        return false;
    bool same = false;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char *text = data ? static_cast<const char *>(GlobalLock(data)) : nullptr;
    if (text) {
        same = GlobalSize(data) > length && memcmp(text, expected, length) == 0 && text[length] == '\0';
        GlobalUnlock(data);
    }
    CloseClipboard();
    return same;
}

int main(int argc, char **argv)
{
    if (argc < 3 || argc > 4) {
        fprintf(stderr, "usage: Launch EXPECTED|- PROGRAM [FILE]\n");
        return 2;
    }
    const bool check = strcmp(argv[1], "-") != 0;
    char commandLine[2048];
    snprintf(commandLine, sizeof commandLine, argc == 4 ? "\"%s\" %s" : "\"%s\"", argv[2], argv[3]);

    // Nothing left from an earlier run can pass the check.
    if (!OpenClipboard(nullptr) || !EmptyClipboard() || !CloseClipboard()) {
        fprintf(stderr, "Launch: cannot empty the clipboard\n");
        return 2;
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(argv[2], commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        fprintf(stderr, "Launch: cannot start %s (error %lu)\n", argv[2], GetLastError());
        return 2;
    }
    SIZE_T peakWorkingSet = 0, peakPrivate = 0;
    const ULONGLONG deadline = GetTickCount64() + 120000;
    do {
        if (GetTickCount64() > deadline)
            TerminateProcess(process.hProcess, 124);
        PROCESS_MEMORY_COUNTERS counters = {};
        if (K32GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters)) {
            if (counters.PeakWorkingSetSize > peakWorkingSet)
                peakWorkingSet = counters.PeakWorkingSetSize;
            if (counters.PeakPagefileUsage > peakPrivate)
                peakPrivate = counters.PeakPagefileUsage;
        }
    } while (WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT);
    QueryPerformanceCounter(&end);

    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    const char *clipboard = !check ? "-" : ClipboardHolds(argv[1]) ? "same" : "differs";
    // clang-format off
    printf("%.3f %lu %lu %lu %s\n", 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart),
           static_cast<unsigned long>(peakWorkingSet), static_cast<unsigned long>(peakPrivate), exitCode, clipboard);
    // clang-format on
    return 0;
}
