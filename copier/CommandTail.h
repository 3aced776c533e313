/* Finding the file name in the process's command line. One rule for both
   widths of character: the UTF-16 command line the program runs on, and
   8-bit lines where those are handier. */
#ifndef KELBRANO_COMMANDTAIL_H
#define KELBRANO_COMMANDTAIL_H

#include <stddef.h>

template <typename Char>
const Char *GetCommandTail(const Char *commandLine);
template <typename Char>
int GetFileName(const Char *tail, Char *name, size_t size);
// Whether the name is the switch that asks for help: /? and only blanks after it.
bool IsHelpSwitch(const wchar_t *name);

#endif
