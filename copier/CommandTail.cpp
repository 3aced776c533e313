/* The command tail: everything after the program name and the blanks that
   follow it, taken as one file name. Only spaces, tabs and the ASCII double
   quote count, so any other character, a fullwidth quote or half of a
   surrogate pair included, is part of a name. */
#include "CommandTail.h"

template <typename Char>
static bool IsBlank(Char c)
{
    return c == ' ' || c == '\t';
}

/* Returns where the tail starts inside commandLine; copies nothing. */
template <typename Char>
const Char *GetCommandTail(const Char *commandLine)
{
    const Char *p = commandLine;
    while (IsBlank(*p))
        p++;

    Char end = ' ';
    if (*p == '"') {
        end = '"';
        p++;
    }
    // A tab ends the program name even inside quotes.
    while (*p && *p != end && *p != '\t')
        p++;
    if (*p == '"')
        p++;

    while (IsBlank(*p))
        p++;
    return p;
}

/* Copies the tail into name, without the double quotes Explorer puts around a
   path holding a space (a quote can't be part of a Windows file name).
   Returns 0, or 1 when the name does not fit (size counts characters, the
   NUL included): it is never cut short, since a shortened name could be
   another file that exists. */
template <typename Char>
int GetFileName(const Char *tail, Char *name, size_t size)
{
    const Char *first = tail;
    const Char *last = tail;
    while (*last)
        last++;

    if (*tail == '"') {
        const Char *close = tail + 1;
        while (*close && *close != '"')
            close++;
        const Char *rest = *close ? close + 1 : close;
        while (IsBlank(*rest))
            rest++;
        if (*close && !*rest) {
            first = tail + 1;
            last = close;
        }
    }

    size_t length = static_cast<size_t>(last - first);
    if (length >= size)
        return 1;
    for (size_t i = 0; i < length; i++)
        name[i] = first[i];
    name[length] = '\0';
    return 0;
}

/* "?" is reserved in Windows file names, so /? names no file: it asks for
   help, as it does of every Windows tool. /help, -h and --help can be names. */
bool IsHelpSwitch(const wchar_t *name)
{
    if (name[0] != '/' || name[1] != '?')
        return false;
    const wchar_t *rest = name + 2;
    while (IsBlank(*rest))
        rest++;
    return !*rest;
}

template const char *GetCommandTail(const char *);
template const wchar_t *GetCommandTail(const wchar_t *);
template int GetFileName(const char *, char *, size_t);
template int GetFileName(const wchar_t *, wchar_t *, size_t);
