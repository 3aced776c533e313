/* The command tail: everything after the program name and the blanks that
   follow it, taken as one file name. */
#include "CommandTail.h"

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

/* Returns where the tail starts inside commandLine; copies nothing. */
const char *GetCommandTail(const char *commandLine)
{
    const char *p = commandLine;
    while (IsBlank(*p))
        p++;

    char end = ' ';
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
   Returns 0, or 1 when the name does not fit: it is never cut short, since a
   shortened name could be another file that exists. */
int GetFileName(const char *tail, char *name, size_t size)
{
    const char *first = tail;
    const char *last = tail;
    while (*last)
        last++;

    if (*tail == '"') {
        const char *close = tail + 1;
        while (*close && *close != '"')
            close++;
        const char *rest = *close ? close + 1 : close;
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
