# 32-bit Windows, cross-built with mingw-w64. This machine cannot run 32-bit
# programs (no wine32), so there is no emulator: the build is compiled and its
# PE file checked, not run.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(SORVELT_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
