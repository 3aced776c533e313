/* The registry views a 32-bit program writes the user's classes in, and
   deleting a key in one of them. */
#ifndef KELBRANO_REGISTRYVIEWS_H
#define KELBRANO_REGISTRYVIEWS_H

#include <windows.h>

/* Into views, the registry views to write in, each as the flag that opens a
   key in it: the program's own (0), and on 64-bit Windows the 64-bit one too
   (KEY_WOW64_64KEY). Returns how many: 1 or 2. */
size_t GetRegistryViews(REGSAM views[2]);

/* RegDeleteKeyW in the view that flag view names. */
LONG DeleteKeyInView(HKEY parent, const wchar_t *name, REGSAM view);

#endif
