/* Runs one program for the benchmark and measures it from inside Wine, so
   that starting Wine's loader for this launcher is not counted.
   Usage: Launch CHECK PROGRAM [FILE [INPUT [TAIL]]]
   Empties the clipboard, runs "PROGRAM" FILE, waits for it, then prints
     <milliseconds> <peak working set> <peak private bytes> <exit code> <clipboard>
   Memory is in bytes, sampled every millisecond while the program runs (under
   Wine the counters come from /proc/PID/status: VmHWM, and RssAnon + VmSwap).
   CHECK says what the clipboard must then hold, and <clipboard> is "same" when
   it does, otherwise the format that differs:
     -      nothing is checked; <clipboard> is "-"
     bytes  CF_TEXT is FILE's exact bytes and a NUL
     utf8   that, and CF_UNICODETEXT is FILE decoded from UTF-8 and a NUL unit
   With INPUT, FILE is PROGRAM's standard input instead, and its command line
   is "PROGRAM" TAIL: "<" gives it FILE opened as a disk handle, as cmd's
   redirection does; "|" the write end of a pipe that a thread of the launcher
   fills with FILE's bytes, read beforehand, and then closes.
   A program still running after two minutes (a message dialog waiting for a
   click) is ended with exit code 124. */
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

/* Whether the open clipboard's FORMAT block holds size bytes of expected and
   then a NUL of unit bytes. */
static bool FormatHolds(UINT format, const void *expected, SIZE_T size, SIZE_T unit)
{
    HANDLE data = GetClipboardData(format);
    const char *held = data ? static_cast<const char *>(GlobalLock(data)) : nullptr;
    if (!held)
        return false;
    static const char nul[sizeof(WCHAR)] = {};
    bool same =
        GlobalSize(data) >= size + unit && memcmp(held, expected, size) == 0 && memcmp(held + size, nul, unit) == 0;
    GlobalUnlock(data);
    return same;
}

/* "same", or the name of the first format that does not hold what it should. */
static const char *ClipboardCheck(const char *expectedName, bool unicode)
{
    DWORD length = 0;
    const char *expected = ReadWholeFile(expectedName, &length);
    if (!expected)
        return "unreadable";
    WCHAR *wide = nullptr;
    int units = 0;
    if (unicode) {
        // The file itself must be UTF-8, or no program could pass.
        units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, expected, static_cast<int>(length), nullptr, 0);
        wide = units ? static_cast<WCHAR *>(VirtualAlloc(nullptr, units * sizeof(WCHAR), MEM_COMMIT, PAGE_READWRITE))
                     : nullptr;
        if (!wide || !MultiByteToWideChar(CP_UTF8, 0, expected, static_cast<int>(length), wide, units))
            return "not-utf8";
    }
    if (!OpenClipboard(nullptr))
        return "unopened";
    const char *result = "same";
    if (!FormatHolds(CF_TEXT, expected, length, 1))
        result = "differs:CF_TEXT";
    else if (unicode && !FormatHolds(CF_UNICODETEXT, wide, units * sizeof(WCHAR), sizeof(WCHAR)))
        result = "differs:CF_UNICODETEXT";
    CloseClipboard();
    return result;
}

static char *g_piped;
static DWORD g_pipedLength;
static HANDLE g_pipe;

static DWORD WINAPI FillPipe(void *)
{
    DWORD written = 0;
    for (DWORD at = 0; at < g_pipedLength; at += written)
        if (!WriteFile(g_pipe, g_piped + at, g_pipedLength - at, &written, nullptr))
            break;
    CloseHandle(g_pipe);
    return 0;
}

int main(int argc, char **argv)
{
    const bool check = argc >= 4 && (strcmp(argv[1], "bytes") == 0 || strcmp(argv[1], "utf8") == 0);
    const char *input = argc >= 5 ? argv[4] : "";
    const bool inputKnown = !*input || strcmp(input, "<") == 0 || strcmp(input, "|") == 0;
    if (argc < 3 || argc > 6 || (!check && strcmp(argv[1], "-") != 0) || !inputKnown) {
        fprintf(stderr, "usage: Launch -|bytes|utf8 PROGRAM [FILE [<|| [TAIL]]]\n");
        return 2;
    }
    char commandLine[2048];
    snprintf(commandLine, sizeof commandLine, argc >= 4 ? "\"%s\" %s" : "\"%s\"", argv[2],
             *input ? (argc == 6 ? argv[5] : "") : argv[3]);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    if (*input == '<') {
        startup.hStdInput = CreateFileA(argv[3], GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr);
    } else if (*input == '|') {
        g_piped = ReadWholeFile(argv[3], &g_pipedLength);
        if (!g_piped || !CreatePipe(&startup.hStdInput, &g_pipe, &inherit, 0) ||
            !SetHandleInformation(g_pipe, HANDLE_FLAG_INHERIT, 0))
            startup.hStdInput = INVALID_HANDLE_VALUE;
    }
    if (startup.hStdInput == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "Launch: cannot make the standard input of %s\n", argv[3]);
        return 2;
    }
    if (*input)
        startup.dwFlags = STARTF_USESTDHANDLES;

    // Nothing left from an earlier run can pass the check.
    if (!OpenClipboard(nullptr) || !EmptyClipboard() || !CloseClipboard()) {
        fprintf(stderr, "Launch: cannot empty the clipboard\n");
        return 2;
    }

    PROCESS_INFORMATION process;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(argv[2], commandLine, nullptr, nullptr, *input != '\0', 0, nullptr, nullptr, &startup,
                        &process)) {
        fprintf(stderr, "Launch: cannot start %s (error %lu)\n", argv[2], GetLastError());
        return 2;
    }
    // The program's copy of its input alone stays open: the pipe ends when the filler closes its end.
    if (startup.hStdInput)
        CloseHandle(startup.hStdInput);
    if (g_pipe)
        CloseHandle(CreateThread(nullptr, 0, FillPipe, nullptr, 0, nullptr));
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
    const char *clipboard = check ? ClipboardCheck(argv[3], strcmp(argv[1], "utf8") == 0) : "-";
    // clang-format off
    printf("%.3f %llu %llu %lu %s\n", 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart),
           static_cast<unsigned long long>(peakWorkingSet), static_cast<unsigned long long>(peakPrivate), exitCode, clipboard);
    // clang-format on
    return 0;
}
