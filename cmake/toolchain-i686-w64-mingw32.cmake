# 32-bit Windows, cross-built with mingw-w64. This machine cannot run 32-bit
# programs (no wine32), so there is no emulator: the build is compiled and its
# PE file checked, not run.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(SORVELT_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
# SSE2 arithmetic, not x87: x87 keeps extended-precision intermediates, so the
# engine's scalar code would round differently from every other build. 32-bit
# Windows hosts only promise a 4-byte aligned stack, and SSE spills need 16: the
# functions that need it realign their own frame.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")
