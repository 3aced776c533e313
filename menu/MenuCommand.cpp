/* What the menu entry runs, decided from where KELBRANO-MENU.EXE is, and
   whether it may be added from there. */
#include "MenuCommand.h"
#include "MenuTexts.h"

static const wchar_t kCopierName[] = L"KELBRANO.EXE";

static bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

static wchar_t FoldAscii(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

/* Whether text, up to end, is word in ASCII letters of either case. */
static bool IsWord(const wchar_t *text, const wchar_t *end, const char *word)
{
    for (; text < end && *word; text++, word++)
        if (FoldAscii(*text) != static_cast<wchar_t>(*word))
            return false;
    return text == end && !*word;
}

MenuSwitch GetMenuSwitch(const wchar_t *tail)
{
    while (IsBlank(*tail))
        tail++;
    const wchar_t *end = tail;
    while (*end)
        end++;
    while (end > tail && IsBlank(end[-1]))
        end--;
    if (end == tail)
        return kMenuAsk;
    if (IsWord(tail, end, "/add"))
        return kMenuAdd;
    if (IsWord(tail, end, "/remove"))
        return kMenuRemove;
    return IsWord(tail, end, "/?") ? kMenuHelp : kMenuUnknown;
}

/* Whether path begins with folder, letter case aside in ASCII. The
   temporary folder comes from the environment, and its case may differ
   from the one the file system gives the program's own path. */
static bool IsInFolder(const wchar_t *path, const wchar_t *folder)
{
    if (!*folder)
        return false;
    for (; *folder; path++, folder++)
        if (FoldAscii(*path) != FoldAscii(*folder))
            return false;
    return true;
}

const wchar_t *MakeMenuCommand(const wchar_t *menuPath, const wchar_t *tempFolder, wchar_t *copier, wchar_t *command)
{
    copier[0] = L'\0';
    command[0] = L'\0';
    // The folder: all up to the last backslash, which stays.
    size_t folder = 0;
    for (size_t i = 0; menuPath[i]; i++)
        if (menuPath[i] == L'\\')
            folder = i + 1;
    // Explorer can't start a program whose path is 260 units or more.
    if (folder + sizeof kCopierName / sizeof kCopierName[0] > MAX_PATH)
        return kPathTooLong;

    bool percent = false;
    for (size_t i = 0; i < folder; i++) {
        copier[i] = menuPath[i];
        percent = percent || menuPath[i] == L'%';
    }
    for (size_t i = 0; i < sizeof kCopierName / sizeof kCopierName[0]; i++)
        copier[folder + i] = kCopierName[i];

    size_t at = 0;
    command[at++] = L'"';
    for (size_t i = 0; copier[i]; i++)
        command[at++] = copier[i];
    for (const wchar_t *rest = L"\" \"%1\""; *rest; rest++)
        command[at++] = *rest;
    command[at] = L'\0';

    // The shell reads %1, %2, %L... in a command as placeholders.
    if (percent)
        return kPercentInPath;
    if (IsInFolder(copier, tempFolder))
        return kInTempFolder;
    return nullptr;
}

size_t GetRootLength(const wchar_t *path)
{
    if (((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) && path[1] == L':' &&
        path[2] == L'\\')
        return 3;
    if (path[0] != L'\\' || path[1] != L'\\' || path[2] == L'\\' || path[2] == L'?' || path[2] == L'.')
        return 0;
    // \\server\share\: the fourth backslash ends it.
    size_t backslashes = 2;
    for (size_t i = 2; path[i]; i++)
        if (path[i] == L'\\' && ++backslashes == 4)
            return i + 1;
    return 0;
}

bool IsFarDrive(UINT driveType)
{
    return driveType == DRIVE_REMOTE || driveType == DRIVE_REMOVABLE;
}
