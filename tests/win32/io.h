/* Test double of <io.h>: the C runtime's handle of a stream's descriptor,
   which the double's GetFileType takes back to the descriptor. */
#ifndef KELBRANO_TEST_IO_H
#define KELBRANO_TEST_IO_H

#include <stdint.h>
#include <stdio.h>

inline int _fileno(FILE *stream)
{
    return fileno(stream);
}

inline intptr_t _get_osfhandle(int descriptor)
{
    return descriptor;
}

#endif
