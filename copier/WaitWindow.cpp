/* The window of a run that waits for its standard input. A GUI program
   blocked on a pipe nobody closes would otherwise wait unseen for ever
   (PowerShell 7 never closes a GUI program's input at the end of a pipeline).
   The reading stays a plain blocking ReadFile, at the pipe's own speed, so the
   window lives on a thread of its own: it waits about a second for the input
   to end, and only then shows the message dialog's template, its home-page
   button hidden and OK turned into Annulla, until the input ends. */
#include <windows.h>

#include "CopierTexts.h"
#include "WaitWindow.h"
#include "../messages/MessageDialog.h"
#include "../messages/MessagesTexts.h"
#include "../resources/resource.h"

static const DWORD kPatience = 1000;

static HANDLE inputEnded; // set by the reading thread once the input has ended
static HANDLE waiter;     // the window's thread

static INT_PTR CALLBACK WaitWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        SetWindowTextA(GetDlgItem(window, IDC_BANNER), kBanner);
        SetWindowTextA(GetDlgItem(window, IDC_MESSAGE), kWaitingForInput);
        SetWindowTextA(GetDlgItem(window, IDOK), kCancelButton);
        ShowWindow(GetDlgItem(window, IDC_HOMEPAGE), SW_HIDE);
        CentreOnScreen(window);
        return TRUE;
    }
    // The button, Esc or the close box: the user gives up waiting. The reading
    // thread may be anywhere, even inside the heap, so the process ends here
    // at once, without the runtime's exit; nothing was handed to the
    // clipboard, and nothing of ours is left to write.
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
        TerminateProcess(GetCurrentProcess(), 1);
    return FALSE;
}

static DWORD WINAPI WaitForInput(void *ended)
{
    if (WaitForSingleObject(ended, kPatience) != WAIT_TIMEOUT)
        return 0;
    // Without the window (no memory for it), the input is waited for all the same.
    HWND window = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_MESSAGE), nullptr, WaitWindowProc, 0);
    while (MsgWaitForMultipleObjects(1, &ended, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!window || !IsDialogMessageA(window, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
    if (window)
        DestroyWindow(window);
    return 0;
}

void StartWaitWindow()
{
    // Without the event or the thread, the input is read all the same, unseen.
    inputEnded = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    waiter = inputEnded ? CreateThread(nullptr, 0, WaitForInput, inputEnded, 0, nullptr) : nullptr;
}

void EndWaitWindow()
{
    if (inputEnded)
        SetEvent(inputEnded);
    // Until the thread has ended, a cancel still ends the process: the copy
    // goes on only once no window is left to cancel it.
    if (waiter) {
        WaitForSingleObject(waiter, INFINITE);
        CloseHandle(waiter);
    }
    if (inputEnded)
        CloseHandle(inputEnded);
}
