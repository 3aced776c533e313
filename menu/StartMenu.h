/* The menu program's whole run, from the process's start to its exit code. */
#ifndef KELBRANO_STARTMENU_H
#define KELBRANO_STARTMENU_H

int StartMenuProgram();

#endif
