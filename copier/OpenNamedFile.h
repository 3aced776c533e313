/* Opening the file the user named: the one Explorer shows under that name. */
#ifndef KELBRANO_OPENNAMEDFILE_H
#define KELBRANO_OPENNAMEDFILE_H

#include <stdio.h>

// The named file, opened for reading in binary mode, or null.
FILE *OpenNamedFile(const wchar_t *name);

#endif
