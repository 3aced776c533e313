# Cross-compiling for 64-bit x86 Windows with mingw-w64: the same program, for
# running the end-to-end suite under 64-bit Wine on machines whose kernel
# can't run 32-bit x86 programs. What ships is the 32-bit build.
set(KELBRANO_TARGET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/i686-w64-mingw32.cmake)
