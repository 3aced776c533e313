/* Shows one message in the modal dialog of template IDD_MESSAGE, and opens
   the home page when the dialog is ended through its home-page button. */
#include <windows.h>

#include "MessageDialog.h"
#include "MessagesTexts.h"
#include "OpenDocument.h"
#include "../resources/resource.h"

HINSTANCE g_instance;

// Each failed opening of the home page shows a further dialog from inside
// this one; past this depth the home-page button only closes the dialog.
static const int kMaxNesting = 8;
static int nesting;

void CentreOnScreen(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    MoveWindow(window, x, y, width, height, TRUE);
}

INT_PTR CALLBACK MessageDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextA(GetDlgItem(window, IDC_BANNER), kBanner);
        SetWindowTextA(GetDlgItem(window, IDC_MESSAGE), reinterpret_cast<const char *>(lParam));
        CentreOnScreen(window);
        return TRUE; // the focus goes to the first tab stop, OK
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id == IDOK || id == IDCANCEL || id == IDC_HOMEPAGE) {
            EndDialog(window, id);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

void ShowMessageDialog(const char *text)
{
    nesting++;
    // clang-format off
    INT_PTR result = DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_MESSAGE), nullptr,
                                     MessageDialogProc, reinterpret_cast<LPARAM>(text));
    // clang-format on
    if (result == -1)
        MessageBoxA(nullptr, kDialogFailed, kDialogFailedCaption, MB_OK | MB_ICONERROR);
    else if (result == IDC_HOMEPAGE && nesting < kMaxNesting)
        OpenDocument(kHomePage, SW_SHOW);
    nesting--;
}
