/* Calling a system function that some Windows lack: looked up by name when
   the program runs instead of imported, so that the program still starts
   where the function is missing. */
#ifndef KELBRANO_SYSTEMFUNCTION_H
#define KELBRANO_SYSTEMFUNCTION_H

#include <windows.h>

/* The function called name in the system DLL dll, as a pointer of type
   Function, or null where the DLL or the function is missing. A DLL not yet
   in the process is loaded by its name and stays loaded: every DLL asked for
   here is one of the system's Known DLLs, which always come from System32,
   wherever the search for other DLLs looks. */
template <typename Function>
Function GetSystemFunction(const char *dll, const char *name)
{
    HMODULE module = GetModuleHandleA(dll);
    if (!module)
        module = LoadLibraryA(dll);
    FARPROC found = module ? GetProcAddress(module, name) : nullptr;
    // Through void (*)(), which a function pointer may be cast from without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

#endif
