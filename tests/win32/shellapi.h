/* Test double of <shellapi.h>. */
#ifndef KELBRANO_TEST_SHELLAPI_H
#define KELBRANO_TEST_SHELLAPI_H

#include <windows.h>

HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, int show);

#endif
