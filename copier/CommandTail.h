/* Finding the file name in the process's command line. */
#ifndef KELBRANO_COMMANDTAIL_H
#define KELBRANO_COMMANDTAIL_H

#include <stddef.h>

const char *GetCommandTail(const char *commandLine);
int GetFileName(const char *tail, char *name, size_t size);

#endif
