/* The least a copy of UTF-8 text can cost, for the benchmark to compare
   against: Baseline.cpp's one ReadFile into a GMEM_FIXED block of the file and
   a NUL, then one MultiByteToWideChar(CP_UTF8) conversion of the whole block
   into a GMEM_MOVEABLE block of as many WCHARs, handed to the clipboard as
   CF_TEXT and then CF_UNICODETEXT in one open. No runtime library; imports
   KERNEL32 and USER32 only.
   Usage: UnicodeBaseline FILE (the rest of the command line after the program name). */
#define UNICODE_TEXT
#include "Baseline.cpp"
