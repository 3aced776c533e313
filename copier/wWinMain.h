/* The program's entry, once the start-up has found the command tail. */
#ifndef KELBRANO_WWINMAIN_H
#define KELBRANO_WWINMAIN_H

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR tail, int show);

#endif
