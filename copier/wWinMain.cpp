/* The entry: turns the command tail into a file name and copies that file;
   without one, copies the text of standard input when it is a pipe or a disk
   file, and otherwise shows the usage text, as it does when asked with /?.
   The result is the exit code. */
#include <windows.h>

#include "CommandTail.h"
#include "CopierTexts.h"
#include "CopyFileToClipboard.h"
#include "InputToRead.h"
#include "wWinMain.h"
#include "../messages/MessageDialog.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR tail, int)
{
    g_instance = instance;

    wchar_t name[1024];
    name[0] = L'\0';
    const char *message = nullptr;
    HANDLE input = nullptr;
    if (GetFileName(tail, name, sizeof name / sizeof name[0]) != 0) {
        message = kOpenFileFailed;
    } else if (IsHelpSwitch(name)) {
        ShowMessageDialog(kUsageText);
        return 0; // asked for: no failure
    } else if (name[0] == L'\0') {
        input = GetInputToRead();
        if (!input)
            message = kUsageText;
    }

    if (message) {
        ShowMessageDialog(message);
        return 1;
    }
    // A name given always wins: standard input is then never read.
    return input ? CopyInputToClipboard(input) : CopyFileToClipboard(name);
}
