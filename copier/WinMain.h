/* The program's entry, once the start-up has found the command tail. */
#ifndef KELBRANO_WINMAIN_H
#define KELBRANO_WINMAIN_H

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR tail, int show);

#endif
