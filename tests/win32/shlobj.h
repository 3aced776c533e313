/* Test double of <shlobj.h>: telling Explorer that file types changed. */
#ifndef KELBRANO_TEST_SHLOBJ_H
#define KELBRANO_TEST_SHLOBJ_H

#include <windows.h>

#define SHCNE_ASSOCCHANGED 0x08000000L
#define SHCNF_IDLIST 0x0000

void SHChangeNotify(LONG event, UINT flags, const void *item1, const void *item2);

#endif
