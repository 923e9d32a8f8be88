# 64-bit Windows, cross-built with mingw-w64; test programs run under wine64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SORVELT_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine64-run.sh)
