/* The menu entry in the registry, for the current user only. Explorer shows
   the verbs of the * class on every file, and HKEY_CLASSES_ROOT is the
   user's Software\Classes laid over the machine's, so no administrator is
   needed. What is written:

     *\shell                     (default) "none", where it has no default
     *\shell\KELBRANO            (default) "Copy contents"
                                 MultiSelectModel "Single"
                                 NeverDefault ""
     *\shell\KELBRANO\command    (default) "C:\...\KELBRANO.EXE" "%1"

   MultiSelectModel is documented for Windows 7 and later: the entry is shown
   only while one file is selected. NeverDefault keeps the verb from being a
   file's double-click action, where no program opens that type too; it is
   not in Microsoft's documentation (registry tweaks published for such
   entries write it so), and Microsoft's Windows 7 SDK sample that registers
   such a verb (RegisterExtension.cpp) names it as missing before Windows 7.
   There, the default verb named by *\shell's default value, "none", which no
   verb is called, keeps a double-click from choosing ours, as that sample
   does; it writes it on every Windows, and so does this program, with no
   version test to be fooled by a compatibility mode. None of these values
   has been tried on Windows.

   On 64-bit Windows all of it is written and deleted in both registry views
   (RegistryViews.h). */
#include <windows.h>
#include <shlobj.h>

#include "MenuRegistry.h"
#include "MenuTexts.h"
#include "../platform/RegistryViews.h"

static const wchar_t kStarKey[] = L"Software\\Classes\\*";
static const wchar_t kShellKey[] = L"Software\\Classes\\*\\shell";
static const wchar_t kVerbKey[] = L"Software\\Classes\\*\\shell\\KELBRANO";
static const wchar_t kCommandKey[] = L"Software\\Classes\\*\\shell\\KELBRANO\\command";
static const wchar_t kNoVerb[] = L"none";

static bool IsSame(const wchar_t *a, const wchar_t *b)
{
    while (*a && *a == *b) {
        a++;
        b++;
    }
    return *a == *b;
}

static bool OpenKey(const wchar_t *name, REGSAM access, HKEY *key)
{
    return RegOpenKeyExW(HKEY_CURRENT_USER, name, 0, access, key) == ERROR_SUCCESS;
}

static bool CreateKey(const wchar_t *name, REGSAM view, HKEY *key)
{
    if (RegCreateKeyExW(HKEY_CURRENT_USER, name, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE | view, nullptr, key,
                        nullptr) == ERROR_SUCCESS)
        return true;
    *key = nullptr;
    return false;
}

static bool KeyExists(const wchar_t *name, REGSAM view)
{
    HKEY key;
    if (!OpenKey(name, KEY_QUERY_VALUE | view, &key))
        return false;
    RegCloseKey(key);
    return true;
}

/* The key's default value as text into text (room units, NUL-ended; empty
   when it is not read). Returns RegQueryValueExW's result, ERROR_INVALID_DATA
   for a value that is not text. */
static LONG GetDefaultText(HKEY key, wchar_t *text, DWORD room)
{
    DWORD type = 0;
    DWORD size = (room - 1) * static_cast<DWORD>(sizeof text[0]); // room for a NUL the value may lack
    LONG result = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(text), &size);
    if (result == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ)
        result = ERROR_INVALID_DATA;
    text[result == ERROR_SUCCESS ? size / sizeof text[0] : 0] = L'\0';
    return result;
}

/* The text in capitals for comparing paths, which Windows reads in any
   letter case: ASCII by rule, as a Turkish locale's capital of i is not the
   file system's; any other letter as the system maps it. */
static void ToCapitals(const wchar_t *text, wchar_t *capitals)
{
    for (; *text; text++, capitals++) {
        *capitals = *text >= L'a' && *text <= L'z' ? static_cast<wchar_t>(*text - L'a' + L'A') : *text;
        if (*text >= 0x80)
            CharUpperBuffW(capitals, 1);
    }
    *capitals = L'\0';
}

MenuState GetMenuState(const wchar_t *command, wchar_t *current)
{
    HKEY key;
    current[0] = L'\0';
    if (!OpenKey(kCommandKey, KEY_QUERY_VALUE, &key))
        return kMenuAbsent;
    LONG result = GetDefaultText(key, current, kCommandRoom);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        const wchar_t *said = result == ERROR_MORE_DATA        ? kCommandTooLong
                              : result == ERROR_FILE_NOT_FOUND ? kNoCommand
                                                               : kCommandNotText;
        size_t i = 0;
        for (; said[i]; i++)
            current[i] = said[i];
        current[i] = L'\0';
        return kMenuElsewhere;
    }
    wchar_t stored[kCommandRoom];
    wchar_t ours[kCommandRoom];
    ToCapitals(current, stored);
    ToCapitals(command, ours);
    return IsSame(stored, ours) ? kMenuHere : kMenuElsewhere;
}

/* Sets a REG_SZ value (name null for the key's default value). */
static bool SetText(HKEY key, const wchar_t *name, const wchar_t *text)
{
    DWORD units = 1;
    while (text[units - 1])
        units++;
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                          units * static_cast<DWORD>(sizeof text[0])) == ERROR_SUCCESS;
}

/* Sets the default value of *\shell to "none" where it has no default value;
   a default value that is there, someone else's, stays. Sets written when
   this did write it. */
static bool SetNoDefaultVerb(HKEY shell, bool *written)
{
    *written = false;
    DWORD size = 0;
    LONG result = RegQueryValueExW(shell, nullptr, nullptr, nullptr, nullptr, &size);
    if (result != ERROR_FILE_NOT_FOUND)
        return true;
    *written = SetText(shell, nullptr, kNoVerb);
    return *written;
}

/* Deletes the default value of *\shell while it is the "none" this program
   writes. */
static void DeleteNoDefaultVerb(REGSAM view)
{
    HKEY shell;
    if (!OpenKey(kShellKey, KEY_QUERY_VALUE | KEY_SET_VALUE | view, &shell))
        return;
    wchar_t found[sizeof kNoVerb / sizeof kNoVerb[0] + 1];
    if (GetDefaultText(shell, found, sizeof found / sizeof found[0]) == ERROR_SUCCESS && IsSame(found, kNoVerb))
        (void)RegDeleteValueW(shell, nullptr); // refused: it stays, as harmless as before
    RegCloseKey(shell);
}

/* Deletes a key that has no subkeys; one that is not there counts as
   deleted. Sets existed when it was there. */
static bool DeleteKey(const wchar_t *name, REGSAM view, bool *existed)
{
    LONG result = DeleteKeyInView(HKEY_CURRENT_USER, name, view);
    *existed = result == ERROR_SUCCESS;
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

/* Deletes the key when it holds no subkey and no value, a default one
   included. */
static void DeleteIfEmpty(const wchar_t *name, REGSAM view)
{
    HKEY key;
    if (!OpenKey(name, KEY_QUERY_VALUE | view, &key))
        return;
    DWORD subkeys = 1;
    DWORD values = 1;
    LONG result = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                   nullptr, nullptr, nullptr);
    RegCloseKey(key);
    bool existed;
    if (result == ERROR_SUCCESS && subkeys == 0 && values == 0)
        (void)DeleteKey(name, view, &existed); // refused: it stays, empty, as harmless as before
}

/* Deletes the entry in one view, then the "none" and the keys above it that
   only it needed: none of them when there was no entry. Sets removed when
   there was. */
static bool RemoveEntryIn(REGSAM view, bool *removed)
{
    bool hadCommand = false;
    *removed = false;
    if (!DeleteKey(kCommandKey, view, &hadCommand) || !DeleteKey(kVerbKey, view, removed))
        return false;
    if (*removed) {
        DeleteNoDefaultVerb(view);
        DeleteIfEmpty(kShellKey, view);
        DeleteIfEmpty(kStarKey, view);
    }
    return true;
}

/* Writes the entry in one view; sets hadVerb when its key was there before.
   A failure leaves the view as it was: an entry that was there keeps its
   values, as each is replaced whole (the old command stays until the new one
   is written); one this began is deleted, as half an entry would be a menu
   item that does nothing. */
static bool WriteEntryIn(const wchar_t *command, REGSAM view, bool *hadVerb)
{
    *hadVerb = KeyExists(kVerbKey, view);
    bool wroteNone = false;
    HKEY shell = nullptr;
    HKEY verb = nullptr;
    HKEY run = nullptr;

    bool written = CreateKey(kShellKey, view, &shell) && SetNoDefaultVerb(shell, &wroteNone) &&
                   CreateKey(kVerbKey, view, &verb) && SetText(verb, nullptr, kMenuText) &&
                   SetText(verb, L"MultiSelectModel", L"Single") && SetText(verb, L"NeverDefault", L"") &&
                   CreateKey(kCommandKey, view, &run) && SetText(run, nullptr, command);

    if (run)
        RegCloseKey(run);
    if (verb)
        RegCloseKey(verb);
    if (shell)
        RegCloseKey(shell);

    if (!written) { // each step refused: it stays, as harmless as before
        bool existed;
        if (!*hadVerb)
            (void)(DeleteKey(kCommandKey, view, &existed) && DeleteKey(kVerbKey, view, &existed));
        if (wroteNone)
            DeleteNoDefaultVerb(view);
        DeleteIfEmpty(kShellKey, view);
        DeleteIfEmpty(kStarKey, view);
    }
    return written;
}

const wchar_t *AddMenuEntry(const wchar_t *command)
{
    REGSAM views[2];
    bool hadVerb[2] = {false, false};
    size_t count = GetRegistryViews(views);
    size_t written = 0;
    while (written < count && WriteEntryIn(command, views[written], &hadVerb[written]))
        written++;
    if (written == count) {
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
        return nullptr;
    }
    // The 64-bit view refused what the program's own took: an entry new
    // there is deleted again. (One changed there stays changed.)
    for (size_t i = 0; i < written; i++) {
        bool removed;
        if (!hadVerb[i])
            (void)RemoveEntryIn(views[i], &removed);
    }
    return hadVerb[0] ? kChangeFailed : kAddFailed;
}

const wchar_t *RemoveMenuEntry()
{
    REGSAM views[2];
    size_t count = GetRegistryViews(views);
    bool removedAny = false;
    for (size_t i = 0; i < count; i++) {
        bool removed = false;
        if (!RemoveEntryIn(views[i], &removed))
            return kRemoveFailed;
        removedAny = removedAny || removed;
    }
    if (removedAny)
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return nullptr;
}
