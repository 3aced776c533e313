/* The menu entry in the registry, for the current user only. Explorer shows
   the verbs of the * class on every file, and HKEY_CLASSES_ROOT is the
   user's Software\Classes laid over the machine's, so no administrator is
   needed. What is written:

     *\shell\KELBRANO            (default) "Copy contents"
                                 MultiSelectModel "Single"
                                 NeverDefault ""
     *\shell\KELBRANO\command    (default) "C:\...\KELBRANO.EXE" "%1"

   MultiSelectModel is documented for Windows 7 and later: the entry is shown
   only while one file is selected. NeverDefault keeps the verb from being a
   file's double-click action, where no program opens that type too; it is
   not in Microsoft's documentation (registry tweaks published for such
   entries write it so), and neither value has been tried on Windows. */
#include <windows.h>
#include <shlobj.h>

#include "MenuRegistry.h"
#include "MenuCommand.h"
#include "MenuTexts.h"

static const wchar_t kStarKey[] = L"Software\\Classes\\*";
static const wchar_t kShellKey[] = L"Software\\Classes\\*\\shell";
static const wchar_t kVerbKey[] = L"Software\\Classes\\*\\shell\\KELBRANO";
static const wchar_t kCommandKey[] = L"Software\\Classes\\*\\shell\\KELBRANO\\command";

MenuState GetMenuState(const wchar_t *command)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kCommandKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return kMenuAbsent;
    wchar_t found[kCommandRoom];
    DWORD type = 0;
    DWORD size = sizeof found - sizeof found[0]; // room for a NUL the value may lack
    LONG result = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(found), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return kMenuElsewhere;
    found[size / sizeof found[0]] = L'\0';
    size_t i = 0;
    while (found[i] && found[i] == command[i])
        i++;
    return found[i] == command[i] ? kMenuHere : kMenuElsewhere;
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

static bool CreateKey(HKEY parent, const wchar_t *name, HKEY *key)
{
    if (RegCreateKeyExW(parent, name, 0, nullptr, 0, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, key, nullptr) ==
        ERROR_SUCCESS)
        return true;
    *key = nullptr;
    return false;
}

const wchar_t *AddMenu(const wchar_t *command)
{
    const wchar_t *error = nullptr;
    HKEY verb = nullptr;
    HKEY run = nullptr;

    if (!CreateKey(HKEY_CURRENT_USER, kVerbKey, &verb) || !SetText(verb, nullptr, kMenuText) ||
        !SetText(verb, L"MultiSelectModel", L"Single") || !SetText(verb, L"NeverDefault", L"") ||
        !CreateKey(verb, L"command", &run) || !SetText(run, nullptr, command))
        error = kAddFailed;

    if (run)
        RegCloseKey(run);
    if (verb)
        RegCloseKey(verb);

    if (error)
        (void)RemoveMenu(); // half an entry would be a menu item that does nothing
    else
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return error;
}

/* Deletes a key that has no subkeys; one that is not there counts as
   deleted. Sets existed when it was there. */
static bool DeleteKey(const wchar_t *name, bool *existed)
{
    LONG result = RegDeleteKeyW(HKEY_CURRENT_USER, name);
    *existed = result == ERROR_SUCCESS;
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

/* Deletes the key when it holds no subkey and no value, a default one
   included. */
static void DeleteIfEmpty(const wchar_t *name)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, name, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 1;
    DWORD values = 1;
    LONG result = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                   nullptr, nullptr, nullptr);
    RegCloseKey(key);
    bool existed;
    if (result == ERROR_SUCCESS && subkeys == 0 && values == 0)
        (void)DeleteKey(name, &existed); // refused: it stays, empty, as harmless as before
}

const wchar_t *RemoveMenu()
{
    bool hadCommand = false;
    bool hadVerb = false;
    if (!DeleteKey(kCommandKey, &hadCommand) || !DeleteKey(kVerbKey, &hadVerb))
        return kRemoveFailed;
    // Only keys this program may have made: none when there was no entry.
    if (hadVerb) {
        DeleteIfEmpty(kShellKey);
        DeleteIfEmpty(kStarKey);
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    }
    return nullptr;
}
