/* The least a copy of text from a pipe can cost, for the benchmark to compare
   against: Baseline.cpp, reading its standard input, a pipe whose length it is
   told, with ReadFile into one GMEM_FIXED block of that length and a NUL, until
   the pipe's end; then handed to the clipboard as CF_TEXT. No runtime library;
   imports KERNEL32 and USER32 only.
   Usage: PipeBaseline LENGTH (the rest of the command line after the program name). */
#define FROM_PIPE
#include "Baseline.cpp"
