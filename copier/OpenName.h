/* The name a file is opened by: the extended-length form of its full path
   when that is too long for the system's ordinary names. */
#ifndef KELBRANO_OPENNAME_H
#define KELBRANO_OPENNAME_H

#include <windows.h>

// The longest path the system has, with its NUL (32,767 units, the most its
// counted strings hold), and the prefix before it.
const DWORD kOpenNameRoom = 32767 + 6;

// The name itself, or the extended-length form of its full path, made in
// path (kOpenNameRoom units).
const wchar_t *GetOpenName(const wchar_t *name, wchar_t *path);

#endif
