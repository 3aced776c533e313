/* Drives KELBRANO.EXE and KELBRANO-MENU.EXE for the end-to-end tests under Wine. It reads commands
   from standard input, one a line, fields separated by tabs, with %XX escapes
   inside fields (so a command line may hold tabs, quotes and any byte):

     put TEXT                  put TEXT on the clipboard as CF_TEXT
     save FILE                 print "formats N N ...", the clipboard's formats
                               in the order EnumClipboardFormats lists them;
                               print "codepage N", the ANSI code page of the
                               clipboard's CF_LOCALE ("codepage none" without
                               one); write its CF_UNICODETEXT block, all
                               GlobalSize bytes, to FILE.unicode and print
                               "unicode SIZE" or "unicode none"; then its CF_TEXT
                               block to FILE, printing "clip SIZE" or "clip none"
     hold MS                   hold the clipboard open (with a window of our own)
                               for MS ms, or until the next run ends
     lock FILE                 open FILE with no sharing until the helper ends
     poll MS                   open and close the clipboard with no window every
                               MS ms, from another thread, until the next run ends
     notepad                   start Notepad with no file, have it paste, print
                               "notepad HEX" with the UTF-16 text it then holds
                               and close it, its text unsaved
     load DLL                  LoadLibraryA(DLL), as Windows' own DLLs load theirs;
                               print "loaded 1", or "loaded 0" when it failed
     start EXE DIR CMD         start EXE as run does, without waiting: the next
                               run waits for it too and prints "also CODE"
     run EXE DIR CMD ACTIONS [INPUT]
                               start EXE in DIR with exactly CMD as its command
                               line; for each dialog it shows, describe it and do
                               the next comma-separated action (default ok), made
                               of '+'-joined steps: ok, home, yes, no, esc, enter,
                               tab, close, waitMS; then print its exit code in hex.
                               Its standard input: none (no handle, as by default),
                               nul, file:FILE (as < FILE), pipe:FILE (FILE's bytes,
                               then the pipe's end), late:FILE (its end 2 s later)
                               or open:FILE (left open until the program ends)
     verb VERB CLASS FILE      run VERB of the registry's CLASS on FILE as Explorer
                               runs a menu entry (ShellExecuteExW, SEE_MASK_CLASSNAME),
                               wait for the program it starts and print "verb CODE",
                               its exit code in hex

   EXE, DIR and CMD are UTF-8 and reach the program as UTF-16, exactly.
   Texts are printed as hex, so the driver compares them byte for byte. */
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

// clang-format off
static HWND g_window;       // a message-only window to open the clipboard with
static DWORD g_holdUntil;   // tick count at which a held clipboard is let go
static bool g_holding;
static HANDLE g_poller;     // the thread of a poll command
static volatile LONG g_pollMs;
static std::vector<HANDLE> g_started; // processes of start commands
static std::string g_piped;           // what a run's input pipe is given
static HANDLE g_pipe;                 // its end written to
static std::string g_pipeEnd;         // pipe, late or open
// clang-format on

static void Say(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
    fflush(stdout);
}

static std::string Hex(const char *bytes, size_t size)
{
    std::string hex;
    char pair[3];
    for (size_t i = 0; i < size; i++) {
        snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(bytes[i]));
        hex += pair;
    }
    return hex.empty() ? "-" : hex;
}

static bool OpenOurClipboard()
{
    for (int tries = 0; tries < 200; tries++) {
        if (OpenClipboard(g_window))
            return true;
        Sleep(10);
    }
    Say("error cannot-open-clipboard\n");
    return false;
}

static void ReleaseClipboard(bool now)
{
    if (g_holding && (now || static_cast<LONG>(GetTickCount() - g_holdUntil) >= 0)) {
        CloseClipboard();
        g_holding = false;
    }
}

static void Put(const std::string &text)
{
    if (!OpenOurClipboard())
        return;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

// Writes the clipboard's block of one format to FILE and prints "WORD SIZE",
// or "WORD none" when there is none.
static void SaveFormat(UINT format, const char *word, const std::string &file)
{
    HANDLE block = GetClipboardData(format);
    if (!block) {
        Say("%s none\n", word);
        return;
    }
    SIZE_T size = GlobalSize(block);
    const char *bytes = static_cast<const char *>(GlobalLock(block));
    FILE *out = fopen(file.c_str(), "wb");
    if (!out || fwrite(bytes, 1, size, out) != size)
        Say("error cannot-write %s\n", file.c_str());
    if (out)
        fclose(out);
    GlobalUnlock(block);
    Say("%s %lu\n", word, static_cast<unsigned long>(size));
}

static void Save(const std::string &file)
{
    if (!OpenOurClipboard())
        return;
    // In the order a program that pastes meets them.
    Say("formats");
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
        Say(" %u", format);
    Say("\n");
    // The code page the system reads CF_TEXT through for Unicode programs.
    char page[8] = "none";
    HANDLE locale = GetClipboardData(CF_LOCALE);
    if (locale) {
        GetLocaleInfoA(*static_cast<LCID *>(GlobalLock(locale)), LOCALE_IDEFAULTANSICODEPAGE, page,
                       sizeof page);
        GlobalUnlock(locale);
    }
    Say("codepage %s\n", page);
    // What a Unicode program pastes: the program's own block, or the one
    // the system makes from CF_TEXT through the code page.
    SaveFormat(CF_UNICODETEXT, "unicode", file + ".unicode");
    SaveFormat(CF_TEXT, "clip", file);
    CloseClipboard();
}

static void Hold(DWORD ms)
{
    if (OpenOurClipboard()) {
        g_holding = true;
        g_holdUntil = GetTickCount() + ms;
    }
}

static void Lock(const std::string &file)
{
    HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Say(h == INVALID_HANDLE_VALUE ? "error cannot-lock\n" : "locked\n"); // left open on purpose
}

// A pipe served here, which the program opens as a client; left open on purpose.
static void Serve(const std::string &pipe)
{
    HANDLE h = CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                4096, 4096, 0, nullptr);
    Say(h == INVALID_HANDLE_VALUE ? "error cannot-serve\n" : "serving\n");
}

static DWORD WINAPI Poll(void *)
{
    while (LONG ms = g_pollMs) {
        if (OpenClipboard(nullptr))
            CloseClipboard();
        Sleep(static_cast<DWORD>(ms));
    }
    return 0;
}

static void StartPolling(DWORD ms)
{
    g_pollMs = static_cast<LONG>(ms ? ms : 1);
    g_poller = CreateThread(nullptr, 0, Poll, nullptr, 0, nullptr);
}

static void StopPolling()
{
    if (g_poller) {
        g_pollMs = 0;
        WaitForSingleObject(g_poller, INFINITE);
        CloseHandle(g_poller);
        g_poller = nullptr;
    }
}

static std::wstring Wide(const std::string &utf8)
{
    std::wstring wide(utf8.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0],
                                static_cast<int>(wide.size()));
    wide.resize(static_cast<size_t>(n));
    return wide;
}

static DWORD WINAPI WritePipe(void *)
{
    DWORD written = 0;
    for (size_t at = 0; at < g_piped.size(); at += written)
        if (!WriteFile(g_pipe, g_piped.data() + at, static_cast<DWORD>(g_piped.size() - at),
                       &written, nullptr))
            break;
    if (g_pipeEnd == "late")
        Sleep(2000);
    if (g_pipeEnd != "open")
        CloseHandle(g_pipe);
    return 0;
}

// The handle a run's INPUT names, inheritable, and the thread that writes its pipe.
static HANDLE OpenInput(const std::string &input, HANDLE *writer)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    size_t colon = input.find(':');
    std::string kind = input.substr(0, colon),
                file = colon == std::string::npos ? "" : input.substr(colon + 1);
    HANDLE h = nullptr;
    if (kind == "nul" || kind == "file")
        h = CreateFileA(kind == "nul" ? "NUL" : file.c_str(), GENERIC_READ,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    if (!file.empty() && kind != "file") {
        FILE *in = fopen(file.c_str(), "rb");
        g_piped.clear();
        for (int c; in && (c = getc(in)) != EOF;)
            g_piped += static_cast<char>(c);
        if (in)
            fclose(in);
        g_pipeEnd = kind;
        if (CreatePipe(&h, &g_pipe, &inherit, 0) &&
            SetHandleInformation(g_pipe, HANDLE_FLAG_INHERIT, 0))
            *writer = CreateThread(nullptr, 0, WritePipe, nullptr, 0, nullptr);
    }
    if (h == INVALID_HANDLE_VALUE || (kind != "none" && !h))
        Say("error cannot-open-input %s\n", input.c_str());
    return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

static bool Start(const std::string &exe, const std::string &dir, const std::string &command,
                  PROCESS_INFORMATION *process, HANDLE input = nullptr)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    // Never the helper's own input, which Wine would otherwise hand on.
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    std::wstring line = Wide(command);
    // Wine now and then fails a start with ERROR_INTERNAL_ERROR (about one in
    // thousands): the program never ran, so it is started again.
    for (int tries = 0; tries < 3; tries++) {
        if (CreateProcessW(Wide(exe).c_str(), &line[0], nullptr, nullptr, input != nullptr, 0,
                           nullptr, Wide(dir).c_str(), &startup, process))
            return true;
        if (GetLastError() != ERROR_INTERNAL_ERROR)
            break;
    }
    Say("error cannot-start %lu\n", GetLastError());
    return false;
}

static void StartOnly(const std::string &exe, const std::string &dir, const std::string &command)
{
    PROCESS_INFORMATION process;
    if (Start(exe, dir, command, &process)) {
        CloseHandle(process.hThread);
        g_started.push_back(process.hProcess);
    }
}

struct Search {
    DWORD process;
    HWND found;
};

static BOOL CALLBACK FindShown(HWND window, LPARAM param)
{
    Search *search = reinterpret_cast<Search *>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

static std::string Text(HWND window)
{
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 2000, &length);
    std::vector<char> text(length * 2 + 2);
    DWORD_PTR got = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_BLOCK, 2000, &got);
    return Hex(text.data(), strlen(text.data()));
}

static void Describe(HWND dialog, int number, DWORD ms)
{
    char name[64];
    RECT r;
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    GetClassNameA(dialog, name, sizeof name);
    GetWindowRect(dialog, &r);
    Say("dialog %d ms=%lu class=%s rect=%ld,%ld,%ld,%ld screen=%d,%d focus=%d caption=%s\n", number,
        ms, name, r.left, r.top, r.right, r.bottom, GetSystemMetrics(SM_CXSCREEN),
        GetSystemMetrics(SM_CYSCREEN), info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : -1,
        Text(dialog).c_str());
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        GetClassNameA(c, name, sizeof name);
        GetWindowRect(c, &r);
        Say("control %d class=%s style=0x%08lx exstyle=0x%08lx rect=%ld,%ld,%ld,%ld text=%s\n",
            GetDlgCtrlID(c), name, static_cast<unsigned long>(GetWindowLongA(c, GWL_STYLE)),
            static_cast<unsigned long>(GetWindowLongA(c, GWL_EXSTYLE)), r.left, r.top, r.right,
            r.bottom, Text(c).c_str());
    }
}

// What a Unicode program makes of the clipboard: Notepad's edit control
// pastes, and its text is read back as UTF-16.
static void Notepad()
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    wchar_t line[] = L"notepad.exe";
    if (!CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        Say("error cannot-start-notepad %lu\n", GetLastError());
        return;
    }
    WaitForInputIdle(process.hProcess, 10000);
    Search search = {process.dwProcessId, nullptr};
    HWND edit = nullptr;
    for (int tries = 0; tries < 1000 && !edit; tries++) {
        search.found = nullptr;
        EnumWindows(FindShown, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            edit = FindWindowExW(search.found, nullptr, L"Edit", nullptr);
        if (!edit)
            Sleep(10);
    }
    if (edit) {
        DWORD_PTR length = 0, got = 0;
        // Our window may own the clipboard: the paste waits for it to answer.
        SendMessageTimeoutW(edit, WM_PASTE, 0, 0, SMTO_NORMAL, 5000, nullptr);
        SendMessageTimeoutW(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 5000, &length);
        std::vector<wchar_t> text(length + 1);
        SendMessageTimeoutW(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                            SMTO_BLOCK, 5000, &got);
        Say("notepad %s\n",
            Hex(reinterpret_cast<const char *>(text.data()), got * sizeof(wchar_t)).c_str());
        // Unmodified, it closes without asking whether to save.
        SendMessageTimeoutW(edit, EM_SETMODIFY, FALSE, 0, SMTO_BLOCK, 5000, nullptr);
        PostMessageW(search.found, WM_CLOSE, 0, 0);
    } else {
        Say("error no-notepad-window\n");
    }
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        Say("error notepad-still-open\n");
        TerminateProcess(process.hProcess, 0xDEAD);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

static void Key(HWND dialog, WPARAM key)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    HWND target = info.hwndFocus ? info.hwndFocus : dialog;
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key), 0)) << 16;
    PostMessageA(target, WM_KEYDOWN, key, scan | 1);
    PostMessageA(target, WM_KEYUP, key, scan | 1 | 0xC0000000L);
}

static void Act(HWND dialog, const std::string &action)
{
    size_t start = 0;
    while (start <= action.size()) {
        size_t end = action.find('+', start);
        if (end == std::string::npos)
            end = action.size();
        std::string step = action.substr(start, end - start);
        start = end + 1;
        if (step == "ok" || step == "home")
            PostMessageA(GetDlgItem(dialog, step == "ok" ? 1 : 110), BM_CLICK, 0, 0);
        else if (step == "yes" || step == "no") // a message box's buttons
            PostMessageA(GetDlgItem(dialog, step == "yes" ? IDYES : IDNO), BM_CLICK, 0, 0);
        else if (step == "esc" || step == "enter" || step == "tab")
            Key(dialog, step == "esc" ? VK_ESCAPE : step == "enter" ? VK_RETURN : VK_TAB);
        else if (step == "close")
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        else if (step.compare(0, 4, "wait") == 0)
            Sleep(static_cast<DWORD>(atoi(step.c_str() + 4)));
        else
            Say("error unknown-step %s\n", step.c_str());
        Say("did %s\n", step.c_str());
        Sleep(20);
    }
}

// Once the program has ended, a write to its input fails, and the writer ends.
static void EndInput(HANDLE writer)
{
    if (writer) {
        WaitForSingleObject(writer, INFINITE);
        CloseHandle(writer);
        if (g_pipeEnd == "open")
            CloseHandle(g_pipe);
    }
}

static void Run(const std::string &exe, const std::string &dir, const std::string &command,
                const std::string &actions, const std::string &inputName)
{
    PROCESS_INFORMATION process;
    HANDLE writer = nullptr;
    HANDLE input = OpenInput(inputName, &writer);
    DWORD start = GetTickCount();
    bool started = Start(exe, dir, command, &process, input);
    if (input)
        CloseHandle(input); // the program's copy alone: its end is the pipe's
    if (!started) {
        EndInput(writer);
        ReleaseClipboard(true);
        StopPolling();
        return;
    }
    int dialogs = 0;
    size_t next = 0;
    HWND last = nullptr;
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 5, QS_ALLINPUT) !=
           WAIT_OBJECT_0) {
        // Our window may own the clipboard: the program's EmptyClipboard sends
        // it WM_DESTROYCLIPBOARD and waits for the answer, at once, as from
        // any program that is waiting for input.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        ReleaseClipboard(false);
        if (GetTickCount() - start > 20000) {
            Say("error timeout\n");
            TerminateProcess(process.hProcess, 0xDEAD);
            break;
        }
        Search search = {process.dwProcessId, nullptr};
        EnumWindows(FindShown, reinterpret_cast<LPARAM>(&search));
        if (!search.found || search.found == last)
            continue;
        last = search.found;
        DWORD seen = GetTickCount() - start;
        WaitForInputIdle(process.hProcess, 2000);
        Sleep(50);
        Describe(last, ++dialogs, seen);
        std::string action = "ok";
        if (next <= actions.size()) {
            size_t end = actions.find(',', next);
            if (end == std::string::npos)
                end = actions.size();
            action = actions.substr(next, end - next);
            next = end + 1;
        }
        Act(last, action);
    }
    ReleaseClipboard(true);
    EndInput(writer);
    for (HANDLE other : g_started) {
        DWORD code = 0xDEAD;
        if (WaitForSingleObject(other, 20000) == WAIT_OBJECT_0)
            GetExitCodeProcess(other, &code);
        else
            TerminateProcess(other, code);
        Say("also 0x%08lx\n", static_cast<unsigned long>(code));
        CloseHandle(other);
    }
    g_started.clear();
    StopPolling();
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    Say("exit 0x%08lx ms=%lu dialogs=%d\n", static_cast<unsigned long>(code),
        static_cast<unsigned long>(GetTickCount() - start), dialogs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

static void Verb(const std::string &verb, const std::string &className, const std::string &file)
{
    std::wstring wideVerb = Wide(verb), wideClass = Wide(className), wideFile = Wide(file);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_CLASSNAME | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = wideVerb.c_str();
    info.lpClass = wideClass.c_str();
    info.lpFile = wideFile.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info) || !info.hProcess) {
        Say("error cannot-shell-execute %lu\n", GetLastError());
        return;
    }
    // Our window may own the clipboard: its messages are answered meanwhile.
    DWORD start = GetTickCount(), code = 0xDEAD;
    while (MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (GetTickCount() - start > 20000) {
            Say("error timeout\n");
            TerminateProcess(info.hProcess, code);
            break;
        }
    }
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    Say("verb 0x%08lx\n", static_cast<unsigned long>(code));
}

static std::vector<std::string> Fields(const std::string &line)
{
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < line.size(); i++) {
        if (line[i] == '\t')
            fields.emplace_back();
        else if (line[i] == '%' && i + 2 < line.size())
            fields.back() += static_cast<char>(strtol(line.substr(i + 1, 2).c_str(), nullptr, 16)),
                i += 2;
        else
            fields.back() += line[i];
    }
    return fields;
}

int main()
{
    g_window = CreateWindowExA(0, "STATIC", "e2e-helper", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               nullptr, nullptr);
    std::string line;
    int c;
    while ((c = getchar()) != EOF) {
        if (c != '\n') {
            if (c != '\r')
                line += static_cast<char>(c);
            continue;
        }
        std::vector<std::string> f = Fields(line);
        line.clear();
        if (f[0] == "put" && f.size() == 2)
            Put(f[1]);
        else if (f[0] == "save" && f.size() == 2)
            Save(f[1]);
        else if (f[0] == "hold" && f.size() == 2)
            Hold(static_cast<DWORD>(atol(f[1].c_str())));
        else if (f[0] == "lock" && f.size() == 2)
            Lock(f[1]);
        else if (f[0] == "serve" && f.size() == 2)
            Serve(f[1]);
        else if (f[0] == "poll" && f.size() == 2)
            StartPolling(static_cast<DWORD>(atol(f[1].c_str())));
        else if (f[0] == "notepad" && f.size() == 1)
            Notepad();
        else if (f[0] == "load" && f.size() == 2)
            Say("loaded %d\n", LoadLibraryA(f[1].c_str()) != nullptr);
        else if (f[0] == "start" && f.size() == 4)
            StartOnly(f[1], f[2], f[3]);
        else if (f[0] == "run" && (f.size() == 5 || f.size() == 6))
            Run(f[1], f[2], f[3], f[4], f.size() == 6 ? f[5] : "none");
        else if (f[0] == "verb" && f.size() == 4)
            Verb(f[1], f[2], f[3]);
        else if (!f[0].empty())
            Say("error bad-command %s\n", f[0].c_str());
    }
    return 0;
}
