/* The program's one message dialog. */
#ifndef KELBRANO_MESSAGEDIALOG_H
#define KELBRANO_MESSAGEDIALOG_H

#include <windows.h>

// The executable's module, set once by the entry; the dialog template is in it.
extern HINSTANCE g_instance;

void ShowMessageDialog(const char *text);
// Moves a window to the middle of the screen; the wait window uses it too.
void CentreOnScreen(HWND window);
INT_PTR CALLBACK MessageDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
