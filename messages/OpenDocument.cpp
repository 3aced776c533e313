/* Asks the shell to open a document, and says why when it can't. */
#include <windows.h>
#include <shellapi.h>

#include "MessageDialog.h"
#include "MessagesTexts.h"
#include "OpenDocument.h"

/* Returns 0 when the shell took the request, 2 after a failure was shown. */
int OpenDocument(const char *document, int showCommand)
{
    HINSTANCE shell = ShellExecuteA(nullptr, nullptr, document, nullptr, nullptr, showCommand);
    // The result is a number dressed as a handle; above 32 means it worked.
    long result = static_cast<long>(reinterpret_cast<INT_PTR>(shell));
    if (result > 32)
        return 0;

    // Lives while the dialog that shows it is open. wsprintfA writes at most
    // 1024 bytes, so a long name is cut short but never overruns it.
    char message[1500];
    if (result == ERROR_FILE_NOT_FOUND || result == ERROR_PATH_NOT_FOUND)
        wsprintfA(message, kDocumentNotFound, document, document);
    else if (result == SE_ERR_NOASSOC)
        wsprintfA(message, kNoApplication, document, document);
    else
        wsprintfA(message, kOpenDocumentFailed, result, document, result, document);
    ShowMessageDialog(message);
    return 2;
}
