/* The whole run, from the process's start to its exit code. */
#ifndef KELBRANO_START_H
#define KELBRANO_START_H

int StartProgram();

#endif
