/* The entry: turns the command tail into a file name and copies that file,
   or shows the usage text when there is none. The result is the exit code. */
#include <windows.h>

#include "CommandTail.h"
#include "CopierTexts.h"
#include "CopyFileToClipboard.h"
#include "wWinMain.h"
#include "../messages/MessageDialog.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR tail, int)
{
    g_instance = instance;

    wchar_t name[1024];
    name[0] = L'\0';
    const char *message = nullptr;
    if (GetFileName(tail, name, sizeof name / sizeof name[0]) != 0)
        message = kOpenFileFailed;
    else if (name[0] == L'\0')
        message = kUsageText;

    if (message) {
        ShowMessageDialog(message);
        return 1;
    }
    return CopyFileToClipboard(name);
}
