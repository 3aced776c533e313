/* The menu program's switches, from the command tail to the exit code. */
#ifndef KELBRANO_RUNMENU_H
#define KELBRANO_RUNMENU_H

int RunMenu(const wchar_t *tail);

#endif
